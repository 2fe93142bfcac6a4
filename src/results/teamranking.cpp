#include "results/teamranking.h"

#include "results/competition.h"
#include "results/runcell.h"

#include <QHash>

#include <algorithm>
#include <limits>

namespace vex {

namespace {

// The place a ranking wrote: a plain positive number, else 0.
int placeNumber(const QString &text)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok, 10);
    return ok && value > 0 ? value : 0;
}

// The pages that belong to classes: those of the class list, or the first
// page while the list is empty (drivers entered without a start list).
int classPageCount(const Competition &competition)
{
    return int(std::clamp<qsizetype>(competition.classes().size(), 1, Competition::pageCount()));
}

bool betterMember(const TeamMember &a, const TeamMember &b)
{
    if (a.points != b.points)
        return a.points > b.points;
    const int pa = a.place > 0 ? a.place : std::numeric_limits<int>::max();
    const int pb = b.place > 0 ? b.place : std::numeric_limits<int>::max();
    return pa < pb;
}

int bestPlaceKey(const TeamStanding &t)
{
    return t.bestPlace > 0 ? t.bestPlace : std::numeric_limits<int>::max();
}

} // namespace

TeamRanking rankTeams(const Competition &competition, const TeamRules &rules)
{
    QHash<QString, qsizetype> teamOf; // folded club -> index into teams
    QList<TeamStanding> teams;
    const int pages = classPageCount(competition);
    for (int k = 0; k < pages; ++k) {
        const ResultPage &page = *competition.page(k);
        const QString className = page.caption().trimmed();
        for (int row = 1; row < page.rows(); ++row) {
            const QStringList &cells = page.row(row);
            const QString club = cells.at(ColClub).trimmed();
            if (club.isEmpty())
                continue;
            TeamMember m;
            m.startNumber = cells.at(ColStNr).trimmed();
            m.name = cells.at(ColName).trimmed();
            m.className = className;
            const bool hasTotal = readRunCell(cells.at(ColTotal)).kind == RunCell::Time;
            m.place = hasTotal ? placeNumber(cells.at(ColPlace)) : 0;
            m.points = rules.points.forPlace(m.place);
            const QString key = club.toCaseFolded();
            auto it = teamOf.constFind(key);
            if (it == teamOf.cend()) {
                it = teamOf.insert(key, teams.size());
                TeamStanding t;
                t.team = club;
                teams.append(t);
            }
            teams[*it].members.append(m);
        }
    }
    for (TeamStanding &t : teams) {
        std::stable_sort(t.members.begin(), t.members.end(), betterMember);
        const qsizetype counting = std::min<qsizetype>(std::max(0, rules.countingDrivers), t.members.size());
        for (qsizetype i = 0; i < counting; ++i) {
            TeamMember &m = t.members[i];
            m.counts = true;
            t.points += m.points;
            if (m.place > 0 && (t.bestPlace == 0 || m.place < t.bestPlace))
                t.bestPlace = m.place;
        }
    }
    const auto ahead = [](const TeamStanding &a, const TeamStanding &b) {
        if (a.points != b.points)
            return a.points > b.points;
        return bestPlaceKey(a) < bestPlaceKey(b);
    };
    std::stable_sort(teams.begin(), teams.end(), [&ahead](const TeamStanding &a, const TeamStanding &b) {
        if (ahead(a, b) || ahead(b, a))
            return ahead(a, b);
        return QString::compare(a.team, b.team, Qt::CaseInsensitive) < 0;
    });
    for (qsizetype i = 0; i < teams.size(); ++i) {
        const bool shares = i > 0 && !ahead(teams.at(i - 1), teams.at(i));
        teams[i].place = shares ? teams.at(i - 1).place : int(i + 1);
    }
    TeamRanking ranking;
    ranking.teams = std::move(teams);
    return ranking;
}

} // namespace vex
