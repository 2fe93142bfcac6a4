#include "app/teampagebinding.h"

#include "results/competition.h"
#include "results/daybest.h"
#include "widgets/teampage.h"

namespace vex {

TeamPageBinding::TeamPageBinding(const Competition &competition, TeamPage &page, QObject *parent)
    : QObject(parent)
    , m_competition(competition)
    , m_page(page)
{
    m_timer.setSingleShot(true);
    m_timer.setInterval(0);
    connect(&m_timer, &QTimer::timeout, this, &TeamPageBinding::refreshNow);
    connect(&competition, &Competition::classesChanged, this, &TeamPageBinding::schedule);
    for (int k = 0; k < Competition::pageCount(); ++k) {
        const ResultPage *p = competition.page(k);
        connect(p, &QAbstractItemModel::dataChanged, this, &TeamPageBinding::schedule);
        connect(p, &QAbstractItemModel::layoutChanged, this, &TeamPageBinding::schedule);
        connect(p, &QAbstractItemModel::rowsRemoved, this, &TeamPageBinding::schedule);
        connect(p, &QAbstractItemModel::modelReset, this, &TeamPageBinding::schedule);
        connect(p, &ResultPage::captionChanged, this, &TeamPageBinding::schedule);
        connect(p, &ResultPage::regulationChanged, this, &TeamPageBinding::schedule);
    }
    refreshNow();
}

void TeamPageBinding::setRules(const TeamRules &rules)
{
    m_rules = rules;
    refreshNow();
}

void TeamPageBinding::schedule()
{
    if (!m_timer.isActive())
        m_timer.start();
}

void TeamPageBinding::refreshNow()
{
    m_timer.stop();
    m_page.showStandings(rankTeams(m_competition, m_rules), findDayBest(m_competition));
}

} // namespace vex
