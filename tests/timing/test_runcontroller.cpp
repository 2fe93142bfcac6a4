#include "faketicks.h"
#include "faketimers.h"
#include "timing/runcontroller.h"

#include <QSignalSpy>
#include <QTest>

using namespace vex;
using namespace Qt::StringLiterals;

class TestRunController : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void fullCycleFollowsTheControlTable();
    void runTimeSurvivesCounterWrap_data();
    void runTimeSurvivesCounterWrap();
    void barrierRunsAreTimedFromTheirMicroseconds_data();
    void barrierRunsAreTimedFromTheirMicroseconds();
    void commandsOutsideTheirStateDoNothing();
    void lockTimerFreesFinishBarrierOnce();
    void lockTimeZeroAndResumedEntryFreeTheFinish();
    void abortKeepsBarriersAndLockTimer();
    void portClosedKeepsPicturesHidden();
    void portBackDuringARunShowsTheFinishBarrier();
    void autoEntryFiresOnceAndEnterCancelsIt();
    void nextShowsTheStartFlag();
    void discardedStopIsReadyAgain();
};

void TestRunController::fullCycleFollowsTheControlTable()
{
    FakeTicks ticks;
    FakeTimers timers;
    RunController rc(ticks, timers);
    rc.setPortOpen(true);

    const RunControls ready = rc.controls();
    QVERIFY(ready.startShown && ready.startEnabled && !ready.stopShown);
    QVERIFY(!ready.abortEnabled && !ready.enterEnabled && !ready.nextEnabled);
    QVERIFY(!ready.penaltyEnabled && ready.settingsEnabled && !ready.f5StopsRun);

    ticks.value = 1000;
    rc.start(ticks.value);
    const RunControls &c = rc.controls();
    QCOMPARE(rc.state(), RunState::Running);
    QVERIFY(!c.startShown && c.stopShown && c.stopEnabled && c.f5StopsRun);
    QVERIFY(c.abortEnabled && c.penaltyEnabled && !c.settingsEnabled);
    QVERIFY(!c.startPictureShown && c.finishPictureShown);
    QCOMPARE(c.finishImage, int(ImageLocked));
    QVERIFY(rc.clockRunning());

    ticks.value = 46120;
    rc.stop(ticks.value);
    QCOMPARE(rc.state(), RunState::Stopped);
    QCOMPARE(rc.runTimeMs(), 45120);
    QVERIFY(c.startShown && !c.startEnabled && !c.stopShown && c.enterEnabled);
    QVERIFY(c.penaltyEnabled && !c.settingsEnabled && !c.abortEnabled && !c.f5StopsRun);
    QCOMPARE(c.startImage, int(ImageOutOfPlay));
    QVERIFY(!c.startPictureEnabled && c.startPictureShown && !c.finishPictureShown);
    QVERIFY(!rc.clockRunning());

    QVERIFY(rc.enter());
    QCOMPARE(rc.state(), RunState::Entered);
    QVERIFY(!c.enterEnabled && c.nextEnabled && !c.penaltyEnabled && c.settingsEnabled);
    QVERIFY(c.startShown && !c.startEnabled);

    QVERIFY(rc.next());
    QCOMPARE(rc.state(), RunState::Ready);
    QVERIFY(c.startShown && c.startEnabled && !c.nextEnabled && c.startPictureEnabled);
}

void TestRunController::runTimeSurvivesCounterWrap_data()
{
    QTest::addColumn<quint32>("start");
    QTest::addColumn<quint32>("stop");
    QTest::addColumn<qint32>("ms");
    QTest::newRow("plain") << 5000u << 50120u << 45120;
    QTest::newRow("across the wrap") << 0xFFFFF000u << 0x00000F9Cu << 8092;
    QTest::newRow("stop exactly at zero") << 0xFFFFFFF6u << 0u << 10;
}

void TestRunController::runTimeSurvivesCounterWrap()
{
    QFETCH(quint32, start);
    QFETCH(quint32, stop);
    QFETCH(qint32, ms);
    FakeTicks ticks;
    FakeTimers timers;
    RunController rc(ticks, timers);
    QSignalSpy shown(&rc, &RunController::runningTime);
    ticks.value = start;
    rc.start(ticks.value);
    ticks.value = start + 3;
    rc.clockTick();
    ticks.value = stop;
    rc.stop(ticks.value);
    QCOMPARE(rc.runTimeMs(), ms);
    QCOMPARE(shown.size(), 2);
    QCOMPARE(shown.at(0).at(0).toInt(), 3);
    QCOMPARE(shown.at(1).at(0).toInt(), ms);
}

// A true 2,349.8 ms between the contacts reads 2,350 ms in ticks when the
// start fell late in its millisecond; the microseconds keep it at 2,349.
void TestRunController::barrierRunsAreTimedFromTheirMicroseconds_data()
{
    const qint64 none = RunController::kNoMicros;
    QTest::addColumn<qint64>("startUs");
    QTest::addColumn<qint64>("stopUs");
    QTest::addColumn<qint32>("ms");
    QTest::newRow("both barriers") << qint64(10'000'900) << qint64(12'350'700) << 2349;
    QTest::newRow("barrier start, hand stop") << qint64(10'000'900) << none << 2350;
    QTest::newRow("hand start, barrier stop") << none << qint64(12'350'700) << 2350;
    QTest::newRow("both by hand") << none << none << 2350;
}

void TestRunController::barrierRunsAreTimedFromTheirMicroseconds()
{
    QFETCH(qint64, startUs);
    QFETCH(qint64, stopUs);
    QFETCH(qint32, ms);
    FakeTicks ticks;
    FakeTimers timers;
    RunController rc(ticks, timers);
    QSignalSpy shown(&rc, &RunController::runningTime);
    rc.start(10000, startUs);
    rc.stop(12350, stopUs);
    QCOMPARE(rc.runTimeMs(), ms);
    // The display freezes on the time that will be recorded.
    QCOMPARE(shown.last().at(0).toInt(), ms);
    // The next run by hand doesn't inherit the readings of this one.
    QVERIFY(rc.enter());
    QVERIFY(rc.next());
    rc.start(20000);
    rc.stop(20100);
    QCOMPARE(rc.runTimeMs(), 100);
}

void TestRunController::commandsOutsideTheirStateDoNothing()
{
    FakeTicks ticks;
    FakeTimers timers;
    RunController rc(ticks, timers);
    rc.stop(ticks.value);
    rc.abort();
    QVERIFY(!rc.enter());
    QVERIFY(!rc.next());
    QCOMPARE(rc.state(), RunState::Ready);

    ticks.value = 10;
    rc.start(ticks.value);
    ticks.value = 20;
    rc.start(ticks.value); // a second start must not move the start tick
    QCOMPARE(rc.startTick(), 10u);
    rc.stop(ticks.value);
    rc.start(ticks.value); // Stopped: the start command is disabled
    rc.abort();
    QCOMPARE(rc.state(), RunState::Stopped);
    QVERIFY(!rc.next());
}

void TestRunController::lockTimerFreesFinishBarrierOnce()
{
    FakeTicks ticks;
    FakeTimers timers;
    RunController rc(ticks, timers);
    rc.setLockTimeMs(10000);
    rc.start(ticks.value);
    QVERIFY(rc.lockTimerActive());
    QVERIFY(!rc.finishBarrierFree());
    // The operator frees the finish barrier early with F11; the timer must
    // not lock it again when it fires.
    rc.toggleFinishBarrier();
    QVERIFY(rc.finishBarrierFree());
    rc.lockTimeElapsed();
    QVERIFY(rc.finishBarrierFree());
    QCOMPARE(rc.controls().finishImage, int(ImageFree));
    QVERIFY(!rc.lockTimerActive());
}

// A lock time of 0 is no lock; and an entry taken back and resumed goes on
// with what is left of the lock, instead of keeping the finish locked.
void TestRunController::lockTimeZeroAndResumedEntryFreeTheFinish()
{
    FakeTicks ticks;
    FakeTimers timers;
    RunController rc(ticks, timers);
    rc.setLockTimeMs(0);
    rc.start(ticks.value);
    QVERIFY(!rc.lockTimerActive());
    QVERIFY(rc.finishBarrierFree());

    rc.abort();
    rc.setLockTimeMs(10000);
    ticks.value = 1000;
    rc.start(ticks.value);
    rc.stop(ticks.value + 20); // a mistaken stop inside the lock time
    QVERIFY(rc.enter());
    QVERIFY(!rc.lockTimerActive());
    QVERIFY(rc.reopenEntered());
    ticks.value = 4000;
    QVERIFY(rc.resume());
    QVERIFY(rc.lockTimerActive());
    QVERIFY(!rc.finishBarrierFree());
    QVERIFY(timers.fire(u"TimerStartLock"_s));
    QVERIFY(rc.finishBarrierFree());
}

void TestRunController::abortKeepsBarriersAndLockTimer()
{
    FakeTicks ticks;
    FakeTimers timers;
    RunController rc(ticks, timers);
    rc.setLockTimeMs(50);
    rc.toggleStartBarrier();
    QVERIFY(rc.startBarrierFree());
    rc.start(ticks.value);
    QVERIFY(!rc.startBarrierFree());
    QSignalSpy reset(&rc, &RunController::displayReset);
    rc.abort();
    QCOMPARE(reset.size(), 1);
    QCOMPARE(rc.state(), RunState::Ready);
    QVERIFY(!rc.startBarrierFree());
    // The lock timer still runs and frees the (hidden) finish barrier.
    QVERIFY(rc.lockTimerActive());
    QVERIFY(timers.fire(u"TimerStartLock"_s));
    QVERIFY(rc.finishBarrierFree());
    // The next start locks it again.
    rc.start(ticks.value);
    QVERIFY(!rc.finishBarrierFree());
}

void TestRunController::portClosedKeepsPicturesHidden()
{
    FakeTicks ticks;
    FakeTimers timers;
    RunController rc(ticks, timers);
    rc.start(ticks.value);
    rc.stop(ticks.value);
    QVERIFY(!rc.controls().startPictureShown);
    QVERIFY(!rc.controls().finishPictureShown);
    rc.setPortOpen(true);
    QVERIFY(rc.controls().startPictureShown);
    rc.setPortOpen(false);
    QVERIFY(!rc.controls().startPictureShown && !rc.controls().finishPictureShown);
}

// An adapter pulled and plugged in again during a run: the picture in sight is
// the finish barrier's, free once the lock time has passed.
void TestRunController::portBackDuringARunShowsTheFinishBarrier()
{
    FakeTicks ticks;
    FakeTimers timers;
    RunController rc(ticks, timers);
    rc.setPortOpen(true);
    rc.start(ticks.value);
    QVERIFY(timers.fire(u"TimerStartLock"_s));
    rc.setPortOpen(false);
    rc.setPortOpen(true);
    const RunControls &c = rc.controls();
    QVERIFY(!c.startPictureShown && c.finishPictureShown);
    QCOMPARE(c.finishImage, int(ImageFree));
}

void TestRunController::autoEntryFiresOnceAndEnterCancelsIt()
{
    FakeTicks ticks;
    FakeTimers timers;
    RunController rc(ticks, timers);
    rc.setAutoEntry(true, 30);
    QSignalSpy due(&rc, &RunController::autoEntryDue);
    rc.start(ticks.value);
    rc.stop(ticks.value);
    QVERIFY(rc.autoEntryPending());
    QVERIFY(timers.fire(u"TimerEintragen"_s));
    QCOMPARE(due.size(), 1);
    QVERIFY(!rc.autoEntryPending());

    rc.enter();
    rc.next();
    rc.start(ticks.value);
    rc.stop(ticks.value);
    QVERIFY(rc.enter()); // by hand, before the delay
    QVERIFY(!rc.autoEntryPending());
    QVERIFY(!timers.fire(u"TimerEintragen"_s));
    QCOMPARE(due.size(), 1);
}

void TestRunController::nextShowsTheStartFlag()
{
    FakeTicks ticks;
    FakeTimers timers;
    RunController rc(ticks, timers);
    rc.start(ticks.value);
    rc.stop(ticks.value);
    rc.toggleStartBarrier(); // F4 while Stopped: the flag and image change
    QVERIFY(rc.startBarrierFree());
    QCOMPARE(rc.controls().startImage, int(ImageFree));
    rc.enter();
    rc.next();
    QCOMPARE(rc.controls().startImage, int(ImageFree));
    QVERIFY(rc.startBarrierFree());
}

void TestRunController::discardedStopIsReadyAgain()
{
    FakeTicks ticks;
    FakeTimers timers;
    RunController rc(ticks, timers);
    rc.setAutoEntry(true, 30);
    rc.discardStopped(); // only a stopped run
    QCOMPARE(rc.state(), RunState::Ready);
    rc.start(ticks.value);
    rc.discardStopped();
    QCOMPARE(rc.state(), RunState::Running);
    rc.stop(ticks.value);
    QSignalSpy reset(&rc, &RunController::displayReset);
    rc.discardStopped();
    QCOMPARE(rc.state(), RunState::Ready);
    QCOMPARE(reset.size(), 1);
    const RunControls &c = rc.controls();
    QVERIFY(c.startEnabled && c.startShown && c.settingsEnabled);
    QVERIFY(!c.enterEnabled && !c.nextEnabled && !c.penaltyEnabled);
    QVERIFY(!timers.fire(u"TimerEintragen"_s));
    QVERIFY(!rc.enter());
}

QTEST_GUILESS_MAIN(TestRunController)
#include "test_runcontroller.moc"
