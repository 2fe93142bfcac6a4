#include "results/startorder.h"

#include <QHash>

#include <algorithm>

namespace vex {

namespace {

bool holdsAnything(const QStringList &cells)
{
    return std::any_of(cells.cbegin(), cells.cend(), [](const QString &t) { return !isBlankCell(t); });
}

int placeNumber(const QString &text)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok, 10);
    return ok && value > 0 ? value : 0;
}

// A small generator of our own: the standard distributions are free to differ
// between libraries, and a drawn order must come out the same everywhere.
struct SplitMix
{
    quint64 state;
    quint64 next()
    {
        quint64 z = (state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // Uniform in 0...bound - 1, without the bias of a plain modulo.
    quint64 below(quint64 bound)
    {
        const quint64 limit = ~quint64(0) - (~quint64(0) % bound);
        quint64 v;
        do {
            v = next();
        } while (v >= limit);
        return v % bound;
    }
};

} // namespace

QList<RowId> currentRowOrder(const ResultPage &page)
{
    QList<RowId> ids;
    ids.reserve(page.dataRows());
    for (int row = 1; row < page.rows(); ++row)
        ids.append(page.rowId(row));
    return ids;
}

QList<RowId> drawStartOrder(const ResultPage &page, quint32 seed)
{
    QList<RowId> drivers;
    QList<RowId> empty;
    for (int row = 1; row < page.rows(); ++row)
        (holdsAnything(page.row(row)) ? drivers : empty).append(page.rowId(row));
    SplitMix random{seed};
    for (qsizetype i = drivers.size() - 1; i > 0; --i)
        std::swap(drivers[i], drivers[qsizetype(random.below(quint64(i + 1)))]);
    return drivers + empty;
}

QList<RowId> reverseResultOrder(const ResultPage &page)
{
    QList<RowId> unplaced;
    QList<std::pair<int, RowId>> placed;
    QList<RowId> empty;
    for (int row = 1; row < page.rows(); ++row) {
        const QStringList &cells = page.row(row);
        if (!holdsAnything(cells)) {
            empty.append(page.rowId(row));
            continue;
        }
        const int place = isBlankCell(cells.at(ColTotal)) ? 0 : placeNumber(cells.at(ColPlace));
        if (place > 0)
            placed.append({place, page.rowId(row)});
        else
            unplaced.append(page.rowId(row));
    }
    std::reverse(placed.begin(), placed.end());
    std::stable_sort(placed.begin(), placed.end(), [](const auto &a, const auto &b) { return a.first > b.first; });
    QList<RowId> order = unplaced;
    for (const auto &p : placed)
        order.append(p.second);
    return order + empty;
}

bool applyRowOrder(ResultPage &page, const QList<RowId> &order)
{
    if (order.size() != page.dataRows())
        return false;
    QList<int> rows;
    rows.reserve(order.size());
    for (const RowId id : order) {
        const int row = page.rowOfId(id);
        if (row < 1)
            return false;
        rows.append(row);
    }
    return page.reorderDataRows(rows);
}

} // namespace vex
