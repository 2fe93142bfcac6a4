#include "fakelinedevice.h"

#include "serial/modemstatus.h"

#include <chrono>

using namespace vex;

void FakeLineDevice::setPresentPorts(QList<int> ports)
{
    std::lock_guard lock(m_mutex);
    m_present = std::move(ports);
}

void FakeLineDevice::failNextOpen(LineOpenError error)
{
    std::lock_guard lock(m_mutex);
    m_openError = error;
}

void FakeLineDevice::countChanges(quint32 bits)
{
    if (bits & MsCtsOn)
        ++m_counters.cts;
    if (bits & MsDsrOn)
        ++m_counters.dsr;
    if (bits & MsRlsdOn)
        ++m_counters.dcd;
}

qint64 FakeLineDevice::setStatus(quint32 status, std::optional<ContactStamp> stamp)
{
    qint64 moment = 0;
    {
        std::lock_guard lock(m_mutex);
        moment = std::chrono::duration_cast<std::chrono::microseconds>(
                     std::chrono::steady_clock::now().time_since_epoch())
                     .count();
        countChanges(status ^ m_status);
        m_status = status;
        if (!m_stamp)
            m_stamp = stamp;
    }
    m_changed.notify_all();
    return moment;
}

void FakeLineDevice::pulse(quint32 statusBits, std::optional<ContactStamp> stamp)
{
    {
        std::lock_guard lock(m_mutex);
        countChanges(statusBits);
        countChanges(statusBits);
        if (!m_stamp)
            m_stamp = stamp;
    }
    m_changed.notify_all();
}

void FakeLineDevice::failWait(int code)
{
    {
        std::lock_guard lock(m_mutex);
        m_failCode = code;
    }
    m_changed.notify_all();
}

bool FakeLineDevice::isOpen() const
{
    std::lock_guard lock(m_mutex);
    return m_open;
}

int FakeLineDevice::openedPort() const
{
    std::lock_guard lock(m_mutex);
    return m_port;
}

LineSettings FakeLineDevice::openedSettings() const
{
    std::lock_guard lock(m_mutex);
    return m_settings;
}

int FakeLineDevice::opens() const
{
    std::lock_guard lock(m_mutex);
    return m_opens;
}

quint32 FakeLineDevice::unreportedLocked() const
{
    quint32 events = 0;
    const quint32 flipped = m_status ^ m_seenStatus;
    if ((flipped & MsCtsOn) || m_counters.cts != m_seenCounters.cts)
        events |= EvCts;
    if ((flipped & MsDsrOn) || m_counters.dsr != m_seenCounters.dsr)
        events |= EvDsr;
    if ((flipped & MsRlsdOn) || m_counters.dcd != m_seenCounters.dcd)
        events |= EvRlsd;
    return events;
}

bool FakeLineDevice::settled() const
{
    std::lock_guard lock(m_mutex);
    return m_waiting && unreportedLocked() == 0;
}

bool FakeLineDevice::waitSettled(int timeoutMs) const
{
    std::unique_lock lock(m_mutex);
    return m_changed.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                              [&] { return m_waiting && unreportedLocked() == 0; });
}

bool FakeLineDevice::portPresent(int port)
{
    std::lock_guard lock(m_mutex);
    return m_present.contains(port);
}

LineOpenError FakeLineDevice::open(int port, const LineSettings &settings)
{
    std::lock_guard lock(m_mutex);
    if (m_openError) {
        const LineOpenError error = m_openError;
        m_openError = {};
        return error;
    }
    m_open = true;
    m_port = port;
    m_settings = settings;
    ++m_opens;
    m_interrupt = false;
    m_failCode = 0;
    m_seenStatus = m_status;
    m_seenCounters = m_counters;
    m_stamp.reset();
    return {};
}

void FakeLineDevice::close()
{
    std::lock_guard lock(m_mutex);
    m_open = false;
}

LineDevice::WaitOutcome FakeLineDevice::waitForChange(const ContactClock &clock, LineChange &change, int &errorCode)
{
    std::unique_lock lock(m_mutex);
    m_waiting = true;
    m_changed.notify_all();
    for (;;) {
        if (m_interrupt) {
            m_interrupt = false;
            m_waiting = false;
            return WaitOutcome::Interrupted;
        }
        if (m_failCode) {
            errorCode = m_failCode;
            m_waiting = false;
            return WaitOutcome::Failed;
        }
        if (const quint32 events = unreportedLocked()) {
            const ContactStamp stamp = m_stamp ? *m_stamp : clock.now();
            const LineEdges edges{m_counters.cts - m_seenCounters.cts, m_counters.dsr - m_seenCounters.dsr,
                                  m_counters.dcd - m_seenCounters.dcd};
            m_stamp.reset();
            m_seenStatus = m_status;
            m_seenCounters = m_counters;
            m_waiting = false;
            change = {events, stamp, m_status, edges};
            m_changed.notify_all();
            return WaitOutcome::Changed;
        }
        m_changed.wait(lock);
    }
}

void FakeLineDevice::interruptWait()
{
    {
        std::lock_guard lock(m_mutex);
        m_interrupt = true;
    }
    m_changed.notify_all();
}

quint32 FakeLineDevice::modemStatus()
{
    std::lock_guard lock(m_mutex);
    return m_status;
}
