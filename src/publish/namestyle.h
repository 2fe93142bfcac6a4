#pragma once

#include <QString>

namespace vex {

struct LiveCourse;
struct LiveResults;

// How drivers, many of them minors, are named in what goes on the internet.
// Kept as a number in the settings: the order is fixed.
enum class NameStyle { Full = 0, FirstNameInitial = 1, StartNumberOnly = 2 };

// "Anna Berg" and "Berg, Anna" both become "Anna B."; a birth year in
// brackets is left out in every style but Full; StartNumberOnly leaves no
// name at all.
QString publicName(const QString &name, NameStyle style);

// The same for every name the snapshot holds: the rows, each class's best
// driver and the driver on the course.
void applyNameStyle(LiveResults &results, LiveCourse &course, NameStyle style);

} // namespace vex
