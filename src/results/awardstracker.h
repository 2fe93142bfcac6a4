#pragma once

#include "results/rowreadings.h"
#include "results/teamranking.h"

#include <QList>

#include <array>

namespace vex {

class Competition;

// The team ranking and the day's best run kept up to date class by class: a
// change of one page makes only that class be read again, which keeps an
// entry in a day of ten big classes as quick as one in a single class.
class AwardsTracker
{
public:
    explicit AwardsTracker(const Competition &competition);

    void setRules(const TeamRules &rules);
    const TeamRules &rules() const { return m_rules; }
    // The page's cells, rows or caption changed.
    void pageChanged(int page);
    // The class list changed: every class is read again.
    void everythingChanged();

    TeamRanking teams();
    DayBest dayBest();

private:
    void update();

    const Competition &m_competition;
    TeamRules m_rules;
    QList<ClassAwards> m_classes;
    QList<RowReadings> m_readings;
    std::array<bool, 10> m_stale{};
};

} // namespace vex
