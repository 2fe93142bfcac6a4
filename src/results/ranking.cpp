#include "results/ranking.h"

#include "results/resultpage.h"
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
    // Only a three-character text can read "DIS" in upper case; checking the
    // length first keeps the ranking free of needless allocations.
    if (text.size() == 3 && text.toUpper() == u"DIS")
        return kWeightDis;
    if (NoTime(text))
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
struct SortKey
{
    quint64 packed;
    int weight;
    int row;
    bool isPacked;
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
    // For ASCII texts the no-time test reduces to these cases.
    if (blank)
        key.weight = kWeightBlank;
    else if (n == 3 && packed == (quint64('d') << 56 | quint64('i') << 48 | quint64('s') << 40))
        key.weight = kWeightDis;
    else if (n == 1 && packed == quint64('-') << 56)
        key.weight = kWeightNoTime;
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

// True when text is the decimal text of a positive number n.
bool holdsNumber(const QString &text, int n)
{
    qsizetype i = text.size();
    while (n > 0 && i > 0) {
        if (text.at(--i).unicode() != u'0' + n % 10)
            return false;
        n /= 10;
    }
    return n == 0 && i == 0;
}

QString driverLabel(const ResultPage &page, int row)
{
    return page.cell(row, ColStNr) + u' ' + page.cell(row, ColName);
}

RankResult bestOf(const ResultPage &page)
{
    RankResult result;
    for (int row = 1; row < page.rows(); ++row) {
        const qint32 ms = TextToMs(page.cell(row, ColTotal));
        if (ms > 0) {
            result.bestTimeMs = ms;
            result.bestRow = row;
            result.bestDriverLabel = driverLabel(page, row);
            break;
        }
    }
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
        const QString &total = page.row(row).at(ColTotal);
        if (packAsciiKey(total, key))
            continue;
        QString lowered = total.toLower();
        key.weight = resultWeight(lowered);
        key.packed = 0;
        key.isPacked = false;
        unpacked.insert(row, std::move(lowered));
    }
    std::stable_sort(keys.begin(), keys.end(), [&unpacked](const SortKey &a, const SortKey &b) {
        if (a.weight != b.weight)
            return a.weight < b.weight;
        if (a.isPacked && b.isPacked)
            return a.packed < b.packed;
        const QString ta = a.isPacked ? unpackKey(a.packed) : unpacked.value(a.row);
        const QString tb = b.isPacked ? unpackKey(b.packed) : unpacked.value(b.row);
        return QString::compare(ta, tb, Qt::CaseSensitive) < 0;
    });
    QList<int> order;
    order.reserve(n);
    for (const SortKey &k : keys)
        order.append(k.row);
    page.reorderDataRows(order);

    // Places are collected first and written in one go, so a view hears of
    // one change instead of one per driver; a place that stays is not
    // rebuilt.
    QStringList places;
    places.reserve(n);
    int count = 0;
    int lastPlace = 1;
    // Rows stay where they are until the places are written, so the previous
    // total can be pointed at instead of copied.
    const QString *previousTotal = nullptr;
    const SortKey *previousKey = nullptr;
    const QString dis = u"DIS"_s;
    for (int row = 1; row <= n; ++row) {
        const QStringList &cells = page.row(row);
        const QString &total = cells.at(ColTotal);
        QString place = cells.at(ColPlace);
        // The disqualification mark, tested without a string comparison:
        // this loop runs over every driver at every entry.
        if (total.size() == 1 && total.front() == u'-')
            place = dis;
        // Below the weight of "DIS" the lower-cased total was a time-like
        // text, and so is the total itself.
        const bool noTime = keys[std::size_t(row - 1)].weight >= kWeightDis && NoTime(total);
        if (!noTime) {
            ++count;
            // Different sort keys mean different totals; only equal keys
            // (or texts that have none) need the texts compared.
            const SortKey &key = keys[std::size_t(row - 1)];
            const bool keysDiffer = previousKey && key.isPacked && previousKey->isPacked
                && key.packed != previousKey->packed;
            previousKey = &key;
            if (!previousTotal || keysDiffer || total != *previousTotal) {
                lastPlace = count;
                previousTotal = &total;
            }
            if (!holdsNumber(place, lastPlace))
                place = QString::number(lastPlace);
        }
        places.append(std::move(place));
    }
    page.setColumnCells(ColPlace, 1, places);

    RankResult result = bestOf(page);
    result.ranked = true;
    return result;
}

RankResult FindPageBest(const ResultPage &page)
{
    return bestOf(page);
}

} // namespace vex
