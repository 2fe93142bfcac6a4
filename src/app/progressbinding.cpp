#include "app/progressbinding.h"

#include "app/progresswindow.h"
#include "race/race.h"

namespace vex {

// The progress window follows the race's workbook imports and exports. They
// run on this thread, so each change is painted at once.
void bindProgressWindow(Race &race, ProgressWindow *window)
{
    if (!window)
        return;
    QObject::connect(&race, &Race::progressShown, window, [window] {
        window->show();
        window->raise();
        window->repaint();
    });
    QObject::connect(&race, &Race::progressCaptionChanged, window, &QWidget::setWindowTitle);
    QObject::connect(&race, &Race::progressMaximumChanged, window, &ProgressWindow::setMaximum);
    QObject::connect(&race, &Race::progressChanged, window, [window](int value) {
        window->setValue(value);
        window->repaint();
    });
    QObject::connect(&race, &Race::progressClosed, window, &QWidget::hide);
}

} // namespace vex
