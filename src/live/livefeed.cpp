#include "live/livefeed.h"

#include "race/race.h"

namespace vex {

LiveFeed::LiveFeed(const Race &race, QString appTitle, QObject *parent)
    : QObject(parent)
    , m_race(race)
    , m_appTitle(std::move(appTitle))
{
    m_soon.setSingleShot(true);
    m_soon.setInterval(0);
    connect(&m_soon, &QTimer::timeout, this, &LiveFeed::publishDue);
    m_ticker.setSingleShot(true);
    m_ticker.setInterval(kRunningIntervalMs);
    connect(&m_ticker, &QTimer::timeout, this, &LiveFeed::publishCourse);

    const Race *r = &race;
    connect(&r->results(), &RaceResults::resultsChanged, this, &LiveFeed::resultsChanged);
    connect(&r->results(), &RaceResults::pageRanked, this, &LiveFeed::resultsChanged);
    connect(&r->results(), &RaceResults::classListChanged, this, &LiveFeed::resultsChanged);
    connect(r, &Race::settingsChanged, this, &LiveFeed::resultsChanged);
    connect(r, &Race::entryChanged, this, &LiveFeed::courseChanged);
    connect(r, &Race::runControlsChanged, this, &LiveFeed::courseChanged);
    connect(r, &Race::displayReset, this, &LiveFeed::courseChanged);
    connect(r, &Race::runningTime, this, [this](qint32 ms) {
        m_runningMs = ms;
        if (!m_ticker.isActive())
            m_ticker.start();
    });
}

void LiveFeed::publishNow()
{
    m_resultsDue = true;
    m_course.version = 0;
    publishDue();
}

void LiveFeed::resultsChanged()
{
    m_resultsDue = true;
    m_soon.start();
}

void LiveFeed::courseChanged()
{
    m_soon.start();
}

void LiveFeed::publishDue()
{
    m_soon.stop();
    if (m_resultsDue) {
        m_resultsDue = false;
        auto results = std::make_shared<LiveResults>(takeLiveResults(m_race, m_appTitle));
        results->version = ++m_resultsVersion;
        Q_EMIT resultsReady(std::move(results));
    }
    publishCourse();
}

void LiveFeed::publishCourse()
{
    LiveCourse course = takeLiveCourse(m_race, m_runningMs);
    // Version 0: nobody has seen one yet, send it whatever it holds.
    course.version = m_course.version;
    if (course.version != 0 && course == m_course)
        return;
    course.version = ++m_courseVersion;
    m_course = course;
    Q_EMIT courseReady(m_course);
}

} // namespace vex
