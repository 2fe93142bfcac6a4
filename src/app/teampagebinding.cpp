#include "app/teampagebinding.h"

#include "results/competition.h"
#include "results/daybest.h"
#include "results/genderbest.h"
#include "widgets/teampage.h"

namespace vex {

TeamPageBinding::TeamPageBinding(const Competition &competition, TeamPage &page, QObject *parent)
    : QObject(parent)
    , m_page(page)
    , m_competition(competition)
    , m_awards(competition)
{
    m_timer.setSingleShot(true);
    m_timer.setInterval(0);
    connect(&m_timer, &QTimer::timeout, this, &TeamPageBinding::refreshNow);
    connect(&competition, &Competition::classesChanged, this, [this] {
        m_awards.everythingChanged();
        schedule();
    });
    for (int k = 0; k < Competition::pageCount(); ++k) {
        const ResultPage *p = competition.page(k);
        const auto changed = [this, k] {
            m_awards.pageChanged(k);
            schedule();
        };
        connect(p, &QAbstractItemModel::dataChanged, this, changed);
        connect(p, &QAbstractItemModel::layoutChanged, this, changed);
        connect(p, &QAbstractItemModel::rowsRemoved, this, changed);
        connect(p, &QAbstractItemModel::modelReset, this, changed);
        connect(p, &ResultPage::captionChanged, this, changed);
        connect(p, &ResultPage::regulationChanged, this, changed);
    }
    refreshNow();
}

void TeamPageBinding::setRules(const TeamRules &rules)
{
    m_awards.setRules(rules);
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
    m_page.showStandings(m_awards.teams(), m_awards.dayBest());
    m_page.showFastest(fastestLines(m_competition));
}

} // namespace vex
