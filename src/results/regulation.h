#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <array>
#include <optional>

namespace vex {

// The rules a club's event is scored by. The default is the club's classic
// day: two scoring runs, both count, equal totals share a place, no cap.
struct Regulation
{
    enum TieBreak {
        SharedPlace = 0,     // equal totals share a place
        BetterSingleRun = 1, // the better single run decides, then the next
    };

    int scoringRuns = 2;  // 2, 3 or 4 scoring runs after the training run
    int countingRuns = 2; // the best this many of them make the total
    TieBreak tieBreak = SharedPlace;
    int penaltyCap = 0;   // penalty seconds counted per run at most; 0 = no cap

    // Values from a hand-edited store brought into range: runs 2...4, counting
    // 2...runs, a negative cap none.
    Regulation normalised() const;
    bool strikesRuns() const { return countingRuns < scoringRuns; }

    bool operator==(const Regulation &) const = default;
};

inline constexpr int kMaxScoringRuns = 4;

// What the regulation makes of one driver's row.
struct RowScore
{
    bool hasTotal = false;
    qint64 totalMs = 0;
    // Bit r - 1 for scoring run r: a run with a time that is not counted.
    quint8 struckRuns = 0;
    // The counted run values (time plus counted penalty), best first; the
    // better-run tie-break compares them in this order.
    std::array<qint32, kMaxScoringRuns> counted{};
    int countedSize = 0;

    bool isStruck(int run) const { return run >= 1 && run <= kMaxScoringRuns && (struckRuns >> (run - 1)) & 1; }
};

// The time texts have no hours: a value of an hour or more is no time.
inline constexpr qint64 kHourMs = 3'600'000;

// The penalty seconds a run counts with under the cap.
int cappedPenalty(int seconds, const Regulation &regulation);

// What scoring run `run` of a row's cells counts with: its time plus 1000 ms
// per penalty second the cap lets count; nothing for a run without a time.
std::optional<qint64> countedRunValue(const QStringList &cells, int run, const Regulation &regulation);

// Scores a row's cells (page columns). A driver gets a total once as many
// scoring runs hold a time as count; the best of them are summed, each its
// time plus 1000 ms per counted penalty second. A run without a time ("-",
// "DIS", blank) is never counted, so it is the one struck where runs are
// struck. A sum of an hour or more, or of 0, gives no total, as the time
// text has no hours.
RowScore scoreRow(const QStringList &cells, const Regulation &regulation);

// The order of two scores under the better-run tie-break: negative when a's
// best run is better, and so on down the counted runs.
int compareCountedRuns(const RowScore &a, const RowScore &b);

} // namespace vex
