#include "results/teamranking.h"

#include "results/competition.h"
#include "results/resultpage.h"
#include "results/rowreadings.h"

#include <QHash>
#include <QVarLengthArray>

#include <algorithm>
#include <limits>

namespace vex {

namespace {

int placeKey(int place)
{
    return place > 0 ? place : std::numeric_limits<int>::max();
}

// Best first; a stable sort keeps classes and rows in their order.
bool betterMember(const TeamMember &a, const TeamMember &b)
{
    if (a.points != b.points)
        return a.points > b.points;
    return placeKey(a.place) < placeKey(b.place);
}

// A driver's row as the team ranking needs it, before any text is copied.
struct Candidate
{
    int row;
    int points;
    int place;
};

bool betterCandidate(const Candidate &a, const Candidate &b)
{
    if (a.points != b.points)
        return a.points > b.points;
    return placeKey(a.place) < placeKey(b.place);
}

// Keeps the best n candidates of a team, in order, as rows come.
void keepBest(QList<Candidate> &best, const Candidate &c, int n)
{
    if (n <= 0)
        return;
    if (best.size() == n && !betterCandidate(c, best.last()))
        return;
    auto at = std::upper_bound(best.begin(), best.end(), c, [](const Candidate &x, const Candidate &y) {
        return betterCandidate(x, y);
    });
    best.insert(at, c);
    if (best.size() > n)
        best.removeLast();
}

} // namespace

QString teamKey(const QString &team)
{
    return team.trimmed().toCaseFolded();
}

ClassAwards classAwards(const ResultPage &page, int pageIndex, const TeamRules &rules, RowReadings *readings)
{
    RowReadings once(false);
    const QList<RowReading> &rows = (readings ? readings : &once)->read(page);
    const RowReadings &clubs = readings ? *readings : once;

    ClassAwards awards;
    QList<int> teamOfClub;
    QList<QList<Candidate>> best;
    int bestRow = 0;
    const int n = std::max(0, rules.countingDrivers);
    for (int row = 1; row <= rows.size(); ++row) {
        const RowReading &r = rows.at(row - 1);
        if (r.bestRun > 0 && (bestRow == 0 || r.bestRun < awards.dayBest.ms)) {
            bestRow = row;
            awards.dayBest.ms = r.bestRun;
            awards.dayBest.run = r.bestRunNumber;
        }
        if (r.club < 0)
            continue;
        if (r.club >= teamOfClub.size())
            teamOfClub.resize(r.club + 1, -1);
        int &t = teamOfClub[r.club];
        if (t < 0) {
            t = int(awards.teams.size());
            ClassAwards::Team team;
            team.team = clubs.club(r.club).team;
            team.key = clubs.club(r.club).key;
            awards.teams.append(team);
            best.append(QList<Candidate>());
        }
        ++awards.teams[t].members;
        keepBest(best[t], Candidate{row, rules.points.forPlace(r.place), r.place}, n);
    }
    const QString className = page.caption().trimmed();
    if (bestRow > 0) {
        const QStringList &cells = page.row(bestRow);
        DayBest &d = awards.dayBest;
        d.found = true;
        d.page = pageIndex;
        d.row = page.rowId(bestRow);
        d.startNumber = cells.at(ColStNr).trimmed();
        d.name = cells.at(ColName).trimmed();
        d.club = cells.at(ColClub).trimmed();
        d.className = className;
    }
    for (qsizetype t = 0; t < awards.teams.size(); ++t) {
        for (const Candidate &cand : std::as_const(best.at(t))) {
            const QStringList &cells = page.row(cand.row);
            awards.teams[t].best.append(TeamMember{cells.at(ColStNr).trimmed(), cells.at(ColName).trimmed(),
                                                   className, cand.place, cand.points});
        }
    }
    return awards;
}

TeamRanking rankTeams(const QList<ClassAwards> &classes, const TeamRules &rules)
{
    // The members are gathered as pointers and only the counting ones are
    // copied: after every entry all classes' candidates meet here.
    QHash<QString, qsizetype> teamOf;
    QList<TeamStanding> teams;
    QList<QVarLengthArray<const TeamMember *, 32>> candidates;
    for (const ClassAwards &cls : classes) {
        for (const ClassAwards::Team &t : cls.teams) {
            auto it = teamOf.constFind(t.key);
            if (it == teamOf.cend()) {
                it = teamOf.insert(t.key, teams.size());
                TeamStanding s;
                s.team = t.team;
                teams.append(s);
                candidates.emplaceBack();
            }
            teams[*it].members += t.members;
            for (const TeamMember &m : t.best)
                candidates[*it].append(&m);
        }
    }
    const qsizetype n = std::max(0, rules.countingDrivers);
    QVarLengthArray<const TeamMember *, 8> best;
    for (qsizetype i = 0; i < teams.size(); ++i) {
        // The best n in order, equal ones as they came: a stable selection.
        best.clear();
        for (const TeamMember *m : std::as_const(candidates[i])) {
            if (best.size() == n && (n == 0 || !betterMember(*m, *best.back())))
                continue;
            auto at = std::upper_bound(best.begin(), best.end(), m, [](const TeamMember *x, const TeamMember *y) {
                return betterMember(*x, *y);
            });
            best.insert(at, m);
            if (best.size() > n)
                best.removeLast();
        }
        TeamStanding &t = teams[i];
        t.counting.reserve(best.size());
        for (const TeamMember *member : std::as_const(best)) {
            const TeamMember &m = *member;
            t.counting.append(m);
            t.points += m.points;
            if (m.place > 0 && (t.bestPlace == 0 || m.place < t.bestPlace))
                t.bestPlace = m.place;
        }
    }
    const auto ahead = [](const TeamStanding &a, const TeamStanding &b) {
        if (a.points != b.points)
            return a.points > b.points;
        return placeKey(a.bestPlace) < placeKey(b.bestPlace);
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

DayBest dayBestOf(const QList<ClassAwards> &classes)
{
    DayBest best;
    for (const ClassAwards &cls : classes) {
        if (cls.dayBest.found && (!best.found || cls.dayBest.ms < best.ms))
            best = cls.dayBest;
    }
    return best;
}

int classPageCount(const Competition &competition)
{
    return int(std::clamp<qsizetype>(competition.classes().size(), 1, Competition::pageCount()));
}

TeamRanking rankTeams(const Competition &competition, const TeamRules &rules)
{
    QList<ClassAwards> classes;
    for (int k = 0; k < classPageCount(competition); ++k)
        classes.append(classAwards(*competition.page(k), k, rules));
    return rankTeams(classes, rules);
}

} // namespace vex
