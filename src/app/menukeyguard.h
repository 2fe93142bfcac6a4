#pragma once

#include <QKeyCombination>
#include <QObject>
#include <QSet>

class QWidget;

namespace vex {

// Every shortcut of the hidden menu belongs to the window, wherever the focus
// is: a text field must not take Ctrl+V or Ctrl+F for itself, even when their
// menu items do nothing. Installed on the application, it swallows those
// keys for every widget of its window before the widget sees them.
class MenuKeyGuard : public QObject
{
public:
    MenuKeyGuard(QWidget *window, const QSet<QKeyCombination> &keys);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *m_window;
    QSet<QKeyCombination> m_keys;
};

} // namespace vex
