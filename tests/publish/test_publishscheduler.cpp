// When uploads start: the throttle and the retries, on a fake clock.

#include "../timing/faketicks.h"
#include "../timing/faketimers.h"
#include "publish/publishscheduler.h"

#include <QTest>

using namespace Qt::StringLiterals;
using namespace vex;

namespace {

// One step of a scenario at a moment of the fake clock.
enum class Step { Change, Now, Ok, Fail, Tick };

struct Event
{
    quint32 atMs;
    Step step;
};

} // namespace

Q_DECLARE_METATYPE(QList<Event>)
Q_DECLARE_METATYPE(QList<quint32>)

class TestPublishScheduler : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Each scenario on a 15 s interval: the moments uploads start. Tick is
    // the timer firing at the moment it was set for.
    void starts_data()
    {
        QTest::addColumn<QList<Event>>("events");
        QTest::addColumn<QList<quint32>>("starts");
        using S = Step;
        QTest::newRow("first change at once")
            << QList<Event>{{1000, S::Change}} << QList<quint32>{1000};
        QTest::newRow("changes in between wait for the interval, one upload for all")
            << QList<Event>{{0, S::Change}, {500, S::Ok}, {2000, S::Change}, {9000, S::Change}, {0, S::Tick}}
            << QList<quint32>{0, 15000};
        QTest::newRow("a change during an upload goes up after it")
            << QList<Event>{{0, S::Change}, {3000, S::Change}, {20000, S::Ok}}
            << QList<quint32>{0, 20000};
        QTest::newRow("no change, no upload")
            << QList<Event>{{0, S::Change}, {1000, S::Ok}, {40000, S::Tick}} << QList<quint32>{0};
        QTest::newRow("button skips the interval")
            << QList<Event>{{0, S::Change}, {1000, S::Ok}, {2000, S::Now}} << QList<quint32>{0, 2000};
        QTest::newRow("button during an upload: right after it")
            << QList<Event>{{0, S::Change}, {1000, S::Now}, {4000, S::Ok}} << QList<quint32>{0, 4000};
        QTest::newRow("failures pause longer each time, within the interval at least")
            << QList<Event>{{0, S::Change}, {1000, S::Fail}, {0, S::Tick}, {16000, S::Fail}, {0, S::Tick},
                            {31000, S::Fail}, {0, S::Tick}, {52000, S::Fail}, {0, S::Tick}}
            << QList<quint32>{0, 15000, 30000, 51000, 92000};
        QTest::newRow("success ends the pauses")
            << QList<Event>{{0, S::Change}, {1000, S::Fail}, {0, S::Tick}, {15500, S::Ok}, {16000, S::Change},
                            {0, S::Tick}}
            << QList<quint32>{0, 15000, 30000};
    }
    void starts()
    {
        QFETCH(QList<Event>, events);
        QFETCH(QList<quint32>, starts);
        FakeTicks ticks;
        FakeTimers timers;
        PublishScheduler scheduler(ticks, timers);
        QList<quint32> seen;
        connect(&scheduler, &PublishScheduler::due, this, [&] { seen.append(ticks.value); });
        for (const Event &e : events) {
            if (e.step == Step::Tick) {
                if (!timers.isActive(u"publish"_s))
                    continue;
                ticks.value += quint32(timers.intervalMs(u"publish"_s));
                timers.fire(u"publish"_s);
                continue;
            }
            ticks.value = e.atMs;
            switch (e.step) {
            case Step::Change: scheduler.changed(); break;
            case Step::Now: scheduler.publishNow(); break;
            case Step::Ok: scheduler.finished(true); break;
            case Step::Fail: scheduler.finished(false); break;
            case Step::Tick: break;
            }
        }
        QCOMPARE(seen, starts);
    }

    void retryPauses_data()
    {
        QTest::addColumn<int>("failures");
        QTest::addColumn<int>("pauseMs");
        QTest::newRow("none") << 0 << 0;
        QTest::newRow("first") << 1 << 5000;
        QTest::newRow("third") << 3 << 20000;
        QTest::newRow("capped") << 8 << 300000;
        QTest::newRow("many") << 1000 << 300000;
    }
    void retryPauses()
    {
        QFETCH(int, failures);
        QFETCH(int, pauseMs);
        QCOMPARE(PublishScheduler::retryPauseMs(failures), pauseMs);
    }

    // The clock's counter wraps; the interval still holds across it.
    void intervalAcrossCounterWrap()
    {
        FakeTicks ticks;
        FakeTimers timers;
        PublishScheduler scheduler(ticks, timers);
        int uploads = 0;
        connect(&scheduler, &PublishScheduler::due, this, [&] { ++uploads; });
        ticks.value = 0xFFFFF000u;
        scheduler.changed();
        scheduler.finished(true);
        ticks.value += 6000;
        scheduler.changed();
        QCOMPARE(uploads, 1);
        QCOMPARE(timers.intervalMs(u"publish"_s), 15000 - 6000);
    }
};

QTEST_GUILESS_MAIN(TestPublishScheduler)
#include "test_publishscheduler.moc"
