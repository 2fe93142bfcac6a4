#pragma once

namespace vex {

class Race;
class ProgressWindow;

// The progress window follows the race's workbook imports and exports.
void bindProgressWindow(Race &race, ProgressWindow *window);

} // namespace vex
