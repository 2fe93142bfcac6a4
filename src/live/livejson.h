#pragma once

#include "live/livesnapshot.h"

#include <QByteArray>
#include <QJsonObject>

namespace vex {

class Competition;

// The results as the live page and /results.json give them: per class the
// rows that hold anything, in page order (the ranking's order), with place,
// start number, name, club (only while the club column is shown), the runs
// the page shows with their penalty seconds (struck ones marked) and the
// total, exactly as the cells hold them; the class's best total, the day's
// best run and the team ranking. competition: the snapshot's pages.
QJsonObject liveResultsJson(const LiveResults &results, const Competition &competition);

QJsonObject liveCourseJson(const LiveCourse &course);

// The whole document: the results with the course under "course".
QByteArray liveDocument(const QJsonObject &results, const QJsonObject &course);
// What is pushed while only the run changed: {"course": ...}.
QByteArray liveCourseMessage(const QJsonObject &course);

} // namespace vex
