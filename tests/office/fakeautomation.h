#pragma once

// A recording stand-in for the spreadsheet and the word processor: every
// member called is logged as one line in automation spelling, and any call
// can be made to fail.

#include "office/automation.h"
#include "office/officeprogress.h"

#include <QStringList>

#include <deque>
#include <memory>

namespace vex::testing {

struct AutomationLog
{
    QStringList calls;
    // A call whose log line starts with this text throws.
    QString failOn;

    void record(const QString &call)
    {
        calls.append(call);
        if (!failOn.isEmpty() && call.startsWith(failOn))
            throw AutomationError(QStringLiteral("Testfehler bei ") + call);
    }
};

inline QString columnLetters(int column)
{
    QString letters;
    for (; column > 0; column = (column - 1) / 26)
        letters.prepend(QChar(u'A' + (column - 1) % 26));
    return letters;
}

inline QString cellName(int row, int column)
{
    return columnLetters(column) + QString::number(row);
}

struct FakeSheetData
{
    QString name;
    // Rows from sheet row 1 and column A; also what "Value" writes land in.
    QList<QVariantList> cells;
    int usedRows = 0;
};

class FakeRange final : public ExcelRange
{
public:
    FakeRange(AutomationLog &log, FakeSheetData &sheet, QString prefix, int row, int column, int lastRow,
              int lastColumn)
        : m_log(log)
        , m_sheet(sheet)
        , m_prefix(std::move(prefix))
        , m_row(row)
        , m_column(column)
        , m_lastRow(lastRow)
        , m_lastColumn(lastColumn)
    {
    }
    int row() const override { return m_row; }
    int column() const override { return m_column; }
    int rowsCount() override
    {
        m_log.record(m_prefix + QStringLiteral(".Rows.Count"));
        return m_lastRow - m_row + 1;
    }
    QList<QVariantList> value() override
    {
        m_log.record(m_prefix + QStringLiteral(".Value"));
        QList<QVariantList> rows;
        for (int r = m_row; r <= m_lastRow; ++r) {
            QVariantList &values = rows.emplace_back();
            for (int c = m_column; c <= m_lastColumn; ++c)
                values.append(m_sheet.cells.value(r - 1).value(c - 1));
        }
        return rows;
    }
    void setValue(const QList<QVariantList> &rows) override
    {
        m_log.record(m_prefix + QStringLiteral(".Value:=%1x%2").arg(rows.size()).arg(rows.value(0).size()));
        for (int i = 0; i < rows.size(); ++i) {
            for (int j = 0; j < rows.at(i).size(); ++j) {
                const int r = m_row + i;
                const int c = m_column + j;
                if (m_sheet.cells.size() < r)
                    m_sheet.cells.resize(r);
                if (m_sheet.cells[r - 1].size() < c)
                    m_sheet.cells[r - 1].resize(c);
                m_sheet.cells[r - 1][c - 1] = rows.at(i).at(j);
            }
        }
    }
    void autofitColumns() override { m_log.record(m_prefix + QStringLiteral(".Columns.Autofit")); }
    void setFontStyle(const QString &style) override
    {
        m_log.record(m_prefix + QStringLiteral(".Font.FontStyle:=") + style);
    }

private:
    AutomationLog &m_log;
    FakeSheetData &m_sheet;
    QString m_prefix;
    int m_row;
    int m_column;
    int m_lastRow;
    int m_lastColumn;
};

class FakeSheet final : public ExcelSheet
{
public:
    FakeSheet(AutomationLog &log, FakeSheetData &data, int number)
        : m_log(log)
        , m_data(data)
        , m_prefix(QStringLiteral("WorkSheets(%1)").arg(number))
    {
    }
    QString name() override
    {
        m_log.record(m_prefix + QStringLiteral(".Name"));
        return m_data.name;
    }
    void setName(const QString &name) override
    {
        m_log.record(m_prefix + QStringLiteral(".Name:=") + name);
        m_data.name = name;
    }
    std::unique_ptr<ExcelRange> usedRange() override
    {
        m_log.record(m_prefix + QStringLiteral(".UsedRange"));
        return std::make_unique<FakeRange>(m_log, m_data, m_prefix + QStringLiteral(".UsedRange"), 1, 1,
                                           std::max(1, m_data.usedRows), 1);
    }
    // Cells are not logged on their own: they only ever name a range's corners.
    std::unique_ptr<ExcelRange> cells(int row, int column) override
    {
        return std::make_unique<FakeRange>(m_log, m_data, m_prefix + QStringLiteral(".Cells"), row, column, row,
                                           column);
    }
    std::unique_ptr<ExcelRange> range(const ExcelRange &first, const ExcelRange &last) override
    {
        const QString name = QStringLiteral(".Range(%1:%2)")
                                 .arg(cellName(first.row(), first.column()), cellName(last.row(), last.column()));
        return std::make_unique<FakeRange>(m_log, m_data, m_prefix + name, first.row(), first.column(), last.row(),
                                           last.column());
    }

private:
    AutomationLog &m_log;
    FakeSheetData &m_data;
    QString m_prefix;
};

class FakeWorkbook final : public ExcelWorkbook
{
public:
    FakeWorkbook(AutomationLog &log, std::deque<FakeSheetData> &sheets)
        : m_log(log)
        , m_data(sheets)
    {
        for (std::size_t i = 0; i < sheets.size(); ++i)
            m_sheets.push_back(std::make_unique<FakeSheet>(log, sheets[i], int(i) + 1));
    }
    void setAuthor(const QString &text) override { m_log.record(QStringLiteral("Author:=") + text); }
    void setComments(const QString &text) override { m_log.record(QStringLiteral("Comments:=") + text); }
    void setTitle(const QString &text) override { m_log.record(QStringLiteral("Title:=") + text); }
    void setSubject(const QString &text) override { m_log.record(QStringLiteral("Subject:=") + text); }
    int worksheetsCount() override
    {
        m_log.record(QStringLiteral("WorkSheets.Count"));
        return int(m_sheets.size());
    }
    ExcelSheet &worksheet(int number) override
    {
        if (number < 1 || number > int(m_sheets.size()))
            throw AutomationError(QStringLiteral("kein Blatt %1").arg(number));
        return *m_sheets.at(std::size_t(number - 1));
    }
    ExcelSheet &addWorksheet() override
    {
        m_log.record(QStringLiteral("WorkSheets.Add"));
        m_data.push_back({QStringLiteral("Tabelle%1").arg(m_data.size() + 1), {}, 0});
        m_sheets.push_back(std::make_unique<FakeSheet>(m_log, m_data.back(), int(m_data.size())));
        return *m_sheets.back();
    }
    void saveAs(const QString &path) override { m_log.record(QStringLiteral("SaveAs(") + path + u')'); }

private:
    AutomationLog &m_log;
    std::deque<FakeSheetData> &m_data;
    std::vector<std::unique_ptr<FakeSheet>> m_sheets;
};

// The workbook "Open" gives is `sheets`; "Add" makes `SheetsInNewWorkbook`
// empty sheets in it.
class FakeExcel final : public ExcelApplication
{
public:
    FakeExcel(AutomationLog &log, std::deque<FakeSheetData> &sheets)
        : m_log(log)
        , m_sheets(sheets)
    {
    }
    void setDisplayAlerts(bool on) override { m_log.record(QStringLiteral("DisplayAlerts:=") + flag(on)); }
    void setEnableEvents(bool on) override { m_log.record(QStringLiteral("EnableEvents:=") + flag(on)); }
    void setVisible(bool on) override { m_log.record(QStringLiteral("Visible:=") + flag(on)); }
    void setSheetsInNewWorkbook(int count) override
    {
        m_log.record(QStringLiteral("SheetsInNewWorkbook:=%1").arg(count));
        m_newSheets = count;
    }
    void quit() override { m_log.record(QStringLiteral("Quit")); }
    ExcelWorkbook &workbooksOpen(const QString &path) override
    {
        m_log.record(QStringLiteral("WorkBooks.Open(") + path + u')');
        m_workbook = std::make_unique<FakeWorkbook>(m_log, m_sheets);
        return *m_workbook;
    }
    ExcelWorkbook &workbooksAdd() override
    {
        m_log.record(QStringLiteral("WorkBooks.Add"));
        m_sheets.clear();
        for (int i = 1; i <= m_newSheets; ++i)
            m_sheets.push_back({QStringLiteral("Tabelle%1").arg(i), {}, 0});
        m_workbook = std::make_unique<FakeWorkbook>(m_log, m_sheets);
        return *m_workbook;
    }

private:
    static QString flag(bool on) { return on ? QStringLiteral("true") : QStringLiteral("false"); }
    AutomationLog &m_log;
    std::deque<FakeSheetData> &m_sheets;
    std::unique_ptr<FakeWorkbook> m_workbook;
    int m_newSheets = 1;
};

class FakeWord final : public WordBasic
{
public:
    explicit FakeWord(AutomationLog &log)
        : m_log(log)
    {
    }
    void AppMaximize() override { m_log.record(QStringLiteral("AppMaximize")); }
    void AppMinimize() override { m_log.record(QStringLiteral("AppMinimize")); }
    void FileOpen(const QString &path) override { m_log.record(QStringLiteral("FileOpen(") + path + u')'); }
    void FileNew() override { m_log.record(QStringLiteral("FileNew")); }
    void Insert(const QString &text) override { m_log.record(QStringLiteral("Insert(") + text + u')'); }
    void FileSaveAs(const QString &path) override { m_log.record(QStringLiteral("FileSaveAs(") + path + u')'); }
    void AppClose() override { m_log.record(QStringLiteral("AppClose")); }

private:
    AutomationLog &m_log;
};

class FakeServers final : public AutomationServers
{
public:
    AutomationLog log;
    // The sheets of the workbook the spreadsheet opens, or that it adds.
    std::deque<FakeSheetData> sheets;
    bool registered = true;

    bool IsProgIdRegistered(const QString &) const override { return registered; }
    std::unique_ptr<ExcelApplication> createExcelApplication() override
    {
        log.calls.append(QStringLiteral("CreateObject(Excel.Application)"));
        if (!registered)
            throw AutomationError(QStringLiteral("nicht eingerichtet"));
        return std::make_unique<FakeExcel>(log, sheets);
    }
    std::unique_ptr<WordBasic> createWordBasic() override
    {
        log.calls.append(QStringLiteral("CreateObject(Word.Basic)"));
        if (!registered)
            throw AutomationError(QStringLiteral("nicht eingerichtet"));
        return std::make_unique<FakeWord>(log);
    }
};

class RecordingProgress final : public OfficeProgress
{
public:
    QStringList events;
    void showProgress() override { events.append(QStringLiteral("show")); }
    void setProgressCaption(const QString &caption) override { events.append(QStringLiteral("caption ") + caption); }
    void setProgressMaximum(int maximum) override { events.append(QStringLiteral("max %1").arg(maximum)); }
    void setProgress(int value) override { events.append(QStringLiteral("value %1").arg(value)); }
    void closeProgress() override { events.append(QStringLiteral("close")); }
};

} // namespace vex::testing
