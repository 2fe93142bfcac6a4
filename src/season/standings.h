#pragma once

#include "season/drivermatch.h"
#include "season/seasonevent.h"
#include "season/seasonrules.h"

#include <QList>
#include <QString>

#include <optional>

namespace vex {

// A driver's (or a team's) result at one event of the season.
struct EventScore
{
    int place = 0; // the day's place, 0 for none
    int points = 0;
    bool struck = false; // not among the results that count
};

struct StandingRow
{
    int place = 0; // 0: no place, too few starts
    DriverKey driver; // a team: its club as the name
    QList<std::optional<EventScore>> events; // one per event; nothing: no start
    int sum = 0; // the points that count
    int starts = 0;
    bool qualified = false;
};

struct ClassStandings
{
    QString name;
    // The rows with a place in place order, then those without, by points.
    QList<StandingRow> rows;
    // The number of rows above the qualification line; 0: no line.
    int qualified = 0;
};

// Strikes what doesn't count, sums the rest and ranks: more points first;
// equal points go to the better placings of the season (more first places,
// then more second places ...); what is equal still shares the place.
// Rows with fewer than minStarts starts get no place and go last.
void rankStandings(QList<StandingRow> &rows, int counted, int minStarts);

// The team points of one event from its class places: each club's best
// drivers (the points of their places by the table, over all classes)
// count; more points first, equal points to the better best place, then
// shared.
struct TeamScore
{
    QString club;
    int points = 0;
    int place = 0;
};
QList<TeamScore> eventTeamScores(const EventResults &event, const PlacePoints &table, int bestDrivers);

struct SeasonStandings
{
    QList<ClassStandings> classes; // in the order they first appear
    ClassStandings teams;
    QList<MergeProposal> proposals; // spellings the operator is asked about
};

// The standings over the events read, in season order. Drivers are one
// person when name and club are equal and no birth years contradict;
// anything looser is only proposed.
SeasonStandings computeStandings(const QList<EventResults> &events, const SeasonRules &rules,
                                 const QList<DriverMerge> &merges, const QList<DriverPair> &declined);

} // namespace vex
