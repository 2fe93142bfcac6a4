// The POSIX line device: where the COM numbers point, the system's error
// texts, and, with the serial-port shim preloaded, the set-up of the port,
// the wait for line changes, its interruption and the loss of the device.

#include "serialfixture.h"

#include "serial/barriercontacts.h"
#include "serial/comerrors.h"
#include "serial/comport.h"
#include "serial/modemstatus.h"
#include "serial/portmap.h"
#include "serial/posixlinedevice.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>

#include <dlfcn.h>
#include <linux/serial.h>
#include <sys/ioctl.h>
#include <termios.h>

using namespace vex;
using namespace Qt::StringLiterals;

namespace {

// COM1 is the given path, nothing else exists.
class OnePort final : public PortLocator
{
public:
    explicit OnePort(QString path) : m_path(std::move(path)) {}
    QString devicePath(int port) const override { return port == 1 ? m_path : QString(); }
    bool present(int port) const override { return port == 1; }
    bool reserved(int) const override { return false; }

private:
    QString m_path;
};

struct ShimState
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

// The controls of the preloaded shim; absent when the test runs without it.
struct Shim
{
    void (*reset)() = nullptr;
    void (*setLines)(int) = nullptr;
    void (*pulse)(int) = nullptr;
    void (*refuseWait)(int) = nullptr;
    void (*fail)(int) = nullptr;
    void (*failTcsetattr)(int) = nullptr;
    void (*state)(ShimState *) = nullptr;
    void (*inject)(int, int, int) = nullptr;
    long long (*injectedAt)() = nullptr;

    bool load()
    {
        auto get = [](const char *name) { return dlsym(RTLD_DEFAULT, name); };
        reset = reinterpret_cast<void (*)()>(get("vexshim_reset"));
        setLines = reinterpret_cast<void (*)(int)>(get("vexshim_set_lines"));
        pulse = reinterpret_cast<void (*)(int)>(get("vexshim_pulse"));
        refuseWait = reinterpret_cast<void (*)(int)>(get("vexshim_refuse_wait"));
        fail = reinterpret_cast<void (*)(int)>(get("vexshim_fail"));
        failTcsetattr = reinterpret_cast<void (*)(int)>(get("vexshim_fail_tcsetattr"));
        state = reinterpret_cast<void (*)(ShimState *)>(get("vexshim_state"));
        inject = reinterpret_cast<void (*)(int, int, int)>(get("vexshim_inject"));
        injectedAt = reinterpret_cast<long long (*)()>(get("vexshim_injected_at"));
        return reset && setLines && pulse && refuseWait && fail && failTcsetattr && state && inject && injectedAt;
    }
    ShimState now() const
    {
        ShimState s{};
        state(&s);
        return s;
    }
};

void writeFile(const QString &path, const QByteArray &contents)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(contents);
}

} // namespace

class TestPosixLineDevice : public QObject
{
    Q_OBJECT

    Shim m_shim;
    bool m_haveShim = false;
    SteadyContactClock m_clock;
    const QString m_fakePath = u"/dev/ttyVEXFAKE0"_s;

    // Runs the event loop until the condition holds or a second passed.
    template <typename Condition>
    static bool serveUntil(Condition condition)
    {
        QElapsedTimer elapsed;
        elapsed.start();
        while (!condition() && elapsed.elapsed() < 2000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 2);
        return condition();
    }

private Q_SLOTS:
    void initTestCase() { m_haveShim = m_shim.load(); }
    void init()
    {
        if (m_haveShim)
            m_shim.reset();
    }

    void comNumbersMapToDevices_data()
    {
        QTest::addColumn<QStringList>("builtIn");   // "ttySk=type"
        QTest::addColumn<QStringList>("adapters");  // names in /dev
        QTest::addColumn<QString>("console");
        QTest::addColumn<QStringList>("expected");  // COM1.. as "name" or "name!" (absent) or "name#" (console)

        QTest::newRow("two UARTs, then USB and ACM adapters")
            << QStringList{u"ttyS0=4"_s, u"ttyS1=4"_s, u"ttyS2=0"_s, u"ttyS3=0"_s}
            << QStringList{u"ttyUSB10"_s, u"ttyUSB2"_s, u"ttyACM0"_s} << u"tty0"_s
            << QStringList{u"ttyS0"_s, u"ttyS1"_s, u"ttyUSB2"_s, u"ttyUSB10"_s, u"ttyACM0"_s, u"-"_s};
        QTest::newRow("no UART: the adapter is COM1")
            << QStringList{u"ttyS0=0"_s, u"ttyS1=0"_s} << QStringList{u"ttyUSB0"_s} << QString()
            << QStringList{u"ttyUSB0"_s, u"-"_s};
        QTest::newRow("gap below the highest UART")
            << QStringList{u"ttyS0=0"_s, u"ttyS1=4"_s} << QStringList{u"ttyACM3"_s} << QString()
            << QStringList{u"ttyS0!"_s, u"ttyS1"_s, u"ttyACM3"_s};
        QTest::newRow("the console's UART is never offered")
            << QStringList{u"ttyS0=4"_s} << QStringList{} << u"tty0 ttyS0"_s
            << QStringList{u"ttyS0#"_s, u"-"_s};
    }
    void comNumbersMapToDevices()
    {
        QFETCH(QStringList, builtIn);
        QFETCH(QStringList, adapters);
        QFETCH(QString, console);
        QFETCH(QStringList, expected);
        QTemporaryDir root;
        const QString dev = root.filePath(u"dev"_s), sys = root.filePath(u"sys"_s);
        QDir().mkpath(dev);
        for (const QString &entry : builtIn) {
            const QStringList parts = entry.split(u'=');
            writeFile(sys + u'/' + parts[0] + u"/type"_s, parts[1].toLatin1() + '\n');
            writeFile(dev + u'/' + parts[0], {});
        }
        for (const QString &name : adapters)
            writeFile(dev + u'/' + name, {});
        if (!console.isEmpty())
            writeFile(sys + u"/console/active"_s, console.toLatin1() + '\n');

        LinuxPortMap map(dev, sys);
        for (int n = 1; n <= expected.size(); ++n) {
            QString name = expected[n - 1];
            const bool absent = name.endsWith(u'!'), consolePort = name.endsWith(u'#');
            if (absent || consolePort)
                name.chop(1);
            if (name == u"-") {
                QVERIFY(map.devicePath(n).isEmpty());
                QVERIFY(!map.present(n));
                continue;
            }
            QCOMPARE(map.devicePath(n), dev + u'/' + name);
            QCOMPARE(map.present(n), !absent && !consolePort);
            QCOMPARE(map.reserved(n), consolePort);
        }
        QVERIFY(!map.present(0));
        QVERIFY(!map.present(17));
    }

    void theConsolePortIsRefusedUnopened()
    {
        QTemporaryDir root;
        writeFile(root.filePath(u"sys/ttyS0/type"_s), "4\n");
        writeFile(root.filePath(u"sys/console/active"_s), "ttyS0\n");
        // The path points nowhere: if it were opened the error would differ.
        LinuxPortMap map(root.filePath(u"nodev"_s), root.filePath(u"sys"_s));
        PosixLineDevice device(map);
        TComPort port(device, m_clock);
        port.setPort(1);
        try {
            port.Open();
            QFAIL("opened the console");
        } catch (const EComHandle &error) {
            QCOMPARE(error.message(), u"Unable to open com port: Device or resource busy"_s);
        }
    }

    void openErrorsCarryTheSystemText_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("message");
        QTest::newRow("no such device") << u"/dev/ttyVEXMISSING9"_s
                                        << u"Unable to open com port: No such file or directory"_s;
        QTest::newRow("not a terminal") << u"<regular file>"_s
                                        << u"Unable to set com state: Inappropriate ioctl for device"_s;
        QTest::newRow("COM number naming nothing") << QString() << u"Unable to open com port: No such file or directory"_s;
    }
    void openErrorsCarryTheSystemText()
    {
        QFETCH(QString, path);
        QFETCH(QString, message);
        QTemporaryDir dir;
        if (path == u"<regular file>") {
            path = dir.filePath(u"plain"_s);
            writeFile(path, "x");
        }
        OnePort ports(path);
        PosixLineDevice device(ports);
        TComPort port(device, m_clock);
        port.setPort(1);
        try {
            port.Open();
            QFAIL("Open() did not throw");
        } catch (const EComError &error) {
            QCOMPARE(error.message(), message);
        }
        QVERIFY(!device.isOpen());
    }

    void portIsSetUpForTheLinesOnly()
    {
        if (!m_haveShim)
            QSKIP("needs the serial-port shim preloaded");
        OnePort ports(m_fakePath);
        PosixLineDevice device(ports);
        TComPort port(device, m_clock);
        BarrierContacts::setUpPort(port);
        port.setPort(1);
        port.Open();
        const ShimState s = m_shim.now();
        QVERIFY(s.open);
        QVERIFY(s.exclusive);
        QCOMPARE(s.outputs, TIOCM_DTR | TIOCM_RTS);
        QVERIFY(s.tio.c_cflag & CLOCAL);
        QVERIFY(s.tio.c_cflag & CREAD);
        QVERIFY(!(s.tio.c_cflag & CRTSCTS));
        QCOMPARE(s.tio.c_cflag & CSIZE, tcflag_t(CS5));
        QCOMPARE(cfgetospeed(&s.tio), speed_t(B9600));
        QCOMPARE(cfgetispeed(&s.tio), speed_t(B9600));
        QVERIFY(s.serialFlags & ASYNC_LOW_LATENCY);
        port.Close();
        QVERIFY(!m_shim.now().open);
        QCOMPARE(m_shim.now().reads, 0);
    }

    void refusedSetUpReleasesTheDevice()
    {
        if (!m_haveShim)
            QSKIP("needs the serial-port shim preloaded");
        m_shim.failTcsetattr(EIO);
        OnePort ports(m_fakePath);
        PosixLineDevice device(ports);
        TComPort port(device, m_clock);
        port.setPort(1);
        QVERIFY_THROWS_EXCEPTION(EComState, port.Open());
        QVERIFY(!m_shim.now().open);
        QVERIFY(!port.Connected());
    }

    // The lines move while the waiting thread is blocked in the driver's wait
    // (or, where the driver refuses it, while it polls).
    void lineChangesReachTheHandlers_data()
    {
        QTest::addColumn<bool>("refuseWait");
        QTest::newRow("TIOCMIWAIT") << false;
        QTest::newRow("polling fallback") << true;
    }
    void lineChangesReachTheHandlers()
    {
        QFETCH(bool, refuseWait);
        if (!m_haveShim)
            QSKIP("needs the serial-port shim preloaded");
        m_shim.refuseWait(refuseWait);
        OnePort ports(m_fakePath);
        PosixLineDevice device(ports);
        TComPort port(device, m_clock);
        QList<QPair<QString, quint32>> seen;
        QList<ContactStamp> stamps;
        auto note = [&](const QString &line) {
            return [&, line](TComPort *p) {
                seen.append({line, p->ReadModemStatus()});
                stamps.append(p->eventStamp());
            };
        };
        connect(&port, &TComPort::OnCTS, this, note(u"CTS"_s));
        connect(&port, &TComPort::OnDSR, this, note(u"DSR"_s));
        connect(&port, &TComPort::OnRLSD, this, note(u"RLSD"_s));
        port.setPort(1);
        port.Open();
        // The thread is in the driver's wait, or has been refused it.
        QVERIFY(serveUntil([&] { return device.polling() || m_shim.now().waitsEntered > 0; }));

        // A change that falls between the thread's look at the counters and
        // its next entry into the driver's wait is found only by the wait's
        // bound (see the gap test below); here the lines move once the
        // thread waits again, so each change wakes it.
        int entered = m_shim.now().waitsEntered;
        auto waitingAgain = [&] {
            const bool again = serveUntil([&] { return device.polling() || m_shim.now().waitsEntered > entered; });
            entered = m_shim.now().waitsEntered;
            return again;
        };
        const ContactStamp before = m_clock.now();
        m_shim.setLines(TIOCM_CTS);
        QVERIFY(serveUntil([&] { return seen.size() == 1; }));
        QVERIFY(waitingAgain());
        m_shim.setLines(TIOCM_CTS | TIOCM_CD | TIOCM_DSR);
        QVERIFY(serveUntil([&] { return seen.size() == 3; }));
        QVERIFY(waitingAgain());
        // A pulse too short to be seen in the levels still counts.
        m_shim.pulse(TIOCM_CD);
        QVERIFY(serveUntil([&] { return seen.size() >= 4; }));
        const quint32 all = MsCtsOn | MsDsrOn | MsRlsdOn;
        if (refuseWait) {
            // A poll may fall inside the pulse and report each of its edges:
            // every one is a DCD notice, and the first counts.
            for (qsizetype i = 3; i < seen.size(); ++i)
                QCOMPARE(seen.at(i).first, u"RLSD"_s);
            seen = seen.mid(0, 3);
            seen.append({u"RLSD"_s, all});
        }
        QCOMPARE(seen, (QList<QPair<QString, quint32>>{{u"CTS"_s, MsCtsOn}, {u"DSR"_s, all}, {u"RLSD"_s, all},
                                                      {u"RLSD"_s, all}}));
        QVERIFY(stamps.first().micros >= before.micros);
        QCOMPARE(stamps.first().tick, quint32(quint64(stamps.first().micros / 1000)));
        QCOMPARE(device.polling(), refuseWait);
        if (!refuseWait)
            QCOMPARE(m_shim.now().lastWaitMask, (unsigned long)(TIOCM_CTS | TIOCM_DSR | TIOCM_CD));
        QElapsedTimer elapsed;
        elapsed.start();
        port.Close();
        QCOMPARE_LT(elapsed.elapsed(), 100);
        QCOMPARE(m_shim.now().reads, 0);
    }

    // An edge counted before the driver's wait notes the counters does not
    // wake it; it must still be found, at once, while a run is armed.
    void anEdgeInTheGapBeforeTheWaitIsStampedAtOnce_data()
    {
        QTest::addColumn<int>("lines");  // after the edge
        QTest::addColumn<int>("pulsed"); // lines that closed and opened again
        QTest::addColumn<int>("when");   // 0: at the wait's entry, 1: between the counters' read and the wait
        QTest::addColumn<QString>("expected"); // line and edges
        QTest::newRow("finish closes at the wait's entry") << int(TIOCM_CD) << 0 << 0 << u"RLSD 1"_s;
        QTest::newRow("start pulse between the counters' read and the wait") << 0 << int(TIOCM_CTS) << 1 << u"CTS 2"_s;
    }
    void anEdgeInTheGapBeforeTheWaitIsStampedAtOnce()
    {
        QFETCH(int, lines);
        QFETCH(int, pulsed);
        QFETCH(int, when);
        QFETCH(QString, expected);
        if (!m_haveShim)
            QSKIP("needs the serial-port shim preloaded");
        OnePort ports(m_fakePath);
        PosixLineDevice device(ports);
        TComPort port(device, m_clock);
        QStringList seen;
        LineChange change;
        auto note = [&](const char *line, int LineEdges::*edges) {
            return [&, line, edges](TComPort *p) {
                seen << u"%1 %2"_s.arg(QString::fromLatin1(line)).arg(p->lineChange().edges.*edges);
                change = p->lineChange();
            };
        };
        connect(&port, &TComPort::OnCTS, this, note("CTS", &LineEdges::cts));
        connect(&port, &TComPort::OnRLSD, this, note("RLSD", &LineEdges::dcd));
        port.setPort(1);
        port.setArmed(true);
        port.Open();
        QVERIFY(serveUntil([&] { return m_shim.now().waitsEntered > 0; }));
        // DSR wakes the thread; the edge falls as it enters the wait again.
        m_shim.inject(lines | TIOCM_DSR, pulsed, when);
        m_shim.setLines(TIOCM_DSR);
        QVERIFY(serveUntil([&] { return !seen.isEmpty(); }));
        const qint64 at = m_shim.injectedAt();
        QVERIFY(at != 0);
        QCOMPARE(seen, QStringList{expected});
        QVERIFY(change.byComparison);
        // Within the bound of an armed wait, with room for a loaded machine.
        QCOMPARE_LT(change.stamp.micros - at, 20'000);
        QCOMPARE_GE(change.stamp.micros, at);
        port.Close();
    }

    void closeInterruptsTheDriversWait()
    {
        if (!m_haveShim)
            QSKIP("needs the serial-port shim preloaded");
        OnePort ports(m_fakePath);
        PosixLineDevice device(ports);
        TComPort port(device, m_clock);
        port.setPort(1);
        for (int round = 0; round < 20; ++round) {
            port.Open();
            QVERIFY(serveUntil([&] { return m_shim.now().waitsEntered > round; }));
            QElapsedTimer elapsed;
            elapsed.start();
            port.Close();
            QCOMPARE_LT(elapsed.elapsed(), 100);
            QVERIFY(!m_shim.now().open);
        }
    }

    // A fast optical sensor's finish pulse comes and goes while the GUI thread
    // is busy: the run stops all the same, at the moment the thread saw it.
    void finishPulseWhileTheGuiThreadIsBusyStopsTheRun()
    {
        if (!m_haveShim)
            QSKIP("needs the serial-port shim preloaded");
        OnePort ports(m_fakePath);
        PosixLineDevice device(ports);
        FixedClock clock;
        TComPort port(device, clock);
        FakeTarget target;
        target.state = FakeTarget::State::Running;
        BarrierContacts contacts(port, target);
        port.setPort(1);
        port.Open();
        QVERIFY(serveUntil([&] { return m_shim.now().waitsEntered > 0; }));
        const int entered = m_shim.now().waitsEntered;
        clock.value = {1505, 1'505'000};
        m_shim.setLines(TIOCM_CD);
        m_shim.setLines(0);
        // No event is served until the thread is back in the driver's wait.
        QElapsedTimer busy;
        busy.start();
        while (m_shim.now().waitsEntered == entered && busy.elapsed() < 2000)
            QTest::qSleep(1);
        clock.value = {9999, 9'999'000};
        QVERIFY(serveUntil([&] { return target.stops > 0; }));
        QCOMPARE(target.stopStamp, (ContactStamp{1505, 1'505'000}));
    }

    void deviceLostWhileOpen()
    {
        if (!m_haveShim)
            QSKIP("needs the serial-port shim preloaded");
        OnePort ports(m_fakePath);
        PosixLineDevice device(ports);
        TComPort port(device, m_clock);
        QSignalSpy lost(&port, &TComPort::portLost);
        QSignalSpy closed(&port, &TComPort::OnClose);
        port.setPort(1);
        port.Open();
        QVERIFY(serveUntil([&] { return m_shim.now().waitsEntered > 0; }));
        m_shim.fail(EIO);
        QVERIFY(serveUntil([&] { return !port.Connected(); }));
        QCOMPARE(closed.count(), 1);
        QCOMPARE(lost.count(), 1);
        QVERIFY(!m_shim.now().open);
    }
};

QTEST_GUILESS_MAIN(TestPosixLineDevice)
#include "test_posixlinedevice.moc"
