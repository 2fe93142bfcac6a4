#include "reports/awards.h"
#include "reports/htmlreport.h"

#include "results/daybest.h"
#include "results/genderbest.h"
#include "results/teamranking.h"

using namespace Qt::StringLiterals;

namespace vex {

namespace {

QString memberText(const TeamMember &m)
{
    QStringList where;
    if (!m.className.isEmpty())
        where.append(m.className);
    where.append(m.place > 0 ? u"Platz %1"_s.arg(m.place) : u"ohne Platz"_s);
    where.append(QString::number(m.points));
    return QString(m.startNumber + u' ' + m.name).trimmed() + u" (" + where.join(u", "_s) + u')';
}

} // namespace

QList<QStringList> teamTableRows(const TeamRanking &ranking)
{
    QList<QStringList> rows{{u"Platz"_s, u"Mannschaft"_s, u"Punkte"_s, u"Fahrer/innen"_s}};
    for (const TeamStanding &team : ranking.teams) {
        QStringList members;
        for (const TeamMember &m : team.counting)
            members.append(memberText(m));
        if (team.members > team.counting.size())
            members.append(u"%1 weitere"_s.arg(team.members - team.counting.size()));
        rows.append({QString::number(team.place), team.team, QString::number(team.points), members.join(u"; "_s)});
    }
    return rows;
}

QString awardsText(const DayBest &dayBest, const TeamRanking &ranking, const QStringList &fastest)
{
    const QString crLf = u"\r\n"_s;
    QString text;
    if (dayBest.found)
        text += crLf + u"Tagesbestzeit: "_s + dayBest.text() + crLf;
    for (const QString &line : fastest)
        text += line + crLf;
    if (!ranking.teams.isEmpty()) {
        text += crLf + u"MANNSCHAFTSWERTUNG"_s + crLf;
        for (const QStringList &row : teamTableRows(ranking))
            text += row.join(u'\t') + crLf;
    }
    return text;
}

void addAwards(HtmlReportInfo &info, const Competition &competition, const TeamRules &rules)
{
    info.dayBest = findDayBest(competition).text();
    info.fastest = fastestLines(competition);
    if (info.clubShown)
        info.teamRows = teamTableRows(rankTeams(competition, rules));
}

} // namespace vex
