#include "live/livesnapshot.h"

#include "race/race.h"
#include "settings/settings.h"
#include "results/competition.h"
#include "results/ranking.h"

#include <QSignalBlocker>

namespace vex {

LiveResults takeLiveResults(const Race &race, const QString &appTitle)
{
    const Settings &s = race.settings();
    LiveResults results;
    results.title = s.Title;
    results.subtitle = s.Title2;
    results.appTitle = appTitle;
    results.columnWidthPercent = race.columnWidthPercent().shares();
    results.clubShown = race.columnWidthPercent().share(ColClub) > 0;
    results.teamRules = teamRulesOf(s);
    const Competition &c = race.competition();
    results.eventDate = c.eventDate();
    results.eventPlace = c.eventPlace();
    QStringList names = c.classes();
    // Saving lets a first page typed by hand stand in as a class of its own
    // caption; the live page shows what "Speichern" writes.
    if (names.isEmpty() && race.pageHoldsData(0))
        names = {c.page(0)->caption()};
    const qsizetype n = std::min<qsizetype>(names.size(), Competition::pageCount());
    for (int k = 0; k < n; ++k) {
        const ResultPage &page = *c.page(k);
        LiveClass cls{names.at(k), page.caption(), {}, 0, {}, page.regulation(), {}, {}};
        cls.rows.reserve(page.rows());
        for (int r = 0; r < page.rows(); ++r)
            cls.rows.append(page.row(r));
        if (page.hasTeams()) {
            for (int r = 0; r < page.rows(); ++r)
                cls.teams.append(page.team(r));
        }
        const PageRows state = page.rowsState();
        if (!state.marks.isEmpty()) {
            for (int r = 0; r < page.rows(); ++r)
                cls.marks.append(page.marks(r));
        }
        const RankResult best = FindPageBest(page);
        cls.bestTimeMs = best.bestTimeMs;
        cls.bestDriver = best.bestDriverLabel.trimmed();
        results.classes.append(std::move(cls));
    }
    return results;
}

LiveCourse takeLiveCourse(const Race &race, qint32 runningMs)
{
    const RaceEntry &e = race.entry();
    const RunController &run = race.runController();
    LiveCourse course;
    course.page = e.page;
    course.run = e.run;
    course.startNumber = e.startNumber;
    course.name = e.name;
    course.club = race.settings().cbClub ? e.club : QString();
    course.penaltySeconds = e.penaltySeconds;
    course.state = run.state();
    if (course.state == RunState::Running)
        course.timeMs = runningMs;
    else if (course.state != RunState::Ready)
        course.timeMs = run.runTimeMs();
    return course;
}

std::unique_ptr<Competition> competitionOf(const LiveResults &results)
{
    auto c = std::make_unique<Competition>();
    const QSignalBlocker quiet(c.get());
    QStringList names;
    for (int k = 0; k < results.classes.size(); ++k) {
        const LiveClass &cls = results.classes.at(k);
        ResultPage &page = *c->page(k);
        page.setRegulation(cls.regulation);
        page.setRowCount(int(cls.rows.size()));
        for (int r = 0; r < cls.rows.size(); ++r)
            page.setRow(r, cls.rows.at(r));
        for (int r = 1; r < cls.teams.size(); ++r)
            page.setTeam(r, cls.teams.at(r));
        for (int r = 1; r < cls.marks.size(); ++r)
            page.setMarks(r, cls.marks.at(r));
        page.setCaption(cls.caption);
        names.append(cls.name);
    }
    c->setClasses(names);
    c->setEventDate(results.eventDate);
    c->setEventPlace(results.eventPlace);
    return c;
}

} // namespace vex
