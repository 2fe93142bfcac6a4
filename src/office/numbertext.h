#pragma once

#include <QString>

namespace vex {

// A number as a spreadsheet shows it in a cell of the standard format:
// whole numbers without a decimal part, others with the system's decimal
// separator and no thousands separators.
QString spreadsheetNumberText(double number);

} // namespace vex
