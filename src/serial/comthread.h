#pragma once

#include "serial/contactstamp.h"
#include "serial/linedevice.h"

#include <QThread>

#include <atomic>

namespace vex {

class TComPort;

// The one thread that leaves the GUI thread: it blocks in the device's wait,
// and for every change hands the event word with its timestamp to the
// component and waits until it has been handled. It touches nothing else.
class TComThread final : public QThread
{
    Q_OBJECT
public:
    TComThread(TComPort &port, LineDevice &device, const ContactClock &clock, quint32 eventMask, quint64 session);

    void requestStop() { m_stop.store(true); }
    bool stopRequested() const { return m_stop.load(); }

protected:
    void run() override;

private:
    TComPort &m_port;
    LineDevice &m_device;
    const ContactClock &m_clock;
    const quint32 m_eventMask;
    const quint64 m_session;
    std::atomic<bool> m_stop{false};
};

} // namespace vex
