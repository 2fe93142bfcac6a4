#include "results/ranking.h"

#include "results/nearlysorted.h"
#include "results/regulation.h"
#include "results/resultpage.h"
#include "results/runcell.h"
#include "timing/timetext.h"

#include <QHash>
#include <QStringList>

#include <algorithm>
#include <limits>
#include <vector>

using namespace Qt::StringLiterals;

namespace vex {

namespace {

constexpr int kWeightDis = 18;
constexpr int kWeightNoTime = 19;
constexpr int kWeightBlank = 20;

// Lengths rank valid totals among themselves; the three no-time kinds follow.
// A text of 18 or more characters weighs like one of them; it is never a
// time (time texts have at most eight characters), so where it lands among
// them does not matter.
int resultWeight(const QString &text)
{
    if (isBlankCell(text))
        return kWeightBlank;
    // "DIS" sorts as such in any case; the length test first keeps the
    // ranking free of needless comparisons.
    if (text.size() == kDisMark.size() && QStringView(text).compare(kDisMark, Qt::CaseInsensitive) == 0)
        return kWeightDis;
    if (readRunCell(text).isNoTime())
        return kWeightNoTime;
    return int(std::min<qsizetype>(text.size(), std::numeric_limits<int>::max()));
}

int sign(int v)
{
    return (v > 0) - (v < 0);
}

// One data row's sort key, computed once per ranking instead of once per
// comparison. The grid compares lower-cased texts. Totals are short ASCII
// texts, so most keys fit into one integer: up to eight character codes,
// first character in the high byte and zeros after the end, which orders
// exactly as comparing the texts character by character would. Other texts
// are compared as strings.
//
// The key also keeps what the places need of its row, read in the same pass
// as the total: each row's cells lie in memory blocks of their own, and the
// places pass then never goes back to them except to write a changed place.
struct SortKey
{
    quint64 packed;
    const QString *total; // the row's total cell; cells stay put when rows move
    int weight;
    int row;
    int placeNumber; // the place cell as a plain positive number, else -1
    bool isPacked;
    bool noTime;     // the total is no time: the driver gets no place
    bool disMark;    // the total is exactly "-"
    bool placeIsDis; // the place cell reads "DIS"
    bool placeEmpty; // the place cell is empty
    int tieClass;    // among equal totals: rows of one class share a place
};

constexpr qsizetype kPackedChars = 8;

// The key of a total that is pure ASCII and at most eight characters long,
// taken without building the lower-case copy; false for any other text.
bool packAsciiKey(const QString &text, SortKey &key)
{
    const qsizetype n = text.size();
    if (n == 0 || n > kPackedChars)
        return false;
    quint64 packed = 0;
    bool blank = true;
    for (qsizetype i = 0; i < n; ++i) {
        char16_t c = text.at(i).unicode();
        if (c == 0 || c > 0x7f)
            return false;
        if (c >= u'A' && c <= u'Z')
            c += u'a' - u'A';
        blank = blank && c <= 0x20;
        packed |= quint64(c) << (8 * (kPackedChars - 1 - i));
    }
    // Only texts as short as a mark need the full weighing.
    if (blank)
        key.weight = kWeightBlank;
    else if (n == kDisMark.size() || n == kDisqualifiedMark.size())
        key.weight = resultWeight(text);
    else
        key.weight = int(n);
    key.packed = packed;
    key.isPacked = true;
    return true;
}

QString unpackKey(quint64 packed)
{
    QString text;
    for (qsizetype i = 0; i < kPackedChars; ++i) {
        const auto c = char16_t((packed >> (8 * (kPackedChars - 1 - i))) & 0xff);
        if (c == 0)
            break;
        text.append(QChar(c));
    }
    return text;
}

// The positive number a place text is the plain decimal text of, else -1.
int plainNumber(const QString &text)
{
    const qsizetype n = text.size();
    if (n == 0 || n > 9 || text.front() == u'0')
        return -1;
    int value = 0;
    for (const QChar c : text) {
        if (c < u'0' || c > u'9')
            return -1;
        value = value * 10 + (c.unicode() - u'0');
    }
    return value;
}

// Whether two counted rows hold different totals: different keys always
// mean different texts; equal keys (or texts without one) are compared.
bool totalsDiffer(const SortKey &a, const SortKey &b)
{
    if (a.isPacked && b.isPacked && a.packed != b.packed)
        return true;
    return *a.total != *b.total;
}

// Under the better-run rule, drivers of equal totals are ordered by their
// counted runs, best first; those equal in every counted run still share a
// place. Only the rare groups of equal totals are looked at, so the rule
// costs the ranking next to nothing.
void breakTies(const ResultPage &page, std::vector<SortKey> &keys)
{
    std::size_t i = 0;
    while (i < keys.size()) {
        std::size_t j = i + 1;
        if (!keys[i].noTime) {
            while (j < keys.size() && !keys[j].noTime && !totalsDiffer(keys[i], keys[j]))
                ++j;
        }
        if (j - i > 1) {
            std::vector<std::pair<RowScore, SortKey>> group;
            group.reserve(j - i);
            for (std::size_t k = i; k < j; ++k)
                group.emplace_back(page.score(keys[k].row), keys[k]);
            std::stable_sort(group.begin(), group.end(), [](const auto &a, const auto &b) {
                return compareCountedRuns(a.first, b.first) < 0;
            });
            int tieClass = 0;
            for (std::size_t k = 0; k < group.size(); ++k) {
                if (k > 0 && compareCountedRuns(group[k - 1].first, group[k].first) != 0)
                    ++tieClass;
                keys[i + k] = group[k].second;
                keys[i + k].tieClass = tieClass;
            }
        }
        i = j;
    }
}

QString driverLabel(const ResultPage &page, int row)
{
    return page.cell(row, ColStNr) + u' ' + page.cell(row, ColName);
}

// The leader by the ranking's rule, wherever the rows stand (a start order
// puts them out of result order): the lowest total, and of equal totals the
// first in row order, or under the better-run tie-break the better runs.
RankResult bestOf(const ResultPage &page)
{
    RankResult result;
    const bool betterRun = page.regulation().tieBreak == Regulation::BetterSingleRun;
    for (int row = 1; row < page.rows(); ++row) {
        const qint32 ms = TextToMs(page.cell(row, ColTotal));
        if (ms <= 0)
            continue;
        const bool better = result.bestRow < 0 || ms < result.bestTimeMs
            || (ms == result.bestTimeMs && betterRun
                && compareCountedRuns(page.score(row), page.score(result.bestRow)) < 0);
        if (better) {
            result.bestTimeMs = ms;
            result.bestRow = row;
        }
    }
    if (result.bestRow >= 1)
        result.bestDriverLabel = driverLabel(page, result.bestRow);
    return result;
}

} // namespace

int CompareResultTexts(const QString &a, const QString &b)
{
    const int wa = resultWeight(a);
    const int wb = resultWeight(b);
    if (wa != wb)
        return wa < wb ? -1 : 1;
    return sign(QString::compare(a, b, Qt::CaseSensitive));
}

RankResult RankPage(ResultPage &page, bool autoRang)
{
    if (!autoRang)
        return {};

    const int n = page.dataRows();
    std::vector<SortKey> keys(static_cast<std::size_t>(n));
    // Lower-cased texts of the totals that do not fit a packed key, by row.
    QHash<int, QString> unpacked;
    for (int row = 1; row <= n; ++row) {
        SortKey &key = keys[std::size_t(row - 1)];
        key.row = row;
        const QStringList &cells = page.row(row);
        const QString &total = cells.at(ColTotal);
        const QString &place = cells.at(ColPlace);
        key.total = &total;
        key.disMark = total == kDisqualifiedMark;
        key.placeNumber = plainNumber(place);
        key.placeIsDis = place == kDisMark;
        key.placeEmpty = place.isEmpty();
        key.tieClass = 0;
        if (!packAsciiKey(total, key)) {
            QString lowered = total.toLower();
            key.weight = resultWeight(lowered);
            key.packed = 0;
            key.isPacked = false;
            unpacked.insert(row, std::move(lowered));
        }
        // Below the weight of "DIS" the lower-cased total was a time-like
        // text, and so is the total itself.
        key.noTime = key.weight >= kWeightDis && readRunCell(total).isNoTime();
    }
    stableSortNearlySorted(keys.begin(), keys.end(), [&unpacked](const SortKey &a, const SortKey &b) {
        if (a.weight != b.weight)
            return a.weight < b.weight;
        if (a.isPacked && b.isPacked)
            return a.packed < b.packed;
        const QString ta = a.isPacked ? unpackKey(a.packed) : unpacked.value(a.row);
        const QString tb = b.isPacked ? unpackKey(b.packed) : unpacked.value(b.row);
        return QString::compare(ta, tb, Qt::CaseSensitive) < 0;
    });
    if (page.regulation().tieBreak == Regulation::BetterSingleRun)
        breakTies(page, keys);
    QList<int> order;
    order.reserve(n);
    for (const SortKey &k : keys)
        order.append(k.row);
    page.reorderDataRows(order);

    // The places, from the keys alone (they are in the new row order now).
    // Equal totals share a place and use up the places they take; a place
    // that stays is not rewritten, and the changed ones are written in one
    // go, so a view hears of one change.
    QList<std::pair<int, QString>> changedPlaces;
    int count = 0;
    int lastPlace = 1;
    const SortKey *previous = nullptr;
    for (int row = 1; row <= n; ++row) {
        const SortKey &key = keys[std::size_t(row - 1)];
        if (key.noTime) {
            // A disqualified driver's place reads "DIS"; a driver without a
            // total has no place, whatever an earlier ranking gave him (a
            // re-run empties a run and so the total).
            if (key.disMark) {
                if (!key.placeIsDis)
                    changedPlaces.append({row, kDisMark.toString()});
            } else if (key.weight != kWeightDis && !key.placeEmpty) {
                changedPlaces.append({row, QString()});
            }
            continue;
        }
        ++count;
        if (!previous || totalsDiffer(*previous, key) || previous->tieClass != key.tieClass)
            lastPlace = count;
        previous = &key;
        if (key.placeNumber != lastPlace)
            changedPlaces.append({row, QString::number(lastPlace)});
    }
    page.setCells(ColPlace, changedPlaces);

    RankResult result = bestOf(page);
    result.ranked = true;
    return result;
}

RankResult FindPageBest(const ResultPage &page)
{
    return bestOf(page);
}

} // namespace vex
