#pragma once

#include "results/resultpage.h"

#include <QByteArray>
#include <QString>

#include <array>
#include <optional>

namespace vex {

class Competition;

// Everything of the web page that doesn't come from the result pages.
struct HtmlReportInfo
{
    QString title;   // heading and window title of the page
    QString title2;  // second heading line; may hold several lines (CR LF)
    QString appTitle;
    // Width share in percent of each grid column, as the main window divides
    // its grid (indexed by grid column).
    std::array<int, kColumnCount> columnWidthPercent{5, 20, 12, 8, 6, 8, 6, 8, 6, 8, 5};
    // While the club column is hidden in the window it is left out of the page.
    bool clubShown = true;
    // Said after "Ergebnisse" in the heading, e.g. "vorläufig"; nothing when empty.
    QString status;
    // The time until which objections are taken, "14:35", in a line of its
    // own under the heading; nothing when empty.
    QString objectionDeadline;
    // Captions of lines to sign on at the end of the page, left to right;
    // a blank caption has no line.
    QStringList signatures;
    // The day's best run (DayBest::text), shown after the classes when given.
    QString dayBest;
    // The fastest girl and boy as lines (fastestLines), after the day's best.
    QStringList fastest;
    // The team ranking as a table, titles first (teamTableRows); shown after
    // the classes when given.
    QList<QStringList> teamRows;
};

// The grid columns of a class table in page order: place first, the training
// run never, the club only while shown, runs 3 and 4 where the page has them.
QList<int> htmlColumns(bool clubShown, int scoringRuns = 2);

// The protocol as a web page: a title block, one table per class-list entry,
// a footer. Windows-1252 bytes (declared as ISO-8859-1), CR LF line ends; every
// text from the competition or the settings is escaped.
QByteArray buildHtmlReport(const Competition &competition, const HtmlReportInfo &info);

// Writes the page to path; an existing file is replaced only by a complete new
// one. Returns "Der Schreibfehler der Datei: " and the path on failure.
std::optional<QString> WriteHtmlReport(const Competition &competition, const HtmlReportInfo &info,
                                       const QString &path);

} // namespace vex
