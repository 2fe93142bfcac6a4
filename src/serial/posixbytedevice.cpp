#include "serial/posixbytedevice.h"

#include "serial/portmap.h"

#include <QFile>
#include <QFileInfo>

#include <chrono>
#include <cerrno>

#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace vex {

namespace {

speed_t speedFor(int baud)
{
    switch (baud) {
    case 1200: return B1200;
    case 2400: return B2400;
    case 4800: return B4800;
    case 9600: return B9600;
    case 19200: return B19200;
    case 38400: return B38400;
    case 57600: return B57600;
    case 115200: return B115200;
    default: return B0;
    }
}

int configure(int fd, int baudRate)
{
    termios tio{};
    if (::tcgetattr(fd, &tio) != 0)
        return errno;
    const speed_t speed = speedFor(baudRate);
    if (speed == B0)
        return EINVAL;
    ::cfmakeraw(&tio);
    tio.c_cflag &= ~(CSIZE | PARENB | CSTOPB | CRTSCTS);
    tio.c_cflag |= CS8 | CLOCAL | CREAD;
    tio.c_iflag &= ~(IXON | IXOFF | IXANY);
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    if (::cfsetispeed(&tio, speed) != 0 || ::cfsetospeed(&tio, speed) != 0)
        return errno;
    if (::tcsetattr(fd, TCSANOW, &tio) != 0)
        return errno;
    // Some timers and boards draw their interface's power from DTR and RTS;
    // a port without modem lines (a pseudo-terminal) refuses, which is fine.
    int lines = TIOCM_DTR | TIOCM_RTS;
    ::ioctl(fd, TIOCMBIS, &lines);
    return 0;
}

qint64 nowMicros()
{
    return std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

} // namespace

PosixByteDevice::PosixByteDevice(const PortLocator &ports, QString sysTtyDir)
    : m_ports(ports)
    , m_sysTtyDir(std::move(sysTtyDir))
{
    m_readWake = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    m_writeWake = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
}

PosixByteDevice::~PosixByteDevice()
{
    close();
    for (const int fd : {m_readWake, m_writeWake}) {
        if (fd >= 0)
            ::close(fd);
    }
}

QString PosixByteDevice::pathOf(const QString &port) const
{
    const QString text = port.trimmed();
    if (text.isEmpty())
        return {};
    if (const int number = comNumberOf(text))
        return m_ports.reserved(number) ? QString() : m_ports.devicePath(number);
    return text;
}

bool PosixByteDevice::isConsole(const QString &path) const
{
    // By the device the path leads to, so no other name of the console
    // (a link, /dev/console itself) gets past.
    const QString target = QFileInfo(path).canonicalFilePath();
    const QString name = QFileInfo(target.isEmpty() ? path : target).fileName();
    if (name == u"console"_s || name == u"tty"_s || name == u"tty0"_s)
        return true;
    QFile active(m_sysTtyDir + u"/console/active"_s);
    if (!active.open(QIODevice::ReadOnly))
        return false;
    const QStringList consoles = QString::fromLocal8Bit(active.read(4096)).simplified().split(u' ');
    return consoles.contains(name);
}

bool PosixByteDevice::present(const QString &port)
{
    const QString path = pathOf(port);
    return !path.isEmpty() && QFileInfo::exists(path) && !isConsole(path);
}

LineOpenError PosixByteDevice::open(const QString &port, int baudRate)
{
    close();
    const QString path = pathOf(port);
    if (path.isEmpty())
        return {LineOpenError::Stage::Open, ENOENT};
    if (isConsole(path))
        return {LineOpenError::Stage::Open, EBUSY};
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return {LineOpenError::Stage::Open, errno};
    // Not a terminal at all (a plain file, a directory): refused here.
    if (!::isatty(fd)) {
        ::close(fd);
        return {LineOpenError::Stage::Configure, ENOTTY};
    }
    ::ioctl(fd, TIOCEXCL);
    if (const int code = configure(fd, baudRate)) {
        ::close(fd);
        return {LineOpenError::Stage::Configure, code};
    }
    // Whatever the device sent before the port was ours belongs to no run.
    ::tcflush(fd, TCIFLUSH);
    m_fd = fd;
    m_baudRate = baudRate;
    eventfd_t drained = 0;
    ::eventfd_read(m_readWake, &drained);
    ::eventfd_read(m_writeWake, &drained);
    return {};
}

void PosixByteDevice::close()
{
    if (m_fd < 0)
        return;
    ::tcflush(m_fd, TCIOFLUSH);
    ::close(m_fd);
    m_fd = -1;
}

ByteDevice::Outcome PosixByteDevice::waitFor(short events, int wake, int timeoutMs, int &errorCode)
{
    pollfd fds[2] = {{m_fd, events, 0}, {wake, POLLIN, 0}};
    for (;;) {
        const int n = ::poll(fds, 2, timeoutMs);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            errorCode = errno;
            return Outcome::Failed;
        }
        break;
    }
    if (fds[1].revents & POLLIN) {
        eventfd_t drained = 0;
        ::eventfd_read(wake, &drained);
        return Outcome::Interrupted;
    }
    if (fds[0].revents & POLLNVAL) {
        errorCode = EBADF;
        return Outcome::Failed;
    }
    // Only waiting for time to pass: a hang-up ends it (a read finds it by
    // itself, after the bytes that came before it).
    if (events == 0 && (fds[0].revents & (POLLHUP | POLLERR))) {
        errorCode = EIO;
        return Outcome::Failed;
    }
    return Outcome::Done;
}

ByteDevice::Outcome PosixByteDevice::read(const ContactClock &clock, QByteArray &bytes, ContactStamp &stamp,
                                          int &errorCode)
{
    bytes.clear();
    for (;;) {
        if (m_fd < 0) {
            errorCode = EBADF;
            return Outcome::Failed;
        }
        const Outcome waited = waitFor(POLLIN, m_readWake, -1, errorCode);
        if (waited != Outcome::Done)
            return waited;
        stamp = clock.now();
        char buffer[512];
        const ssize_t n = ::read(m_fd, buffer, sizeof buffer);
        if (n > 0) {
            bytes.append(buffer, n);
            // A burst of lines is handed over whole.
            for (ssize_t more = n; more == ssize_t(sizeof buffer);) {
                more = ::read(m_fd, buffer, sizeof buffer);
                if (more > 0)
                    bytes.append(buffer, more);
            }
            return Outcome::Done;
        }
        if (n < 0 && (errno == EAGAIN || errno == EINTR))
            continue;
        // Ready without bytes is a hang-up: the adapter was pulled, or the
        // far end of a pseudo-terminal closed.
        errorCode = n < 0 ? errno : EIO;
        return Outcome::Failed;
    }
}

ByteDevice::Outcome PosixByteDevice::write(const QByteArray &bytes, int &errorCode)
{
    const qint64 begun = nowMicros();
    qsizetype sent = 0;
    while (sent < bytes.size()) {
        if (m_fd < 0) {
            errorCode = EBADF;
            return Outcome::Failed;
        }
        const ssize_t n = ::write(m_fd, bytes.constData() + sent, size_t(bytes.size() - sent));
        if (n > 0) {
            sent += n;
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR) {
            errorCode = errno;
            return Outcome::Failed;
        }
        const Outcome waited = waitFor(POLLOUT, m_writeWake, 1000, errorCode);
        if (waited != Outcome::Done)
            return waited;
    }
    // On the wire: the system's queue empty, and the line's time passed (a
    // USB adapter or a pseudo-terminal empties its queue at once).
    const qint64 due = begun + wireMicros(bytes.size(), m_baudRate);
    for (;;) {
        int queued = 0;
        if (::ioctl(m_fd, TIOCOUTQ, &queued) != 0)
            queued = 0;
        const qint64 left = due - nowMicros();
        if (queued <= 0 && left <= 0)
            return Outcome::Done;
        const int waitMs = queued > 0 ? 2 : int(qMax<qint64>(1, (left + 999) / 1000));
        const Outcome waited = waitFor(0, m_writeWake, waitMs, errorCode);
        if (waited != Outcome::Done)
            return waited;
    }
}

void PosixByteDevice::interruptRead()
{
    ::eventfd_write(m_readWake, 1);
}

void PosixByteDevice::interruptWrite()
{
    ::eventfd_write(m_writeWake, 1);
}

} // namespace vex
