#pragma once

namespace vex {

class RaceFiles;
class ProgressWindow;

// The progress window follows the race's workbook imports and exports.
void bindProgressWindow(RaceFiles &files, ProgressWindow *window);

} // namespace vex
