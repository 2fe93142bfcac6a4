#include "display/digit.h"
#include "display/digitpanel.h"
#include "display/followrace.h"
#include "display/formmonitor2.h"
#include "display/wincolor.h"
#include "files/racefiles.h"
#include "race/race.h"
#include "timing/tickclock.h"

#include "../support/twoscreens.h"
#include "../timing/faketimers.h"

#include <QDir>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace vex;

namespace {

class Ticks final : public TickSource
{
public:
    quint32 now() const override { return value; }
    quint32 value = 0;
};

QString shownTime(const DigitPanel &panel, int row)
{
    const auto &d = panel.rowDigits(row);
    return u"%1%2:%3%4,%5%6"_s.arg(d[0]->value()).arg(d[1]->value()).arg(d[2]->value()).arg(d[3]->value())
        .arg(d[4]->value()).arg(d[5]->value());
}

QColor textColour(const QLabel *label)
{
    return label->palette().color(QPalette::WindowText);
}

// A protocol with results in its first class, shared with the report tests.
const QString kProtocol = QDir::cleanPath(QStringLiteral(VEX_TEST_DATA "/../../reports/data/protocol_two_classes.txt"));

} // namespace

class TestFollowRace : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void startsWithTheRacesState();
    void settingsReachTheDisplay();
    void settingDuringARunKeepsTheTime();
    void loadShowsTheNewBest();
    void runningTimeAndReset();

private:
    Ticks m_ticks;
    std::unique_ptr<FakeTimers> m_timers;
    std::unique_ptr<RaceResults> m_results;
    std::unique_ptr<Race> m_race;
    std::unique_ptr<TFormMonitor2> m_display;
};

void TestFollowRace::init()
{
    m_timers = std::make_unique<FakeTimers>();
    m_results = std::make_unique<RaceResults>();
    m_race = std::make_unique<Race>(*m_results, m_ticks, *m_timers);
    m_display = std::make_unique<TFormMonitor2>();
}

void TestFollowRace::cleanup()
{
    m_display.reset();
    m_race.reset();
    m_results.reset();
    m_timers.reset();
}

void TestFollowRace::startsWithTheRacesState()
{
    Settings s;
    s.Title = u"Herbstslalom"_s;
    s.Monitor = 1;
    s.ColorText = 0x000000FF;
    m_race->applySettings(s);
    FollowRace(*m_display, *m_race);
    QCOMPARE(m_display->PanelTitle->text(), u"Herbstslalom"_s);
    QCOMPARE(textColour(m_display->PanelTitle), QColor(255, 0, 0));
    QCOMPARE(m_display->geometry(), QGuiApplication::screens().at(1)->geometry());
    QCOMPARE(m_display->LabStart1->text(), u" Start-Nr.:"_s);
}

void TestFollowRace::settingsReachTheDisplay()
{
    FollowRace(*m_display, *m_race);
    Settings s = m_race->settings();
    s.Title = u"Winterpokal"_s;
    s.ColorZeit = 0x00FF0000; // blue
    s.Monitor = 1;
    m_race->applySettings(s);
    QCOMPARE(m_display->PanelTitle->text(), u"Winterpokal"_s);
    QCOMPARE(m_display->timeDisplay().colours().zeit, QColor(0, 0, 255));
    QCOMPARE(textColour(m_display->LabStart1), QColor(0, 0, 255));
    QCOMPARE(m_display->placedScreenIndex(), 1);

    s.Monitor = 0;
    m_race->applySettings(s);
    QCOMPARE(m_display->geometry(), QGuiApplication::screens().at(0)->geometry());
}

void TestFollowRace::settingDuringARunKeepsTheTime()
{
    FollowRace(*m_display, *m_race);
    m_display->showRunningTime(12340);
    m_race->setAutoEntry(true); // a settings change with the same colours
    QCOMPARE(shownTime(*m_display->digitPanel(), 0), u"00:12,34"_s);
}

void TestFollowRace::loadShowsTheNewBest()
{
    FollowRace(*m_display, *m_race);
    RaceFiles files(*m_race);
    QVERIFY(files.load(kProtocol).opened);
    QCOMPARE(m_race->bestTimeMs(), 97120);
    QCOMPARE(shownTime(*m_display->digitPanel(), 1), u"01:37,12"_s);
    QCOMPARE(m_display->LabBestzeit->text(), m_race->bestDriverLabel());
    QVERIFY(m_display->LabBestzeit->text().contains(u"Jörg"_s));
    QCOMPARE(m_display->LabStart1->text(), u" Start-Nr.:"_s + m_race->entry().shownNumber);
}

void TestFollowRace::runningTimeAndReset()
{
    FollowRace(*m_display, *m_race);
    RaceFiles files(*m_race);
    QVERIFY(files.load(kProtocol).opened);
    m_race->chooseDriver(1);
    QCOMPARE(m_display->LabStart1->text(), u" Start-Nr.:2"_s);
    m_ticks.value = 1000;
    m_race->start(m_ticks.value);
    m_ticks.value = 84450;
    QVERIFY(m_timers->fire(u"Clock"_s));
    QCOMPARE(shownTime(*m_display->digitPanel(), 0), u"01:23,45"_s);

    m_race->abort();
    QCOMPARE(shownTime(*m_display->digitPanel(), 0), u"00:00,00"_s);
    QCOMPARE(shownTime(*m_display->digitPanel(), 1), u"01:37,12"_s);
}

VEX_TEST_MAIN_TWO_SCREENS(TestFollowRace)
#include "test_followrace.moc"
