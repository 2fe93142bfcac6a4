#include "serial/comthread.h"

#ifdef Q_OS_WIN
#include "platform/windowsapi.h"
#else
#include <pthread.h>
#include <sched.h>
#endif

namespace vex {

TComThread::TComThread(LineDevice &device, const ContactClock &clock, quint32 eventMask, quint64 session,
                       PriorityRequest raisePriority)
    : m_device(device)
    , m_clock(clock)
    , m_eventMask(eventMask)
    , m_session(session)
    , m_raisePriority(raisePriority)
{
    setObjectName(QStringLiteral("TComThread"));
}

int TComThread::requestRealTimePriority()
{
    // The timestamp is only as good as the wake-up: where the system allows
    // it (on Linux a real-time limit or the capability; Windows lets any
    // process raise its own threads this far), the thread that almost always
    // sleeps runs before every ordinary thread when a line changes. Otherwise
    // it stays an ordinary thread, and the operator is told.
#ifdef Q_OS_WIN
    return SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_TIME_CRITICAL) ? 0 : int(GetLastError());
#else
    sched_param param{};
    param.sched_priority = sched_get_priority_min(SCHED_FIFO) + 1;
    return pthread_setschedparam(pthread_self(), SCHED_FIFO, &param);
#endif
}

void TComThread::run()
{
    if (const int refused = m_raisePriority ? m_raisePriority() : 0)
        Q_EMIT realTimeRefused(m_session, refused);

    while (!m_stop.load()) {
        LineChange change;
        int code = 0;
        switch (m_device.waitForChange(m_clock, change, code)) {
        case LineDevice::WaitOutcome::Interrupted:
            continue;
        case LineDevice::WaitOutcome::Failed:
            Q_EMIT failed(m_session, code);
            return;
        case LineDevice::WaitOutcome::Changed:
            break;
        }
        change.events &= m_eventMask;
        if (change.events != 0 && !m_stop.load())
            Q_EMIT lineChanged(m_session, change);
    }
}

} // namespace vex
