#pragma once

#include "timing/tickclock.h"
#include "timing/timers.h"

#include <QObject>

#include <limits>

#include <memory>

namespace vex {

enum class RunState { Ready, Running, Stopped, Entered };

// Images of the light-barrier pictures; for a barrier flag the image index is
// the flag itself.
enum BarrierImage : int { ImageLocked = 0, ImageFree = 1, ImageOutOfPlay = 2 };

// Everything the main window shows of the run state. The controller keeps it
// up to date; the window copies it onto its buttons, actions and pictures.
struct RunControls
{
    bool startShown = true;
    bool startEnabled = true;
    bool stopShown = false;
    bool stopEnabled = false;
    bool abortEnabled = false; // the Abbruch button is shown exactly while F8 works
    bool enterEnabled = false;
    bool nextEnabled = false;
    bool penaltyEnabled = false;
    bool settingsEnabled = true;
    bool f5StopsRun = false; // F5 belongs to Stop instead of Start
    bool startPictureShown = false;
    bool startPictureEnabled = true;
    int startImage = ImageLocked;
    bool finishPictureShown = false;
    int finishImage = ImageLocked;

    bool operator==(const RunControls &) const = default;
};

// The run state machine of the main window: Ready -> Running (start) ->
// Stopped (stop) -> Entered (enter) -> Ready (next), and Running -> Ready
// (abort). A command whose item is disabled in the current state does nothing,
// whoever invokes it: a key, a button or a light barrier.
class RunController : public QObject
{
    Q_OBJECT
public:
    // The ticks feed only the running clock: start and stop are handed the
    // tick of their event, taken by whoever saw it first.
    RunController(const TickSource &ticks, Timers &timers, QObject *parent = nullptr);
    // With Qt's own timers.
    explicit RunController(const TickSource &ticks, QObject *parent = nullptr);
    ~RunController() override;

    RunState state() const { return m_state; }
    const RunControls &controls() const { return m_controls; }

    // A start or stop whose event has no microsecond reading.
    static constexpr qint64 kNoMicros = std::numeric_limits<qint64>::min();

    quint32 startTick() const { return m_startTick; }
    quint32 stopTick() const { return m_stopTick; }
    // The time of the last stopped run: from the microsecond readings when
    // both ends have one (the light barriers), else from the ticks.
    qint32 runTimeMs() const { return elapsedAtMs(m_stopTick, m_stopMicros); }
    // The time from the start to an event, measured as a stop there would be.
    qint32 elapsedAtMs(quint32 tick, qint64 micros) const
    {
        if (m_startMicros != kNoMicros && micros != kNoMicros)
            return elapsedMsFromMicros(m_startMicros, micros);
        return elapsedMs(m_startTick, tick);
    }

    // Barrier flags: true = free (a contact of that barrier acts).
    bool startBarrierFree() const { return m_startFree; }
    bool finishBarrierFree() const { return m_finishFree; }

    // The finish barrier stays locked for this time after a start; 0: no lock.
    void setLockTimeMs(int ms);
    int lockTimeMs() const { return m_lockTimeMs; }
    bool lockTimerActive() const { return m_lockTimer->isActive(); }

    void setAutoEntry(bool on, int delayMs);
    bool autoEntry() const { return m_autoEntry; }
    int autoEntryDelayMs() const { return m_autoEntryDelayMs; }
    bool autoEntryPending() const { return m_autoEntryTimer->isActive(); }
    // The automatic-entry switch was turned off: nothing stays pending.
    void cancelAutoEntry() { m_autoEntryTimer->stop(); }

    bool clockRunning() const { return m_clock->isActive(); }

    // The serial port of the light barriers opened or closed: the pictures
    // are shown only while it is open.
    void setPortOpen(bool open);
    bool portOpen() const { return m_portOpen; }

public Q_SLOTS:
    // tick: the counter reading of the start or finish event, taken as the
    // very first step by the key, the button or the light-barrier thread.
    // micros: the same moment from the steady clock in microseconds, where
    // the event has it.
    void start(quint32 tick, qint64 micros = kNoMicros);
    void stop(quint32 tick, qint64 micros = kNoMicros);
    void abort();
    // Throws a stopped run away that can't be entered (longer than the time
    // text holds): back to Ready as after an abort, nothing entered.
    void discardStopped();
    // The run-state part of entering a stopped run; the caller records the
    // time afterwards.
    bool enter();
    // The run-state part of preparing the next driver.
    bool next();
    // A stop that should not have been (a false finish contact): the stopped
    // run goes on from its own start, the finish barrier as before the stop.
    bool resume();
    // An entry taken back: the run is stopped again, to be entered anew.
    bool reopenEntered();
    // F4 / F11 or a click on a picture: the barrier's lock flag toggles and
    // its picture shows the new flag.
    void toggleStartBarrier();
    void toggleFinishBarrier();

    // Timer handlers, public so tests can fire them at a chosen moment.
    void clockTick();
    void lockTimeElapsed();

Q_SIGNALS:
    void controlsChanged();
    // The running row of the display shows this time.
    void runningTime(qint32 ms);
    // Abort: display colours rebuilt and the running row back to zero.
    void displayReset();
    void startSoundRequested();
    void stopSoundRequested();
    // The delay after a stop has passed with automatic entry on.
    void autoEntryDue();

private:
    // Commands change several controls; the window hears of them once, at the
    // end of the command.
    class Batch;
    void publish();

    const TickSource &m_ticks;
    std::unique_ptr<Timers> m_ownTimers;
    RunState m_state = RunState::Ready;
    RunControls m_controls;
    quint32 m_startTick = 0;
    quint32 m_stopTick = 0;
    qint64 m_startMicros = kNoMicros;
    qint64 m_stopMicros = kNoMicros;
    bool m_startFree = false;
    bool m_finishFree = false;
    bool m_finishFreeBeforeStop = false;
    // The lock time of this run has not passed yet (the timer may have been
    // stopped by an entry that is taken back later).
    bool m_lockPending = false;
    bool m_portOpen = false;
    bool m_autoEntry = false;
    int m_batchDepth = 0;
    int m_lockTimeMs = 10000;
    int m_autoEntryDelayMs = 5000;
    std::unique_ptr<Timer> m_clock;
    std::unique_ptr<Timer> m_lockTimer;
    std::unique_ptr<Timer> m_autoEntryTimer;
};

} // namespace vex
