#pragma once

#include <QByteArray>

#include <array>

namespace vex {

struct SeasonReport;

// The season's standings as a web page in each NameStyle (by its number):
// drivers named as in the results that go up, birth years left out but in
// full.
std::array<QByteArray, 3> seasonPagesOf(const SeasonReport &report);

} // namespace vex
