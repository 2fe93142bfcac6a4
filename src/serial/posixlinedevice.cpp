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

// The bounds of the wait (see waitForChange()). While a contact can act, an
// edge in the gap is found a period after it fell, plus the time the thread
// takes to run; a quarter millisecond leaves room for an ordinary thread on a
// busy machine within the millisecond, for about 4,000 short wake-ups a
// second (see bench_serial for what they cost).
constexpr long kArmedPeriodUs = 250;
constexpr long kIdlePeriodMs = 50;

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

QList<int> PosixLineDevice::presentPorts()
{
    return m_ports.presentPorts();
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

// Why the wait is bounded. TIOCMIWAIT notes the driver's counters when it is
// entered and returns once one of them moves away from that note. The thread
// reads the counters itself just before it calls the wait; an edge that
// falls between that reading and the driver's note (or at the very moment the
// wait is entered) is in the note already, so the wait does not wake for it.
// It would be seen only with the next edge, for a beam broken by a kart the
// release tens of milliseconds later, and be stamped then. No ordering of the
// calls closes that gap: whatever the thread reads last before the wait, the
// driver takes its own note after it.
//
// So the wait never blocks longer than a bound: a timer of the waiting thread
// sends the wake signal every kArmedPeriodUs while a contact can act and
// every kIdlePeriodMs otherwise, and after every return of the wait, woken or
// not, the counters are compared with the last look. An edge that slipped
// into the gap is found by that comparison at most one period after it fell
// and is stamped with the comparison's moment (marked byComparison, so the
// contact log can tell). Every other edge wakes the wait as before and is
// stamped the moment it returns, within microseconds. The periodic timer,
// rather than one set before each wait, also covers its own race: a signal
// that arrives just before the thread enters the wait is spent there, and
// the next one comes a period later.
//
// The timer runs only while the thread is inside this function, so the
// signal never meets the thread anywhere else (its queued hand-over, Qt's
// own calls).
LineDevice::WaitOutcome PosixLineDevice::waitForChange(const ContactClock &clock, LineChange &change, int &errorCode)
{
    {
        std::lock_guard lock(m_waiterMutex);
        m_waiter = pthread_self();
        m_waiting = true;
        if (!m_polling.load())
            startBoundTimer();
    }
    struct Leave
    {
        PosixLineDevice &device;
        ~Leave()
        {
            std::lock_guard lock(device.m_waiterMutex);
            device.stopBoundTimer();
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
        // What changed while the thread was away handing over the last event,
        // or in the gap before the last wait.
        if (!readChange(change)) {
            errorCode = errno;
            return WaitOutcome::Failed;
        }
        if (change.events) {
            change.stamp = clock.now();
            change.byComparison = true;
            return WaitOutcome::Changed;
        }
        if (!m_polling.load()) {
            const int result = ::ioctl(m_fd, TIOCMIWAIT, TIOCM_CTS | TIOCM_DSR | TIOCM_CD);
            const ContactStamp stamp = clock.now();
            if (result != 0) {
                const int code = errno;
                if (code == EINVAL || code == ENOTTY) {
                    m_polling.store(true);
                    std::lock_guard lock(m_waiterMutex);
                    stopBoundTimer();
                } else if (code != EINTR) {
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
                change.byComparison = false;
                return WaitOutcome::Changed;
            }
        } else {
            const timespec oneMs{0, 1'000'000};
            ::nanosleep(&oneMs, nullptr);
        }
    }
}

void PosixLineDevice::setArmed(bool armed)
{
    if (m_armed.exchange(armed) == armed)
        return;
    // A thread blocked in a loose wait takes the tight bound at once.
    std::lock_guard lock(m_waiterMutex);
    if (m_waiting && m_haveTimer)
        programBoundTimer();
}

void PosixLineDevice::startBoundTimer()
{
    // Made afresh for each call: the timer names its thread, and a thread id
    // can come back for another thread once this one has ended.
    sigevent event{};
    event.sigev_notify = SIGEV_THREAD_ID;
    event.sigev_signo = wakeSignal();
    event._sigev_un._tid = ::gettid();
    // Without a timer the wait is unbounded as before: an edge in the gap
    // then waits for the next one.
    m_haveTimer = ::timer_create(CLOCK_MONOTONIC, &event, &m_timer) == 0;
    if (m_haveTimer)
        programBoundTimer();
}

void PosixLineDevice::programBoundTimer()
{
    const timespec period = m_armed.load() ? timespec{0, kArmedPeriodUs * 1000} : timespec{0, kIdlePeriodMs * 1'000'000};
    const itimerspec every{period, period};
    ::timer_settime(m_timer, 0, &every, nullptr);
}

void PosixLineDevice::stopBoundTimer()
{
    if (!m_haveTimer)
        return;
    // A signal already sent is delivered on the way out of this call, still
    // inside waitForChange().
    ::timer_delete(m_timer);
    m_haveTimer = false;
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
