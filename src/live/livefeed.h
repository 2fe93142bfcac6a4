#pragma once

#include "live/livesnapshot.h"

#include <QObject>
#include <QString>
#include <QTimer>

namespace vex {

class Race;

// Follows the race on its own thread and hands out whole values: the results
// once after each command that changed them (however many signals it sent),
// the run at once when it changes state and at most ten times a second while
// the clock runs.
class LiveFeed : public QObject
{
    Q_OBJECT
public:
    static constexpr int kRunningIntervalMs = 100;

    LiveFeed(const Race &race, QString appTitle, QObject *parent = nullptr);

    // Both values as they stand, now (a new server starts with them).
    void publishNow();

Q_SIGNALS:
    void resultsReady(vex::LiveResultsPtr results);
    void courseReady(const vex::LiveCourse &course);

private:
    void resultsChanged();
    void courseChanged();
    void publishDue();
    void publishCourse();

    const Race &m_race;
    QString m_appTitle;
    QTimer m_soon;    // after the command that is running now
    QTimer m_ticker;  // the running clock's pace for the live page
    bool m_resultsDue = false;
    qint32 m_runningMs = 0;
    quint64 m_resultsVersion = 0;
    quint64 m_courseVersion = 0;
    LiveCourse m_course;
};

} // namespace vex
