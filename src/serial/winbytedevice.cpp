#include "serial/winbytedevice.h"

#ifdef Q_OS_WIN

#include "serial/portmap.h"

#include <chrono>

namespace vex {

namespace {

qint64 nowMicros()
{
    return std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

} // namespace

WinByteDevice::WinByteDevice(const PortLocator &ports)
    : m_ports(ports)
{
    m_readDone = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    m_writeDone = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    m_readInterrupt = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    m_writeInterrupt = CreateEventW(nullptr, FALSE, FALSE, nullptr);
}

WinByteDevice::~WinByteDevice()
{
    close();
    for (HANDLE handle : {m_readDone, m_writeDone, m_readInterrupt, m_writeInterrupt}) {
        if (handle)
            CloseHandle(handle);
    }
}

QString WinByteDevice::pathOf(const QString &port) const
{
    const QString text = port.trimmed();
    if (const int number = comNumberOf(text))
        return m_ports.devicePath(number);
    return text;
}

bool WinByteDevice::present(const QString &port)
{
    if (const int number = comNumberOf(port))
        return m_ports.present(number);
    // A path of its own is tried; opening tells.
    return !port.trimmed().isEmpty();
}

LineOpenError WinByteDevice::open(const QString &port, int baudRate)
{
    close();
    const QString path = pathOf(port);
    if (path.isEmpty())
        return {LineOpenError::Stage::Open, ERROR_FILE_NOT_FOUND};
    if (!m_readDone || !m_writeDone || !m_readInterrupt || !m_writeInterrupt)
        return {LineOpenError::Stage::Open, ERROR_NOT_ENOUGH_MEMORY};
    const auto *name = reinterpret_cast<const wchar_t *>(path.utf16());
    const HANDLE handle =
        CreateFileW(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return {LineOpenError::Stage::Open, int(GetLastError())};
    auto failed = [handle] {
        const int code = int(GetLastError());
        CloseHandle(handle);
        return LineOpenError{LineOpenError::Stage::Configure, code};
    };
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    if (!GetCommState(handle, &dcb))
        return failed();
    dcb.BaudRate = DWORD(baudRate);
    dcb.fBinary = TRUE;
    dcb.fParity = FALSE;
    dcb.fOutxCtsFlow = FALSE;
    dcb.fOutxDsrFlow = FALSE;
    dcb.fDsrSensitivity = FALSE;
    dcb.fDtrControl = DTR_CONTROL_ENABLE;
    dcb.fRtsControl = RTS_CONTROL_ENABLE;
    dcb.fOutX = FALSE;
    dcb.fInX = FALSE;
    dcb.fErrorChar = FALSE;
    dcb.fNull = FALSE;
    dcb.fAbortOnError = FALSE;
    dcb.ByteSize = 8;
    dcb.Parity = NOPARITY;
    dcb.StopBits = ONESTOPBIT;
    if (!SetCommState(handle, &dcb))
        return failed();
    // A read returns as soon as one byte is there, with all that are; it
    // waits without end until then (the interrupt ends it).
    COMMTIMEOUTS timeouts{};
    timeouts.ReadIntervalTimeout = MAXDWORD;
    timeouts.ReadTotalTimeoutMultiplier = MAXDWORD;
    timeouts.ReadTotalTimeoutConstant = MAXDWORD - 1;
    timeouts.WriteTotalTimeoutMultiplier = 0;
    timeouts.WriteTotalTimeoutConstant = 0;
    if (!SetCommTimeouts(handle, &timeouts))
        return failed();
    PurgeComm(handle, PURGE_RXCLEAR | PURGE_TXCLEAR);
    ResetEvent(m_readInterrupt);
    ResetEvent(m_writeInterrupt);
    m_port = handle;
    m_baudRate = baudRate;
    return {};
}

void WinByteDevice::close()
{
    if (m_port == INVALID_HANDLE_VALUE)
        return;
    CloseHandle(m_port);
    m_port = INVALID_HANDLE_VALUE;
}

ByteDevice::Outcome WinByteDevice::finish(OVERLAPPED &overlapped, HANDLE interrupt, DWORD &transferred,
                                          int &errorCode)
{
    const HANDLE handles[2] = {overlapped.hEvent, interrupt};
    const DWORD which = WaitForMultipleObjects(2, handles, FALSE, INFINITE);
    if (which == WAIT_OBJECT_0 + 1) {
        CancelIoEx(m_port, &overlapped);
        // Waited for, done or cancelled: the buffer is ours again.
        if (GetOverlappedResult(m_port, &overlapped, &transferred, TRUE) && transferred > 0)
            return Outcome::Done;
        return Outcome::Interrupted;
    }
    if (which != WAIT_OBJECT_0) {
        errorCode = int(GetLastError());
        CancelIoEx(m_port, &overlapped);
        GetOverlappedResult(m_port, &overlapped, &transferred, TRUE);
        return Outcome::Failed;
    }
    if (!GetOverlappedResult(m_port, &overlapped, &transferred, FALSE)) {
        errorCode = int(GetLastError());
        return errorCode == ERROR_OPERATION_ABORTED ? Outcome::Interrupted : Outcome::Failed;
    }
    return Outcome::Done;
}

ByteDevice::Outcome WinByteDevice::read(const ContactClock &clock, QByteArray &bytes, ContactStamp &stamp,
                                        int &errorCode)
{
    bytes.clear();
    for (;;) {
        if (m_port == INVALID_HANDLE_VALUE) {
            errorCode = ERROR_INVALID_HANDLE;
            return Outcome::Failed;
        }
        char buffer[512];
        OVERLAPPED overlapped{};
        overlapped.hEvent = m_readDone;
        ResetEvent(m_readDone);
        DWORD transferred = 0;
        if (!ReadFile(m_port, buffer, DWORD(sizeof buffer), &transferred, &overlapped)) {
            const DWORD code = GetLastError();
            if (code != ERROR_IO_PENDING) {
                errorCode = int(code);
                return Outcome::Failed;
            }
            const Outcome outcome = finish(overlapped, m_readInterrupt, transferred, errorCode);
            if (outcome != Outcome::Done)
                return outcome;
        }
        stamp = clock.now();
        if (transferred == 0) {
            // The total timeout passed without a byte: wait on. An interrupt
            // that came meanwhile is taken now.
            if (WaitForSingleObject(m_readInterrupt, 0) == WAIT_OBJECT_0)
                return Outcome::Interrupted;
            continue;
        }
        bytes.append(buffer, qsizetype(transferred));
        return Outcome::Done;
    }
}

ByteDevice::Outcome WinByteDevice::write(const QByteArray &bytes, int &errorCode)
{
    const qint64 begun = nowMicros();
    qsizetype sent = 0;
    while (sent < bytes.size()) {
        if (m_port == INVALID_HANDLE_VALUE) {
            errorCode = ERROR_INVALID_HANDLE;
            return Outcome::Failed;
        }
        OVERLAPPED overlapped{};
        overlapped.hEvent = m_writeDone;
        ResetEvent(m_writeDone);
        DWORD transferred = 0;
        if (!WriteFile(m_port, bytes.constData() + sent, DWORD(bytes.size() - sent), &transferred, &overlapped)) {
            const DWORD code = GetLastError();
            if (code != ERROR_IO_PENDING) {
                errorCode = int(code);
                return Outcome::Failed;
            }
            const Outcome outcome = finish(overlapped, m_writeInterrupt, transferred, errorCode);
            if (outcome != Outcome::Done)
                return outcome;
        }
        sent += qsizetype(transferred);
    }
    // A completed write is in the driver's queue; the line's time is what
    // it takes from there (an adapter buffers it and reports done at once).
    const qint64 left = begun + wireMicros(bytes.size(), m_baudRate) - nowMicros();
    if (left > 0) {
        const DWORD waitMs = DWORD((left + 999) / 1000);
        if (WaitForSingleObject(m_writeInterrupt, waitMs) == WAIT_OBJECT_0)
            return Outcome::Interrupted;
    }
    return Outcome::Done;
}

void WinByteDevice::interruptRead()
{
    SetEvent(m_readInterrupt);
}

void WinByteDevice::interruptWrite()
{
    SetEvent(m_writeInterrupt);
}

} // namespace vex

#endif // Q_OS_WIN
