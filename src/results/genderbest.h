#pragma once

#include "results/daybest.h"
#include "results/rowmarks.h"

namespace vex {

class Competition;

// The fastest girl ("schnellstes Mädchen") or the fastest boy ("schnellster
// Junge") of the day: the best counted scoring run, found as the day's best
// run is, among the drivers of that gender who are not disqualified. Nothing
// found while no row says girl or boy.
DayBest findFastest(const Competition &competition, Gender gender);

// "Schnellstes Mädchen" or "Schnellster Junge".
QString fastestTitle(Gender gender);

// The lines the reports print for them: "Schnellstes Mädchen: 45,12 – 7
// Muster, Mia (Klasse K2, Lauf 1)", then the boy's; only those found.
QStringList fastestLines(const Competition &competition);

} // namespace vex
