#include "app/progressbinding.h"

#include "app/progresswindow.h"
#include "files/racefiles.h"

namespace vex {

// The progress window follows the race's workbook imports and exports. They
// run on this thread, so each change is painted at once.
void bindProgressWindow(RaceFiles &race, ProgressWindow *window)
{
    if (!window)
        return;
    QObject::connect(&race, &RaceFiles::progressShown, window, [window] {
        window->show();
        window->raise();
        window->repaint();
    });
    QObject::connect(&race, &RaceFiles::progressCaptionChanged, window, &QWidget::setWindowTitle);
    QObject::connect(&race, &RaceFiles::progressMaximumChanged, window, &ProgressWindow::setMaximum);
    QObject::connect(&race, &RaceFiles::progressChanged, window, [window](int value) {
        window->setValue(value);
        window->repaint();
    });
    QObject::connect(&race, &RaceFiles::progressClosed, window, &QWidget::hide);
}

} // namespace vex
