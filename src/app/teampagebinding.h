#pragma once

#include "results/awardstracker.h"

#include <QObject>
#include <QTimer>

namespace vex {

class Competition;
class TeamPage;

// Keeps the page "Mannschaften" on the results: every change of any result
// page (an entry, a correction, a ranking, a loaded file, a command taken
// back) schedules one new ranking of the teams, which runs as soon as the
// command that made the change has returned, so a command that touches a
// hundred cells ranks the teams once; only the classes that changed are read
// again.
class TeamPageBinding : public QObject
{
    Q_OBJECT
public:
    TeamPageBinding(const Competition &competition, TeamPage &page, QObject *parent = nullptr);

    // New rules from the settings; the page follows at once.
    void setRules(const TeamRules &rules);
    // Ranks the teams now, whether a change is pending or not.
    void refreshNow();
    bool refreshPending() const { return m_timer.isActive(); }

private:
    void schedule();

    TeamPage &m_page;
    const Competition &m_competition;
    AwardsTracker m_awards;
    QTimer m_timer;
};

} // namespace vex
