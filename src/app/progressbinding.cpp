#include "app/progressbinding.h"

#include "app/formsplash.h"
#include "race/race.h"

namespace vex {

// The progress window follows the race's workbook imports and exports. They
// run on this thread, so each change is painted at once.
void bindProgressWindow(Race &race, TFormSplash *splash)
{
    if (!splash)
        return;
    QObject::connect(&race, &Race::progressShown, splash, [splash] {
        splash->show();
        splash->raise();
        splash->repaint();
    });
    QObject::connect(&race, &Race::progressCaptionChanged, splash, &QWidget::setWindowTitle);
    QObject::connect(&race, &Race::progressMaximumChanged, splash, &TFormSplash::setMaximum);
    QObject::connect(&race, &Race::progressChanged, splash, [splash](int value) {
        splash->setValue(value);
        splash->repaint();
    });
    QObject::connect(&race, &Race::progressClosed, splash, &QWidget::hide);
}

} // namespace vex
