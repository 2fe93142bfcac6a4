#pragma once

#include <QList>
#include <QMap>
#include <QString>
#include <QVariant>

#include <set>
#include <utility>

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
    // Row to column to cell, both counted from 1. Only cells that hold
    // something are kept: a sheet with one cell far out to the right costs
    // that one cell.
    QMap<int, QMap<int, WorkbookCell>> rows;
    // Column (from 0) to width in characters, for columns of their own width.
    QMap<int, double> columnWidths;
    // Where the sheet stands in the file it was read from (-1: a new sheet)
    // and the name it had there.
    int sourceIndex = -1;
    QString sourceName;
    // The cells written since, (row, column).
    std::set<std::pair<int, int>> written;

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
    // The Office Open XML file the workbook was read from, which saving
    // patches instead of writing anew; empty for a new or a binary workbook.
    QString sourcePath;
    QString author;
    QString comments;
    QString title;
    QString subject;
};

// The limits of a sheet in the file formats.
inline constexpr int kMaxSheetRows = 1048576;
inline constexpr int kMaxSheetColumns = 16384;
// The sheets whose cells are read: those that can become classes.
inline constexpr int kMaxSheetsRead = 10;
// More cells than any start list holds; a file with more is refused.
inline constexpr qint64 kMaxCellsRead = 1000000;

// Reads a workbook file, Office Open XML or the older binary format, told
// apart by their first bytes: the names of all sheets, the cells of the
// first sheetsWithCells. Throws AutomationError with a German message.
WorkbookData readWorkbookFile(const QString &path, int sheetsWithCells = kMaxSheetsRead);
WorkbookData readXlsxFile(const QString &path, int sheetsWithCells = kMaxSheetsRead);
WorkbookData readXlsFile(const QString &path);

// Writes the workbook into a copy of its source file: the parts of the
// sheets it wrote cells into, its new sheets and names change, everything
// else of the file stays as it was. Throws AutomationError.
void patchXlsxFile(const WorkbookData &workbook, const QString &path);

// Writes Office Open XML; the file at path is replaced only when the new one
// is complete. Throws AutomationError.
void writeXlsxFile(const WorkbookData &workbook, const QString &path);

// The number format of time cells.
inline constexpr char kTimeFormat[] = "mm:ss.00";

} // namespace vex
