// Reading Office Open XML workbooks: the zip container through minizip, the
// parts with QXmlStreamReader. (QuaZip can't be used here: it exports its own
// variant of minizip's functions, which the workbook writer would then call.) Only what the workbook model holds is read:
// sheet names in workbook order, cell values (shared strings, inline strings,
// numbers), bold and time formats, column widths and the document properties.
#include "office/automation.h"
#include "office/workbookdata.h"

#include <unzip.h>

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QXmlStreamReader>

#include <cstring>

using namespace Qt::StringLiterals;

namespace vex {

namespace {

[[noreturn]] void unreadable(const QString &path)
{
    throw AutomationError(u"Die Arbeitsmappe „%1“ ist beschädigt oder unvollständig und kann nicht gelesen werden."_s
                              .arg(QFileInfo(path).fileName()));
}

// No part of a workbook this program reads comes near this; a bigger one is
// a damaged or hostile file.
constexpr quint64 kMaxPartSize = 256 * 1024 * 1024;

class XlsxPackage
{
public:
    explicit XlsxPackage(const QString &path)
        : m_path(path)
        , m_zip(unzOpen64(QFile::encodeName(path).constData()))
    {
        if (!m_zip)
            unreadable(path);
    }
    ~XlsxPackage() { unzClose(m_zip); }
    XlsxPackage(const XlsxPackage &) = delete;
    XlsxPackage &operator=(const XlsxPackage &) = delete;

    bool has(const QString &name) { return unzLocateFile(m_zip, name.toUtf8().constData(), 1) == UNZ_OK; }

    QByteArray part(const QString &name)
    {
        unz_file_info64 info{};
        if (!has(name) || unzGetCurrentFileInfo64(m_zip, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK
            || info.uncompressed_size > kMaxPartSize || unzOpenCurrentFile(m_zip) != UNZ_OK)
            unreadable(m_path);
        QByteArray bytes(qsizetype(info.uncompressed_size), Qt::Uninitialized);
        qsizetype filled = 0;
        for (;;) {
            char chunk[65536];
            const int n = unzReadCurrentFile(m_zip, chunk, sizeof chunk);
            if (n < 0 || filled + n > bytes.size()) {
                unzCloseCurrentFile(m_zip);
                unreadable(m_path);
            }
            if (n == 0)
                break;
            std::memcpy(bytes.data() + filled, chunk, std::size_t(n));
            filled += n;
        }
        // Closing checks the part's checksum.
        if (unzCloseCurrentFile(m_zip) != UNZ_OK || filled != bytes.size())
            unreadable(m_path);
        return bytes;
    }

    QByteArray optionalPart(const QString &name) { return has(name) ? part(name) : QByteArray(); }

private:
    QString m_path;
    unzFile m_zip;
};

void checkXml(const QXmlStreamReader &xml, const QString &path)
{
    if (xml.hasError())
        unreadable(path);
}

// The text of a string item: all <t> of the item, phonetic runs left out.
QString readStringItem(QXmlStreamReader &xml)
{
    QString text;
    const QString itemName = xml.name().toString();
    int phonetic = 0;
    while (!xml.atEnd()) {
        const auto token = xml.readNext();
        if (token == QXmlStreamReader::StartElement) {
            if (xml.name() == u"rPh"_s)
                ++phonetic;
            else if (xml.name() == u"t"_s && phonetic == 0)
                text += xml.readElementText();
        } else if (token == QXmlStreamReader::EndElement) {
            if (xml.name() == u"rPh"_s)
                --phonetic;
            else if (xml.name() == itemName)
                break;
        }
    }
    return text;
}

QStringList readSharedStrings(const QByteArray &bytes, const QString &path)
{
    QStringList strings;
    QXmlStreamReader xml(bytes);
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == u"si"_s)
            strings.append(readStringItem(xml));
    }
    checkXml(xml, path);
    return strings;
}

struct CellStyle
{
    bool bold = false;
    bool time = false;
};

bool isTimeFormatCode(const QString &code)
{
    QString plain;
    bool quoted = false;
    for (QChar c : code) {
        if (c == u'"')
            quoted = !quoted;
        else if (!quoted)
            plain += c.toLower();
    }
    return (plain.contains(u'h') || plain.contains(u's')) && !plain.contains(u'y') && !plain.contains(u'd');
}

QList<CellStyle> readStyles(const QByteArray &bytes, const QString &path)
{
    QHash<int, QString> formatCodes;
    QList<bool> boldFonts;
    QList<CellStyle> styles;
    QXmlStreamReader xml(bytes);
    enum class Section { None, Fonts, CellXfs } section = Section::None;
    while (!xml.atEnd()) {
        const auto token = xml.readNext();
        if (token == QXmlStreamReader::EndElement) {
            if (xml.name() == u"fonts"_s || xml.name() == u"cellXfs"_s)
                section = Section::None;
            continue;
        }
        if (token != QXmlStreamReader::StartElement)
            continue;
        const auto name = xml.name();
        const QXmlStreamAttributes attributes = xml.attributes();
        if (name == u"numFmt"_s) {
            formatCodes.insert(attributes.value(u"numFmtId"_s).toInt(), attributes.value(u"formatCode"_s).toString());
        } else if (name == u"fonts"_s) {
            section = Section::Fonts;
        } else if (name == u"cellXfs"_s) {
            section = Section::CellXfs;
        } else if (section == Section::Fonts && name == u"font"_s) {
            boldFonts.append(false);
        } else if (section == Section::Fonts && name == u"b"_s && !boldFonts.isEmpty()) {
            const QStringView val = attributes.value(u"val"_s);
            boldFonts.last() = val.isEmpty() || val == u"1"_s || val == u"true"_s;
        } else if (section == Section::CellXfs && name == u"xf"_s) {
            const int fontId = attributes.value(u"fontId"_s).toInt();
            const int formatId = attributes.value(u"numFmtId"_s).toInt();
            CellStyle style;
            style.bold = boldFonts.value(fontId, false);
            style.time = (formatId >= 18 && formatId <= 21) || (formatId >= 45 && formatId <= 47)
                || (formatCodes.contains(formatId) && isTimeFormatCode(formatCodes.value(formatId)));
            styles.append(style);
        }
    }
    checkXml(xml, path);
    return styles;
}

// "BC12" to row 12, column 55; false when it is no cell reference.
bool parseCellReference(QStringView ref, int &row, int &column)
{
    qsizetype i = 0;
    qint64 c = 0;
    while (i < ref.size() && ref.at(i).isLetter()) {
        c = c * 26 + (ref.at(i).toUpper().unicode() - u'A' + 1);
        if (c > kMaxSheetColumns)
            return false;
        ++i;
    }
    bool ok = false;
    const int r = ref.sliced(i).toInt(&ok);
    if (i == 0 || !ok || r < 1 || r > kMaxSheetRows)
        return false;
    row = r;
    column = int(c);
    return true;
}

void readSheet(const QByteArray &bytes, WorksheetData &sheet, const QStringList &sharedStrings,
               const QList<CellStyle> &styles, const QString &path)
{
    QXmlStreamReader xml(bytes);
    int row = 0;
    int column = 0;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        const auto name = xml.name();
        const QXmlStreamAttributes attributes = xml.attributes();
        if (name == u"col"_s) {
            const int first = attributes.value(u"min"_s).toInt();
            const int last = std::min(attributes.value(u"max"_s).toInt(), kMaxSheetColumns);
            bool ok = false;
            const double width = attributes.value(u"width"_s).toDouble(&ok);
            for (int c = std::max(first, 1); ok && c <= last && c <= 256; ++c)
                sheet.columnWidths.insert(c - 1, width);
        } else if (name == u"row"_s) {
            bool ok = false;
            const int r = attributes.value(u"r"_s).toInt(&ok);
            row = ok ? r : row + 1;
            column = 0;
            if (row < 1 || row > kMaxSheetRows)
                unreadable(path);
        } else if (name == u"c"_s) {
            const QStringView ref = attributes.value(u"r"_s);
            int r = row;
            int c = column + 1;
            if (!ref.isEmpty() && !parseCellReference(ref, r, c))
                unreadable(path);
            if (r < 1)
                unreadable(path);
            row = r;
            column = c;
            const QStringView type = attributes.value(u"t"_s);
            const CellStyle style = styles.value(attributes.value(u"s"_s).toInt());

            WorkbookCell cell;
            cell.bold = style.bold;
            QString valueText;
            bool hasValue = false;
            while (!xml.atEnd()) {
                const auto token = xml.readNext();
                if (token == QXmlStreamReader::EndElement && xml.name() == u"c"_s)
                    break;
                if (token != QXmlStreamReader::StartElement)
                    continue;
                if (xml.name() == u"v"_s) {
                    valueText = xml.readElementText();
                    hasValue = true;
                } else if (xml.name() == u"f"_s) {
                    // Shared formulas are kept where they are written out;
                    // the cells that only refer to them keep their results.
                    const bool array = xml.attributes().value(u"t"_s) == u"array"_s;
                    const QString formula = xml.readElementText();
                    if (!array)
                        cell.formula = formula;
                } else if (xml.name() == u"is"_s) {
                    valueText = readStringItem(xml);
                    hasValue = true;
                }
            }
            if (hasValue) {
                if (type == u"s"_s) {
                    bool ok = false;
                    const int index = valueText.toInt(&ok);
                    if (!ok || index < 0 || index >= sharedStrings.size())
                        unreadable(path);
                    cell.kind = WorkbookCell::Kind::Text;
                    cell.text = sharedStrings.at(index);
                } else if (type == u"inlineStr"_s || type == u"str"_s || type == u"e"_s) {
                    cell.kind = WorkbookCell::Kind::Text;
                    cell.text = valueText;
                } else if (type == u"b"_s) {
                    cell.kind = WorkbookCell::Kind::Number;
                    cell.number = valueText.trimmed() == u"1"_s ? 1 : 0;
                } else {
                    bool ok = false;
                    cell.number = valueText.toDouble(&ok);
                    if (!ok)
                        unreadable(path);
                    cell.kind = style.time ? WorkbookCell::Kind::Time : WorkbookCell::Kind::Number;
                }
                if (cell.kind == WorkbookCell::Kind::Text && cell.text.isEmpty())
                    cell.kind = WorkbookCell::Kind::Empty;
            }
            if (cell.kind != WorkbookCell::Kind::Empty || cell.bold || !cell.formula.isEmpty())
                sheet.cell(row, column) = cell;
        }
    }
    checkXml(xml, path);
}

struct SheetEntry
{
    QString name;
    QString relationId;
};

QString readCoreProperty(const QByteArray &bytes, const QString &element)
{
    QXmlStreamReader xml(bytes);
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == element)
            return xml.readElementText();
    }
    return {};
}

} // namespace

WorkbookData readXlsxFile(const QString &path)
{
    XlsxPackage package(path);
    WorkbookData workbook;

    QList<SheetEntry> entries;
    {
        QXmlStreamReader xml(package.part(u"xl/workbook.xml"_s));
        while (!xml.atEnd()) {
            if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == u"sheet"_s) {
                const QXmlStreamAttributes attributes = xml.attributes();
                QString id;
                for (const QXmlStreamAttribute &a : attributes) {
                    if (a.name() == u"id"_s)
                        id = a.value().toString();
                }
                entries.append({attributes.value(u"name"_s).toString(), id});
            }
        }
        checkXml(xml, path);
    }

    QHash<QString, QString> targets;
    {
        QXmlStreamReader xml(package.part(u"xl/_rels/workbook.xml.rels"_s));
        while (!xml.atEnd()) {
            if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == u"Relationship"_s) {
                const QXmlStreamAttributes attributes = xml.attributes();
                QString target = attributes.value(u"Target"_s).toString();
                target = target.startsWith(u'/') ? target.mid(1) : u"xl/"_s + target;
                targets.insert(attributes.value(u"Id"_s).toString(), target);
            }
        }
        checkXml(xml, path);
    }

    const QStringList sharedStrings = readSharedStrings(package.optionalPart(u"xl/sharedStrings.xml"_s), path);
    const QList<CellStyle> styles = readStyles(package.optionalPart(u"xl/styles.xml"_s), path);

    for (const SheetEntry &entry : std::as_const(entries)) {
        const QString target = targets.value(entry.relationId);
        if (target.isEmpty())
            unreadable(path);
        WorksheetData sheet;
        sheet.name = entry.name;
        readSheet(package.part(target), sheet, sharedStrings, styles, path);
        workbook.sheets.append(std::move(sheet));
    }

    const QByteArray core = package.optionalPart(u"docProps/core.xml"_s);
    if (!core.isEmpty()) {
        workbook.title = readCoreProperty(core, u"title"_s);
        workbook.subject = readCoreProperty(core, u"subject"_s);
        workbook.author = readCoreProperty(core, u"creator"_s);
        workbook.comments = readCoreProperty(core, u"description"_s);
    }
    return workbook;
}

} // namespace vex
