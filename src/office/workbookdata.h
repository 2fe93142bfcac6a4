#pragma once

#include <QList>
#include <QMap>
#include <QString>
#include <QVariant>

namespace vex {

// One cell of the workbook model: what it holds and the two formats the
// protocol uses, bold text and a time of day shown as minutes:seconds,hundredths.
struct WorkbookCell
{
    enum class Kind : quint8 { Empty, Number, Time, Text };
    Kind kind = Kind::Empty;
    bool bold = false;
    // Number, or for Time the fraction of a day.
    double number = 0;
    QString text;
    // A formula (without "="), whose last result the cell holds.
    QString formula;

    // As the automation "Value" gives it: invalid, a double or a text.
    QVariant value() const;
    // As the spreadsheet shows it, for fitting the column widths.
    QString displayText() const;
    // Keeps the format, replaces what the cell holds.
    void assign(const WorkbookCell &typed);
};

// Texts become what a spreadsheet makes of them when they are typed: a
// plain number (the system's decimal separator) a number, a time text of the
// full "mm:ss,hh" form a time, anything else stays text.
WorkbookCell typedCell(const QString &text);

struct WorksheetData
{
    QString name;
    // rows[r][c] is sheet row r + 1, column c + 1; rows are as long as their
    // last cell needs.
    QList<QList<WorkbookCell>> rows;
    // Column (from 0) to width in characters, for columns of their own width.
    QMap<int, double> columnWidths;

    // The cell, made when missing; row and column count from 1.
    WorkbookCell &cell(int row, int column);
    const WorkbookCell *cellAt(int row, int column) const;
    // The last row and column holding anything, 0 when the sheet is empty.
    int lastRow() const;
    int lastColumn() const;
};

struct WorkbookData
{
    QList<WorksheetData> sheets;
    QString author;
    QString comments;
    QString title;
    QString subject;
};

// The limits of a sheet in the file formats.
inline constexpr int kMaxSheetRows = 1048576;
inline constexpr int kMaxSheetColumns = 16384;

// Reads a workbook file, Office Open XML or the older binary format, told
// apart by their first bytes. Throws AutomationError with a German message.
WorkbookData readWorkbookFile(const QString &path);
WorkbookData readXlsxFile(const QString &path);
WorkbookData readXlsFile(const QString &path);

// Writes Office Open XML; the file at path is replaced only when the new one
// is complete. Throws AutomationError.
void writeXlsxFile(const WorkbookData &workbook, const QString &path);

// The number format of time cells.
inline constexpr char kTimeFormat[] = "mm:ss.00";

} // namespace vex
