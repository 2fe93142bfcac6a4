// Reading Office Open XML workbooks: the zip container through minizip, the
// parts with QXmlStreamReader. (QuaZip can't be used here: it exports its own
// variant of minizip's functions, which the workbook writer would then call.) Only what the workbook model holds is read:
// sheet names in workbook order, cell values (shared strings, inline strings,
// numbers), bold and time formats, column widths and the document properties.
#include "office/automation.h"
#include "office/workbookdata.h"
#include "office/xlsxpackage.h"

#include <QCoreApplication>
#include <QEventLoop>
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
    xlsxUnreadable(path);
}

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
    // The part is optional: a workbook of numbers only may have none.
    if (bytes.isEmpty())
        return strings;
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

QList<CellStyle> readStyles(const QByteArray &bytes, const QString &path)
{
    QHash<int, QString> formatCodes;
    QList<bool> boldFonts;
    QList<CellStyle> styles;
    if (bytes.isEmpty())
        return styles;
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
               const QList<CellStyle> &styles, const QString &path, qint64 &cellBudget)
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
            if (cell.kind != WorkbookCell::Kind::Empty || cell.bold || !cell.formula.isEmpty()) {
                // A big sheet takes a while: the windows keep painting, the
                // operator's input waits until the workbook is in.
                if (cellBudget % 16384 == 0 && QCoreApplication::instance())
                    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
                if (--cellBudget < 0)
                    throw AutomationError(u"Die Arbeitsmappe „%1“ hat mehr Zellen, als eine Starterliste braucht, und wird nicht gelesen."_s
                                              .arg(QFileInfo(path).fileName()));
                sheet.cell(row, column) = cell;
            }
        }
    }
    checkXml(xml, path);
}

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

WorkbookData readXlsxFile(const QString &path, int sheetsWithCells)
{
    XlsxPackage package(path);
    WorkbookData workbook;
    workbook.sourcePath = path;
    const QList<XlsxSheetEntry> entries = readXlsxSheetList(package);
    QStringList sharedStrings;
    QList<CellStyle> styles;
    if (sheetsWithCells > 0 && !entries.isEmpty()) {
        sharedStrings = readSharedStrings(package.optionalPart(u"xl/sharedStrings.xml"_s), path);
        styles = readStyles(package.optionalPart(u"xl/styles.xml"_s), path);
    }
    qint64 cellBudget = kMaxCellsRead;
    for (qsizetype i = 0; i < entries.size(); ++i) {
        WorksheetData sheet;
        sheet.name = entries.at(i).name;
        sheet.sourceName = sheet.name;
        sheet.sourceIndex = int(i);
        // Only the sheets that become classes are read; the others are
        // carried over as the file has them when the workbook is saved.
        if (i < sheetsWithCells)
            readSheet(package.part(entries.at(i).part), sheet, sharedStrings, styles, path, cellBudget);
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
