#pragma once

namespace vex {

class Race;
class TFormSplash;

// The progress window follows the race's workbook imports and exports.
void bindProgressWindow(Race &race, TFormSplash *splash);

} // namespace vex
