#pragma once

#include <QList>
#include <QObject>
#include <QPointer>

class QAction;
class QLabel;
class QWidget;

namespace vex {

class TFormMonitor2;

// The spectators' display switched on and off from the operator's window:
// Ctrl+T, and a click on one of the two TV pictures ("off" shows the display,
// "on" hides it). The pictures follow whatever closes the display, and the
// keys come back to the operator's window whenever the display shows on
// another screen; on the operator's screen it takes the keys, and the run
// keys and Ctrl+T act there as in the operator's window.
class DisplaySwitch : public QObject
{
public:
    // keys: the window's commands that work on the display as well.
    DisplaySwitch(QWidget *window, QLabel *tvOff, QLabel *tvOn, const QList<QAction *> &keys);
    void attach(TFormMonitor2 *monitor);
    // Ctrl+T: shows the display when hidden, hides it when shown.
    void toggle();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void showDisplay();
    void hideDisplay();
    void showIcons(bool displayShowing);

    QWidget *m_window;
    QLabel *m_tvOff;
    QLabel *m_tvOn;
    QList<QAction *> m_keys;
    QPointer<TFormMonitor2> m_monitor;
};

} // namespace vex
