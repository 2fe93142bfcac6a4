// Reading the older binary workbooks through FreeXL.
#include "office/automation.h"
#include "office/workbookdata.h"
#include "office/xlsnumbers.h"
#include "office/xlsreading.h"

#include <freexl.h>

#include <QFile>
#include <QFileInfo>
#include <QTime>

#include <cmath>

using namespace Qt::StringLiterals;

namespace vex {

namespace {

class XlsHandle
{
public:
    explicit XlsHandle(const QString &path)
    {
        if (freexl_open(QFile::encodeName(path).constData(), &m_handle) != FREEXL_OK) {
            close();
            throw AutomationError(
                u"Die Arbeitsmappe „%1“ ist beschädigt, unvollständig oder kennwortgeschützt und kann nicht gelesen werden."_s
                    .arg(QFileInfo(path).fileName()));
        }
    }
    ~XlsHandle() { close(); }
    XlsHandle(const XlsHandle &) = delete;
    XlsHandle &operator=(const XlsHandle &) = delete;
    const void *get() const { return m_handle; }

private:
    void close()
    {
        if (m_handle)
            freexl_close(m_handle);
        m_handle = nullptr;
    }
    const void *m_handle = nullptr;
};

// FreeXL hands times over as "HH:MM:SS"; the cell held a fraction of a day,
// which the file gives to the hundredth.
WorkbookCell timeCell(const char *text, const QHash<quint32, double> &numbers, quint32 key)
{
    WorkbookCell cell;
    if (const auto it = numbers.constFind(key); it != numbers.cend() && std::isfinite(*it) && *it >= 0) {
        cell.kind = WorkbookCell::Kind::Time;
        cell.number = *it;
        return cell;
    }
    const QTime time = QTime::fromString(QString::fromUtf8(text), u"HH:mm:ss"_s);
    if (time.isValid()) {
        cell.kind = WorkbookCell::Kind::Time;
        cell.number = double(time.msecsSinceStartOfDay()) / (86400.0 * 1000.0);
    } else {
        cell.kind = WorkbookCell::Kind::Text;
        cell.text = QString::fromUtf8(text);
    }
    return cell;
}

} // namespace

WorkbookData readXlsFileInProcess(const QString &path)
{
    const XlsHandle xls(path);
    const auto failed = [&path]() -> AutomationError {
        return AutomationError(u"Die Arbeitsmappe „%1“ ist beschädigt und kann nicht gelesen werden."_s.arg(
            QFileInfo(path).fileName()));
    };

    unsigned int protection = 0;
    if (freexl_get_info(xls.get(), FREEXL_BIFF_PASSWORD, &protection) == FREEXL_OK
        && protection == FREEXL_BIFF_OBFUSCATED) {
        throw AutomationError(u"Die Arbeitsmappe „%1“ ist kennwortgeschützt und kann nicht gelesen werden."_s.arg(
            QFileInfo(path).fileName()));
    }
    unsigned int sheetCount = 0;
    if (freexl_get_info(xls.get(), FREEXL_BIFF_SHEET_COUNT, &sheetCount) != FREEXL_OK)
        throw failed();

    XlsNumbers numbers;
    {
        QFile file(path);
        if (file.open(QIODevice::ReadOnly))
            numbers = readXlsNumbers(file.readAll());
    }
    WorkbookData workbook;
    qint64 cellBudget = kMaxCellsRead;
    for (unsigned short s = 0; s < sheetCount; ++s) {
        WorksheetData sheet;
        const char *name = nullptr;
        if (freexl_get_worksheet_name(xls.get(), s, &name) != FREEXL_OK
            || freexl_select_active_worksheet(xls.get(), s) != FREEXL_OK)
            throw failed();
        sheet.name = QString::fromUtf8(name);
        const QHash<quint32, double> sheetNumbers = numbers.value(sheet.name);
        unsigned int rows = 0;
        unsigned short columns = 0;
        if (freexl_worksheet_dimensions(xls.get(), &rows, &columns) != FREEXL_OK)
            throw failed();
        for (unsigned int r = 0; r < rows && r < unsigned(kMaxSheetRows); ++r) {
            // A damaged dimension record may claim columns no sheet has.
            for (unsigned int c = 0; c < columns && c < unsigned(kMaxSheetColumns); ++c) {
                FreeXL_CellValue value;
                if (freexl_get_cell_value(xls.get(), r, c, &value) != FREEXL_OK)
                    throw failed();
                WorkbookCell cell;
                switch (value.type) {
                case FREEXL_CELL_INT:
                    cell.kind = WorkbookCell::Kind::Number;
                    cell.number = value.value.int_value;
                    break;
                case FREEXL_CELL_DOUBLE:
                    cell.kind = WorkbookCell::Kind::Number;
                    cell.number = value.value.double_value;
                    break;
                case FREEXL_CELL_TEXT:
                case FREEXL_CELL_SST_TEXT:
                case FREEXL_CELL_DATE:
                case FREEXL_CELL_DATETIME:
                    cell.kind = WorkbookCell::Kind::Text;
                    cell.text = QString::fromUtf8(value.value.text_value);
                    break;
                case FREEXL_CELL_TIME:
                    cell = timeCell(value.value.text_value, sheetNumbers, r << 16 | c);
                    break;
                default:
                    break;
                }
                if (cell.kind == WorkbookCell::Kind::Text && cell.text.isEmpty())
                    cell.kind = WorkbookCell::Kind::Empty;
                if (cell.kind != WorkbookCell::Kind::Empty) {
                    if (--cellBudget < 0)
                        throw AutomationError(u"Die Arbeitsmappe „%1“ hat mehr Zellen, als eine Starterliste braucht, und wird nicht gelesen."_s
                                                  .arg(QFileInfo(path).fileName()));
                    sheet.cell(int(r) + 1, int(c) + 1) = cell;
                }
            }
        }
        workbook.sheets.append(std::move(sheet));
    }
    return workbook;
}

} // namespace vex
