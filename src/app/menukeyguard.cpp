#include "app/menukeyguard.h"

#include <QAbstractSpinBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QShortcutEvent>
#include <QWidget>

namespace vex {

MenuKeyGuard::MenuKeyGuard(QWidget *window, const QSet<QKeyCombination> &keys, const QSet<QKeyCombination> &runKeys,
                           const QSet<QKeyCombination> &undoKeys)
    : QObject(window)
    , m_window(window)
    , m_keys(keys)
    , m_runKeys(runKeys)
    , m_undoKeys(undoKeys)
{
}

// The line edit behind the focus: a combo box's or a spin box's own, or the
// field itself (a cell being edited too).
bool MenuKeyGuard::textFieldKeeps(QWidget *w, QKeyCombination key) const
{
    QLineEdit *edit = qobject_cast<QLineEdit *>(w);
    if (!edit) {
        if (auto *combo = qobject_cast<QComboBox *>(w))
            edit = combo->lineEdit();
        else if (qobject_cast<QAbstractSpinBox *>(w))
            edit = w->findChild<QLineEdit *>();
    }
    if (!edit || edit->isReadOnly())
        return false;
    const bool redo = key.key() == Qt::Key_Y || key.keyboardModifiers().testFlag(Qt::ShiftModifier);
    return redo ? edit->isRedoAvailable() : edit->isUndoAvailable();
}

// Watched where the press becomes a command: one shortcut event per press,
// whichever window and widget it came through. A release may come to any
// widget, so it is taken wherever it shows.
bool MenuKeyGuard::repeatedRunKey(QEvent *event)
{
    switch (event->type()) {
    case QEvent::Shortcut: {
        const QKeySequence &keys = static_cast<QShortcutEvent *>(event)->key();
        if (keys.isEmpty() || !m_runKeys.contains(keys[0]))
            return false;
        if (m_down.contains(int(keys[0].key())))
            return true;
        m_down.insert(int(keys[0].key()));
        return false;
    }
    case QEvent::ShortcutOverride:
    case QEvent::KeyPress: {
        // X repeats a held key as a release and a press with one time stamp,
        // and Qt flags the pair only when both have come in together: a press
        // stamped like the release before it is the key still held.
        auto *key = static_cast<QKeyEvent *>(event);
        if (key->timestamp() != 0 && m_runKeys.contains(key->keyCombination())
            && m_releasedAt.value(key->key()) == key->timestamp())
            m_down.insert(key->key());
        return false;
    }
    case QEvent::KeyRelease: {
        auto *key = static_cast<QKeyEvent *>(event);
        // A repeat the platform does flag comes as release and press: the key
        // is still down.
        if (!key->isAutoRepeat()) {
            m_down.remove(key->key());
            m_releasedAt.insert(key->key(), key->timestamp());
        }
        return false;
    }
    case QEvent::WindowDeactivate:
    case QEvent::ApplicationDeactivate:
        // The release may go to another program.
        m_down.clear();
        m_releasedAt.clear();
        return false;
    default:
        return false;
    }
}

bool MenuKeyGuard::eventFilter(QObject *watched, QEvent *event)
{
    if (repeatedRunKey(event))
        return true;
    if (event->type() != QEvent::ShortcutOverride && event->type() != QEvent::KeyPress)
        return false;
    auto *w = qobject_cast<QWidget *>(watched);
    if (!w || w->window() != m_window)
        return false;
    const QKeyCombination key = static_cast<QKeyEvent *>(event)->keyCombination();
    const bool undoKey = m_undoKeys.contains(key) && !textFieldKeeps(w, key);
    if (!undoKey && !m_keys.contains(key))
        return false;
    // Refused as an override, the key goes on to the window's shortcuts.
    if (event->type() == QEvent::ShortcutOverride)
        event->ignore();
    return true;
}

} // namespace vex
