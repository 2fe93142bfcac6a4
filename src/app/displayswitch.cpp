#include "app/displayswitch.h"

#include "display/formmonitor2.h"

#include <QAction>
#include <QLabel>
#include <QMouseEvent>

namespace vex {

DisplaySwitch::DisplaySwitch(QWidget *window, QLabel *tvOff, QLabel *tvOn, const QList<QAction *> &keys)
    : QObject(window)
    , m_window(window)
    , m_tvOff(tvOff)
    , m_tvOn(tvOn)
    , m_keys(keys)
{
    m_tvOff->installEventFilter(this);
    m_tvOn->installEventFilter(this);
}

void DisplaySwitch::attach(TFormMonitor2 *monitor)
{
    m_monitor = monitor;
    if (!m_monitor)
        return;
    // The same actions, so the same enabled flags and the same key guard.
    m_monitor->addActions(m_keys);
    connect(m_monitor, &TFormMonitor2::displayClosed, this, [this] { showIcons(false); });
    // The display sits on another screen than the operator's: the keys stay here.
    connect(m_monitor, &TFormMonitor2::focusBackToMain, this, [this] {
        m_window->raise();
        m_window->activateWindow();
    });
}

void DisplaySwitch::toggle()
{
    if (!m_monitor)
        return;
    if (m_monitor->isVisible())
        m_monitor->close(); // the icons follow displayClosed
    else
        m_monitor->showDisplay();
    showIcons(m_monitor->isVisible());
}

bool DisplaySwitch::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::MouseButtonPress || static_cast<QMouseEvent *>(event)->button() != Qt::LeftButton)
        return false;
    if (watched == m_tvOff)
        showDisplay();
    else if (watched == m_tvOn)
        hideDisplay();
    else
        return false;
    return true;
}

void DisplaySwitch::showDisplay()
{
    if (!m_monitor)
        return;
    showIcons(true);
    m_monitor->showDisplay();
    m_window->raise();
}

void DisplaySwitch::hideDisplay()
{
    showIcons(false);
    if (m_monitor)
        m_monitor->close();
}

void DisplaySwitch::showIcons(bool displayShowing)
{
    m_tvOn->setVisible(displayShowing);
    m_tvOff->setVisible(!displayShowing);
}

} // namespace vex
