#include "results/regulation.h"

#include "results/resultpage.h"
#include "results/rowtotal.h"
#include "results/runcell.h"

#include <algorithm>

namespace vex {

Regulation Regulation::normalised() const
{
    Regulation r = *this;
    r.scoringRuns = std::clamp(r.scoringRuns, 2, kMaxScoringRuns);
    r.countingRuns = std::clamp(r.countingRuns, 2, r.scoringRuns);
    if (r.tieBreak != BetterSingleRun)
        r.tieBreak = SharedPlace;
    r.penaltyCap = std::max(0, r.penaltyCap);
    return r;
}

int cappedPenalty(int seconds, const Regulation &regulation)
{
    return regulation.penaltyCap > 0 ? std::min(seconds, regulation.penaltyCap) : seconds;
}

std::optional<qint64> countedRunValue(const QStringList &cells, int run, const Regulation &regulation)
{
    static const QString none;
    const auto cellAt = [&cells](int column) -> const QString & {
        return column < cells.size() ? cells.at(column) : none;
    };
    const RunCell time = readRunCell(cellAt(timeColumn(run)));
    if (time.kind != RunCell::Time)
        return std::nullopt;
    return time.ms + 1000 * qint64(cappedPenalty(penaltyValue(cellAt(penaltyColumn(run))), regulation));
}

RowScore scoreRow(const QStringList &cells, const Regulation &regulation)
{
    RowScore score;
    struct Run
    {
        qint64 value;
        int run;
    };
    std::array<Run, kMaxScoringRuns> runs{};
    int timed = 0;
    for (int run = 1; run <= regulation.scoringRuns; ++run) {
        if (const std::optional<qint64> value = countedRunValue(cells, run, regulation))
            runs[std::size_t(timed++)] = Run{*value, run};
    }
    if (timed < regulation.countingRuns)
        return score;
    // The earlier of two equal runs counts.
    std::stable_sort(runs.begin(), runs.begin() + timed, [](const Run &a, const Run &b) { return a.value < b.value; });
    qint64 sum = 0;
    for (int i = 0; i < regulation.countingRuns; ++i)
        sum += runs[std::size_t(i)].value;
    if (sum == 0 || sum >= kHourMs)
        return score;
    score.hasTotal = true;
    score.totalMs = sum;
    for (int i = 0; i < regulation.countingRuns; ++i)
        score.counted[std::size_t(i)] = qint32(runs[std::size_t(i)].value);
    score.countedSize = regulation.countingRuns;
    for (int i = regulation.countingRuns; i < timed; ++i)
        score.struckRuns |= quint8(1u << (runs[std::size_t(i)].run - 1));
    return score;
}

int compareCountedRuns(const RowScore &a, const RowScore &b)
{
    const int n = std::min(a.countedSize, b.countedSize);
    for (int i = 0; i < n; ++i) {
        if (a.counted[std::size_t(i)] != b.counted[std::size_t(i)])
            return a.counted[std::size_t(i)] < b.counted[std::size_t(i)] ? -1 : 1;
    }
    return (a.countedSize > b.countedSize) - (a.countedSize < b.countedSize);
}

} // namespace vex
