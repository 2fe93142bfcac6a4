#include "season/standings.h"

#include <QHash>
#include <QSet>

#include <algorithm>
#include <limits>
#include <numeric>

using namespace Qt::StringLiterals;

namespace vex {

namespace {

// The season's places of a row, best first.
QList<int> placings(const StandingRow &row)
{
    QList<int> places;
    for (const std::optional<EventScore> &e : row.events) {
        if (e && e->place > 0)
            places.append(e->place);
    }
    std::sort(places.begin(), places.end());
    return places;
}

// Negative when a has the better placings: at the first difference the
// better place wins, and with one list the start of the other the longer
// one has more of the later places.
int comparePlacings(const QList<int> &a, const QList<int> &b)
{
    const qsizetype n = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < n; ++i) {
        if (a.at(i) != b.at(i))
            return a.at(i) < b.at(i) ? -1 : 1;
    }
    if (a.size() == b.size())
        return 0;
    return a.size() > b.size() ? -1 : 1;
}

void strikeAndSum(StandingRow &row, int counted)
{
    QList<qsizetype> results;
    for (qsizetype i = 0; i < row.events.size(); ++i) {
        if (row.events.at(i))
            results.append(i);
    }
    // The best points count; of equal points the earlier event's.
    std::stable_sort(results.begin(), results.end(), [&row](qsizetype a, qsizetype b) {
        return row.events.at(a)->points > row.events.at(b)->points;
    });
    row.starts = int(results.size());
    row.sum = 0;
    for (qsizetype k = 0; k < results.size(); ++k) {
        EventScore &score = *row.events[results.at(k)];
        score.struck = k >= counted;
        if (!score.struck)
            row.sum += score.points;
    }
}

QString classKey(const QString &name)
{
    return name.simplified().toCaseFolded();
}

// Of two results of one person in a class's list (two spellings merged),
// true when a is the better one.
bool betterResult(const EventEntry &a, const EventEntry &b, const PlacePoints &table)
{
    const int pointsA = table.forPlace(a.place);
    const int pointsB = table.forPlace(b.place);
    if (pointsA != pointsB)
        return pointsA > pointsB;
    return a.place > 0 && (b.place == 0 || a.place < b.place);
}

// The events with each start under the driver it counts for, for the
// drivers' standings and the teams' alike: the operator's merges followed
// (a merge may move a start to another club), a list without a birth year
// joined to the one driver of that name and club who has one (where there
// are several, it stays apart from them all), and one person twice in a
// class's list counted once, with the better result.
QList<EventResults> resolvedEvents(const QList<EventResults> &events, const PlacePoints &table,
                                   const QList<DriverMerge> &merges)
{
    const DriverMerges resolved(merges);
    QHash<std::pair<QString, QString>, QSet<int>> years;
    for (const EventResults &ev : events) {
        for (const EventClass &c : ev.classes) {
            for (const EventEntry &e : c.entries) {
                if (e.birthYear)
                    years[{e.name, teamKey(e.club)}].insert(e.birthYear);
            }
        }
    }
    QList<EventResults> out;
    out.reserve(events.size());
    for (const EventResults &ev : events) {
        EventResults &event = out.emplace_back();
        for (const EventClass &c : ev.classes) {
            EventClass &cls = event.classes.emplace_back(EventClass{c.name, {}});
            QHash<DriverKey, qsizetype> entryOf;
            for (const EventEntry &e : c.entries) {
                if (!e.started)
                    continue;
                int year = e.birthYear;
                if (!year) {
                    const auto it = years.constFind({e.name, teamKey(e.club)});
                    if (it != years.cend() && it->size() == 1)
                        year = *it->cbegin();
                }
                const DriverKey key = resolved.resolve(DriverKey{e.name, e.club, year});
                const EventEntry entry{key.name, key.club, key.birthYear, e.place, true};
                const auto at = entryOf.constFind(key);
                if (at == entryOf.cend()) {
                    entryOf.insert(key, cls.entries.size());
                    cls.entries.append(entry);
                } else if (betterResult(entry, cls.entries.at(*at), table)) {
                    cls.entries[*at] = entry;
                }
            }
        }
    }
    return out;
}

} // namespace

void rankStandings(QList<StandingRow> &rows, int counted, int minStarts)
{
    struct Keyed
    {
        StandingRow row;
        QList<int> places;
        bool ranked;
    };
    QList<Keyed> keyed;
    keyed.reserve(rows.size());
    for (StandingRow &row : rows) {
        strikeAndSum(row, counted);
        QList<int> places = placings(row);
        const bool ranked = row.starts >= std::max(1, minStarts);
        keyed.append({std::move(row), std::move(places), ranked});
    }
    std::sort(keyed.begin(), keyed.end(), [](const Keyed &a, const Keyed &b) {
        if (a.ranked != b.ranked)
            return a.ranked;
        if (a.row.sum != b.row.sum)
            return a.row.sum > b.row.sum;
        if (const int c = comparePlacings(a.places, b.places))
            return c < 0;
        const int byName = QString::localeAwareCompare(a.row.driver.name, b.row.driver.name);
        if (byName != 0)
            return byName < 0;
        return QString::localeAwareCompare(a.row.driver.club, b.row.driver.club) < 0;
    });
    rows.clear();
    for (qsizetype i = 0; i < keyed.size(); ++i) {
        Keyed &k = keyed[i];
        k.row.place = 0;
        if (k.ranked) {
            const bool sharesPlace = i > 0 && keyed.at(i - 1).ranked && rows.last().sum == k.row.sum
                && comparePlacings(keyed.at(i - 1).places, k.places) == 0;
            k.row.place = sharesPlace ? rows.last().place : int(i) + 1;
        }
        k.row.qualified = false;
        rows.append(std::move(k.row));
    }
}

QList<TeamScore> eventTeamScores(const EventResults &event, const PlacePoints &table, int bestDrivers)
{
    struct Team
    {
        QList<int> points;
        int bestPlace = 0;
    };
    QHash<QString, Team> teams;
    QStringList order; // the clubs as first spelt
    for (const EventClass &c : event.classes) {
        for (const EventEntry &e : c.entries) {
            if (e.club.isEmpty() || !e.started)
                continue;
            const QString key = teamKey(e.club);
            auto it = teams.find(key);
            if (it == teams.end()) {
                order.append(e.club);
                it = teams.insert(key, {});
            }
            it->points.append(table.forPlace(e.place));
            if (e.place > 0 && (it->bestPlace == 0 || e.place < it->bestPlace))
                it->bestPlace = e.place;
        }
    }
    QList<std::pair<TeamScore, int>> scored;
    for (const QString &club : std::as_const(order)) {
        Team team = teams.value(teamKey(club));
        std::sort(team.points.begin(), team.points.end(), std::greater<>());
        const qsizetype n = std::min<qsizetype>(std::max(0, bestDrivers), team.points.size());
        const int sum = std::accumulate(team.points.cbegin(), team.points.cbegin() + n, 0);
        scored.append({TeamScore{club, sum, 0}, team.bestPlace ? team.bestPlace : std::numeric_limits<int>::max()});
    }
    std::stable_sort(scored.begin(), scored.end(), [](const auto &a, const auto &b) {
        if (a.first.points != b.first.points)
            return a.first.points > b.first.points;
        return a.second < b.second;
    });
    QList<TeamScore> result;
    for (qsizetype i = 0; i < scored.size(); ++i) {
        TeamScore s = scored.at(i).first;
        const bool shares = i > 0 && scored.at(i - 1).first.points == s.points && scored.at(i - 1).second == scored.at(i).second;
        s.place = shares ? result.last().place : int(i) + 1;
        result.append(s);
    }
    return result;
}

SeasonStandings computeStandings(const QList<EventResults> &events, const SeasonRules &rules,
                                 const QList<DriverMerge> &merges, const QList<DriverPair> &declined)
{
    const qsizetype eventCount = events.size();
    const QList<EventResults> resolved = resolvedEvents(events, rules.points, merges);

    struct ClassBuild
    {
        QString name;
        QHash<DriverKey, qsizetype> rowOf;
        QList<StandingRow> rows;
    };
    QHash<QString, qsizetype> classIndex;
    QList<ClassBuild> classes;
    QHash<DriverKey, qsizetype> driverIndex;
    QList<std::pair<DriverKey, int>> drivers; // for the proposals, with their starts

    for (qsizetype ev = 0; ev < eventCount; ++ev) {
        for (const EventClass &c : resolved.at(ev).classes) {
            const QString ck = classKey(c.name);
            auto ci = classIndex.constFind(ck);
            if (ci == classIndex.cend()) {
                ci = classIndex.insert(ck, classes.size());
                classes.append({c.name, {}, {}});
            }
            ClassBuild &build = classes[*ci];
            for (const EventEntry &e : c.entries) {
                const DriverKey key{e.name, e.club, e.birthYear};
                auto di = driverIndex.constFind(key);
                if (di == driverIndex.cend()) {
                    di = driverIndex.insert(key, drivers.size());
                    drivers.append({key, 0});
                }
                ++drivers[*di].second;
                auto ri = build.rowOf.constFind(key);
                if (ri == build.rowOf.cend()) {
                    ri = build.rowOf.insert(key, build.rows.size());
                    StandingRow row;
                    row.driver = key;
                    row.events.resize(eventCount);
                    build.rows.append(std::move(row));
                }
                build.rows[*ri].events[ev] = EventScore{e.place, rules.points.forPlace(e.place), false};
            }
        }
    }

    SeasonStandings standings;
    const int counted = countedResults(rules, int(eventCount));
    for (ClassBuild &build : classes) {
        ClassStandings cs;
        cs.name = build.name;
        cs.rows = std::move(build.rows);
        rankStandings(cs.rows, counted, rules.minStarts);
        int ranked = 0;
        for (const StandingRow &r : std::as_const(cs.rows))
            ranked += r.place > 0 ? 1 : 0;
        const int places = qualifyingPlaces(rules, ranked);
        for (StandingRow &r : cs.rows) {
            r.qualified = r.place > 0 && r.place <= places;
            if (r.qualified)
                ++cs.qualified;
        }
        standings.classes.append(std::move(cs));
    }

    QHash<QString, qsizetype> teamRow;
    for (qsizetype ev = 0; ev < eventCount; ++ev) {
        for (const TeamScore &t : eventTeamScores(resolved.at(ev), rules.points, rules.teamDrivers)) {
            const QString key = teamKey(t.club);
            auto it = teamRow.constFind(key);
            if (it == teamRow.cend()) {
                it = teamRow.insert(key, standings.teams.rows.size());
                StandingRow row;
                row.driver.name = t.club;
                row.events.resize(eventCount);
                standings.teams.rows.append(std::move(row));
            }
            standings.teams.rows[*it].events[ev] = EventScore{t.place, t.points, false};
        }
    }
    standings.teams.name = u"Mannschaften"_s;
    rankStandings(standings.teams.rows, counted, 0);

    standings.proposals = mergeProposals(drivers, declined);
    return standings;
}

} // namespace vex
