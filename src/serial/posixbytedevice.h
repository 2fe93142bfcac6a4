#pragma once

#include "serial/bytedevice.h"

#include <atomic>

namespace vex {

class PortLocator;

// The byte stream through termios: raw, 8N1, CLOCAL and CREAD, no flow
// control; DTR and RTS set where the port has them (a pseudo-terminal has
// none and serves all the same). A COM name is looked up in the port map;
// any other text is taken as a device path. The system's console is never
// opened. Blocked reads and writes wait in poll() beside an eventfd of their
// own, which the interrupt signals.
class PosixByteDevice final : public ByteDevice
{
public:
    explicit PosixByteDevice(const PortLocator &ports, QString sysTtyDir = QStringLiteral("/sys/class/tty"));
    ~PosixByteDevice() override;

    bool present(const QString &port) override;
    LineOpenError open(const QString &port, int baudRate) override;
    void close() override;
    bool isOpen() const override { return m_fd >= 0; }
    Outcome read(const ContactClock &clock, QByteArray &bytes, ContactStamp &stamp, int &errorCode) override;
    Outcome write(const QByteArray &bytes, int &errorCode) override;
    void interruptRead() override;
    void interruptWrite() override;

    // The device path a port text stands for; empty when it names nothing.
    QString pathOf(const QString &port) const;
    // Whether the path is the system's console (or one of its devices).
    bool isConsole(const QString &path) const;

private:
    // Waits for the fd to be ready for events or the wake to be signalled.
    Outcome waitFor(short events, int wake, int timeoutMs, int &errorCode);

    const PortLocator &m_ports;
    QString m_sysTtyDir;
    int m_fd = -1;
    int m_baudRate = 9600;
    int m_readWake = -1;
    int m_writeWake = -1;
};

} // namespace vex
