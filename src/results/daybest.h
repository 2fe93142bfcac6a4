#pragma once

#include "results/resultpage.h"

#include <QString>
#include <QtGlobal>

namespace vex {

class Competition;

// The fastest scoring run of the day over all classes ("Tagesbestzeit"), its
// penalty counted as the regulation counts it.
struct DayBest
{
    bool found = false;
    qint32 ms = 0;       // time plus counted penalty
    int page = -1;       // page index of the class
    RowId row = 0;
    int run = 0;         // the scoring run, 1...
    QString startNumber;
    QString name;
    QString club;
    QString className;

    // "45,12 – 7 Muster, Max (Klasse K2, Lauf 1)", empty when none was found.
    QString text() const;
};

// The fastest valid run (a time) among the regulation's scoring runs of the
// drivers not disqualified; the first of equal runs found (classes in
// class-list order, rows top down, runs in order) is the day's best. A
// struck run is still a run driven; a further run a file holds beyond the
// regulation's is not one of the event's.
DayBest findDayBest(const Competition &competition);

} // namespace vex
