// What the race takes from the operator's entry: penalties and run times it
// can hold.
#include "../timing/faketicks.h"
#include "../timing/faketimers.h"
#include "files/racefiles.h"
#include "race/race.h"
#include "results/startnumbers.h"

#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace vex;

class TestRaceFaults : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void penaltiesAreNeverNegative();
    void runLongerThanTheClockShows_data();
    void runLongerThanTheClockShows();
};

void TestRaceFaults::penaltiesAreNeverNegative()
{
    FakeTicks ticks;
    FakeTimers timers;
    RaceResults raceResults;
    Race race(raceResults, ticks, timers);
    RaceFiles files(race);
    race.setPenalty(-40);
    QCOMPARE(race.entry().penaltySeconds, 0);
    race.setPenaltyText(u"-40"_s);
    QCOMPARE(race.entry().penaltySeconds, 0);
    race.penaltyDown();
    QCOMPARE(race.entry().penaltySeconds, 0);
    race.start(ticks.value);
    race.addPenalty(-5);
    QCOMPARE(race.entry().penaltySeconds, 0);
    race.addPenalty(2);
    QCOMPARE(race.entry().penaltySeconds, 2);
}

void TestRaceFaults::runLongerThanTheClockShows_data()
{
    QTest::addColumn<quint32>("runMs");
    QTest::addColumn<bool>("entered");
    QTest::newRow("just under an hour") << quint32(3'599'990) << true;
    QTest::newRow("an hour") << quint32(3'600'000) << false;
    QTest::newRow("an hour and five seconds") << quint32(3'605'000) << false;
}

void TestRaceFaults::runLongerThanTheClockShows()
{
    QFETCH(quint32, runMs);
    QFETCH(bool, entered);
    FakeTicks ticks;
    FakeTimers timers;
    RaceResults raceResults;
    Race race(raceResults, ticks, timers);
    RaceFiles files(race);
    race.typeStartNumber(u"7"_s);
    QSignalSpy refused(&race, &Race::entryRefused);
    ticks.value = 500;
    race.start(ticks.value);
    ticks.value += runMs;
    race.stop(ticks.value);
    race.enter();
    QCOMPARE(refused.isEmpty(), entered);
    const ResultPage &page = *race.activePage();
    const int row = FindRowByStartNumber(page, u"7"_s);
    QCOMPARE(row >= 1 && !isBlankCell(page.cell(row, timeColumn(0))), entered);
    if (!entered) {
        // The run stays stopped until the operator throws it away.
        QCOMPARE(race.runController().state(), RunState::Stopped);
        race.discardRun();
        QCOMPARE(race.runController().state(), RunState::Ready);
    }
}

QTEST_GUILESS_MAIN(TestRaceFaults)
#include "test_race_faults.moc"
