#include "serial/posixlinedevice.h"

#include "serial/modemstatus.h"
#include "serial/portmap.h"

#include <QFile>

#include <cerrno>
#include <csignal>
#include <ctime>
#include <mutex>

#include <fcntl.h>
#include <linux/serial.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace vex {

namespace {

int wakeSignal()
{
    return SIGRTMIN + 2;
}

void ignoreWake(int) {}

// The handler is process-wide; installed once, without SA_RESTART so a
// blocked ioctl returns EINTR.
void installWakeHandler()
{
    static std::once_flag once;
    std::call_once(once, [] {
        struct sigaction action = {};
        action.sa_handler = &ignoreWake;
        sigemptyset(&action.sa_mask);
        action.sa_flags = 0;
        sigaction(wakeSignal(), &action, nullptr);
    });
}

speed_t speedFor(int baud)
{
    switch (baud) {
    case 110: return B110;
    case 300: return B300;
    case 600: return B600;
    case 1200: return B1200;
    case 2400: return B2400;
    case 4800: return B4800;
    case 9600: return B9600;
    case 19200: return B19200;
    case 38400: return B38400;
    case 57600: return B57600;
    case 115200: return B115200;
    case 230400: return B230400;
    default: return B0;
    }
}

int configure(int fd, const LineSettings &settings)
{
    termios tio{};
    if (::tcgetattr(fd, &tio) != 0)
        return errno;
    const speed_t speed = speedFor(settings.baudRate);
    if (speed == B0)
        return EINVAL;
    ::cfmakeraw(&tio);
    tio.c_cflag &= ~(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS);
    // Without CLOCAL a falling DCD, the finish contact, would hang the port up.
    tio.c_cflag |= CLOCAL | CREAD | HUPCL;
    static constexpr tcflag_t sizes[] = {CS5, CS6, CS7, CS8};
    tio.c_cflag |= sizes[qBound(5, settings.dataBits, 8) - 5];
    switch (settings.parity) {
    case 'O': tio.c_cflag |= PARENB | PARODD; break;
    case 'E': tio.c_cflag |= PARENB; break;
    case 'M': tio.c_cflag |= PARENB | PARODD | CMSPAR; break;
    case 'S': tio.c_cflag |= PARENB | CMSPAR; break;
    default: break;
    }
    if (settings.stopBits >= 2)
        tio.c_cflag |= CSTOPB;
    if (settings.xonXoff)
        tio.c_iflag |= IXON | IXOFF;
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    if (::cfsetispeed(&tio, speed) != 0 || ::cfsetospeed(&tio, speed) != 0)
        return errno;
    if (::tcsetattr(fd, TCSANOW, &tio) != 0)
        return errno;
    int lines = TIOCM_RTS | (settings.enableDtr ? TIOCM_DTR : 0);
    if (::ioctl(fd, TIOCMBIS, &lines) != 0)
        return errno;
    // USB adapters report line changes in 16 ms batches unless told
    // otherwise; a driver without the setting is left as it is.
    serial_struct serial{};
    if (::ioctl(fd, TIOCGSERIAL, &serial) == 0) {
        serial.flags |= ASYNC_LOW_LATENCY;
        ::ioctl(fd, TIOCSSERIAL, &serial);
    }
    return 0;
}

quint32 statusOf(int lines)
{
    return ((lines & TIOCM_CTS) ? MsCtsOn : 0u) | ((lines & TIOCM_DSR) ? MsDsrOn : 0u)
        | ((lines & TIOCM_RNG) ? MsRingOn : 0u) | ((lines & TIOCM_CD) ? MsRlsdOn : 0u);
}

} // namespace

PosixLineDevice::PosixLineDevice(const PortLocator &ports)
    : m_ports(ports)
{
    installWakeHandler();
}

PosixLineDevice::~PosixLineDevice()
{
    close();
}

bool PosixLineDevice::portPresent(int port)
{
    return m_ports.present(port);
}

LineOpenError PosixLineDevice::open(int port, const LineSettings &settings)
{
    if (m_ports.reserved(port))
        return {LineOpenError::Stage::Open, EBUSY};
    const QString path = m_ports.devicePath(port);
    if (path.isEmpty())
        return {LineOpenError::Stage::Open, ENOENT};
    return openPath(path, settings);
}

LineOpenError PosixLineDevice::openPath(const QString &path, const LineSettings &settings)
{
    close();
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return {LineOpenError::Stage::Open, errno};
    // No other program may open the port while the barriers use it.
    // (A path that is no terminal at all fails here.)
    if (::ioctl(fd, TIOCEXCL) != 0) {
        const int code = errno;
        ::close(fd);
        return {LineOpenError::Stage::Configure, code};
    }
    if (const int code = configure(fd, settings)) {
        ::close(fd);
        return {LineOpenError::Stage::Configure, code};
    }
    ::tcflush(fd, TCIOFLUSH);
    m_fd = fd;
    m_polling.store(false);
    m_interrupt.store(false);
    serial_icounter_struct counts{};
    m_haveCounters = ::ioctl(fd, TIOCGICOUNT, &counts) == 0;
    m_lastCounters = {counts.cts, counts.dsr, counts.dcd};
    m_lastLines = 0;
    if (::ioctl(fd, TIOCMGET, &m_lastLines) != 0) {
        const int code = errno;
        close();
        return {LineOpenError::Stage::Configure, code};
    }
    return {};
}

void PosixLineDevice::close()
{
    if (m_fd < 0)
        return;
    ::tcflush(m_fd, TCIOFLUSH);
    ::close(m_fd);
    m_fd = -1;
}

quint32 PosixLineDevice::modemStatus()
{
    int lines = 0;
    if (m_fd < 0 || ::ioctl(m_fd, TIOCMGET, &lines) != 0)
        return 0;
    return statusOf(lines);
}

bool PosixLineDevice::readCounters(LineEdges &counters)
{
    if (!m_haveCounters)
        return true;
    serial_icounter_struct counts{};
    if (::ioctl(m_fd, TIOCGICOUNT, &counts) == 0) {
        counters = {counts.cts, counts.dsr, counts.dcd};
        return true;
    }
    if (errno == EIO || errno == ENODEV || errno == ENXIO)
        return false;
    m_haveCounters = false;
    return true;
}

bool PosixLineDevice::readChange(LineChange &change)
{
    // Levels and counters as one look: an edge between reading the two would
    // leave a level without its count or a count without its level, and the
    // contact logic would take a closing for an opening.
    int lines = 0;
    LineEdges counters = m_lastCounters;
    for (int look = 0; look < 3; ++look) {
        LineEdges before = m_lastCounters;
        if (!readCounters(before) || ::ioctl(m_fd, TIOCMGET, &lines) != 0 || !readCounters(counters))
            return false;
        if (counters == before)
            break;
    }
    const int flipped = lines ^ m_lastLines;
    // A driver that doesn't count a line still shows its level.
    auto edges = [flipped](int counted, int line) { return counted > 0 ? counted : (flipped & line) ? 1 : 0; };
    change.edges = {edges(counters.cts - m_lastCounters.cts, TIOCM_CTS),
                    edges(counters.dsr - m_lastCounters.dsr, TIOCM_DSR),
                    edges(counters.dcd - m_lastCounters.dcd, TIOCM_CD)};
    change.status = statusOf(lines);
    change.events = (change.edges.cts ? quint32(EvCts) : 0u) | (change.edges.dsr ? quint32(EvDsr) : 0u)
        | (change.edges.dcd ? quint32(EvRlsd) : 0u);
    m_lastLines = lines;
    m_lastCounters = counters;
    return true;
}

LineDevice::WaitOutcome PosixLineDevice::waitForChange(const ContactClock &clock, LineChange &change, int &errorCode)
{
    {
        std::lock_guard lock(m_waiterMutex);
        m_waiter = pthread_self();
        m_waiting = true;
    }
    struct Leave
    {
        PosixLineDevice &device;
        ~Leave()
        {
            std::lock_guard lock(device.m_waiterMutex);
            device.m_waiting = false;
        }
    } leave{*this};

    for (;;) {
        if (m_interrupt.exchange(false))
            return WaitOutcome::Interrupted;
        if (m_fd < 0) {
            errorCode = EBADF;
            return WaitOutcome::Failed;
        }
        // What changed while the thread was away handing over the last event.
        if (!readChange(change)) {
            errorCode = errno;
            return WaitOutcome::Failed;
        }
        if (change.events) {
            change.stamp = clock.now();
            return WaitOutcome::Changed;
        }
        if (!m_polling.load()) {
            const int result = ::ioctl(m_fd, TIOCMIWAIT, TIOCM_CTS | TIOCM_DSR | TIOCM_CD);
            const ContactStamp stamp = clock.now();
            if (result != 0) {
                const int code = errno;
                if (code == EINVAL || code == ENOTTY)
                    m_polling.store(true);
                else if (code != EINTR) {
                    errorCode = code;
                    return WaitOutcome::Failed;
                }
                continue;
            }
            if (!readChange(change)) {
                errorCode = errno;
                return WaitOutcome::Failed;
            }
            if (change.events) {
                change.stamp = stamp;
                return WaitOutcome::Changed;
            }
        } else {
            const timespec oneMs{0, 1'000'000};
            ::nanosleep(&oneMs, nullptr);
        }
    }
}

void PosixLineDevice::interruptWait()
{
    std::lock_guard lock(m_waiterMutex);
    m_interrupt.store(true);
    // Only while the thread is inside the wait is its id sure to be alive.
    if (m_waiting)
        pthread_kill(m_waiter, wakeSignal());
}

} // namespace vex
