// A serial port with modem lines but without hardware, for the POSIX line
// device's tests: preloaded into the test, it takes over open, ioctl,
// tcgetattr, tcsetattr, tcflush, read and close for paths that start with
// /dev/ttyVEXFAKE and passes every other call on to the C library. The test
// moves the lines through the vexshim_* functions, also at the moments a
// real port can't be made to hit: as the device's thread enters the wait.

#include <cerrno>
#include <chrono>
#include <cstdarg>
#include <cstring>
#include <mutex>

#include <dlfcn.h>
#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace {

template <typename Fn>
Fn next(const char *name)
{
    return reinterpret_cast<Fn>(dlsym(RTLD_NEXT, name));
}

using OpenFn = int (*)(const char *, int, ...);
using IoctlFn = int (*)(int, unsigned long, ...);
using CloseFn = int (*)(int);
using ReadFn = ssize_t (*)(int, void *, size_t);

std::mutex mutex;
int fakeFd = -1;
int wakePipe[2] = {-1, -1};
int lines = 0;     // TIOCM_CTS | TIOCM_DSR | TIOCM_CD | TIOCM_RNG
int outputs = 0;   // TIOCM_DTR | TIOCM_RTS as set
serial_icounter_struct counts = {};
termios tio = {};
int serialFlags = 0;
bool exclusive = false;
bool refuseWait = false;
int failCode = 0;
int tcsetattrError = 0;
unsigned long lastWaitMask = 0;
int waitsEntered = 0;
int reads = 0;
int opens = 0;
unsigned long lastRequest = 0;
// An edge to be counted as the device's thread calls the wait: inside the
// wait before it notes the counters, or, at the call, only when the call
// before it read the counters.
enum { AtWaitEntry = 0, AfterCounterRead = 1 };
bool injectPending = false;
int injectWhen = AtWaitEntry;
int injectLines = 0;
int injectPulsed = 0;
long long injectedAt = 0;

long long steadyMicros()
{
    return std::chrono::duration_cast<std::chrono::microseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

bool isFakePath(const char *path)
{
    return path && std::strncmp(path, "/dev/ttyVEXFAKE", 15) == 0;
}

bool isFake(int fd)
{
    std::lock_guard lock(mutex);
    return fd >= 0 && fd == fakeFd;
}

void wake()
{
    const char byte = 1;
    if (wakePipe[1] >= 0)
        (void)!::write(wakePipe[1], &byte, 1);
}

void count(int changed)
{
    if (changed & TIOCM_CTS)
        ++counts.cts;
    if (changed & TIOCM_DSR)
        ++counts.dsr;
    if (changed & TIOCM_CD)
        ++counts.dcd;
}

int fail(int code)
{
    errno = code;
    return -1;
}

// Under the mutex.
void injectNow()
{
    count(injectLines ^ lines);
    count(injectPulsed);
    count(injectPulsed);
    lines = injectLines;
    injectPending = false;
    injectedAt = steadyMicros();
}

// TIOCMIWAIT as the kernel does it: until a counter of a masked line moves
// from where it stood at entry, or a signal arrives.
int waitForLines(unsigned long mask)
{
    serial_icounter_struct start;
    {
        std::lock_guard lock(mutex);
        if (refuseWait)
            return fail(ENOTTY);
        if (injectPending && injectWhen == AtWaitEntry)
            injectNow();
        lastWaitMask = mask;
        ++waitsEntered;
        start = counts;
    }
    for (;;) {
        {
            std::lock_guard lock(mutex);
            if (failCode)
                return fail(failCode);
            if (((mask & TIOCM_CTS) && counts.cts != start.cts) || ((mask & TIOCM_DSR) && counts.dsr != start.dsr)
                || ((mask & TIOCM_CD) && counts.dcd != start.dcd))
                return 0;
        }
        pollfd p = {wakePipe[0], POLLIN, 0};
        if (::poll(&p, 1, -1) < 0)
            return -1; // EINTR: a signal ends the wait
        char drain[64];
        static const ReadFn realRead = next<ReadFn>("read");
        (void)realRead(wakePipe[0], drain, sizeof drain);
    }
}

int fakeIoctl(unsigned long request, void *arg)
{
    {
        std::lock_guard lock(mutex);
        if (request == TIOCMIWAIT && injectPending && injectWhen == AfterCounterRead && lastRequest == TIOCGICOUNT)
            injectNow();
        lastRequest = request;
    }
    switch (request) {
    case TIOCMIWAIT:
        return waitForLines(reinterpret_cast<unsigned long>(arg));
    default:
        break;
    }
    std::lock_guard lock(mutex);
    if (failCode && request != TIOCGSERIAL && request != TIOCSSERIAL)
        return fail(failCode);
    switch (request) {
    case TIOCEXCL:
        exclusive = true;
        return 0;
    case TIOCMBIS:
        outputs |= *static_cast<int *>(arg);
        return 0;
    case TIOCMGET:
        *static_cast<int *>(arg) = lines | outputs;
        return 0;
    case TIOCGICOUNT:
        *static_cast<serial_icounter_struct *>(arg) = counts;
        return 0;
    case TIOCGSERIAL: {
        serial_struct s = {};
        s.flags = serialFlags;
        *static_cast<serial_struct *>(arg) = s;
        return 0;
    }
    case TIOCSSERIAL:
        serialFlags = static_cast<serial_struct *>(arg)->flags;
        return 0;
    default:
        return fail(ENOTTY);
    }
}

int openFake()
{
    static const OpenFn realOpen = next<OpenFn>("open");
    std::lock_guard lock(mutex);
    if (fakeFd >= 0)
        return fail(EBUSY);
    fakeFd = realOpen("/dev/null", O_RDWR | O_CLOEXEC);
    if (wakePipe[0] < 0 && ::pipe2(wakePipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return -1;
    ++opens;
    return fakeFd;
}

} // namespace

extern "C" {

// ---- the test's controls

struct VexShimState
{
    int open;
    int outputs;
    int exclusive;
    int serialFlags;
    unsigned long lastWaitMask;
    int waitsEntered;
    int reads;
    int opens;
    termios tio;
};

void vexshim_reset()
{
    std::lock_guard lock(mutex);
    lines = outputs = serialFlags = failCode = tcsetattrError = 0;
    counts = {};
    exclusive = refuseWait = false;
    lastWaitMask = lastRequest = 0;
    waitsEntered = reads = opens = 0;
    injectPending = false;
    injectedAt = 0;
    tio = {};
    // A port fresh from the kernel: hardware flow control on, no CLOCAL.
    tio.c_cflag = B38400 | CS8 | CRTSCTS;
}

void vexshim_set_lines(int newLines)
{
    {
        std::lock_guard lock(mutex);
        count(newLines ^ lines);
        lines = newLines;
    }
    wake();
}

// The lines read newLines from now; returns the moment, in the steady
// clock's microseconds, taken as they moved.
long long vexshim_set_lines_at(int newLines)
{
    long long at = 0;
    {
        std::lock_guard lock(mutex);
        count(newLines ^ lines);
        lines = newLines;
        at = steadyMicros();
    }
    wake();
    return at;
}

// The lines go to newLines, and those in pulsed close and open again, as the
// device's thread next calls the wait (when: 0 inside it before it notes the
// counters, 1 at the call right after a counter read).
void vexshim_inject(int newLines, int pulsed, int when)
{
    std::lock_guard lock(mutex);
    injectPending = true;
    injectWhen = when;
    injectLines = newLines;
    injectPulsed = pulsed;
    injectedAt = 0;
}

// The moment the injected edge was counted; 0 while it is pending.
long long vexshim_injected_at()
{
    std::lock_guard lock(mutex);
    return injectedAt;
}

void vexshim_pulse(int pulsed)
{
    {
        std::lock_guard lock(mutex);
        count(pulsed);
        count(pulsed);
    }
    wake();
}

void vexshim_refuse_wait(int refuse)
{
    std::lock_guard lock(mutex);
    refuseWait = refuse != 0;
}

void vexshim_fail(int code)
{
    {
        std::lock_guard lock(mutex);
        failCode = code;
    }
    wake();
}

void vexshim_fail_tcsetattr(int code)
{
    std::lock_guard lock(mutex);
    tcsetattrError = code;
}

void vexshim_state(VexShimState *state)
{
    std::lock_guard lock(mutex);
    *state = {fakeFd >= 0, outputs, exclusive, serialFlags, lastWaitMask, waitsEntered, reads, opens, tio};
}

// ---- the calls taken over

int open(const char *path, int flags, ...)
{
    if (isFakePath(path))
        return openFake();
    static const OpenFn realOpen = next<OpenFn>("open");
    va_list args;
    va_start(args, flags);
    const mode_t mode = (flags & (O_CREAT | O_TMPFILE)) ? va_arg(args, mode_t) : 0;
    va_end(args);
    return realOpen(path, flags, mode);
}

int open64(const char *path, int flags, ...)
{
    if (isFakePath(path))
        return openFake();
    static const OpenFn realOpen = next<OpenFn>("open64");
    va_list args;
    va_start(args, flags);
    const mode_t mode = (flags & (O_CREAT | O_TMPFILE)) ? va_arg(args, mode_t) : 0;
    va_end(args);
    return realOpen(path, flags, mode);
}

int ioctl(int fd, unsigned long request, ...)
{
    va_list args;
    va_start(args, request);
    void *arg = va_arg(args, void *);
    va_end(args);
    if (isFake(fd))
        return fakeIoctl(request, arg);
    static const IoctlFn realIoctl = next<IoctlFn>("ioctl");
    return realIoctl(fd, request, arg);
}

int tcgetattr(int fd, termios *out)
{
    if (isFake(fd)) {
        std::lock_guard lock(mutex);
        *out = tio;
        return 0;
    }
    using Fn = int (*)(int, termios *);
    static const Fn real = next<Fn>("tcgetattr");
    return real(fd, out);
}

int tcsetattr(int fd, int when, const termios *in)
{
    if (isFake(fd)) {
        std::lock_guard lock(mutex);
        if (tcsetattrError)
            return fail(tcsetattrError);
        tio = *in;
        return 0;
    }
    using Fn = int (*)(int, int, const termios *);
    static const Fn real = next<Fn>("tcsetattr");
    return real(fd, when, in);
}

int tcflush(int fd, int queue)
{
    if (isFake(fd))
        return 0;
    using Fn = int (*)(int, int);
    static const Fn real = next<Fn>("tcflush");
    return real(fd, queue);
}

ssize_t read(int fd, void *buffer, size_t size)
{
    if (isFake(fd)) {
        std::lock_guard lock(mutex);
        ++reads;
    }
    static const ReadFn realRead = next<ReadFn>("read");
    return realRead(fd, buffer, size);
}

int close(int fd)
{
    static const CloseFn realClose = next<CloseFn>("close");
    {
        std::lock_guard lock(mutex);
        if (fd >= 0 && fd == fakeFd) {
            fakeFd = -1;
            outputs = 0; // HUPCL: the outputs drop with the last close
        }
    }
    return realClose(fd);
}

} // extern "C"
