#pragma once

#include "results/placepoints.h"

#include <QList>
#include <QString>

namespace vex {

class Competition;

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
    bool counts = false;
};

struct TeamStanding
{
    QString team;      // the club as the rows spell it, trimmed
    int points = 0;    // of the counting members
    int place = 0;     // 1, 2, ...; teams equal in points and best place share it
    int bestPlace = 0; // the best class place of a counting member, 0 for none
    // Best first: by points, then place, then as the rows come.
    QList<TeamMember> members;
};

struct TeamRanking
{
    QList<TeamStanding> teams; // by place, then by name
};

// The team ranking of the competition's classes: every driver with a club is
// a member of his club's team, whatever his class; his points are those of his
// class place, shared places giving the same points, and a driver without a
// total (none yet, or disqualified) gets none. The best countingDrivers of a
// team count; equal points go to the team with the better best place.
// Clubs are compared without regard to case and surrounding blanks, as they
// come typed from many start lists.
TeamRanking rankTeams(const Competition &competition, const TeamRules &rules);

} // namespace vex
