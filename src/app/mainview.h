#pragma once

#include "app/mainwidgets.h"

namespace vex {

struct RunControls;

// Shows a new row at the foot of the grid and opens its start number for
// typing.
void editNewRow(ResultGrid *grid, int row);

// The protocol bar's buttons work while the page in front holds drivers;
// the workbook and document buttons also need their program.
void showFileButtons(const MainWidgets &u, bool holdsData, bool spreadsheet, bool wordProcessor);

// The run state onto the buttons, the menu items and the pictures.
void showRunControls(const MainWidgets &u, const RunControls &c);

} // namespace vex
