#pragma once

#include <QList>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QValidator>

namespace vex {

// The texts of the settings dialog's lists and fields, and the way back from
// them to setting values.

// "Kein", then "COM"n for each port present, in ascending order.
QStringList PortEntries(const QList<int> &ports);
// The port number of an entry: 12 for "COM12", 0 for "Kein" or anything else.
int PortFromEntry(QStringView entry);

// "%d=(%d,%d)-(%d,%d)" for each screen: number from 1, left, top, width,
// height. A single screen (or none) gives the one entry "nicht angeschlossen".
QStringList ScreenEntries(const QList<QRect> &screens);

// The start cell of Excel start lists as typed: column letter and row, "A6".
QString ExcelCellText(int column, int row);
// Column from the first letter (A is 0), row from the one or two digits
// after it. A text that names no cell (empty, "C", "A0", "A0F") changes
// nothing.
void ReadExcelCell(QStringView text, int &column, int &row);

// The key filter of the start-cell field: at most three characters, a letter
// A to F first, then digits or letters A to F; typed in either case, kept in
// upper case. A digit first would give a negative column.
class ExcelCellValidator : public QValidator
{
    Q_OBJECT
public:
    using QValidator::QValidator;
    State validate(QString &input, int &pos) const override;
};

} // namespace vex
