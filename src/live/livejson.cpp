#include "live/livejson.h"

#include "results/competition.h"
#include "results/daybest.h"
#include "results/genderbest.h"
#include "results/teamranking.h"
#include "results/ranking.h"
#include "results/rowtotal.h"
#include "results/runcell.h"
#include "timing/timetext.h"

#include <QJsonArray>
#include <QJsonDocument>

using namespace Qt::StringLiterals;

namespace vex {

namespace {

bool holdsAnything(const QStringList &row)
{
    return std::any_of(row.begin(), row.end(), [](const QString &cell) { return !isBlankCell(cell); });
}

QString trimmed(const QStringList &row, int column)
{
    return column < row.size() ? row.at(column).trimmed() : QString();
}

QJsonObject rowJson(const ResultPage &page, int r, bool clubShown)
{
    const QStringList &row = page.row(r);
    QJsonObject o;
    o.insert(u"place"_s, trimmed(row, ColPlace));
    o.insert(u"startNumber"_s, trimmed(row, ColStNr));
    o.insert(u"name"_s, trimmed(row, ColName));
    if (clubShown)
        o.insert(u"club"_s, trimmed(row, ColClub));
    QJsonArray runs;
    for (int run = 0; run <= page.shownRuns(); ++run) {
        QJsonObject o{{u"time"_s, page.markedText(r, timeColumn(run)).trimmed()},
                      {u"penalty"_s, trimmed(row, penaltyColumn(run))}};
        if (page.isStruckRun(r, run))
            o.insert(u"struck"_s, true);
        runs.append(o);
    }
    o.insert(u"runs"_s, runs);
    const QString total = trimmed(row, ColTotal);
    o.insert(u"total"_s, total);
    const RunCell::Kind kind = readRunCell(total).kind;
    o.insert(u"disqualified"_s, kind == RunCell::Disqualified || kind == RunCell::Dis);
    return o;
}

} // namespace

QJsonObject liveResultsJson(const LiveResults &results, const Competition &competition)
{
    QJsonArray classes;
    for (int k = 0; k < results.classes.size(); ++k) {
        const LiveClass &cls = results.classes.at(k);
        QJsonObject c;
        c.insert(u"page"_s, k);
        c.insert(u"name"_s, cls.name.trimmed());
        if (cls.bestTimeMs > 0)
            c.insert(u"best"_s, QJsonObject{{u"time"_s, MsToText(cls.bestTimeMs)}, {u"driver"_s, cls.bestDriver}});
        const ResultPage &page = *competition.page(k);
        c.insert(u"runs"_s, page.shownRuns());
        QJsonArray rows;
        for (int r = 1; r < page.rows(); ++r) {
            if (holdsAnything(page.row(r)))
                rows.append(rowJson(page, r, results.clubShown));
        }
        c.insert(u"rows"_s, rows);
        classes.append(c);
    }
    QJsonObject doc{{u"version"_s, qint64(results.version)},
                    {u"title"_s, results.title},
                    {u"subtitle"_s, results.subtitle},
                    {u"clubShown"_s, results.clubShown},
                    {u"classes"_s, classes}};
    if (const DayBest best = findDayBest(competition); best.found)
        doc.insert(u"dayBest"_s, best.text());
    if (const DayBest girl = findFastest(competition, Gender::Girl); girl.found)
        doc.insert(u"fastestGirl"_s, girl.text());
    if (const DayBest boy = findFastest(competition, Gender::Boy); boy.found)
        doc.insert(u"fastestBoy"_s, boy.text());
    QJsonArray teams;
    for (const TeamStanding &t : rankTeams(competition, results.teamRules).teams)
        teams.append(QJsonObject{{u"place"_s, t.place}, {u"team"_s, t.team}, {u"points"_s, t.points}});
    doc.insert(u"teams"_s, teams);
    return doc;
}

QJsonObject liveCourseJson(const LiveCourse &course)
{
    static const char *const kStates[] = {"ready", "running", "stopped", "entered"};
    QJsonObject o{{u"version"_s, qint64(course.version)},
                  {u"page"_s, course.page},
                  {u"run"_s, course.run == 0 ? u"TR"_s : u"Lauf %1"_s.arg(course.run)},
                  {u"startNumber"_s, course.startNumber.trimmed()},
                  {u"name"_s, course.name.trimmed()},
                  {u"club"_s, course.club.trimmed()},
                  {u"penalty"_s, course.penaltySeconds},
                  {u"state"_s, QString::fromLatin1(kStates[int(course.state)])},
                  {u"ms"_s, course.timeMs},
                  {u"time"_s, MsToText(course.timeMs)}};
    return o;
}

QByteArray liveDocument(const QJsonObject &results, const QJsonObject &course)
{
    QJsonObject doc = results;
    doc.insert(u"course"_s, course);
    return QJsonDocument(doc).toJson(QJsonDocument::Compact);
}

QByteArray liveCourseMessage(const QJsonObject &course)
{
    return QJsonDocument(QJsonObject{{u"course"_s, course}}).toJson(QJsonDocument::Compact);
}

} // namespace vex
