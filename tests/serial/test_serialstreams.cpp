// The timer and the display board through the real port code, with
// pseudo-terminals as the devices: a run timed from the timer's lines, the
// board's lines as it receives them, a device that goes away; and the
// stream's rule that only the newest line ever waits for a slow device.

#include "../race/racefixture.h"
#include "ptypair.h"

#include "serial/boardlines.h"
#include "serial/bytedevice.h"
#include "serial/comport.h"
#include "serial/bytestream.h"
#include "serial/portmap.h"
#include "serial/posixbytedevice.h"
#include "serial/raceboard.h"
#include "serial/racebarriers.h"
#include "serial/racetimer.h"

#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <condition_variable>
#include <mutex>

using namespace vex;
using namespace Qt::StringLiterals;

namespace {

class NoPorts final : public PortLocator
{
public:
    QString devicePath(int) const override { return {}; }
    bool present(int) const override { return false; }
    bool reserved(int) const override { return false; }
};

// A device whose writes take as long as the test says: each one waits
// until released.
class SlowBoard final : public ByteDevice
{
public:
    bool present(const QString &) override { return true; }
    LineOpenError open(const QString &, int) override
    {
        m_open = true;
        return {};
    }
    void close() override { m_open = false; }
    bool isOpen() const override { return m_open; }
    Outcome read(const ContactClock &, QByteArray &, ContactStamp &, int &) override { return Outcome::Interrupted; }
    Outcome write(const QByteArray &bytes, int &) override
    {
        std::unique_lock lock(mutex);
        begun.append(bytes);
        changed.notify_all();
        changed.wait(lock, [&] { return releases > 0 || interrupted; });
        if (interrupted) {
            interrupted = false;
            return Outcome::Interrupted;
        }
        --releases;
        return Outcome::Done;
    }
    void interruptRead() override {}
    void interruptWrite() override
    {
        std::lock_guard lock(mutex);
        interrupted = true;
        changed.notify_all();
    }
    void release()
    {
        std::lock_guard lock(mutex);
        ++releases;
        changed.notify_all();
    }
    bool waitBegun(int count)
    {
        std::unique_lock lock(mutex);
        return changed.wait_for(lock, std::chrono::seconds(5), [&] { return begun.size() >= count; });
    }

    std::mutex mutex;
    std::condition_variable changed;
    QList<QByteArray> begun;
    int releases = 0;
    bool interrupted = false;

private:
    bool m_open = false;
};

template <typename Done>
bool serveUntil(Done done, int timeoutMs = 5000)
{
    QElapsedTimer elapsed;
    elapsed.start();
    while (!done()) {
        if (elapsed.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

} // namespace

class TestSerialStreams : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void aRunIsTimedFromTheTimersLinesAndShownOnTheBoard();
    void aTimerThatGoesAwayIsReportedAndLookedFor();
    void onlyTheNewestLineWaitsForASlowBoard();
    void theConsoleIsNeverOpened();
};

void TestSerialStreams::aRunIsTimedFromTheTimersLinesAndShownOnTheBoard()
{
    PtyPair timer, board;
    QVERIFY(timer.ok() && board.ok());
    QTemporaryDir dir;
    RaceFixture f;
    f.load({{driver(u"7"_s, u"Anna"_s, {}, {}, {}, u"45,00"_s, u"0"_s),
             driver(u"8"_s, u"Ben"_s, {}, u"40,00"_s, u"0"_s, u"40,00"_s, u"0"_s)}},
           {u"Klasse A"_s});
    f.changeSettings([&](Settings &s) {
        s.StartLock = 0;
        s.Quelle = 1;
        s.Port = 3; // the modem-line barriers stay closed all the same
        s.TimerPort = timer.path();
        s.TimerBaud = 9600;
        s.TafelPort = board.path();
        s.TafelBaud = 38400;
        s.TafelZeigt = kBoardShowsAll;
    });
    f.race.typeStartNumber(u"7"_s);
    f.race.chooseRun(1);
    BarrierServices services;
    services.logPath = dir.filePath(u"Lichtschranke.log"_s);
    RaceBarriers barriers(f.race, f.timers, services);
    barriers.open();
    QVERIFY(barriers.timer().stream().isOpen());
    QVERIFY(barriers.board().stream().isOpen());
    QVERIFY(!barriers.comPort().Connected());
    QVERIFY(f.race.runController().portOpen());
    f.race.toggleStartBarrier();

    QList<TimerImpulse> handled;
    connect(&barriers.timer().impulses(), &TimerImpulses::lineHandled, this,
            [&](const TimerImpulse &impulse) { handled.append(impulse); });
    // The start line in two pieces, as a slow adapter hands it over.
    QVERIFY(timer.send("0007 c0 14:59:58,"));
    QTest::qWait(30);
    QVERIFY(timer.send("1234 00\r"));
    QVERIFY(serveUntil([&] { return f.race.runController().state() == RunState::Running; }));
    // The running clock: the board gets the tenths.
    f.timers.fire(u"Clock"_s);
    QByteArray shown;
    QVERIFY(serveUntil([&] {
        shown += board.receive();
        return shown.contains(".\r") || shown.contains(" \r");
    }));
    QVERIFY(shown.startsWith("  7.    "));
    // A memory replay and the finish in one burst.
    QVERIFY(timer.send("m 0007 c0 14:59:58,1234 00\r0007 c1 15:00:41,5678 00\r"));
    QVERIFY(serveUntil([&] { return f.race.runController().state() == RunState::Stopped; }));
    QCOMPARE(f.race.runController().runTimeMs(), 43444);
    QCOMPARE(handled.size(), 3);
    QCOMPARE(handled[1].outcome, TimerOutcome::LoggedOnly);

    f.race.enter();
    QCOMPARE(f.cellOf(u"7"_s, ColRun1), u"43,44"_s);
    // With the class rank the entry gave him.
    const QByteArray rank = f.cellOf(u"7"_s, ColPlace).remove(u'.').toLatin1().rightJustified(2, ' ');
    QVERIFY(!rank.trimmed().isEmpty());
    const QByteArray finish = QByteArray("43.44 ") + rank + '\r';
    shown.clear();
    QVERIFY(serveUntil([&] {
        shown += board.receive();
        return shown.endsWith(finish);
    }));

    // Every line in the log, with the PC's time in front.
    const QString logged = QString::fromUtf8(readAll(services.logPath));
    QCOMPARE(logged.count(u"\ttimer\t"_s), 3);
    QVERIFY(logged.contains(u"\"0007 c1 15:00:41,5678 00\"\tZiel 15:00:41,5678, Gerät Nr. 7\tProgramm Nr. 7\tstoppt den Lauf"_s));
    barriers.close();
    QVERIFY(!barriers.timer().stream().isOpen());
}

void TestSerialStreams::aTimerThatGoesAwayIsReportedAndLookedFor()
{
    auto timer = std::make_unique<PtyPair>();
    QVERIFY(timer->ok());
    RaceFixture f;
    f.changeSettings([&](Settings &s) {
        s.Quelle = 1;
        s.TimerPort = timer->path();
    });
    NoPorts ports;
    PosixByteDevice device(ports);
    const SteadyContactClock clock;
    RaceTimer raceTimer(f.race, f.timers, device, clock, nullptr);
    QSignalSpy messages(&raceTimer, &RaceTimer::message);
    raceTimer.open();
    QVERIFY(f.race.runController().portOpen());
    const QString path = timer->path();
    timer.reset();
    QVERIFY(serveUntil([&] { return raceTimer.stream().state() == ByteStream::State::Lost; }));
    QVERIFY(!f.race.runController().portOpen());
    QCOMPARE(messages.size(), 1);
    QVERIFY(messages[0][0].toString().startsWith(u"Zeitmessgerät: Verbindung zu %1 verloren"_s.arg(path)));
    QVERIFY(f.timers.isActive(u"TimerZeitmessgerät"_s));
    QVERIFY(f.timers.fire(u"TimerZeitmessgerät"_s));
    QCOMPARE(raceTimer.stream().state(), ByteStream::State::Lost);
    QVERIFY(raceTimer.stream().stateText().contains(u"getrennt"_s));
}

void TestSerialStreams::onlyTheNewestLineWaitsForASlowBoard()
{
    SlowBoard device;
    FakeTimers timers;
    SteadyContactClock clock;
    ByteStream stream(device, clock, timers, u"Anzeigetafel"_s, false);
    QVERIFY(stream.open(u"COM1"_s, 2400));
    stream.send("1\r");
    QVERIFY(device.waitBegun(1));
    // While the first is on the wire, four more come: three are dropped.
    for (const char *line : {"2\r", "3\r", "4\r", "5\r"})
        stream.send(line);
    device.release();
    QVERIFY(device.waitBegun(2));
    device.release();
    QVERIFY(serveUntil([&] { return stream.written() == 2; }));
    QCOMPARE(device.begun, (QList<QByteArray>{"1\r", "5\r"}));
    QCOMPARE(stream.dropped(), 3u);
    // Closing doesn't wait for a write that hangs.
    stream.send("6\r");
    QVERIFY(device.waitBegun(3));
    stream.close();
    QVERIFY(!stream.isOpen());
}

void TestSerialStreams::theConsoleIsNeverOpened()
{
    PtyPair pty;
    QVERIFY(pty.ok());
    QTemporaryDir sys;
    QDir().mkpath(sys.filePath(u"console"_s));
    QVERIFY(writeAll(sys.filePath(u"console/active"_s), QFileInfo(pty.path()).fileName().toLatin1() + " tty0\n"));
    NoPorts ports;
    PosixByteDevice device(ports, sys.path());
    struct Case
    {
        QString port;
        bool opens;
    };
    const Case cases[] = {
        {pty.path(), false},         // the console's device
        {u"/dev/console"_s, false},  // by the console's own name
        {u"COM1"_s, false},          // a COM number that names nothing
        {sys.path(), false},         // no terminal
        {QString(), false},
    };
    for (const Case &c : cases) {
        QCOMPARE(bool(!device.open(c.port, 9600)), c.opens);
        QVERIFY(!device.isOpen());
    }
    // Another terminal opens.
    PtyPair other;
    QVERIFY(!device.open(other.path(), 9600));
    QVERIFY(device.isOpen());
}

QTEST_GUILESS_MAIN(TestSerialStreams)
#include "test_serialstreams.moc"
