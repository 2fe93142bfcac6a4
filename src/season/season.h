#pragma once

#include "season/seasonevent.h"
#include "season/seasonfile.h"
#include "season/standings.h"

#include <QList>
#include <QStringList>

namespace vex {

// A season as the reports show it: the events that could be read, with
// their dates, the files left out and why, and the standings.
struct SeasonReport
{
    QString title;
    SeasonRules rules;
    QList<SeasonEvent> events; // the events read, in season order
    QStringList leftOut; // one message per file left out, naming it
    SeasonStandings standings;
};

// Reads each event's file, in season order.
QList<EventRead> readSeasonEvents(const QList<SeasonEvent> &events);

// The standings over the events whose reads hold results (reads[i] belongs
// to season.events[i]).
SeasonReport evaluateSeason(const SeasonDefinition &season, const QList<EventRead> &reads);

// The short heading of an event's column: "1" and the date "12.04.".
QString eventColumnTitle(const SeasonEvent &event, int number);

} // namespace vex
