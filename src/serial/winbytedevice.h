#pragma once

#include "serial/bytedevice.h"

#ifdef Q_OS_WIN

#include "platform/windowsapi.h"

namespace vex {

class PortLocator;

// The byte stream through the Win32 communications functions: the port
// opened for overlapped I/O, 8N1 without handshake (DTR and RTS held on),
// and a read that returns as soon as a byte is there. Reads and writes are
// overlapped, each waiting beside an event of its own that interrupts it;
// an interrupted request is cancelled and waited for, so the system never
// writes into a buffer that is gone. A COM name goes through the port map;
// any other text (\\.\COM12) is opened as it is.
class WinByteDevice final : public ByteDevice
{
public:
    explicit WinByteDevice(const PortLocator &ports);
    ~WinByteDevice() override;
    WinByteDevice(const WinByteDevice &) = delete;
    WinByteDevice &operator=(const WinByteDevice &) = delete;

    bool present(const QString &port) override;
    LineOpenError open(const QString &port, int baudRate) override;
    void close() override;
    bool isOpen() const override { return m_port != INVALID_HANDLE_VALUE; }
    Outcome read(const ContactClock &clock, QByteArray &bytes, ContactStamp &stamp, int &errorCode) override;
    Outcome write(const QByteArray &bytes, int &errorCode) override;
    void interruptRead() override;
    void interruptWrite() override;

private:
    QString pathOf(const QString &port) const;
    // Waits for the request or the interrupt; an interrupted request is
    // cancelled. Done with the bytes transferred, or the outcome.
    Outcome finish(OVERLAPPED &overlapped, HANDLE interrupt, DWORD &transferred, int &errorCode);

    const PortLocator &m_ports;
    HANDLE m_port = INVALID_HANDLE_VALUE;
    int m_baudRate = 9600;
    HANDLE m_readDone = nullptr;
    HANDLE m_writeDone = nullptr;
    HANDLE m_readInterrupt = nullptr;  // auto reset
    HANDLE m_writeInterrupt = nullptr; // auto reset
};

} // namespace vex

#endif // Q_OS_WIN
