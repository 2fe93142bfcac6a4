#pragma once

#include "results/resultpage.h"

#include <QList>

#include <functional>

class QAction;
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

// "Weiterlaufen" (F7), "Rückgängig" (Ctrl+Z) and "Wiederholen" (Ctrl+Y,
// Ctrl+Shift+Z) join the hidden menu; the rows' popup menu gets undo and redo
// with the command's text, "verschieben" and "wiederholen lassen", the last
// two acting on the run chosen for the next entry. What a step did or why it
// was refused shows in the status bar. Called before the window's menu keys
// are taken over; returns the key actions, which the spectators' display
// carries too.
QList<QAction *> bindCorrectionActions(QMainWindow &window, MainWidgets &ui, Race &race, CorrectionHooks hooks);

} // namespace vex
