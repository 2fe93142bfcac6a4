#pragma once

#include "results/resultpage.h"
#include "results/teamranking.h"
#include "timing/runcontroller.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

#include <array>
#include <memory>

namespace vex {

class Competition;
class Race;

// One class as the protocol writers see it: its class-list entry, its page's
// caption and rows (row 0 the titles). The rows share their cells with the
// page until it changes, so taking them costs one reference per row. The best
// total and its driver are found where the page is, so the server's thread
// needn't build a page of its own for them.
struct LiveClass
{
    QString name;
    QString caption;
    QList<QStringList> rows;
    qint32 bestTimeMs = 0; // 0: nobody has a total yet
    QString bestDriver;
    Regulation regulation;
    QStringList teams; // the rows' teams, empty when the class has none
    QList<RowMarks> marks; // the rows' marks, empty when the class has none
};

// The results as they stand, as plain values: whatever the live page shows
// apart from the run, and all the protocol writers need.
struct LiveResults
{
    quint64 version = 0;
    QString title;
    QString subtitle;
    QString appTitle;
    bool clubShown = true;
    std::array<int, kColumnCount> columnWidthPercent{};
    QList<LiveClass> classes;
    TeamRules teamRules;
    // The event's date and place, which the protocol carries.
    QDate eventDate;
    QString eventPlace;
};

// The driver on the course and his run.
struct LiveCourse
{
    quint64 version = 0;
    int page = 0;
    int run = 0; // 0 "TR", 1 and 2 the scoring runs
    QString startNumber;
    QString name;
    QString club;
    int penaltySeconds = 0;
    RunState state = RunState::Ready;
    qint32 timeMs = 0;

    bool operator==(const LiveCourse &) const = default;
};

using LiveResultsPtr = std::shared_ptr<const LiveResults>;

// Taken on the race's thread.
LiveResults takeLiveResults(const Race &race, const QString &appTitle);
// runningMs: the last time the running clock showed.
LiveCourse takeLiveCourse(const Race &race, qint32 runningMs);

// A competition of its own with the snapshot's classes, for the writers that
// take one; built on the thread that uses it.
std::unique_ptr<Competition> competitionOf(const LiveResults &results);

} // namespace vex
