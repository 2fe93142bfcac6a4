#include "results/awardstracker.h"

#include "results/competition.h"

namespace vex {

AwardsTracker::AwardsTracker(const Competition &competition)
    : m_competition(competition)
{
    static_assert(std::tuple_size_v<decltype(m_stale)> == kPageCount);
    everythingChanged();
}

void AwardsTracker::setRules(const TeamRules &rules)
{
    m_rules = rules;
    everythingChanged();
}

void AwardsTracker::pageChanged(int page)
{
    if (page >= 0 && page < kPageCount)
        m_stale[std::size_t(page)] = true;
}

void AwardsTracker::everythingChanged()
{
    m_stale.fill(true);
}

void AwardsTracker::update()
{
    const int n = classPageCount(m_competition);
    if (m_classes.size() != n) {
        m_classes.resize(n);
        m_readings.resize(n);
        m_stale.fill(true);
    }
    for (int k = 0; k < n; ++k) {
        if (m_stale[std::size_t(k)])
            m_classes[k] = classAwards(*m_competition.page(k), k, m_rules, &m_readings[k]);
    }
    m_stale.fill(false);
}

TeamRanking AwardsTracker::teams()
{
    update();
    return rankTeams(m_classes, m_rules);
}

DayBest AwardsTracker::dayBest()
{
    update();
    return dayBestOf(m_classes);
}

} // namespace vex
