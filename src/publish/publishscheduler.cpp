#include "publish/publishscheduler.h"

using namespace Qt::StringLiterals;

namespace vex {

PublishScheduler::PublishScheduler(const TickSource &ticks, Timers &timers, QObject *parent)
    : QObject(parent)
    , m_ticks(ticks)
    , m_timer(timers.make(u"publish"_s, false, [this] { arm(); }))
{
}

PublishScheduler::~PublishScheduler() = default;

int PublishScheduler::retryPauseMs(int failures)
{
    if (failures <= 0)
        return 0;
    qint64 pause = kFirstRetryMs;
    for (int n = 1; n < failures && pause < kLongestRetryMs; ++n)
        pause *= 2;
    return int(std::min<qint64>(pause, kLongestRetryMs));
}

void PublishScheduler::changed()
{
    m_pending = true;
    arm();
}

void PublishScheduler::publishNow()
{
    m_pending = true;
    m_started = false;
    m_failures = 0;
    arm();
}

void PublishScheduler::finished(bool ok)
{
    m_uploading = false;
    if (ok) {
        m_failures = 0;
    } else {
        // The state that failed still has to go up.
        ++m_failures;
        m_failedAt = m_ticks.now();
        m_pending = true;
    }
    arm();
}

void PublishScheduler::stop()
{
    m_pending = false;
    m_failures = 0;
    m_timer->stop();
}

void PublishScheduler::arm()
{
    m_timer->stop();
    if (m_uploading || !m_pending)
        return;
    const quint32 now = m_ticks.now();
    qint64 wait = 0;
    if (m_started)
        wait = std::max<qint64>(wait, m_intervalMs - qint64(elapsedMs(m_lastStart, now)));
    if (m_failures > 0)
        wait = std::max<qint64>(wait, retryPauseMs(m_failures) - qint64(elapsedMs(m_failedAt, now)));
    if (wait <= 0)
        start();
    else
        m_timer->start(int(wait));
}

void PublishScheduler::start()
{
    m_pending = false;
    m_uploading = true;
    m_started = true;
    m_lastStart = m_ticks.now();
    Q_EMIT due();
}

} // namespace vex
