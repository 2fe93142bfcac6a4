#pragma once

#include "results/resultpage.h"

#include <functional>

class QMainWindow;

namespace vex {

class Race;
struct MainWidgets;

// What the operator's commands against a false contact or a wrong key need
// of the window: the row a popup command acts on, and the yes/no question.
struct CorrectionHooks
{
    std::function<RowId()> commandRow;
    std::function<bool(const QString &)> askYesNo;
};

// "Weiterlaufen" (F7) and "Eintrag zurücknehmen" (Ctrl+Z) join the hidden
// menu, "verschieben" and "wiederholen" the rows' popup menu; each acts on the
// run chosen for the next entry. Called before the window's menu keys are
// taken over.
void bindCorrectionActions(QMainWindow &window, MainWidgets &ui, Race &race, CorrectionHooks hooks);

} // namespace vex
