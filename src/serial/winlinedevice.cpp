#include "serial/winlinedevice.h"

#ifdef Q_OS_WIN

#include "serial/modemstatus.h"
#include "serial/portmap.h"

#include <utility>

namespace vex {

// The handlers read the system's own words, handed on unchanged.
static_assert(MS_CTS_ON == MsCtsOn && MS_DSR_ON == MsDsrOn && MS_RING_ON == MsRingOn && MS_RLSD_ON == MsRlsdOn);
static_assert(EV_RXCHAR == EvRxChar && EV_RXFLAG == EvRxFlag && EV_TXEMPTY == EvTxEmpty && EV_CTS == EvCts
              && EV_DSR == EvDsr && EV_RLSD == EvRlsd && EV_BREAK == EvBreak && EV_ERR == EvError
              && EV_RING == EvRing);

namespace {

constexpr DWORD kLineBits = MS_CTS_ON | MS_DSR_ON | MS_RING_ON | MS_RLSD_ON;

BYTE parityOf(char parity)
{
    switch (parity) {
    case 'O': return ODDPARITY;
    case 'E': return EVENPARITY;
    case 'M': return MARKPARITY;
    case 'S': return SPACEPARITY;
    default: return NOPARITY;
    }
}

} // namespace

WinLineDevice::WinLineDevice(const PortLocator &ports, const Win32CommApi &api)
    : m_ports(ports)
    , m_api(api)
{
}

WinLineDevice::~WinLineDevice()
{
    close();
}

bool WinLineDevice::portPresent(int port)
{
    return m_ports.present(port);
}

QList<int> WinLineDevice::presentPorts()
{
    return m_ports.presentPorts();
}

LineOpenError WinLineDevice::open(int port, const LineSettings &settings)
{
    if (m_ports.reserved(port))
        return {LineOpenError::Stage::Open, ERROR_BUSY};
    const QString path = m_ports.devicePath(port);
    if (path.isEmpty())
        return {LineOpenError::Stage::Open, ERROR_FILE_NOT_FOUND};
    close();
    // Not shared: no other program may open the port while the barriers use it.
    const auto *name = reinterpret_cast<const wchar_t *>(path.utf16());
    const HANDLE handle = m_api.createFile(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                           FILE_FLAG_OVERLAPPED, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return {LineOpenError::Stage::Open, int(m_api.getLastError())};
    m_port = handle;
    const LineOpenError error = setUp(settings);
    if (error)
        close();
    return error;
}

LineOpenError WinLineDevice::setUp(const LineSettings &settings)
{
    // The error number belongs to the call that just failed.
    auto failed = [this] { return LineOpenError{LineOpenError::Stage::Configure, int(m_api.getLastError())}; };

    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    if (!m_api.getCommState(m_port, &dcb))
        return failed();
    dcb.BaudRate = DWORD(settings.baudRate);
    dcb.fBinary = TRUE;
    dcb.fParity = settings.parity != 'N';
    // The barriers are wired to the handshake inputs: a driver that honoured
    // them would hold its output whenever a contact is open.
    dcb.fOutxCtsFlow = FALSE;
    dcb.fOutxDsrFlow = FALSE;
    dcb.fDsrSensitivity = FALSE;
    dcb.fDtrControl = settings.enableDtr ? DTR_CONTROL_ENABLE : DTR_CONTROL_DISABLE;
    dcb.fRtsControl = RTS_CONTROL_ENABLE;
    dcb.fOutX = settings.xonXoff;
    dcb.fInX = settings.xonXoff;
    dcb.fTXContinueOnXoff = TRUE;
    dcb.fErrorChar = FALSE;
    dcb.fNull = FALSE;
    // Noise on the unused data line must not stop the port until someone
    // clears the error.
    dcb.fAbortOnError = FALSE;
    dcb.ByteSize = BYTE(qBound(5, settings.dataBits, 8));
    dcb.Parity = parityOf(settings.parity);
    // Windows refuses two stop bits with five data bits and calls it 1.5.
    dcb.StopBits = settings.stopBits < 2 ? ONESTOPBIT : dcb.ByteSize == 5 ? ONE5STOPBITS : TWOSTOPBITS;
    if (!m_api.setCommState(m_port, &dcb))
        return failed();
    // The barriers draw their supply from DTR and RTS.
    if (settings.enableDtr && !m_api.escapeCommFunction(m_port, SETDTR))
        return failed();
    if (!m_api.escapeCommFunction(m_port, SETRTS))
        return failed();
    if (!m_api.setCommMask(m_port, EV_CTS | EV_DSR | EV_RLSD))
        return failed();
    m_waitDone = m_api.createEvent(nullptr, TRUE, FALSE, nullptr);
    if (!m_waitDone)
        return failed();
    m_interrupt = m_api.createEvent(nullptr, FALSE, FALSE, nullptr);
    if (!m_interrupt)
        return failed();
    // Read after the mask is set, so an edge from here on is among the
    // events the first wait finds.
    if (!m_api.getCommModemStatus(m_port, &m_lastLines))
        return failed();
    m_heldEvents = 0;
    m_echoLines = 0;
    return {};
}

void WinLineDevice::close()
{
    for (HANDLE *handle : {&m_interrupt, &m_waitDone}) {
        if (*handle) {
            m_api.closeHandle(*handle);
            *handle = nullptr;
        }
    }
    if (m_port != INVALID_HANDLE_VALUE) {
        m_api.closeHandle(m_port);
        m_port = INVALID_HANDLE_VALUE;
    }
}

quint32 WinLineDevice::modemStatus()
{
    if (m_port == INVALID_HANDLE_VALUE)
        return 0;
    // A line error the driver holds would fail the requests after it.
    DWORD errors = 0;
    m_api.clearCommError(m_port, &errors, nullptr);
    DWORD lines = 0;
    if (!m_api.getCommModemStatus(m_port, &lines))
        return 0;
    return lines & kLineBits;
}

// The phantom edge. The wait wakes for a line's edge; if the contact moves
// back before GetCommModemStatus reads the lines, the level is where it was
// and the event says the line went there and back: two edges, rightly. But
// the driver saw that second edge after the wait had completed and keeps its
// event for the next wait, which then completes at once with the same line
// and the same level, and would count another pulse that never happened.
// So a line that was read back where it was is remembered for the next wait
// only: when that wait had its events before it was entered and shows the
// same line with its level still unchanged, the event is the echo of the
// edge counted already and is dropped. A real new pulse of the same line
// within those microseconds is dropped with it, which changes nothing: a
// contact's second pulse right after its first acts on no run (the run is
// started or stopped by then). A wait that had to block, or a level that did
// move, is taken as it is, so a later pulse of the line always counts.
bool WinLineDevice::takeChange(DWORD events, DWORD lines, bool immediate, LineChange &change)
{
    static constexpr std::pair<DWORD, DWORD> kLines[] = {{EV_CTS, MS_CTS_ON}, {EV_DSR, MS_DSR_ON},
                                                         {EV_RLSD, MS_RLSD_ON}};
    const DWORD moved = lines ^ m_lastLines;
    DWORD echoes = 0;
    for (const auto &[event, line] : kLines) {
        if (!(events & event) || (moved & line))
            continue;
        if (immediate && (m_echoLines & line))
            events &= ~event;
        else
            echoes |= line;
    }
    m_echoLines = echoes;
    // With its event, a line that ends where it was went there and back. A
    // level that moved shows one edge even without its event.
    auto edges = [&](DWORD event, DWORD line) { return (moved & line) ? 1 : (events & event) ? 2 : 0; };
    change.edges = {edges(EV_CTS, MS_CTS_ON), edges(EV_DSR, MS_DSR_ON), edges(EV_RLSD, MS_RLSD_ON)};
    change.status = lines & kLineBits;
    change.events = (change.edges.cts ? quint32(EvCts) : 0u) | (change.edges.dsr ? quint32(EvDsr) : 0u)
        | (change.edges.dcd ? quint32(EvRlsd) : 0u);
    change.byComparison = false;
    m_lastLines = lines;
    return change.events != 0;
}

bool WinLineDevice::cancelWait(OVERLAPPED &overlapped)
{
    // CancelIo takes back only this thread's I/O, which is why the other
    // thread interrupts through an event instead.
    m_api.cancelIo(m_port);
    DWORD transferred = 0;
    return m_api.getOverlappedResult(m_port, &overlapped, &transferred, TRUE);
}

LineDevice::WaitOutcome WinLineDevice::waitForChange(const ContactClock &clock, LineChange &change, int &errorCode)
{
    if (m_port == INVALID_HANDLE_VALUE) {
        errorCode = ERROR_INVALID_HANDLE;
        return WaitOutcome::Failed;
    }
    for (;;) {
        if (m_api.waitForMultipleObjects(1, &m_interrupt, FALSE, 0) == WAIT_OBJECT_0)
            return WaitOutcome::Interrupted;
        DWORD events = std::exchange(m_heldEvents, 0);
        ContactStamp stamp;
        bool immediate = events != 0;
        if (events) {
            stamp = clock.now();
        } else {
            OVERLAPPED overlapped{};
            overlapped.hEvent = m_waitDone;
            m_api.resetEvent(m_waitDone);
            if (m_api.waitCommEvent(m_port, &events, &overlapped)) {
                stamp = clock.now();
                immediate = true;
            } else {
                const DWORD code = m_api.getLastError();
                if (code != ERROR_IO_PENDING) {
                    errorCode = int(code);
                    return WaitOutcome::Failed;
                }
                // Some drivers answer a remembered event by completing at once
                // rather than within the call: the same as having it before.
                immediate = m_api.waitForMultipleObjects(1, &m_waitDone, FALSE, 0) == WAIT_OBJECT_0;
                const HANDLE handles[] = {m_waitDone, m_interrupt};
                const DWORD woke = m_api.waitForMultipleObjects(2, handles, FALSE, INFINITE);
                if (woke == WAIT_OBJECT_0) {
                    stamp = clock.now();
                    DWORD transferred = 0;
                    // A device that went away ends the wait with its error.
                    if (!m_api.getOverlappedResult(m_port, &overlapped, &transferred, FALSE)) {
                        errorCode = int(m_api.getLastError());
                        return WaitOutcome::Failed;
                    }
                } else {
                    const DWORD waitCode = woke == WAIT_OBJECT_0 + 1 ? 0 : m_api.getLastError();
                    // Events of a wait that completed while it was taken back
                    // belong to the next one.
                    if (cancelWait(overlapped))
                        m_heldEvents = events;
                    if (woke == WAIT_OBJECT_0 + 1)
                        return WaitOutcome::Interrupted;
                    errorCode = int(waitCode);
                    return WaitOutcome::Failed;
                }
            }
        }
        DWORD lines = 0;
        if (!m_api.getCommModemStatus(m_port, &lines)) {
            errorCode = int(m_api.getLastError());
            return WaitOutcome::Failed;
        }
        if (takeChange(events, lines, immediate, change)) {
            change.stamp = stamp;
            return WaitOutcome::Changed;
        }
    }
}

void WinLineDevice::interruptWait()
{
    // Auto reset: the wait that sees it consumes it, whether it was already
    // blocked or only about to start.
    if (m_interrupt)
        m_api.setEvent(m_interrupt);
}

} // namespace vex

#endif // Q_OS_WIN
