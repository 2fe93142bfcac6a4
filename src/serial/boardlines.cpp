#include "serial/boardlines.h"

namespace vex {

namespace {

QByteArray numberField(const QString &startNumber)
{
    // Three places: a longer number keeps its last digits.
    const QByteArray number = startNumber.trimmed().toLatin1().right(3);
    return number.rightJustified(3, ' ');
}

// HH:MM:SS.zht with leading zeros blanked; shown decimals 1 or 2, the rest
// blank.
QByteArray timeField(qint64 ms, int decimals)
{
    ms = qBound<qint64>(0, ms, 24LL * 3600 * 1000 - 1);
    const qint64 seconds = ms / 1000;
    const int h = int(seconds / 3600);
    const int m = int(seconds / 60 % 60);
    const int s = int(seconds % 60);
    QByteArray text;
    if (h > 0)
        text = QByteArray::number(h).rightJustified(2, ' ') + ':' + QByteArray::number(m).rightJustified(2, '0') + ':'
            + QByteArray::number(s).rightJustified(2, '0');
    else if (m > 0)
        text = "   " + QByteArray::number(m).rightJustified(2, ' ') + ':' + QByteArray::number(s).rightJustified(2, '0');
    else
        text = "      " + QByteArray::number(s).rightJustified(2, ' ');
    const QByteArray fraction = QByteArray::number(ms % 1000).rightJustified(3, '0').left(decimals);
    return text + '.' + fraction.leftJustified(3, ' ');
}

} // namespace

QByteArray boardRunningLine(const QString &startNumber, qint64 ms)
{
    return numberField(startNumber) + '.' + "    " + timeField(ms, 1) + "  \r";
}

QByteArray boardFinishLine(const QString &startNumber, qint64 ms, int rank)
{
    const QByteArray place = rank > 0 && rank < 100 ? QByteArray::number(rank).rightJustified(2, ' ') : "  ";
    return numberField(startNumber) + ' ' + "    " + timeField(ms, 2) + place + '\r';
}

QByteArray boardBlankLine()
{
    return QByteArray(22, ' ') + '\r';
}

} // namespace vex
