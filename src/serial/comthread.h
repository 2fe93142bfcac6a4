#pragma once

#include "serial/contactstamp.h"
#include "serial/linedevice.h"

#include <QThread>

#include <atomic>

namespace vex {

// The one thread that leaves the GUI thread: it blocks in the device's wait
// and sends every wake-up on as one whole value, by a queued signal, then
// waits in the device again at once. It never waits for the GUI thread, so a
// contact that comes and goes while the GUI thread is busy is counted all the
// same. It touches nothing else.
class TComThread final : public QThread
{
    Q_OBJECT
public:
    // Raises the calling thread to real-time scheduling; 0, or the system's
    // error number when it is not allowed.
    using PriorityRequest = int (*)();
    static int requestRealTimePriority();

    TComThread(LineDevice &device, const ContactClock &clock, quint32 eventMask, quint64 session,
               PriorityRequest raisePriority = &requestRealTimePriority);

    void requestStop() { m_stop.store(true); }
    bool stopRequested() const { return m_stop.load(); }

Q_SIGNALS:
    // session: the opening of the port the thread belongs to, so a value
    // still queued when the port closed is recognised as stale.
    void lineChanged(quint64 session, const vex::LineChange &change);
    void failed(quint64 session, int errorCode);
    // The thread runs without real-time priority, for this reason.
    void realTimeRefused(quint64 session, int errorCode);

protected:
    void run() override;

private:
    LineDevice &m_device;
    const ContactClock &m_clock;
    const quint32 m_eventMask;
    const quint64 m_session;
    const PriorityRequest m_raisePriority;
    std::atomic<bool> m_stop{false};
};

} // namespace vex
