#include "results/teamranking.h"

#include "results/competition.h"
#include "results/regulation.h"
#include "results/rowtotal.h"
#include "results/runcell.h"
#include "timing/timetext.h"

#include <QHash>

#include <algorithm>
#include <limits>

namespace vex {

namespace {

constexpr qint64 kHourMs = 3'600'000;

// The place a ranking wrote: a plain positive number, else 0. Read without
// a copy of the cell, as the class's every row is read.
int placeNumber(const QString &text)
{
    int value = 0;
    bool digits = false;
    for (const QChar c : text) {
        if (c.unicode() <= 0x20) {
            if (digits)
                break;
            continue;
        }
        if (c < u'0' || c > u'9' || value > 100'000)
            return 0;
        value = value * 10 + (c.unicode() - u'0');
        digits = true;
    }
    return value;
}

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

void considerRuns(const ResultPage &page, int pageIndex, int row, const QStringList &cells, DayBest &best)
{
    const Regulation &regulation = page.regulation();
    const int runs = page.shownRuns();
    for (int run = 1; run <= runs; ++run) {
        const int column = timeColumn(run);
        if (column >= cells.size() || cells.at(column).isEmpty())
            continue;
        const RunCell time = readRunCell(cells.at(column));
        if (time.kind != RunCell::Time || (best.found && time.ms >= best.ms))
            continue;
        const qint64 value = time.ms
            + 1000 * qint64(cappedPenalty(penaltyValue(cells.value(penaltyColumn(run))), regulation));
        if (value <= 0 || value >= kHourMs || (best.found && value >= best.ms))
            continue;
        best.found = true;
        best.ms = qint32(value);
        best.page = pageIndex;
        best.row = page.rowId(row);
        best.run = run;
        best.startNumber = cells.at(ColStNr).trimmed();
        best.name = cells.at(ColName).trimmed();
        best.club = cells.at(ColClub).trimmed();
        best.className = page.caption().trimmed();
    }
}

} // namespace

ClassAwards classAwards(const ResultPage &page, int pageIndex, const TeamRules &rules)
{
    ClassAwards awards;
    QHash<QString, qsizetype> teamOfClub; // the club cell as it stands -> team
    QList<QList<Candidate>> best;
    const int n = std::max(0, rules.countingDrivers);
    for (int row = 1; row < page.rows(); ++row) {
        const QStringList &cells = page.row(row);
        considerRuns(page, pageIndex, row, cells, awards.dayBest);
        const QString &club = cells.at(ColClub);
        if (isBlankCell(club))
            continue;
        auto it = teamOfClub.constFind(club);
        if (it == teamOfClub.cend()) {
            ClassAwards::Team team;
            team.team = club.trimmed();
            team.key = team.team.toCaseFolded();
            it = teamOfClub.insert(club, awards.teams.size());
            awards.teams.append(team);
            best.append(QList<Candidate>());
        }
        ClassAwards::Team &team = awards.teams[*it];
        ++team.members;
        const bool hasTotal = readRunCell(cells.at(ColTotal)).kind == RunCell::Time;
        const int place = hasTotal ? placeNumber(cells.at(ColPlace)) : 0;
        keepBest(best[*it], Candidate{row, rules.points.forPlace(place), place}, n);
    }
    const QString className = page.caption().trimmed();
    for (qsizetype t = 0; t < awards.teams.size(); ++t) {
        for (const Candidate &c : std::as_const(best.at(t))) {
            const QStringList &cells = page.row(c.row);
            awards.teams[t].best.append(
                TeamMember{cells.at(ColStNr).trimmed(), cells.at(ColName).trimmed(), className, c.place, c.points});
        }
    }
    return awards;
}

TeamRanking rankTeams(const QList<ClassAwards> &classes, const TeamRules &rules)
{
    QHash<QString, qsizetype> teamOf;
    QList<TeamStanding> teams;
    for (const ClassAwards &cls : classes) {
        for (const ClassAwards::Team &t : cls.teams) {
            auto it = teamOf.constFind(t.key);
            if (it == teamOf.cend()) {
                it = teamOf.insert(t.key, teams.size());
                TeamStanding s;
                s.team = t.team;
                teams.append(s);
            }
            TeamStanding &s = teams[*it];
            s.members += t.members;
            s.counting += t.best;
        }
    }
    const qsizetype n = std::max(0, rules.countingDrivers);
    for (TeamStanding &t : teams) {
        std::stable_sort(t.counting.begin(), t.counting.end(), betterMember);
        if (t.counting.size() > n)
            t.counting.resize(n);
        for (const TeamMember &m : std::as_const(t.counting)) {
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
