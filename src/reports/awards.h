#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace vex {

class Competition;
struct DayBest;
struct HtmlReportInfo;
struct TeamRanking;
struct TeamRules;

// The team ranking as a table for the reports and the workbook: the titles
// "Platz", "Mannschaft", "Punkte", "Fahrer/innen", then one row per team.
// The counting members are listed best first as "7 Muster, Max (K2, Platz 1,
// 50)", then how many others drove for the team ("2 weitere"). Only the
// titles when there is no team.
QList<QStringList> teamTableRows(const TeamRanking &ranking);

// The day's best run, the fastest girl and boy (fastestLines) and the team
// ranking as plain text (CR LF lines), for
// the word processor; empty when there is neither.
QString awardsText(const DayBest &dayBest, const TeamRanking &ranking, const QStringList &fastest = {});

// The web page's day's best run and team ranking, after the classes, as the
// saved page, the live page's protocol and the result list show them. The
// teams are clubs: while the club column is hidden they are left out.
void addAwards(HtmlReportInfo &info, const Competition &competition, const TeamRules &rules);

} // namespace vex
