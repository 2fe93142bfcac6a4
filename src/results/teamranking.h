#pragma once

#include "results/daybest.h"
#include "results/placepoints.h"

#include <QList>
#include <QString>

namespace vex {

class Competition;
class ResultPage;
class RowReadings;

// How the clubs' teams are scored across the classes.
struct TeamRules
{
    PlacePoints points = PlacePoints::defaults();
    int countingDrivers = 3; // the best this many drivers of a team count
};

// One driver of a team with what his class place brought.
struct TeamMember
{
    QString startNumber;
    QString name;
    QString className;
    int place = 0;  // his class place, 0 for none
    int points = 0; // 0 without a total, whatever the place cell says
};

struct TeamStanding
{
    QString team;      // the club as the rows first spell it, trimmed
    int points = 0;    // of the counting members
    int place = 0;     // 1, 2, ...; teams equal in points and best place share it
    int bestPlace = 0; // the best class place of a counting member, 0 for none
    // The counting members, best first: by points, then place, then as the
    // classes and rows come.
    QList<TeamMember> counting;
    int members = 0;   // all drivers of the team, the counting ones included
};

struct TeamRanking
{
    QList<TeamStanding> teams; // by place, then by name
};

// What one class gives the team ranking and the day's best run, so that after
// an entry only the class that changed is looked at again.
struct ClassAwards
{
    struct Team
    {
        QString team;  // as first spelt in the class
        QString key;   // teamKey(team): the same club in every class
        QList<TeamMember> best; // the class's best countingDrivers of the team
        int members = 0;
    };
    QList<Team> teams; // in order of first appearance
    DayBest dayBest;
};

// The key by which two spellings of a club or team are one: trimmed and
// case-folded, as they come typed from many start lists ("MSC TALHEIM" and
// " MSC Talheim" are one club).
QString teamKey(const QString &team);

// A driver's team is the one his start list names (ResultPage::team), else
// his club. Teams are compared by teamKey; a driver without either is in no
// team.
// A driver's points are those of his class place (shared places giving the
// same points); a driver without a total (none yet, or disqualified) gets
// none. With the readings of the last call, only rows changed since are
// read again.
ClassAwards classAwards(const ResultPage &page, int pageIndex, const TeamRules &rules,
                        RowReadings *readings = nullptr);

// The best countingDrivers of each team over all classes count; equal points
// go to the team with the better best place, and teams equal in both share
// their place.
TeamRanking rankTeams(const QList<ClassAwards> &classes, const TeamRules &rules);
DayBest dayBestOf(const QList<ClassAwards> &classes);

// The pages that hold classes: those of the class list, or the first page
// while the list is empty (drivers entered without a start list).
int classPageCount(const Competition &competition);

// All classes at once.
TeamRanking rankTeams(const Competition &competition, const TeamRules &rules);

} // namespace vex
