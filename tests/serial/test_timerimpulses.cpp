// The timer's lines acting on a race: which start and stop a run, judged
// and recorded on the timer's own clock, and which are only logged.

#include "../race/racefixture.h"

#include "serial/contactlog.h"
#include "serial/racecontacttarget.h"
#include "serial/timerimpulses.h"

#include <QSignalSpy>
#include <QTemporaryDir>

using namespace vex;
using namespace Qt::StringLiterals;

using Outcomes = QList<TimerOutcome>;

class TestTimerImpulses : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void actsOnTheRun_data();
    void actsOnTheRun();
    void aStartNumberThatDiffersIsShownNeverActedOn();
    void everyLineIsLoggedWithItsMeaning();
};

void TestTimerImpulses::actsOnTheRun_data()
{
    QTest::addColumn<QList<QByteArray>>("lines");
    QTest::addColumn<int>("minRunSeconds");
    QTest::addColumn<bool>("startFree");
    QTest::addColumn<bool>("testing");
    QTest::addColumn<Outcomes>("outcomes");
    QTest::addColumn<int>("state");
    QTest::addColumn<qint32>("runTimeMs"); // of the stopped run, -1 when none
    QTest::addColumn<int>("handTimes");

    using O = TimerOutcome;
    const int ready = int(RunState::Ready), running = int(RunState::Running), stopped = int(RunState::Stopped);
    QTest::newRow("start and finish") << QList<QByteArray>{"0001 c0 10:00:00.0000 00", "0001 c1 10:00:42.3456 00"} << 0
                                      << true << false << Outcomes{O::Started, O::Stopped} << stopped << 42345 << 0;
    QTest::newRow("across midnight") << QList<QByteArray>{"0002 c0 23:59:50.5000", "0002 c1 00:00:12.2500"} << 0 << true
                                     << false << Outcomes{O::Started, O::Stopped} << stopped << 21750 << 0;
    QTest::newRow("fewer decimals") << QList<QByteArray>{"3 c0 8:00:01,5", "3 c1 8:01:00,07"} << 0 << true << false
                                    << Outcomes{O::Started, O::Stopped} << stopped << 58570 << 0;
    // Both barriers are locked outside a run, as for the modem lines.
    QTest::newRow("finish before any start") << QList<QByteArray>{"0001 c1 10:00:00.0000", "0001 c0 10:00:01.0000"} << 0
                                             << true << false << Outcomes{O::IgnoredLocked, O::Started} << running
                                             << -1 << 0;
    QTest::newRow("second start while running")
        << QList<QByteArray>{"0001 c0 10:00:00.0000", "0002 c0 10:00:20.0000"} << 0 << true << false
        << Outcomes{O::Started, O::IgnoredLocked} << running << -1 << 0;
    QTest::newRow("start barrier locked") << QList<QByteArray>{"0001 c0 10:00:00.0000"} << 0 << false << false
                                          << Outcomes{O::IgnoredLocked} << ready << -1 << 0;
    QTest::newRow("keypad impulses are hand times")
        << QList<QByteArray>{"0001 c0M 10:00:00.0000", "0001 c1M 10:00:30.0000"} << 0 << true << false
        << Outcomes{O::Started, O::Stopped} << stopped << 30000 << 2;
    QTest::newRow("a time typed in on the timer")
        << QList<QByteArray>{"0001 c0 10:00:00.0000", "i 0001 c1 10:00:31.0000"} << 0 << true << false
        << Outcomes{O::Started, O::Stopped} << stopped << 31000 << 1;
    QTest::newRow("no valid start number still times")
        << QList<QByteArray>{"?0000 c0 10:00:00.0000", "?0000 c1 10:00:31.0000"} << 0 << true << false
        << Outcomes{O::Started, O::Stopped} << stopped << 31000 << 0;
    QTest::newRow("lines that never act")
        << QList<QByteArray>{"m 0009 c0 15:44:00,5499 00", "c 0009 c0 15:44:01,0000", "d 0009 c0 15:44:02,0000",
                             "n0010 c0 15:44:03,0000", "0009 c3 15:44:04,0000", "0009 RT 00:00:41.2200",
                             "0009 TT 00:01:22.4400"}
        << 0 << true << false << Outcomes(7, O::LoggedOnly) << ready << -1 << 0;
    QTest::newRow("the same impulse twice") << QList<QByteArray>{"0001 c0 10:00:00.0000", "0001 c0 10:00:00.0000"} << 0
                                            << true << false << Outcomes{O::Started, O::Repeated} << running << -1 << 0;
    QTest::newRow("bounce on the timer's clock, then the finish")
        << QList<QByteArray>{"0001 c0 10:00:00.0000", "0001 c1 10:00:00.0200", "0001 c1 10:00:05.0000"} << 0 << true
        << false << Outcomes{O::Started, O::IgnoredTooEarly, O::Stopped} << stopped << 5000 << 0;
    QTest::newRow("the minimum run time on the timer's clock")
        << QList<QByteArray>{"0001 c0 10:00:00.0000", "0001 c1 10:00:09.9999", "0001 c1 10:00:10.0000"} << 10 << true
        << false << Outcomes{O::Started, O::IgnoredTooEarly, O::Stopped} << stopped << 10000 << 0;
    QTest::newRow("unreadable") << QList<QByteArray>{"0001 c0 10:00", "~~~"} << 0 << true << false
                                << Outcomes{O::Unreadable, O::Unreadable} << ready << -1 << 0;
    QTest::newRow("while the barriers are tested")
        << QList<QByteArray>{"0001 c0 10:00:00.0000", "m 0001 c0 10:00:00.0000"} << 0 << true << true
        << Outcomes{O::Tested, O::LoggedOnly} << ready << -1 << 0;
}

void TestTimerImpulses::actsOnTheRun()
{
    QFETCH(QList<QByteArray>, lines);
    QFETCH(int, minRunSeconds);
    QFETCH(bool, startFree);
    QFETCH(bool, testing);

    RaceFixture f;
    f.changeSettings([&](Settings &s) {
        s.StartLock = 0;
        s.MinLauf = minRunSeconds;
    });
    if (startFree)
        f.race.toggleStartBarrier();
    RaceContactTarget target(f.race);
    TimerImpulses impulses(target, [] { return QString(); });
    impulses.setTesting(testing);
    Outcomes outcomes;
    int handTimes = 0;
    connect(&impulses, &TimerImpulses::lineHandled, this, [&](const TimerImpulse &impulse) {
        outcomes.append(impulse.outcome);
        handTimes += impulse.handTime ? 1 : 0;
        // The running clock goes by the line's arrival.
        if (impulse.outcome == TimerOutcome::Started)
            QCOMPARE(f.race.runController().startTick(), impulse.arrival.tick);
    });
    for (int k = 0; k < lines.size(); ++k) {
        // Arrivals far from the timer's differences: only the timer's count.
        const quint32 tick = 7000 + 3333 * quint32(k);
        impulses.take(lines[k] + "\r", ContactStamp{tick, qint64(tick) * 1000});
    }
    QTEST(outcomes, "outcomes");
    QTEST(int(f.race.runController().state()), "state");
    QTEST(handTimes, "handTimes");
    QFETCH(qint32, runTimeMs);
    if (runTimeMs >= 0)
        QCOMPARE(f.race.runController().runTimeMs(), runTimeMs);
}

void TestTimerImpulses::aStartNumberThatDiffersIsShownNeverActedOn()
{
    struct Case
    {
        QByteArray line;
        bool mismatch;
    };
    const Case cases[] = {
        {"0012 c0 10:00:00.0000", true},  // another driver on the timer
        {"0013 c0 10:00:00.0000", false}, // the same
        {"  13 c0 10:00:00.0000", false}, // without its zeros
        {"?0012 c0 10:00:00.0000", false}, // no valid number: says nothing
        {"     c0 10:00:00.0000", false},  // none at all
    };
    for (const Case &c : cases) {
        RaceFixture f;
        f.changeSettings([](Settings &s) { s.StartLock = 0; });
        f.race.typeStartNumber(u"13"_s);
        f.race.toggleStartBarrier();
        RaceContactTarget target(f.race);
        TimerImpulses impulses(target, [&f] { return f.race.entry().startNumber; });
        QSignalSpy mismatch(&impulses, &TimerImpulses::startNumberMismatch);
        impulses.take(c.line + "\r", {});
        QCOMPARE(f.race.runController().state(), RunState::Running);
        QCOMPARE(f.race.entry().startNumber, u"13"_s);
        QVERIFY2(mismatch.size() == (c.mismatch ? 1 : 0), c.line.constData());
    }
}

void TestTimerImpulses::everyLineIsLoggedWithItsMeaning()
{
    QTemporaryDir dir;
    ContactLog log(dir.filePath(u"Lichtschranke.log"_s));
    RaceFixture f;
    f.race.typeStartNumber(u"4"_s);
    RaceContactTarget target(f.race);
    TimerImpulses impulses(target, [&f] { return f.race.entry().startNumber; });
    impulses.setLog(&log);
    impulses.take("0004 c0 10:00:00.0000\rgarbage\r", ContactStamp{42, 42000});
    const QStringList logged = QString::fromUtf8(readAll(log.filePath())).split(u'\n', Qt::SkipEmptyParts);
    QCOMPARE(logged.size(), 2);
    QVERIFY(logged[0].contains(u"\ttick 42\ttimer\t\"0004 c0 10:00:00.0000\"\tStart 10:00:00,0000, Gerät Nr. 4\t"
                               u"Programm Nr. 4\tkeine Wirkung (Lichtschranke gesperrt)"_s));
    QVERIFY(logged[1].contains(u"\"garbage\"\tkein Kanal"_s));
    QVERIFY(logged[1].endsWith(u"\tnicht lesbar"_s));
}

QTEST_GUILESS_MAIN(TestTimerImpulses)
#include "test_timerimpulses.moc"
