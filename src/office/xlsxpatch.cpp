// Saving into a workbook of the club's: the file is copied part by part and
// only what this program wrote is changed in it, so that merged cells,
// fills, fonts, column widths, pictures and everything else it doesn't model
// stay as they were. Changed parts are spliced, not written anew: the XML
// around a written cell keeps its bytes.
#include "office/automation.h"
#include "office/workbookdata.h"
#include "office/xlsxpackage.h"

#include <zip.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QXmlStreamReader>

#include <algorithm>
#include <cstdio>
#include <map>

using namespace Qt::StringLiterals;

namespace vex {

namespace {

const QString kRelationshipsNs = u"http://schemas.openxmlformats.org/officeDocument/2006/relationships"_s;
const QString kWorksheetType = u"http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet"_s;
const QString kWorksheetContent = u"application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml"_s;

QString escaped(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (QChar c : text) {
        switch (c.unicode()) {
        case u'&': out += u"&amp;"_s; break;
        case u'<': out += u"&lt;"_s; break;
        case u'>': out += u"&gt;"_s; break;
        case u'"': out += u"&quot;"_s; break;
        default:
            // XML has no place for other control characters.
            if (c.unicode() >= 0x20 || c == u'\t' || c == u'\n' || c == u'\r')
                out += c;
        }
    }
    return out;
}

QString cellReference(int row, int column)
{
    QString letters;
    for (int c = column; c > 0; c = (c - 1) / 26)
        letters.prepend(QChar(u'A' + (c - 1) % 26));
    return letters + QString::number(row);
}

int columnOfReference(QStringView ref)
{
    int column = 0;
    for (QChar c : ref) {
        if (!c.isLetter())
            break;
        column = column * 26 + (c.toUpper().unicode() - u'A' + 1);
        if (column > kMaxSheetColumns)
            return 0;
    }
    return column;
}

int rowOfReference(QStringView ref)
{
    qsizetype i = 0;
    while (i < ref.size() && ref.at(i).isLetter())
        ++i;
    bool ok = false;
    const int row = ref.sliced(i).toInt(&ok);
    return ok && row <= kMaxSheetRows ? row : 0;
}

QString prefixOf(QStringView qualifiedName)
{
    const qsizetype colon = qualifiedName.indexOf(u':');
    return colon < 0 ? QString() : qualifiedName.left(colon + 1).toString();
}

// Replacements of ranges of a text, applied from the back.
struct Splice
{
    qsizetype begin;
    qsizetype end;
    QString text;
};

QString applySplices(QString text, std::vector<Splice> splices)
{
    std::sort(splices.begin(), splices.end(), [](const Splice &a, const Splice &b) { return a.begin > b.begin; });
    for (const Splice &s : splices)
        text.replace(s.begin, s.end - s.begin, s.text);
    return text;
}

// An attribute set to value in a start tag, replacing one of that name.
QString withAttribute(QString tag, const QString &name, const QString &value)
{
    const QRegularExpression existing(u"\\s"_s + QRegularExpression::escape(name) + u"\\s*=\\s*(\"[^\"]*\"|'[^']*')"_s);
    tag.remove(existing);
    const qsizetype end = tag.endsWith(u"/>"_s) ? tag.size() - 2 : tag.size() - 1;
    tag.insert(end, u' ' + name + u"=\""_s + escaped(value) + u'"');
    return tag;
}

QString withoutAttribute(QString tag, const QString &name)
{
    tag.remove(QRegularExpression(u"\\s"_s + QRegularExpression::escape(name) + u"\\s*=\\s*(\"[^\"]*\"|'[^']*')"_s));
    return tag;
}

void checkXml(const QXmlStreamReader &xml, const QString &path)
{
    if (xml.hasError())
        xlsxUnreadable(path);
}

// The cell styles: for a written time, a style that shows it as one, made
// from the cell's own style so that its font, fill and borders stay.
class StylesPatch
{
public:
    StylesPatch(const QByteArray &bytes, const QString &path)
        : m_text(QString::fromUtf8(bytes))
    {
        if (bytes.isEmpty())
            return;
        QXmlStreamReader xml(m_text);
        bool inCellXfs = false;
        int depth = 0;
        int xfDepth = -1;
        qsizetype xfBegin = 0;
        while (!xml.atEnd()) {
            const qsizetype before = xml.characterOffset();
            const auto token = xml.readNext();
            if (token == QXmlStreamReader::StartElement) {
                ++depth;
                const auto name = xml.name();
                if (depth == 1) {
                    m_rootTagEnd = xml.characterOffset();
                    m_prefix = prefixOf(xml.qualifiedName());
                } else if (name == u"numFmts"_s) {
                    m_numFmtsBegin = before;
                    m_numFmtsTagEnd = xml.characterOffset();
                } else if (name == u"numFmt"_s) {
                    const int id = xml.attributes().value(u"numFmtId"_s).toInt();
                    m_maxFormatId = std::max(m_maxFormatId, id);
                    if (isTimeFormatCode(xml.attributes().value(u"formatCode"_s).toString()))
                        m_timeFormats.append(id);
                } else if (name == u"cellXfs"_s) {
                    inCellXfs = true;
                    m_cellXfsBegin = before;
                    m_cellXfsTagEnd = xml.characterOffset();
                } else if (inCellXfs && name == u"xf"_s && xfDepth < 0) {
                    xfDepth = depth;
                    xfBegin = before;
                    m_xfTagEnds.append(xml.characterOffset());
                    m_xfFormats.append(xml.attributes().value(u"numFmtId"_s).toInt());
                }
            } else if (token == QXmlStreamReader::EndElement) {
                if (depth == xfDepth) {
                    m_xfs.append({xfBegin, xml.characterOffset()});
                    xfDepth = -1;
                } else if (xml.name() == u"cellXfs"_s) {
                    inCellXfs = false;
                    m_cellXfsEndBegin = before;
                    m_cellXfsEnd = xml.characterOffset();
                } else if (xml.name() == u"numFmts"_s) {
                    m_numFmtsEndBegin = before;
                    m_numFmtsEnd = xml.characterOffset();
                }
                --depth;
            }
        }
        checkXml(xml, path);
        m_valid = m_cellXfsEnd > 0 && !m_xfs.isEmpty();
    }

    // The style index for a time in a cell of the given style; -1 when the
    // file has no styles to add one to.
    int timeStyleFor(int style)
    {
        if (!m_valid)
            return -1;
        if (style < 0 || style >= m_xfs.size())
            style = 0;
        if (isTimeFormat(m_xfFormats.at(style)))
            return style;
        if (const auto it = m_made.constFind(style); it != m_made.cend())
            return *it;
        if (m_timeFormatId < 0)
            m_timeFormatId = std::max(m_maxFormatId + 1, 164);
        const auto [begin, end] = m_xfs.at(style);
        QString xf = m_text.mid(begin, end - begin);
        const qsizetype tagLength = m_xfTagEnds.at(style) - begin;
        QString tag = withAttribute(xf.left(tagLength), u"numFmtId"_s, QString::number(m_timeFormatId));
        tag = withAttribute(tag, u"applyNumberFormat"_s, u"1"_s);
        xf.replace(0, tagLength, tag);
        const int index = int(m_xfs.size() + m_added.size());
        m_added.append(xf);
        m_made.insert(style, index);
        return index;
    }

    bool changed() const { return !m_added.isEmpty(); }

    QByteArray bytes() const
    {
        std::vector<Splice> splices;
        const QString p = m_prefix;
        const QString numFmt = u"<"_s + p + u"numFmt numFmtId=\""_s + QString::number(m_timeFormatId)
            + u"\" formatCode=\""_s + QString::fromLatin1(kTimeFormat) + u"\"/>"_s;
        if (m_numFmtsBegin < 0) {
            splices.push_back({m_rootTagEnd, m_rootTagEnd,
                               u"<"_s + p + u"numFmts count=\"1\">"_s + numFmt + u"</"_s + p + u"numFmts>"_s});
        } else {
            const int count = int(m_timeFormats.size()) + 1;
            const QString tag = m_text.mid(m_numFmtsBegin, m_numFmtsTagEnd - m_numFmtsBegin);
            if (m_numFmtsTagEnd == m_numFmtsEnd) {
                QString open = withAttribute(tag, u"count"_s, QString::number(count));
                open.replace(open.size() - 2, 2, u">"_s);
                splices.push_back({m_numFmtsBegin, m_numFmtsEnd, open + numFmt + u"</"_s + p + u"numFmts>"_s});
            } else {
                splices.push_back({m_numFmtsBegin, m_numFmtsTagEnd, withoutAttribute(tag, u"count"_s)});
                splices.push_back({m_numFmtsEndBegin, m_numFmtsEndBegin, numFmt});
            }
        }
        const QString cellXfsTag = m_text.mid(m_cellXfsBegin, m_cellXfsTagEnd - m_cellXfsBegin);
        splices.push_back({m_cellXfsBegin, m_cellXfsTagEnd,
                           withAttribute(cellXfsTag, u"count"_s, QString::number(m_xfs.size() + m_added.size()))});
        splices.push_back({m_cellXfsEndBegin, m_cellXfsEndBegin, m_added.join(QString())});
        return applySplices(m_text, std::move(splices)).toUtf8();
    }

private:
    bool isTimeFormat(int id) const
    {
        return (id >= 18 && id <= 21) || (id >= 45 && id <= 47) || m_timeFormats.contains(id);
    }

    QString m_text;
    bool m_valid = false;
    QString m_prefix;
    qsizetype m_rootTagEnd = 0;
    qsizetype m_numFmtsBegin = -1;
    qsizetype m_numFmtsTagEnd = -1;
    qsizetype m_numFmtsEndBegin = -1;
    qsizetype m_numFmtsEnd = -1;
    qsizetype m_cellXfsBegin = 0;
    qsizetype m_cellXfsTagEnd = 0;
    qsizetype m_cellXfsEndBegin = 0;
    qsizetype m_cellXfsEnd = 0;
    QList<std::pair<qsizetype, qsizetype>> m_xfs;
    QList<qsizetype> m_xfTagEnds;
    QList<int> m_xfFormats;
    QList<int> m_timeFormats;
    int m_maxFormatId = 0;
    int m_timeFormatId = -1;
    QStringList m_added;
    QHash<int, int> m_made;
};

// The XML of one written cell; empty for an empty cell without a style.
QString cellXml(const QString &p, int row, int column, const WorkbookCell &cell, int style, StylesPatch &styles)
{
    if (cell.kind == WorkbookCell::Kind::Time)
        style = styles.timeStyleFor(style);
    QString xml = u"<"_s + p + u"c r=\""_s + cellReference(row, column) + u'"';
    if (style >= 0)
        xml += u" s=\""_s + QString::number(style) + u'"';
    switch (cell.kind) {
    case WorkbookCell::Kind::Empty:
        return style >= 0 ? xml + u"/>"_s : QString();
    case WorkbookCell::Kind::Number:
    case WorkbookCell::Kind::Time:
        return xml + u"><"_s + p + u"v>"_s + QString::number(cell.number, 'g', 17) + u"</"_s + p + u"v></"_s + p
            + u"c>"_s;
    case WorkbookCell::Kind::Text:
        break;
    }
    return xml + u" t=\"inlineStr\"><"_s + p + u"is><"_s + p + u"t xml:space=\"preserve\">"_s + escaped(cell.text)
        + u"</"_s + p + u"t></"_s + p + u"is></"_s + p + u"c>"_s;
}

struct CellSpan
{
    int column;
    int style;
    qsizetype begin;
    qsizetype tagEnd;
    qsizetype end;
    bool hasReference;
};

struct RowSpan
{
    int row;
    qsizetype begin;
    qsizetype tagEnd;
    qsizetype contentEnd;
    qsizetype end;
    bool hasReference;
    QList<CellSpan> cells;
};

// Adds r="..." to a start tag that has none, since cells or rows put in
// before it would move it otherwise.
QString withReference(const QString &tag, bool has, const QString &reference)
{
    return has ? tag : withAttribute(tag, u"r"_s, reference);
}

using WrittenCells = std::map<int, std::map<int, const WorkbookCell *>>;

WrittenCells writtenCells(const WorksheetData &sheet)
{
    WrittenCells cells;
    static const WorkbookCell empty;
    for (const auto &[row, column] : sheet.written) {
        const WorkbookCell *cell = sheet.cellAt(row, column);
        cells[row][column] = cell ? cell : &empty;
    }
    return cells;
}

QString rowCells(const QString &p, int row, const std::map<int, const WorkbookCell *> &cells, StylesPatch &styles)
{
    QString xml;
    for (const auto &[column, cell] : cells)
        xml += cellXml(p, row, column, *cell, -1, styles);
    return xml;
}

// The sheet's XML with the written cells in it.
QString patchSheet(const QString &text, const WrittenCells &written, StylesPatch &styles, const QString &path)
{
    QXmlStreamReader xml(text);
    qsizetype dataBegin = -1;
    qsizetype dataEnd = -1;
    QString p;
    QList<RowSpan> rows;
    qsizetype dimensionBegin = -1;
    qsizetype dimensionEnd = -1;
    QString dimension;
    int depth = 0;
    int dataDepth = -1;
    int lastRow = 0;
    while (!xml.atEnd()) {
        const qsizetype before = xml.characterOffset();
        const auto token = xml.readNext();
        if (token == QXmlStreamReader::StartElement) {
            ++depth;
            const QXmlStreamAttributes attributes = xml.attributes();
            if (xml.name() == u"dimension"_s && depth == 2) {
                dimensionBegin = before;
                dimension = attributes.value(u"ref"_s).toString();
            } else if (xml.name() == u"sheetData"_s && dataDepth < 0) {
                dataDepth = depth;
                dataBegin = before;
                p = prefixOf(xml.qualifiedName());
            } else if (depth == dataDepth + 1 && xml.name() == u"row"_s) {
                bool ok = false;
                const int r = attributes.value(u"r"_s).toInt(&ok);
                lastRow = ok ? r : lastRow + 1;
                rows.append({lastRow, before, xml.characterOffset(), -1, -1, ok, {}});
            } else if (depth == dataDepth + 2 && xml.name() == u"c"_s && !rows.isEmpty()) {
                const QStringView ref = attributes.value(u"r"_s);
                const int previous = rows.last().cells.isEmpty() ? 0 : rows.last().cells.last().column;
                const int column = ref.isEmpty() ? previous + 1 : columnOfReference(ref);
                bool ok = false;
                const int style = attributes.value(u"s"_s).toInt(&ok);
                rows.last().cells.append({column, ok ? style : -1, before, xml.characterOffset(), -1, !ref.isEmpty()});
            }
        } else if (token == QXmlStreamReader::EndElement) {
            if (dimensionBegin >= 0 && dimensionEnd < 0 && xml.name() == u"dimension"_s)
                dimensionEnd = xml.characterOffset();
            if (depth == dataDepth) {
                dataEnd = xml.characterOffset();
                dataDepth = -2;
            } else if (dataDepth > 0 && depth == dataDepth + 1 && !rows.isEmpty()) {
                rows.last().contentEnd = before;
                rows.last().end = xml.characterOffset();
            } else if (dataDepth > 0 && depth == dataDepth + 2 && !rows.isEmpty() && !rows.last().cells.isEmpty()) {
                rows.last().cells.last().end = xml.characterOffset();
            }
            --depth;
        }
    }
    checkXml(xml, path);
    if (dataBegin < 0 || dataEnd < 0)
        xlsxUnreadable(path);

    QString data = u"<"_s + p + u"sheetData>"_s;
    auto next = written.cbegin();
    const auto newRowsBefore = [&](int row) {
        for (; next != written.cend() && next->first < row; ++next)
            data += u"<"_s + p + u"row r=\""_s + QString::number(next->first) + u"\">"_s
                + rowCells(p, next->first, next->second, styles) + u"</"_s + p + u"row>"_s;
    };
    for (const RowSpan &row : std::as_const(rows)) {
        newRowsBefore(row.row);
        QString tag = withReference(text.mid(row.begin, row.tagEnd - row.begin), row.hasReference,
                                    QString::number(row.row));
        if (next == written.cend() || next->first != row.row) {
            data += row.hasReference ? text.mid(row.begin, row.end - row.begin)
                                     : tag + text.mid(row.tagEnd, row.end - row.tagEnd);
            continue;
        }
        const std::map<int, const WorkbookCell *> &cells = next->second;
        ++next;
        const bool selfClosed = row.tagEnd == row.end;
        // The column span is a hint the cells may now leave.
        tag = withoutAttribute(tag, u"spans"_s);
        if (selfClosed)
            tag.replace(tag.size() - 2, 2, u">"_s);
        data += tag;
        auto cell = cells.cbegin();
        qsizetype after = row.tagEnd;
        for (const CellSpan &c : row.cells) {
            for (; cell != cells.cend() && cell->first < c.column; ++cell)
                data += cellXml(p, row.row, cell->first, *cell->second, -1, styles);
            if (cell != cells.cend() && cell->first == c.column) {
                data += cellXml(p, row.row, c.column, *cell->second, c.style, styles);
                ++cell;
            } else {
                const QString cellTag = text.mid(c.begin, c.tagEnd - c.begin);
                data += withReference(cellTag, c.hasReference, cellReference(row.row, c.column))
                    + text.mid(c.tagEnd, c.end - c.tagEnd);
            }
            after = c.end;
        }
        for (; cell != cells.cend(); ++cell)
            data += cellXml(p, row.row, cell->first, *cell->second, -1, styles);
        if (!selfClosed)
            data += text.mid(after, row.contentEnd - after);
        data += u"</"_s + p + u"row>"_s;
    }
    newRowsBefore(kMaxSheetRows + 1);
    data += u"</"_s + p + u"sheetData>"_s;
    std::vector<Splice> splices{{dataBegin, dataEnd, data}};
    if (dimensionEnd > dimensionBegin && !written.empty()) {
        // The used area as the file states it grows by the written cells.
        int top = written.cbegin()->first;
        int bottom = written.crbegin()->first;
        int left = kMaxSheetColumns;
        int right = 1;
        for (const auto &[row, cells] : written) {
            left = std::min(left, cells.cbegin()->first);
            right = std::max(right, cells.crbegin()->first);
        }
        const QStringList corners = dimension.split(u':');
        for (const QString &corner : corners) {
            const int column = columnOfReference(corner);
            const int row = rowOfReference(corner);
            if (column > 0 && row > 0) {
                top = std::min(top, row);
                bottom = std::max(bottom, row);
                left = std::min(left, column);
                right = std::max(right, column);
            }
        }
        splices.push_back({dimensionBegin, dimensionEnd,
                           withAttribute(text.mid(dimensionBegin, dimensionEnd - dimensionBegin), u"ref"_s,
                                         cellReference(top, left) + u':' + cellReference(bottom, right))});
    }
    return applySplices(text, std::move(splices));
}

QString newSheetXml(const WrittenCells &written, StylesPatch &styles)
{
    QString xml = u"<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
                  u"<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><sheetData>"_s;
    for (const auto &[row, cells] : written)
        xml += u"<row r=\""_s + QString::number(row) + u"\">"_s + rowCells(QString(), row, cells, styles) + u"</row>"_s;
    return xml + u"</sheetData></worksheet>"_s;
}

struct SheetTag
{
    qsizetype begin;
    qsizetype end;
    int sheetId;
};

// The workbook part with the sheets renamed and the new ones listed.
QString patchWorkbookXml(const QString &text, const WorkbookData &workbook, const QStringList &newIds,
                         const QString &path)
{
    QXmlStreamReader xml(text);
    QList<SheetTag> tags;
    qsizetype sheetsEndBegin = -1;
    QString idName = u"r:id"_s;
    QString prefix;
    int maxId = 0;
    while (!xml.atEnd()) {
        const qsizetype before = xml.characterOffset();
        const auto token = xml.readNext();
        if (token == QXmlStreamReader::StartElement && xml.name() == u"sheet"_s) {
            const int id = xml.attributes().value(u"sheetId"_s).toInt();
            maxId = std::max(maxId, id);
            prefix = prefixOf(xml.qualifiedName());
            for (const QXmlStreamAttribute &a : xml.attributes()) {
                if (a.namespaceUri() == kRelationshipsNs && a.name() == u"id"_s)
                    idName = a.qualifiedName().toString();
            }
            tags.append({before, xml.characterOffset(), id});
        } else if (token == QXmlStreamReader::EndElement && xml.name() == u"sheets"_s) {
            sheetsEndBegin = before;
        }
    }
    checkXml(xml, path);
    if (sheetsEndBegin < 0)
        xlsxUnreadable(path);

    std::vector<Splice> splices;
    QString added;
    int newSheet = 0;
    for (const WorksheetData &sheet : workbook.sheets) {
        if (sheet.sourceIndex >= 0 && sheet.sourceIndex < tags.size() && sheet.name != sheet.sourceName) {
            const SheetTag &tag = tags.at(sheet.sourceIndex);
            splices.push_back(
                {tag.begin, tag.end, withAttribute(text.mid(tag.begin, tag.end - tag.begin), u"name"_s, sheet.name)});
        } else if (sheet.sourceIndex < 0) {
            added += u"<"_s + prefix + u"sheet name=\""_s + escaped(sheet.name) + u"\" sheetId=\""_s
                + QString::number(++maxId) + u"\" "_s + idName + u"=\""_s + newIds.at(newSheet++) + u"\"/>"_s;
        }
    }
    splices.push_back({sheetsEndBegin, sheetsEndBegin, added});
    return applySplices(text, std::move(splices));
}

// Text inserted before the root element's end tag.
QString beforeRootEnd(QString text, const QString &insert, const QString &path)
{
    const qsizetype end = text.lastIndexOf(u"</"_s);
    if (end < 0)
        xlsxUnreadable(path);
    text.insert(end, insert);
    return text;
}

// The calculation chain lists formula cells; one written over would make
// the spreadsheet call the file damaged. It is rebuilt when missing.
QString withoutCalcChain(QString text, const QString &element)
{
    text.remove(QRegularExpression(u"<"_s + element + u"\\b[^>]*calcChain[^>]*/>"_s));
    return text;
}

class ZipWriter
{
public:
    explicit ZipWriter(const QString &path)
        : m_path(path)
        , m_zip(zipOpen64(QFile::encodeName(path).constData(), APPEND_STATUS_CREATE))
    {
        if (!m_zip)
            xlsxNotWritten(path, u"die Datei kann nicht angelegt werden"_s);
    }
    ~ZipWriter()
    {
        if (m_zip)
            zipClose(m_zip, nullptr);
    }
    ZipWriter(const ZipWriter &) = delete;
    ZipWriter &operator=(const ZipWriter &) = delete;

    void add(const QString &name, const QByteArray &bytes)
    {
        zip_fileinfo info{};
        const QByteArray utf8 = name.toUtf8();
        if (zipOpenNewFileInZip64(m_zip, utf8.constData(), &info, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED,
                                  Z_DEFAULT_COMPRESSION, 0)
                != ZIP_OK
            || zipWriteInFileInZip(m_zip, bytes.constData(), unsigned(bytes.size())) != ZIP_OK
            || zipCloseFileInZip(m_zip) != ZIP_OK)
            xlsxNotWritten(m_path, u"der Datenträger ist voll oder nicht beschreibbar"_s);
    }

    void close()
    {
        if (zipClose(std::exchange(m_zip, nullptr), nullptr) != ZIP_OK)
            xlsxNotWritten(m_path, u"der Datenträger ist voll oder nicht beschreibbar"_s);
    }

private:
    QString m_path;
    zipFile m_zip;
};

void writePatched(const WorkbookData &workbook, XlsxPackage &package, const QString &partial)
{
    const QString &source = workbook.sourcePath;
    const QList<XlsxSheetEntry> entries = readXlsxSheetList(package);
    StylesPatch styles(package.optionalPart(u"xl/styles.xml"_s), source);

    QHash<QString, QByteArray> replaced;
    QList<std::pair<QString, QByteArray>> added;
    QStringList newIds;
    QString relations;
    QString overrides;
    int newCount = 0;
    bool renamed = false;
    for (const WorksheetData &sheet : workbook.sheets) {
        const WrittenCells written = writtenCells(sheet);
        renamed = renamed || (sheet.sourceIndex >= 0 && sheet.name != sheet.sourceName);
        if (sheet.sourceIndex >= 0) {
            if (sheet.sourceIndex >= entries.size())
                xlsxUnreadable(source);
            if (written.empty())
                continue;
            const QString &part = entries.at(sheet.sourceIndex).part;
            const QString text = QString::fromUtf8(package.part(part));
            replaced.insert(part, patchSheet(text, written, styles, source).toUtf8());
            continue;
        }
        ++newCount;
        QString name;
        for (int i = newCount; name.isEmpty() || package.has(name); ++i)
            name = u"xl/worksheets/vexilor%1.xml"_s.arg(i);
        const QString id = u"rIdVexilor%1"_s.arg(newCount);
        newIds.append(id);
        added.append({name, newSheetXml(written, styles).toUtf8()});
        relations += u"<Relationship Id=\""_s + id + u"\" Type=\""_s + kWorksheetType + u"\" Target=\"/"_s + name
            + u"\"/>"_s;
        overrides += u"<Override PartName=\"/"_s + name + u"\" ContentType=\""_s + kWorksheetContent + u"\"/>"_s;
    }

    const QString workbookPart = u"xl/workbook.xml"_s;
    const QString relsPart = u"xl/_rels/workbook.xml.rels"_s;
    const QString typesPart = u"[Content_Types].xml"_s;
    if (renamed || newCount > 0) {
        replaced.insert(workbookPart, patchWorkbookXml(QString::fromUtf8(package.part(workbookPart)), workbook,
                                                       newIds, source)
                                          .toUtf8());
    }
    replaced.insert(relsPart, beforeRootEnd(withoutCalcChain(QString::fromUtf8(package.part(relsPart)),
                                                             u"Relationship"_s),
                                            relations, source)
                                  .toUtf8());
    replaced.insert(typesPart, beforeRootEnd(withoutCalcChain(QString::fromUtf8(package.part(typesPart)),
                                                              u"Override"_s),
                                             overrides, source)
                                   .toUtf8());
    if (styles.changed())
        replaced.insert(u"xl/styles.xml"_s, styles.bytes());

    ZipWriter zip(partial);
    for (const QString &name : package.partNames()) {
        if (name == u"xl/calcChain.xml"_s)
            continue;
        zip.add(name, replaced.contains(name) ? replaced.value(name) : package.part(name));
    }
    for (const auto &[name, bytes] : std::as_const(added))
        zip.add(name, bytes);
    zip.close();
}

} // namespace

void patchXlsxFile(const WorkbookData &workbook, const QString &path)
{
    replaceWorkbook(path, [&](const QString &partial) {
        XlsxPackage package(workbook.sourcePath);
        writePatched(workbook, package, partial);
    });
}

} // namespace vex
