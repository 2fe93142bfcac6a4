#pragma once

#include <QList>
#include <QString>
#include <QVariant>

#include <exception>
#include <memory>

namespace vex {

// A failed automation call. Every member of the interfaces below may throw it;
// the message is shown to the operator as it is, so servers write it in German.
class AutomationError : public std::exception
{
public:
    explicit AutomationError(QString message)
        : m_message(std::move(message))
        , m_utf8(m_message.toUtf8())
    {
    }
    const QString &message() const { return m_message; }
    const char *what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_message;
    QByteArray m_utf8;
};

// The spreadsheet program's object model, as far as the exchange needs it.
// Members are named after the automation members they stand for; the comment
// gives the automation spelling. Row and column numbers count from 1.

// A rectangular block of cells ("Range", also what "Cells" and "UsedRange" give).
class ExcelRange
{
public:
    virtual ~ExcelRange() = default;
    // Top-left cell of the block ("Row", "Column").
    virtual int row() const = 0;
    virtual int column() const = 0;
    // "Rows.Count"
    virtual int rowsCount() = 0;
    // "Value", read: rows first, each row one value per column. An empty cell
    // is an invalid QVariant, a number or time a double, anything else a text.
    virtual QList<QVariantList> value() = 0;
    // "Value", written: the values as if typed into the cells.
    virtual void setValue(const QList<QVariantList> &rows) = 0;
    // "Columns.Autofit"
    virtual void autofitColumns() = 0;
    // "Font.FontStyle" :=
    virtual void setFontStyle(const QString &style) = 0;
};

class ExcelSheet
{
public:
    virtual ~ExcelSheet() = default;
    // "Name"
    virtual QString name() = 0;
    virtual void setName(const QString &name) = 0;
    // "UsedRange"
    virtual std::unique_ptr<ExcelRange> usedRange() = 0;
    // "Cells(row, column)"
    virtual std::unique_ptr<ExcelRange> cells(int row, int column) = 0;
    // "Range(first, last)": the block between two cells.
    virtual std::unique_ptr<ExcelRange> range(const ExcelRange &first, const ExcelRange &last) = 0;
};

class ExcelWorkbook
{
public:
    virtual ~ExcelWorkbook() = default;
    // "Author", "Comments", "Title", "Subject" :=
    virtual void setAuthor(const QString &text) = 0;
    virtual void setComments(const QString &text) = 0;
    virtual void setTitle(const QString &text) = 0;
    virtual void setSubject(const QString &text) = 0;
    // "WorkSheets.Count"
    virtual int worksheetsCount() = 0;
    // "WorkSheets(number)"; the workbook keeps the sheet.
    virtual ExcelSheet &worksheet(int number) = 0;
    // "WorkSheets.Add(After:=WorkSheets(WorkSheets.Count))": a new empty
    // sheet after the last one, under a name no other sheet has.
    virtual ExcelSheet &addWorksheet() = 0;
    // "SaveAs(path)"
    virtual void saveAs(const QString &path) = 0;
};

// "Excel.Application"
class ExcelApplication
{
public:
    virtual ~ExcelApplication() = default;
    virtual void setDisplayAlerts(bool on) = 0;
    virtual void setEnableEvents(bool on) = 0;
    virtual void setVisible(bool on) = 0;
    // "SheetsInNewWorkbook" := the number of sheets the next "WorkBooks.Add" makes.
    virtual void setSheetsInNewWorkbook(int count) = 0;
    virtual void quit() = 0;
    // "WorkBooks.Open(path)" and "WorkBooks.Add"; the application keeps the workbook.
    virtual ExcelWorkbook &workbooksOpen(const QString &path) = 0;
    virtual ExcelWorkbook &workbooksAdd() = 0;
};

// "Word.Basic": the word processor's command interface.
class WordBasic
{
public:
    virtual ~WordBasic() = default;
    virtual void AppMaximize() = 0;
    virtual void AppMinimize() = 0;
    virtual void FileOpen(const QString &path) = 0;
    virtual void FileNew() = 0;
    virtual void Insert(const QString &text) = 0;
    virtual void FileSaveAs(const QString &path) = 0;
    virtual void AppClose() = 0;
};

inline const QString kExcelProgId = QStringLiteral("Excel.Application");
inline const QString kWordProgId = QStringLiteral("Word.Basic");

// The registered automation servers by their prog ids.
class AutomationServers
{
public:
    virtual ~AutomationServers() = default;
    virtual bool IsProgIdRegistered(const QString &progId) const = 0;
    // A new server object of kExcelProgId or kWordProgId; throws
    // AutomationError when there is none.
    virtual std::unique_ptr<ExcelApplication> createExcelApplication() = 0;
    virtual std::unique_ptr<WordBasic> createWordBasic() = 0;
};

} // namespace vex
