#include "app/cfgexchange.h"

#include <algorithm>

using namespace Qt::StringLiterals;

namespace vex {

QStringList PortEntries(const QList<int> &ports)
{
    QList<int> sorted = ports;
    std::sort(sorted.begin(), sorted.end());
    sorted.erase(std::unique(sorted.begin(), sorted.end()), sorted.end());
    QStringList entries{u"Kein"_s};
    for (int port : std::as_const(sorted)) {
        if (port > 0)
            entries << u"COM"_s + QString::number(port);
    }
    return entries;
}

int PortFromEntry(QStringView entry)
{
    if (!entry.startsWith(u"COM"))
        return 0;
    bool ok = false;
    const int port = entry.mid(3).toInt(&ok);
    return ok && port > 0 ? port : 0;
}

QStringList ScreenEntries(const QList<QRect> &screens)
{
    if (screens.size() <= 1)
        return {u"nicht angeschlossen"_s};
    QStringList entries;
    for (qsizetype i = 0; i < screens.size(); ++i) {
        const QRect &r = screens.at(i);
        entries << u"%1=(%2,%3)-(%4,%5)"_s.arg(i + 1).arg(r.left()).arg(r.top()).arg(r.width()).arg(r.height());
    }
    return entries;
}

QString ExcelCellText(int column, int row)
{
    return QString(QChar(char16_t(u'A' + column))) + QString::number(row);
}

void ReadExcelCell(QStringView text, int &column, int &row)
{
    // A letter and a row from 1 on; anything else ("C", "A0F") names no
    // cell and leaves the start cell as it was.
    if (text.size() < 2 || text.size() > 3 || text.at(0) < u'A' || text.at(0) > u'Z')
        return;
    bool ok = false;
    const int number = text.mid(1).toInt(&ok);
    if (!ok || number < 1 || !text.at(1).isDigit() || !text.back().isDigit())
        return;
    column = text.at(0).unicode() - u'A';
    row = number;
}

QValidator::State ExcelCellValidator::validate(QString &input, int &) const
{
    input = input.toUpper();
    if (input.size() > 3)
        return Invalid;
    for (qsizetype i = 0; i < input.size(); ++i) {
        const QChar c = input.at(i);
        const bool letter = c >= u'A' && c <= u'F';
        const bool digit = c >= u'0' && c <= u'9';
        if (!(letter || (digit && i > 0)))
            return Invalid;
    }
    return Acceptable;
}

} // namespace vex
