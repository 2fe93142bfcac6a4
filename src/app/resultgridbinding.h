#pragma once

#include "results/resultpage.h"

#include <array>

namespace vex {

class Race;
class ResultGrid;

// Ties the grids of the ten pages to the race: every cell the operator
// commits, however his edit ends, goes to the race as one correction; a
// command about to write a page first ends the edit open on it; a double
// click picks a driver; the cursor row and the ranked order come back.
void bindResultGrids(Race &race, const std::array<ResultGrid *, kPageCount> &grids);

} // namespace vex
