#include "office/workbookdata.h"

#include "office/automation.h"
#include "timing/timetext.h"

#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QRegularExpression>

#include <cmath>

using namespace Qt::StringLiterals;

namespace vex {

namespace {

constexpr double kMsPerDay = 86400.0 * 1000.0;

QString numberDisplay(double number)
{
    if (std::isfinite(number) && number == std::trunc(number) && std::fabs(number) < 1e15)
        return QString::number(qint64(number));
    QLocale locale = QLocale::system();
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    return locale.toString(number, 'g', 15);
}

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
        return numberDisplay(number);
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

WorkbookCell typedCell(const QString &text)
{
    WorkbookCell cell;
    if (text.isEmpty())
        return cell;

    // Only numbers written the way they are shown come back as the same text.
    static const QRegularExpression time(u"^[0-5][0-9]:[0-5][0-9],[0-9][0-9]$"_s);
    const QString point = QLocale::system().decimalPoint();
    const QRegularExpression number(u"^-?(0|[1-9][0-9]{0,14})("_s + QRegularExpression::escape(point)
                                    + u"[0-9]*[1-9])?$"_s);
    if (time.match(text).hasMatch()) {
        cell.kind = WorkbookCell::Kind::Time;
        cell.number = double(TextToMs(text)) / kMsPerDay;
    } else if (number.match(text).hasMatch()) {
        QLocale locale = QLocale::system();
        bool ok = false;
        const double value = locale.toDouble(text, &ok);
        if (ok) {
            cell.kind = WorkbookCell::Kind::Number;
            cell.number = value;
        } else {
            cell.kind = WorkbookCell::Kind::Text;
            cell.text = text;
        }
    } else {
        cell.kind = WorkbookCell::Kind::Text;
        cell.text = text;
    }
    return cell;
}

WorkbookCell &WorksheetData::cell(int row, int column)
{
    if (rows.size() < row)
        rows.resize(row);
    QList<WorkbookCell> &cells = rows[row - 1];
    if (cells.size() < column)
        cells.resize(column);
    return cells[column - 1];
}

const WorkbookCell *WorksheetData::cellAt(int row, int column) const
{
    if (row < 1 || row > rows.size())
        return nullptr;
    const QList<WorkbookCell> &cells = rows.at(row - 1);
    if (column < 1 || column > cells.size())
        return nullptr;
    return &cells.at(column - 1);
}

int WorksheetData::lastRow() const
{
    for (qsizetype r = rows.size(); r > 0; --r) {
        for (const WorkbookCell &c : rows.at(r - 1)) {
            if (c.kind != WorkbookCell::Kind::Empty)
                return int(r);
        }
    }
    return 0;
}

int WorksheetData::lastColumn() const
{
    int last = 0;
    for (const QList<WorkbookCell> &cells : rows) {
        for (qsizetype c = cells.size(); c > last; --c) {
            if (cells.at(c - 1).kind != WorkbookCell::Kind::Empty) {
                last = int(c);
                break;
            }
        }
    }
    return last;
}

WorkbookData readWorkbookFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        throw AutomationError(u"Die Datei „%1“ kann nicht geöffnet werden."_s.arg(QFileInfo(path).fileName()));
    }
    const QByteArray head = file.read(8);
    file.close();
    if (head.startsWith("PK\x03\x04"))
        return readXlsxFile(path);
    if (head.startsWith("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1"))
        return readXlsFile(path);
    throw AutomationError(u"Die Datei „%1“ ist keine Excel-Arbeitsmappe."_s.arg(QFileInfo(path).fileName()));
}

} // namespace vex
