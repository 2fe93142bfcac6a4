#pragma once

#include <functional>

class QMainWindow;
class QString;

namespace vex {

class Race;
class RaceFiles;
struct MainWidgets;

// The commands of the event day in the rows' popup menu: a drawn start
// order or the result reversed for the class shown (both can be taken back),
// the team ranking with the day's best run in a window of its own that
// follows every command, the certificates and the result list as PDF.
void bindEventDayActions(QMainWindow &window, MainWidgets &ui, Race &race, RaceFiles &files,
                         const QString &appTitle, std::function<bool(const QString &)> askYesNo);

} // namespace vex
