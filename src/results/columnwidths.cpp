#include "results/columnwidths.h"

#include "results/resultpage.h"

namespace vex {

namespace {

// value / 100 rounded to the nearest integer, halves to the even neighbour.
qint64 roundHundredthHalfEven(qint64 value)
{
    qint64 q = value / 100;
    qint64 r = value % 100;
    if (r < 0) { // floor division, so the remainder is 0...99
        --q;
        r += 100;
    }
    if (r > 50 || (r == 50 && (q & 1) != 0))
        ++q;
    return q;
}

} // namespace

int ColumnWidthPercent::share(int column) const
{
    return column >= 0 && column < kColumns ? m_shares.at(std::size_t(column)) : 0;
}

void ColumnWidthPercent::setShare(int column, int percent)
{
    if (column >= 0 && column < kColumns)
        m_shares.at(std::size_t(column)) = percent;
}

void ColumnWidthPercent::setClubShown(bool shown)
{
    setShare(ColClub, shown ? 10 : 0);
}

QList<int> computeColumnWidths(int clientWidth, const ColumnWidthPercent &percent)
{
    QList<int> widths(ColumnWidthPercent::kColumns, 0);
    qint64 others = 0;
    for (int c = 0; c < ColumnWidthPercent::kColumns; ++c) {
        if (c == ColName)
            continue;
        qint64 w = roundHundredthHalfEven(qint64(clientWidth) * percent.share(c)) - 1;
        if (w <= 0)
            w = -1;
        widths[c] = int(w);
        others += w;
    }
    widths[ColName] = int(clientWidth - others - 11);
    return widths;
}

} // namespace vex
