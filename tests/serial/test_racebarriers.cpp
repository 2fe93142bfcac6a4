// The light barriers of a race without a window: the port follows the race's
// settings, a lost port is logged, reported and opened again when its device
// is back, and the contact logic follows the settings the race applies later.

#include "../race/racefixture.h"
#include "serialfixture.h"

#include "serial/comerrors.h"
#include "serial/comport.h"
#include "serial/modemstatus.h"
#include "serial/racebarriers.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <cerrno>

using namespace vex;
using namespace Qt::StringLiterals;

class TestRaceBarriers : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void thePortFollowsTheSettings();
    void aLostPortIsLoggedAndReportedAndComesBack();
    void theContactLogicFollowsTheSettings();
    void aFalseFinishIsResumed();
    void noRealTimePriorityIsSaidOnce();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<FakeLineDevice> m_device;
    FixedClock m_clock;
    std::unique_ptr<RaceFixture> m_f;
    std::unique_ptr<RaceBarriers> m_barriers;
};

void TestRaceBarriers::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_device = std::make_unique<FakeLineDevice>();
    m_device->setPresentPorts({2, 5});
    m_f = std::make_unique<RaceFixture>();
    m_f->changeSettings([](Settings &s) {
        s.Port = 2;
        s.Alg = 0;
        s.StartLock = 0;
    });
    BarrierServices services;
    services.lineDevice = m_device.get();
    services.contactClock = &m_clock;
    services.logPath = m_dir->filePath(u"Lichtschranke.log"_s);
    m_barriers = std::make_unique<RaceBarriers>(m_f->race, m_f->timers, services);
}

void TestRaceBarriers::cleanup()
{
    m_barriers.reset();
    m_f.reset();
    m_device.reset();
    m_dir.reset();
}

void TestRaceBarriers::thePortFollowsTheSettings()
{
    QCOMPARE(m_barriers->portList(), 0x00050012u);
    QCOMPARE(m_barriers->comPortNumbers(), (QList<int>{2, 5}));
    m_barriers->open();
    QCOMPARE(m_device->openedPort(), 2);
    QVERIFY(m_f->race.runController().portOpen());

    // New settings: closed at once, the new port opened 50 ms later.
    m_barriers->close();
    QVERIFY(!m_device->isOpen());
    QVERIFY(!m_f->race.runController().portOpen());
    m_f->changeSettings([](Settings &s) { s.Port = 5; });
    m_barriers->reopenSoon();
    QCOMPARE(m_f->timers.intervalMs(u"TimerPortOpen"_s), 50);
    // A second close inside the pause drops the reopening.
    m_barriers->close();
    QVERIFY(!m_f->timers.fire(u"TimerPortOpen"_s));
    m_barriers->reopenSoon();
    QVERIFY(m_f->timers.fire(u"TimerPortOpen"_s));
    QCOMPARE(m_device->openedPort(), 5);
    QVERIFY(m_f->race.runController().portOpen());

    // "Kein": nothing is opened again.
    m_barriers->close();
    m_f->changeSettings([](Settings &s) { s.Port = 0; });
    m_barriers->reopenSoon();
    QVERIFY(!m_f->timers.isActive(u"TimerPortOpen"_s));
    m_barriers->open();
    QVERIFY(!m_device->isOpen());
}

void TestRaceBarriers::aLostPortIsLoggedAndReportedAndComesBack()
{
    QSignalSpy lost(m_barriers.get(), &RaceBarriers::portLost);
    QSignalSpy opened(m_barriers.get(), &RaceBarriers::portOpened);
    QSignalSpy restored(m_barriers.get(), &RaceBarriers::portRestored);
    m_barriers->open();
    QCOMPARE(opened.size(), 1);
    m_device->setPresentPorts({5}); // the adapter is pulled
    m_device->failWait(EIO);
    QTRY_COMPARE(lost.size(), 1);
    const QString message = lost.at(0).at(0).toString();
    QVERIFY(message.startsWith(u"Verbindung zu COM2 verloren"_s));
    QVERIFY(!m_f->race.runController().portOpen());

    QCOMPARE(m_f->timers.intervalMs(u"TimerPortReconnect"_s), 1000);
    QVERIFY(m_f->timers.fire(u"TimerPortReconnect"_s));
    QCOMPARE(m_device->opens(), 1);
    m_device->setPresentPorts({2, 5}); // and plugged in again
    QVERIFY(m_f->timers.fire(u"TimerPortReconnect"_s));
    QCOMPARE(m_device->opens(), 2);
    QVERIFY(m_f->race.runController().portOpen());
    QCOMPARE(restored.size(), 1);
    QCOMPARE(restored.at(0).at(0).toString(), u"Verbindung zu COM2 wiederhergestellt"_s);
    QVERIFY(!m_f->timers.isActive(u"TimerPortReconnect"_s));

    QFile log(m_dir->filePath(u"Lichtschranke.log"_s));
    QVERIFY(log.open(QIODevice::ReadOnly));
    const QString logged = QString::fromUtf8(log.readAll());
    QVERIFY(logged.contains(u'\t' + message + u"\n"_s));
    QVERIFY(logged.endsWith(u"\tVerbindung zu COM2 wiederhergestellt\n"_s));
}

// Alg 1 applied after the barriers were made: a start contact acts when it
// opens, not when it closes.
void TestRaceBarriers::theContactLogicFollowsTheSettings()
{
    m_f->changeSettings([](Settings &s) { s.Alg = 1; });
    m_barriers->open();
    QVERIFY(serveUntilSettled(*m_device));
    Race &race = m_f->race;
    race.toggleStartBarrier();
    m_device->setStatus(MsCtsOn, ContactStamp{100, 100'000});
    QVERIFY(serveUntilSettled(*m_device));
    QCOMPARE(race.runController().state(), RunState::Ready);
    m_device->setStatus(0, ContactStamp{200, 200'000});
    QVERIFY(serveUntilSettled(*m_device));
    QCOMPARE(race.runController().state(), RunState::Running);
}

// Someone walks through the finish: the run resumed is stopped by the real
// finish contact, timed from the start contact.
void TestRaceBarriers::aFalseFinishIsResumed()
{
    Race &race = m_f->race;
    m_f->load({{driver(u"7"_s, u"A"_s, {}, u"40,00"_s, u"0"_s)}}, {u"Bambini"_s});
    race.chooseRun(2);
    m_barriers->open();
    race.toggleStartBarrier();
    auto contact = [this](quint32 status, quint32 tick) {
        m_device->setStatus(status, ContactStamp{tick, qint64(tick) * 1000 + 400});
        return serveUntilSettled(*m_device);
    };
    QVERIFY(contact(MsCtsOn, 1000));
    // No lock time: the finish barrier is free from the start.
    QVERIFY(contact(MsCtsOn | MsRlsdOn, 13000));
    race.resumeRun();
    QVERIFY(contact(MsCtsOn, 20000));
    QVERIFY(contact(MsCtsOn | MsRlsdOn, 46120));
    race.enter();
    QCOMPARE(race.competition().page(0)->cell(1, ColTotal), u"1:25,12"_s);
    QVERIFY(QString::fromUtf8(readAll(m_dir->filePath(u"Lichtschranke.log"_s))).contains(u"\tWeiterlaufen: Stopp bei 12,00"_s));
}

void TestRaceBarriers::noRealTimePriorityIsSaidOnce()
{
    QSignalSpy said(m_barriers.get(), &RaceBarriers::realTimeUnavailable);
    m_barriers->comPort().setPriorityRequest([] { return EPERM; });
    for (int opening = 0; opening < 2; ++opening) {
        m_barriers->open();
        QVERIFY(serveUntilSettled(*m_device));
        QTRY_COMPARE(said.size(), 1);
        m_barriers->close();
    }
    const QString message = said.at(0).at(0).toString();
    // The system's own words for the refusal, on either system.
    QVERIFY2(message.startsWith(u"Lichtschranken ohne Echtzeit-Priorität (%1)"_s.arg(systemErrorText(EPERM))),
             qPrintable(message));
    QCOMPARE(QString::fromUtf8(readAll(m_dir->filePath(u"Lichtschranke.log"_s))).count(message), 1);
}

QTEST_GUILESS_MAIN(TestRaceBarriers)
#include "test_racebarriers.moc"
