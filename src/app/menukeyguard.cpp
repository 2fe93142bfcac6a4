#include "app/menukeyguard.h"

#include <QKeyEvent>
#include <QWidget>

namespace vex {

MenuKeyGuard::MenuKeyGuard(QWidget *window, const QSet<QKeyCombination> &keys)
    : QObject(window)
    , m_window(window)
    , m_keys(keys)
{
}

bool MenuKeyGuard::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::ShortcutOverride && event->type() != QEvent::KeyPress)
        return false;
    auto *w = qobject_cast<QWidget *>(watched);
    if (!w || w->window() != m_window)
        return false;
    if (!m_keys.contains(static_cast<QKeyEvent *>(event)->keyCombination()))
        return false;
    // Refused as an override, the key goes on to the window's shortcuts.
    if (event->type() == QEvent::ShortcutOverride)
        event->ignore();
    return true;
}

} // namespace vex
