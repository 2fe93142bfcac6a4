#pragma once

#include <QGuiApplication>
#include <QRect>
#include <QScreen>
#include <QWidget>

namespace vex {

// Puts a top-level window's centre on the centre of another window, or of the
// screen when there is none (the small dialogs are created before or without
// the main window in tests).
inline void centreWindowOn(QWidget &window, const QWidget *over)
{
    QRect area;
    if (over)
        area = over->window()->frameGeometry();
    else if (const QScreen *screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen())
        area = screen->availableGeometry();
    if (area.isEmpty())
        return;
    QRect frame(QPoint(), window.frameGeometry().size().expandedTo(window.size()));
    frame.moveCenter(area.center());
    window.move(frame.topLeft());
}

} // namespace vex
