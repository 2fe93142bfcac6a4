#pragma once

#include "serial/linedevice.h"
#include "serial/win32commapi.h"

#ifdef Q_OS_WIN

namespace vex {

class PortLocator;

// The serial port through the Win32 communications functions. The port is
// opened for overlapped I/O and set up at the given framing without any
// handshake (DTR and RTS are held on, not driven by the driver), and told to
// report changes of CTS, DSR and DCD. Received bytes are never read.
//
// The wait is an overlapped WaitCommEvent beside an event that interrupts
// it. Windows keeps no edge counters: the event bits say which lines moved
// since the last wait, the levels whether they ended where they were. The
// driver remembers events that come while no wait is pending, so unlike the
// POSIX wait no edge can slip in between two waits.
class WinLineDevice final : public LineDevice
{
public:
    explicit WinLineDevice(const PortLocator &ports, const Win32CommApi &api = win32CommApi());
    ~WinLineDevice() override;
    WinLineDevice(const WinLineDevice &) = delete;
    WinLineDevice &operator=(const WinLineDevice &) = delete;

    bool portPresent(int port) override;
    QList<int> presentPorts() override;
    LineOpenError open(int port, const LineSettings &settings) override;
    void close() override;
    bool isOpen() const override { return m_port != INVALID_HANDLE_VALUE; }
    WaitOutcome waitForChange(const ContactClock &clock, LineChange &change, int &errorCode) override;
    void interruptWait() override;
    quint32 modemStatus() override;

private:
    LineOpenError setUp(const LineSettings &settings);
    // Hands over what the event bits and the levels now say; false when
    // neither shows a watched line moved. immediate: the wait had its events
    // before it was even entered.
    bool takeChange(DWORD events, DWORD lines, bool immediate, LineChange &change);
    // Takes back a wait in flight, so the system no longer writes into it.
    // True when it had completed all the same, with its events.
    bool cancelWait(OVERLAPPED &overlapped);

    const PortLocator &m_ports;
    const Win32CommApi &m_api;
    HANDLE m_port = INVALID_HANDLE_VALUE;
    HANDLE m_waitDone = nullptr;  // manual reset, signalled by the overlapped wait
    HANDLE m_interrupt = nullptr; // auto reset: one interruptWait(), one Interrupted
    DWORD m_lastLines = 0;
    DWORD m_waitEvents = 0;       // written by the system while a wait is in flight
    DWORD m_heldEvents = 0;       // of a wait that completed as it was taken back
    DWORD m_echoLines = 0;        // MS_ bits that were back where they were when last read
};

} // namespace vex

#endif // Q_OS_WIN
