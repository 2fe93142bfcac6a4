#include "office/workbookdata.h"

#include "office/automation.h"
#include "office/numbertext.h"
#include "timing/timetext.h"

#include <QFile>
#include <QFileInfo>
#include <QLocale>

#include <cmath>

using namespace Qt::StringLiterals;

namespace vex {

namespace {

constexpr double kMsPerDay = 86400.0 * 1000.0;

} // namespace

QVariant WorkbookCell::value() const
{
    switch (kind) {
    case Kind::Empty:
        return {};
    case Kind::Number:
    case Kind::Time:
        return number;
    case Kind::Text:
        break;
    }
    return text;
}

QString WorkbookCell::displayText() const
{
    switch (kind) {
    case Kind::Empty:
        return {};
    case Kind::Number:
        return spreadsheetNumberText(number);
    case Kind::Time:
        return PadTimeText(MsToText(qint32(std::lround(number * kMsPerDay))));
    case Kind::Text:
        break;
    }
    return text;
}

void WorkbookCell::assign(const WorkbookCell &typed)
{
    const bool keepBold = bold;
    *this = typed;
    bold = keepBold;
}

namespace {

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

// "mm:ss,hh", minutes and seconds below 60.
bool isFullTimeText(QStringView t)
{
    return t.size() == 8 && t[0] >= u'0' && t[0] <= u'5' && isDigit(t[1]) && t[2] == u':' && t[3] >= u'0'
        && t[3] <= u'5' && isDigit(t[4]) && t[5] == u',' && isDigit(t[6]) && isDigit(t[7]);
}

// A number as the spreadsheet would show it again: no leading zeros, no
// trailing zeros after the separator, at most 15 digits before it.
bool isPlainNumberText(QStringView t, QChar point)
{
    qsizetype i = t.startsWith(u'-') ? 1 : 0;
    const qsizetype intStart = i;
    while (i < t.size() && isDigit(t[i]))
        ++i;
    const qsizetype intDigits = i - intStart;
    if (intDigits == 0 || intDigits > 15 || (intDigits > 1 && t[intStart] == u'0'))
        return false;
    if (i == t.size())
        return true;
    if (t[i] != point || i + 1 == t.size())
        return false;
    for (++i; i < t.size(); ++i) {
        if (!isDigit(t[i]))
            return false;
    }
    return t.back() != u'0';
}

} // namespace

WorkbookCell typedCell(const QString &text)
{
    WorkbookCell cell;
    if (text.isEmpty())
        return cell;
    if (isFullTimeText(text)) {
        cell.kind = WorkbookCell::Kind::Time;
        cell.number = double(TextToMs(text)) / kMsPerDay;
        return cell;
    }
    static const QLocale locale = QLocale::system();
    static const QChar point = locale.decimalPoint().size() == 1 ? locale.decimalPoint().at(0) : QChar(u'.');
    if (isPlainNumberText(text, point)) {
        bool ok = false;
        const double value = locale.toDouble(text, &ok);
        if (ok) {
            cell.kind = WorkbookCell::Kind::Number;
            cell.number = value;
            return cell;
        }
    }
    cell.kind = WorkbookCell::Kind::Text;
    cell.text = text;
    return cell;
}

WorkbookCell &WorksheetData::cell(int row, int column)
{
    return rows[row][column];
}

const WorkbookCell *WorksheetData::cellAt(int row, int column) const
{
    const auto r = rows.constFind(row);
    if (r == rows.cend())
        return nullptr;
    const auto c = r->constFind(column);
    return c == r->cend() ? nullptr : &*c;
}

int WorksheetData::lastRow() const
{
    for (auto r = rows.cend(); r != rows.cbegin();) {
        --r;
        for (const WorkbookCell &c : *r) {
            if (c.kind != WorkbookCell::Kind::Empty)
                return r.key();
        }
    }
    return 0;
}

int WorksheetData::lastColumn() const
{
    int last = 0;
    for (const QMap<int, WorkbookCell> &cells : rows) {
        for (auto c = cells.cend(); c != cells.cbegin();) {
            --c;
            if (c.key() <= last)
                break;
            if (c->kind != WorkbookCell::Kind::Empty) {
                last = c.key();
                break;
            }
        }
    }
    return last;
}

} // namespace vex
