#pragma once

#include "season/season.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

namespace vex {

// The columns of a standings table: place, name, club, one per event, the
// sum and the starts. A team table has no club column.
QStringList standingsHeaders(const SeasonReport &report, bool teams);

// An event's cell: the points, in brackets when struck; "–" for no start.
QString scoreText(const std::optional<EventScore> &score);

// The line under the last qualified row: "... 3 Fahrer bis Platz 2".
QString qualificationLineText(const ClassStandings &standings);

// The events as the reports list them: "1. Lauf Nordheim, 12.04.2026".
QStringList eventLines(const SeasonReport &report);

// The standings as a web page (UTF-8): title, events with dates, the rules,
// the files left out, one table per class with the qualification line, the
// team standings. Struck points are struck through.
QByteArray buildSeasonHtml(const SeasonReport &report);

// The page as PDF on A4 (landscape from seven events on). The file is
// replaced only by a complete one. Returns the operator's message on failure.
std::optional<QString> writeSeasonPdf(const SeasonReport &report, const QString &path);

// One sheet per class and one for the teams, each with the title, the
// events and the rules above the table. Returns the operator's message on
// failure.
std::optional<QString> writeSeasonWorkbook(const SeasonReport &report, const QString &path);

} // namespace vex
