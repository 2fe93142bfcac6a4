#pragma once

#include "live/livesnapshot.h"

#include <QByteArray>
#include <QJsonObject>

namespace vex {

// The results as the live page and /results.json give them: per class the
// rows that hold anything, in page order (the ranking's order), with place,
// start number, name, club (only while the club column is shown), the three
// runs with their penalty seconds and the total, exactly as the cells hold
// them; and the class's best total.
QJsonObject liveResultsJson(const LiveResults &results);

QJsonObject liveCourseJson(const LiveCourse &course);

// The whole document: the results with the course under "course".
QByteArray liveDocument(const QJsonObject &results, const QJsonObject &course);
// What is pushed while only the run changed: {"course": ...}.
QByteArray liveCourseMessage(const QJsonObject &course);

} // namespace vex
