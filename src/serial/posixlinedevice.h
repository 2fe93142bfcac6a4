#pragma once

#include "serial/linedevice.h"

#include <atomic>
#include <mutex>

#include <pthread.h>
#include <sys/types.h>
#include <time.h>

namespace vex {

class PortLocator;

// The serial port through termios and the modem-line ioctls. The port is set
// up raw at the given rate with CLOCAL and CREAD, without kernel flow control
// (RTS stays on because it is set, not because of a handshake), DTR and RTS
// on. Received bytes are never read.
//
// The wait blocks in TIOCMIWAIT and compares the TIOCGICOUNT counters, so a
// pulse shorter than the reading of the lines still counts; a driver that
// refuses the wait is polled every millisecond. interruptWait() wakes the
// blocked thread with a signal whose handler does nothing and is installed
// without SA_RESTART; a timer of the waiting thread sends the same signal
// periodically while it waits, so the wait never blocks past its bound
// (see waitForChange()).
class PosixLineDevice final : public LineDevice
{
public:
    explicit PosixLineDevice(const PortLocator &ports);
    ~PosixLineDevice() override;

    bool portPresent(int port) override;
    LineOpenError open(int port, const LineSettings &settings) override;
    void close() override;
    QList<int> presentPorts() override;
    bool isOpen() const override { return m_fd >= 0; }
    WaitOutcome waitForChange(const ContactClock &clock, LineChange &change, int &errorCode) override;
    void interruptWait() override;
    quint32 modemStatus() override;
    void setArmed(bool armed) override;

    // Opens a device path directly, as open() does for a port number.
    LineOpenError openPath(const QString &path, const LineSettings &settings);
    // True once the driver refused TIOCMIWAIT and the lines are polled.
    bool polling() const { return m_polling.load(); }

private:
    // Reads lines and counters; what changed since the last reading, without
    // its stamp. Returns false with errno set when the device failed.
    bool readChange(LineChange &change);
    // The driver's edge counters; a driver without them is noted and the
    // levels alone count from then on. False with errno when the device failed.
    bool readCounters(LineEdges &counters);
    // The waiting thread's timer, made for the calling thread; lives while it
    // is inside waitForChange(). Called with m_waiterMutex held.
    void startBoundTimer();
    void stopBoundTimer();
    void programBoundTimer();

    const PortLocator &m_ports;
    int m_fd = -1;
    int m_lastLines = 0;
    LineEdges m_lastCounters;
    bool m_haveCounters = false;
    std::atomic<bool> m_polling{false};

    std::mutex m_waiterMutex;
    pthread_t m_waiter{};
    bool m_waiting = false;
    std::atomic<bool> m_interrupt{false};
    std::atomic<bool> m_armed{false};
    timer_t m_timer{};
    bool m_haveTimer = false;
};

} // namespace vex
