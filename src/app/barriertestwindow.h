#pragma once

#include "serial/barriertest.h"
#include "serial/timerimpulses.h"

#include <QDialog>

class QAction;
class QLabel;
class QPushButton;
class QTableWidget;
class QTimer;

namespace vex {

class Race;
class RaceBarriers;
class RaceTimer;

// "LS Test" (Ctrl+L): the light barriers before the first run of the day.
// The levels of the start and finish lines as lamps, every contact with the
// time since the one before it and what it would do in a run, a count per
// line, and a test run timed from start to finish contact without touching
// any result. While it is open the contacts act on no run; it is modal, so
// nothing else does either. A timer on its own port, when one is chosen,
// has its lines listed as they come, with what they say and would do.
class BarrierTestWindow : public QDialog
{
    Q_OBJECT
public:
    BarrierTestWindow(BarrierTest &test, QWidget *parent = nullptr, RaceTimer *timer = nullptr);
    ~BarrierTestWindow() override;

    void done(int result) override;

private:
    void showPort();
    void showLines(quint32 lines);
    void addContact(const BarrierTest::Contact &contact);
    void showRun();
    void addTimerLine(const TimerImpulse &impulse);

    BarrierTest &m_test;
    QLabel *m_port = nullptr;
    QLabel *m_lamps[2] = {};
    QLabel *m_levels[2] = {};
    QLabel *m_counts[2] = {};
    QTableWidget *m_contacts = nullptr;
    QPushButton *m_runButton = nullptr;
    QLabel *m_run = nullptr;
    QTimer *m_runClock = nullptr;
    QTableWidget *m_timerLines = nullptr;
};

// The menu item opens the test window; it is unavailable while a run is
// timed. The window belongs to parent.
void bindBarrierTest(QAction *item, Race &race, RaceBarriers &barriers, QWidget *parent);

} // namespace vex
