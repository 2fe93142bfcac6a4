#include "timing/runcontroller.h"

namespace vex {

class RunController::Batch
{
public:
    explicit Batch(RunController &c)
        : m_c(c)
    {
        ++m_c.m_batchDepth;
    }
    ~Batch()
    {
        if (--m_c.m_batchDepth == 0)
            m_c.publish();
    }
    Batch(const Batch &) = delete;
    Batch &operator=(const Batch &) = delete;

private:
    RunController &m_c;
};

namespace {
constexpr int kClockIntervalMs = 10;
}

RunController::RunController(const TickSource &ticks, Timers &timers, QObject *parent)
    : QObject(parent)
    , m_ticks(ticks)
{
    m_clock = timers.make(QStringLiteral("Clock"), true, [this] { clockTick(); });
    m_lockTimer = timers.make(QStringLiteral("TimerStartLock"), false, [this] { lockTimeElapsed(); });
    m_autoEntryTimer = timers.make(QStringLiteral("TimerEintragen"), false, [this] {
        m_autoEntryTimer->stop();
        Q_EMIT autoEntryDue();
    });
}

RunController::RunController(const TickSource &ticks, QObject *parent)
    : RunController(ticks, *std::make_unique<QtTimers>(), parent)
{
}

RunController::~RunController() = default;

void RunController::setLockTimeMs(int ms)
{
    m_lockTimeMs = qMax(0, ms);
}

void RunController::setAutoEntry(bool on, int delayMs)
{
    m_autoEntry = on;
    m_autoEntryDelayMs = qMax(0, delayMs);
    if (!on)
        m_autoEntryTimer->stop();
}

void RunController::setPortOpen(bool open)
{
    m_portOpen = open;
    if (open) {
        // Whenever the port opens both pictures are shown, the start picture
        // on top, but only where START is: a port that opens again during a
        // run (an adapter plugged back in) must leave the finish picture in
        // sight, showing whether the finish barrier will stop the run.
        m_controls.startPictureShown = m_controls.startShown;
        m_controls.finishPictureShown = true;
    } else {
        m_controls.startPictureShown = false;
        m_controls.finishPictureShown = false;
    }
    publish();
}

void RunController::start(quint32 tick, qint64 micros)
{
    if (!m_controls.startEnabled || m_state != RunState::Ready)
        return;
    m_startTick = tick;
    m_startMicros = micros;
    Batch batch(*this);
    m_clock->start(kClockIntervalMs);
    m_state = RunState::Running;

    RunControls &c = m_controls;
    c.startShown = false;
    if (m_portOpen)
        c.startPictureShown = false;
    c.f5StopsRun = true;
    c.stopEnabled = true;
    c.stopShown = true;
    if (m_portOpen)
        c.finishPictureShown = true;
    c.abortEnabled = true;
    c.settingsEnabled = false;
    Q_EMIT startSoundRequested();
    c.penaltyEnabled = true;
    c.startEnabled = false;

    // Both barriers are locked for the run; the finish barrier is freed by
    // the lock timer once the lock time has passed.
    if (m_startFree)
        toggleStartBarrier();
    if (m_finishFree)
        toggleFinishBarrier();
    // No lock time means no lock: the finish barrier is free from the start.
    m_lockPending = true;
    if (m_lockTimeMs > 0)
        m_lockTimer->start(m_lockTimeMs);
    else
        lockTimeElapsed();
}

void RunController::stop(quint32 tick, qint64 micros)
{
    if (!m_controls.stopEnabled || m_state != RunState::Running)
        return;
    m_stopTick = tick;
    m_stopMicros = micros;
    m_clock->stop();
    Batch batch(*this);
    m_state = RunState::Stopped;
    Q_EMIT runningTime(runTimeMs());

    m_finishFreeBeforeStop = m_finishFree;
    if (m_finishFree)
        toggleFinishBarrier();

    RunControls &c = m_controls;
    c.f5StopsRun = false;
    c.enterEnabled = true;
    c.stopEnabled = false;
    c.stopShown = false;
    if (m_portOpen)
        c.finishPictureShown = false;
    c.startEnabled = false;
    c.startShown = true;
    if (m_portOpen)
        c.startPictureShown = true;
    c.startImage = ImageOutOfPlay;
    c.startPictureEnabled = false;
    c.abortEnabled = false;
    if (m_autoEntry)
        m_autoEntryTimer->start(m_autoEntryDelayMs);
    // Played after the stop tick was taken, so it costs the time nothing.
    Q_EMIT stopSoundRequested();
}

void RunController::abort()
{
    if (!m_controls.abortEnabled || m_state != RunState::Running)
        return;
    m_clock->stop();
    m_state = RunState::Ready;
    Q_EMIT displayReset();

    // The barrier flags, the lock timer and the penalty count stay as they
    // are: the start barrier remains locked until the operator frees it.
    RunControls &c = m_controls;
    c.settingsEnabled = true;
    c.f5StopsRun = false;
    c.penaltyEnabled = false;
    c.stopShown = false;
    c.stopEnabled = false;
    if (m_portOpen)
        c.finishPictureShown = false;
    c.startShown = true;
    c.startEnabled = true;
    if (m_portOpen)
        c.startPictureShown = true;
    c.abortEnabled = false;
    publish();
}

bool RunController::enter()
{
    if (!m_controls.enterEnabled || m_state != RunState::Stopped)
        return false;
    m_autoEntryTimer->stop();
    m_lockTimer->stop();
    m_state = RunState::Entered;

    RunControls &c = m_controls;
    c.settingsEnabled = true;
    c.enterEnabled = false;
    c.nextEnabled = true;
    c.penaltyEnabled = false;
    publish();
    return true;
}

void RunController::discardStopped()
{
    if (m_state != RunState::Stopped)
        return;
    m_autoEntryTimer->stop();
    m_state = RunState::Ready;
    Q_EMIT displayReset();

    RunControls &c = m_controls;
    c.settingsEnabled = true;
    c.enterEnabled = false;
    c.penaltyEnabled = false;
    c.startShown = true;
    c.startEnabled = true;
    if (m_portOpen)
        c.startPictureShown = true;
    c.startImage = m_startFree ? ImageFree : ImageLocked;
    c.startPictureEnabled = true;
    publish();
}

bool RunController::next()
{
    if (!m_controls.nextEnabled || m_state != RunState::Entered)
        return false;
    m_state = RunState::Ready;

    RunControls &c = m_controls;
    c.nextEnabled = false;
    c.startEnabled = true;
    c.startShown = true;
    if (m_portOpen)
        c.startPictureShown = true;
    // The picture shows the flag as it is, so it never says "locked" while
    // the start barrier is live; the flag itself stays the operator's choice.
    c.startImage = m_startFree ? ImageFree : ImageLocked;
    c.startPictureEnabled = true;
    c.penaltyEnabled = false;
    publish();
    return true;
}

bool RunController::resume()
{
    if (m_state != RunState::Stopped)
        return false;
    m_autoEntryTimer->stop();
    Batch batch(*this);
    m_state = RunState::Running;
    m_clock->start(kClockIntervalMs);
    // A lock timer still running frees the barrier itself; one that fired
    // after the stop has freed it already. One that an entry stopped (the
    // entry taken back since) goes on for what is left of the lock time.
    if (m_finishFreeBeforeStop) {
        if (!m_finishFree)
            toggleFinishBarrier();
    } else if (m_lockPending && !m_lockTimer->isActive()) {
        const qint32 left = m_lockTimeMs - elapsedMs(m_startTick, m_ticks.now());
        if (left > 0)
            m_lockTimer->start(left);
        else
            lockTimeElapsed();
    }

    RunControls &c = m_controls;
    c.f5StopsRun = true;
    c.enterEnabled = false;
    c.stopEnabled = true;
    c.stopShown = true;
    c.startShown = false;
    if (m_portOpen) {
        c.startPictureShown = false;
        c.finishPictureShown = true;
    }
    c.abortEnabled = true;
    c.penaltyEnabled = true;
    c.settingsEnabled = false;
    clockTick();
    return true;
}

bool RunController::reopenEntered()
{
    if (m_state != RunState::Entered)
        return false;
    m_state = RunState::Stopped;
    RunControls &c = m_controls;
    c.settingsEnabled = false;
    c.enterEnabled = true;
    c.nextEnabled = false;
    c.penaltyEnabled = true;
    publish();
    return true;
}

void RunController::toggleStartBarrier()
{
    m_startFree = !m_startFree;
    m_controls.startImage = m_startFree ? ImageFree : ImageLocked;
    publish();
}

void RunController::toggleFinishBarrier()
{
    m_finishFree = !m_finishFree;
    m_controls.finishImage = m_finishFree ? ImageFree : ImageLocked;
    publish();
}

void RunController::clockTick()
{
    if (m_state == RunState::Running)
        Q_EMIT runningTime(elapsedMs(m_startTick, m_ticks.now()));
}

void RunController::lockTimeElapsed()
{
    m_lockTimer->stop();
    m_lockPending = false;
    if (!m_finishFree)
        toggleFinishBarrier();
}

void RunController::publish()
{
    if (m_batchDepth == 0)
        Q_EMIT controlsChanged();
}

} // namespace vex
