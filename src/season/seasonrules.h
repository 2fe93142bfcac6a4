#pragma once

#include "results/placepoints.h"

#include <QString>

namespace vex {

// How a season is scored.
struct SeasonRules
{
    PlacePoints points = PlacePoints::defaults();

    // Which results count: all, the best N, or a share of the events held.
    enum class Counting { All, BestN, Percent };
    Counting counting = Counting::All;
    int bestN = 5;
    int countPercent = 70;

    // Drivers with fewer starts in a class are listed but get no place.
    int minStarts = 0;

    // Who goes on to the next round: the first N places, or a share of the
    // drivers with a place.
    enum class Qualification { None, Count, Percent };
    Qualification qualification = Qualification::None;
    int qualifyCount = 3;
    int qualifyPercent = 25;

    // The points of a club's best drivers at an event make its team points.
    int teamDrivers = 3;
};

// The number of results that count out of the events held. A share is
// rounded up (70 % of 6 events: 5), and at least one result counts.
int countedResults(const SeasonRules &rules, int eventsHeld);

// How many places qualify in a class of rankedDrivers; a share is rounded
// up (25 % of 10 drivers: 3). Drivers sharing the last of these places all
// qualify.
int qualifyingPlaces(const SeasonRules &rules, int rankedDrivers);

// The rules in one line for the reports: "Wertung: beste 5 von 6 · ...".
QString rulesSummary(const SeasonRules &rules, int eventsHeld);

} // namespace vex
