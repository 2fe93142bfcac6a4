#pragma once

#include <QHash>
#include <QKeyCombination>
#include <QObject>
#include <QSet>

class QWidget;

namespace vex {

// Every shortcut of the hidden menu belongs to the window, wherever the focus
// is: a text field must not take Ctrl+V or Ctrl+F for itself, even when their
// menu items do nothing. Installed on the application, it swallows those
// keys for every widget of its window before the widget sees them.
//
// A run key acts once per press, in whichever window its command is bound:
// held down, the platform repeats the press, and not every repeat comes
// flagged as one (F5 held would stop the run it just started). So the guard
// knows which run keys are down; a press while its key is down does nothing.
// The key's release, or a window losing the keyboard, ends the press; a
// release and a press with one time stamp are X's repeat of a held key.
//
// The undo keys belong to a text field only while it has typing of its own
// to take back or redo; otherwise they take back the last command, which is
// what the operator who just entered a run means by Ctrl+Z.
class MenuKeyGuard : public QObject
{
public:
    MenuKeyGuard(QWidget *window, const QSet<QKeyCombination> &keys, const QSet<QKeyCombination> &runKeys = {},
                 const QSet<QKeyCombination> &undoKeys = {});

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool repeatedRunKey(QEvent *event);
    bool textFieldKeeps(QWidget *w, QKeyCombination key) const;

    QWidget *m_window;
    QSet<QKeyCombination> m_keys;
    QSet<QKeyCombination> m_runKeys;
    QSet<QKeyCombination> m_undoKeys;
    QSet<int> m_down; // run keys pressed and not yet released
    QHash<int, quint64> m_releasedAt; // the time stamp of each run key's last release
};

} // namespace vex
