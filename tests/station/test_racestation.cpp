// The station's light barriers follow the settings: the start opens the port
// they name, new settings close it at once and open the new one a moment later.

#include "station/racestation.h"

#include "../timing/faketimers.h"
#include "race/race.h"
#include "serial/lightbarrierport.h"
#include "settings/settings.h"
#include "timing/tickclock.h"

#include <QTest>

using namespace Qt::StringLiterals;
using namespace vex;

namespace {

class FakePort final : public LightBarrierPort
{
public:
    void close() override { calls.append(u"close"_s); }
    bool open(int portNumber) override
    {
        calls.append(u"open %1"_s.arg(portNumber));
        return true;
    }
    QStringList calls;
};

} // namespace

class TestRaceStation : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void portFollowsTheSettings_data();
    void portFollowsTheSettings();
};

void TestRaceStation::portFollowsTheSettings_data()
{
    QTest::addColumn<int>("startPort");
    QTest::addColumn<int>("newPort");
    QTest::addColumn<QStringList>("calls"); // at start, on the new settings, a moment later
    QTest::newRow("another port") << 1 << 3 << QStringList{u"open 1"_s, u"close"_s, u"open 3"_s};
    QTest::newRow("none chosen: closed for good") << 3 << 0 << QStringList{u"open 3"_s, u"close"_s};
    QTest::newRow("none at start") << 0 << 2 << QStringList{u"close"_s, u"open 2"_s};
}

void TestRaceStation::portFollowsTheSettings()
{
    QFETCH(int, startPort);
    QFETCH(int, newPort);
    QFETCH(QStringList, calls);
    SteadyTickSource ticks;
    FakeTimers timers;
    FakePort port;
    StationServices services;
    services.ticks = &ticks;
    services.timers = &timers;
    services.barriers.port = &port;
    RaceStation station(services);
    QVERIFY(!station.backup()); // no folder: backed up nowhere
    Settings s;
    s.Port = startPort;
    station.start(s);
    s.Port = newPort;
    station.applySettings(s);
    QCOMPARE(station.race().settings().Port, newPort);
    // The device gets its pause between closing and opening.
    const bool reopening = timers.isActive(u"TimerPortOpen"_s);
    QCOMPARE(reopening ? timers.intervalMs(u"TimerPortOpen"_s) : 0, newPort != 0 ? 50 : 0);
    timers.fire(u"TimerPortOpen"_s);
    QCOMPARE(port.calls, calls);
}

QTEST_MAIN(TestRaceStation)
#include "test_racestation.moc"
