#include "widgets/teampage.h"

#include "results/daybest.h"
#include "results/teamranking.h"

#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace vex {

namespace {

enum TeamColumn { TeamPlace, TeamName, TeamPoints, TeamMembers, TeamColumns };

QString membersText(const TeamStanding &team)
{
    QStringList counting;
    for (const TeamMember &m : team.counting) {
        const QString place = m.place > 0 ? u"%1. Platz"_s.arg(m.place) : u"ohne Platz"_s;
        counting.append(u"%1 (%2, %3, %4 P.)"_s.arg(m.name, m.className, place).arg(m.points));
    }
    QString out = counting.join(u", "_s);
    const qsizetype others = team.members - team.counting.size();
    if (others > 0)
        out += u"  \u2013 %1 weitere nicht gewertet"_s.arg(others);
    return out;
}

} // namespace

TeamPage::TeamPage(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(u"TeamPage"_s);
    m_dayBest = new QLabel(this);
    m_dayBest->setObjectName(u"lbl_Tagesbestzeit"_s);
    QFont bold = m_dayBest->font();
    bold.setBold(true);
    m_dayBest->setFont(bold);
    m_fastest = new QLabel(this);
    m_fastest->setObjectName(u"lbl_Schnellste"_s);
    m_fastest->setFont(bold);
    m_fastest->hide();
    m_table = new QTableWidget(0, TeamColumns, this);
    m_table->setObjectName(u"TeamTable"_s);
    m_table->setHorizontalHeaderLabels({u"Platz"_s, u"Mannschaft"_s, u"Punkte"_s, u"Gewertete Fahrer/innen"_s});
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->verticalHeader()->hide();
    m_table->horizontalHeader()->setSectionResizeMode(TeamMembers, QHeaderView::Stretch);
    m_table->horizontalHeader()->setSectionResizeMode(TeamName, QHeaderView::ResizeToContents);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_dayBest);
    layout->addWidget(m_fastest);
    layout->addWidget(m_table, 1);
    showStandings({}, {});
}

void TeamPage::showFastest(const QStringList &lines)
{
    m_fastest->setText(lines.join(u'\n'));
    m_fastest->setVisible(!lines.isEmpty());
}

void TeamPage::showStandings(const TeamRanking &ranking, const DayBest &dayBest)
{
    m_dayBest->setText(u"Tagesbestzeit: "_s + (dayBest.found ? dayBest.text() : u"noch keine"_s));
    m_table->setRowCount(int(ranking.teams.size()));
    for (int r = 0; r < ranking.teams.size(); ++r) {
        const TeamStanding &team = ranking.teams.at(r);
        const QStringList texts{QString::number(team.place), team.team, QString::number(team.points), membersText(team)};
        for (int c = 0; c < TeamColumns; ++c) {
            QTableWidgetItem *item = m_table->item(r, c);
            if (!item) {
                item = new QTableWidgetItem;
                item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
                m_table->setItem(r, c, item);
            }
            item->setText(texts.at(c));
            item->setTextAlignment(c == TeamPlace || c == TeamPoints ? Qt::AlignRight | Qt::AlignVCenter
                                                                      : Qt::AlignLeft | Qt::AlignVCenter);
        }
    }
}

} // namespace vex
