// Writing Office Open XML workbooks through libxlsxwriter.
#include "office/automation.h"
#include "office/workbookdata.h"
#include "office/xlsxpackage.h"

#include <xlsxwriter.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace vex {

namespace {

// The library's own texts are English; the operator reads German.
QString reasonOf(lxw_error error)
{
    switch (error) {
    case LXW_ERROR_MEMORY_MALLOC_FAILED:
        return u"kein Speicher"_s;
    case LXW_ERROR_CREATING_XLSX_FILE:
        return u"die Datei lässt sich in diesem Ordner nicht anlegen"_s;
    case LXW_ERROR_CREATING_TMPFILE:
    case LXW_ERROR_READING_TMPFILE:
    case LXW_ERROR_ZIP_FILE_OPERATION:
    case LXW_ERROR_ZIP_FILE_ADD:
    case LXW_ERROR_ZIP_CLOSE:
        return u"Schreibfehler, vielleicht ist der Datenträger voll"_s;
    case LXW_ERROR_SHEETNAME_LENGTH_EXCEEDED:
    case LXW_ERROR_INVALID_SHEETNAME_CHARACTER:
    case LXW_ERROR_SHEETNAME_START_END_APOSTROPHE:
    case LXW_ERROR_SHEETNAME_ALREADY_USED:
        return u"ungültiger Blattname"_s;
    case LXW_ERROR_32_STRING_LENGTH_EXCEEDED:
    case LXW_ERROR_128_STRING_LENGTH_EXCEEDED:
    case LXW_ERROR_255_STRING_LENGTH_EXCEEDED:
    case LXW_ERROR_MAX_STRING_LENGTH_EXCEEDED:
        return u"ein Text ist zu lang"_s;
    default:
        return u"interner Fehler %1 der Arbeitsmappen-Bibliothek"_s.arg(int(error));
    }
}

// Writes the workbook at a path of its own; messages name the file the
// operator chose.
class Writer
{
public:
    Writer(const QString &path, const QString &shownPath)
        : m_path(shownPath)
    {
        lxw_workbook_options options{};
        m_book = workbook_new_opt(QFile::encodeName(path).constData(), &options);
        if (!m_book)
            xlsxNotWritten(m_path, u"kein Speicher"_s);
        m_bold = workbook_add_format(m_book);
        format_set_bold(m_bold);
        m_time = workbook_add_format(m_book);
        format_set_num_format(m_time, kTimeFormat);
        m_boldTime = workbook_add_format(m_book);
        format_set_bold(m_boldTime);
        format_set_num_format(m_boldTime, kTimeFormat);
    }
    ~Writer()
    {
        // A workbook that was not closed on purpose is still closed, so that
        // its memory is freed; the half-written file is removed by the caller.
        if (m_book)
            workbook_close(m_book);
    }
    Writer(const Writer &) = delete;
    Writer &operator=(const Writer &) = delete;

    void setProperties(const WorkbookData &workbook)
    {
        const QByteArray title = workbook.title.toUtf8();
        const QByteArray subject = workbook.subject.toUtf8();
        const QByteArray author = workbook.author.toUtf8();
        const QByteArray comments = workbook.comments.toUtf8();
        lxw_doc_properties properties{};
        properties.title = const_cast<char *>(title.constData());
        properties.subject = const_cast<char *>(subject.constData());
        properties.author = const_cast<char *>(author.constData());
        properties.comments = const_cast<char *>(comments.constData());
        check(workbook_set_properties(m_book, &properties));
    }

    void addSheet(const WorksheetData &sheet)
    {
        lxw_worksheet *ws = workbook_add_worksheet(m_book, sheet.name.toUtf8().constData());
        if (!ws)
            xlsxNotWritten(m_path, u"ungültiger Blattname „%1“"_s.arg(sheet.name));
        // A protocol's eleven columns fit a landscape page across.
        worksheet_set_landscape(ws);
        worksheet_fit_to_pages(ws, 1, 0);
        for (auto it = sheet.columnWidths.cbegin(); it != sheet.columnWidths.cend(); ++it)
            check(worksheet_set_column(ws, lxw_col_t(it.key()), lxw_col_t(it.key()), it.value(), nullptr));
        for (auto r = sheet.rows.cbegin(); r != sheet.rows.cend(); ++r) {
            for (auto c = r->cbegin(); c != r->cend(); ++c)
                writeCell(ws, lxw_row_t(r.key() - 1), lxw_col_t(c.key() - 1), *c);
        }
    }

    void close()
    {
        lxw_workbook *book = std::exchange(m_book, nullptr);
        check(workbook_close(book));
    }

private:
    void writeCell(lxw_worksheet *ws, lxw_row_t row, lxw_col_t column, const WorkbookCell &cell)
    {
        lxw_format *format = cell.bold ? m_bold : nullptr;
        if (!cell.formula.isEmpty()) {
            const QByteArray formula = (u'=' + cell.formula).toUtf8();
            if (cell.kind == WorkbookCell::Kind::Text) {
                check(worksheet_write_formula_str(ws, row, column, formula.constData(), format,
                                                  cell.text.toUtf8().constData()));
            } else {
                lxw_format *numberFormat = format;
                if (cell.kind == WorkbookCell::Kind::Time)
                    numberFormat = cell.bold ? m_boldTime : m_time;
                check(worksheet_write_formula_num(ws, row, column, formula.constData(), numberFormat, cell.number));
            }
            return;
        }
        switch (cell.kind) {
        case WorkbookCell::Kind::Empty:
            if (cell.bold)
                check(worksheet_write_blank(ws, row, column, format));
            break;
        case WorkbookCell::Kind::Number:
            check(worksheet_write_number(ws, row, column, cell.number, format));
            break;
        case WorkbookCell::Kind::Time:
            check(worksheet_write_number(ws, row, column, cell.number, cell.bold ? m_boldTime : m_time));
            break;
        case WorkbookCell::Kind::Text:
            check(worksheet_write_string(ws, row, column, cell.text.toUtf8().constData(), format));
            break;
        }
    }

    void check(lxw_error error)
    {
        if (error != LXW_NO_ERROR)
            xlsxNotWritten(m_path, reasonOf(error));
    }

    QString m_path;
    lxw_workbook *m_book = nullptr;
    lxw_format *m_bold = nullptr;
    lxw_format *m_time = nullptr;
    lxw_format *m_boldTime = nullptr;
};

} // namespace

void writeXlsxFile(const WorkbookData &workbook, const QString &path)
{
    replaceWorkbook(path, [&](const QString &partial) {
        Writer writer(partial, path);
        writer.setProperties(workbook);
        for (const WorksheetData &sheet : workbook.sheets)
            writer.addSheet(sheet);
        writer.close();
    });
}

} // namespace vex
