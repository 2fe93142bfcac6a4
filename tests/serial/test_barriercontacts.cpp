// The three line handlers over the real waiting thread and hand-over: which
// contact acts, which is ignored, and what the contact log says of it.

#include "serialfixture.h"

#include "serial/barriercontacts.h"
#include "serial/comport.h"
#include "serial/contactlog.h"
#include "serial/modemstatus.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace vex;
using namespace Qt::StringLiterals;

using State = FakeTarget::State;
Q_DECLARE_METATYPE(FakeTarget::State)

namespace {

QString lineName(ContactLine line)
{
    return line == ContactLine::Cts ? u"CTS"_s : line == ContactLine::Dsr ? u"DSR"_s : u"DCD"_s;
}

// The port, the handlers and the target as the main window holds them.
struct Barriers
{
    FakeLineDevice device;
    FixedClock clock;
    TComPort port{device, clock};
    FakeTarget target;
    BarrierContacts contacts{port, target};
    QStringList outcomes;

    Barriers()
    {
        BarrierContacts::setUpPort(port);
        QObject::connect(&contacts, &BarrierContacts::contactHandled, &contacts,
                         [this](ContactLine line, quint32, ContactOutcome outcome) {
                             outcomes.append(lineName(line) + u' ' + contactOutcomeText(outcome));
                         });
    }
    bool open()
    {
        openBarrierPort(port, 1);
        return port.Connected() && serveUntilSettled(device);
    }
    // One change of the lines at a chosen moment, handled to the end.
    bool contact(quint32 status, ContactStamp stamp = {})
    {
        device.setStatus(status, stamp);
        return serveUntilSettled(device);
    }
};

} // namespace

class TestBarrierContacts : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void contactsActByLogicLocksAndRunState_data()
    {
        QTest::addColumn<int>("alg");
        QTest::addColumn<State>("state");
        QTest::addColumn<bool>("startFree");
        QTest::addColumn<bool>("finishFree");
        QTest::addColumn<QList<quint32>>("statuses");
        QTest::addColumn<QStringList>("outcomes");
        QTest::addColumn<int>("starts");
        QTest::addColumn<int>("stops");

        const quint32 cts = MsCtsOn, dsr = MsDsrOn, dcd = MsRlsdOn;
        QTest::newRow("Alg 0: closing starts, opening does nothing")
            << 0 << State::Ready << true << false << QList<quint32>{cts, 0}
            << QStringList{u"CTS started"_s, u"CTS ignored: contact logic"_s} << 1 << 0;
        QTest::newRow("Alg 1: opening starts")
            << 1 << State::Ready << true << false << QList<quint32>{cts, 0}
            << QStringList{u"CTS ignored: contact logic"_s, u"CTS started"_s} << 1 << 0;
        QTest::newRow("Alg 2: no contact acts")
            << 2 << State::Running << true << true << QList<quint32>{cts, cts | dcd, 0}
            << QStringList{u"CTS ignored: contact logic"_s, u"DCD ignored: contact logic"_s,
                           u"CTS ignored: contact logic"_s, u"DCD ignored: contact logic"_s}
            << 0 << 0;
        QTest::newRow("start barrier locked")
            << 0 << State::Ready << false << false << QList<quint32>{cts}
            << QStringList{u"CTS ignored: locked"_s} << 0 << 0;
        QTest::newRow("finish during the lock time")
            << 0 << State::Running << false << false << QList<quint32>{dcd}
            << QStringList{u"DCD ignored: locked"_s} << 0 << 0;
        QTest::newRow("finish after the lock time stops")
            << 0 << State::Running << false << true << QList<quint32>{dcd}
            << QStringList{u"DCD stopped"_s} << 0 << 1;
        QTest::newRow("finish while Ready")
            << 0 << State::Ready << false << true << QList<quint32>{dcd}
            << QStringList{u"DCD ignored: not running"_s} << 0 << 0;
        QTest::newRow("start while Running with the barrier freed")
            << 0 << State::Running << true << false << QList<quint32>{cts}
            << QStringList{u"CTS ignored: not ready"_s} << 0 << 0;
        QTest::newRow("start chatter while Running")
            << 0 << State::Ready << true << false << QList<quint32>{cts, 0, cts}
            << QStringList{u"CTS started"_s, u"CTS ignored: contact logic"_s, u"CTS ignored: locked"_s} << 1 << 0;
        QTest::newRow("finish chatter while Stopped")
            << 0 << State::Running << false << true << QList<quint32>{dcd, 0, dcd}
            << QStringList{u"DCD stopped"_s, u"DCD ignored: contact logic"_s, u"DCD ignored: locked"_s} << 0 << 1;
        QTest::newRow("start and finish in one word")
            << 0 << State::Ready << true << true << QList<quint32>{cts | dcd}
            << QStringList{u"CTS started"_s, u"DCD ignored: locked"_s} << 1 << 0;
        QTest::newRow("finish in one word with start chatter while Running")
            << 0 << State::Running << false << true << QList<quint32>{cts | dcd}
            << QStringList{u"CTS ignored: locked"_s, u"DCD stopped"_s} << 0 << 1;
        QTest::newRow("DSR between two start events")
            << 0 << State::Ready << true << false << QList<quint32>{dsr, dsr | cts}
            << QStringList{u"DSR no action"_s, u"CTS started"_s} << 1 << 0;
    }
    void contactsActByLogicLocksAndRunState()
    {
        QFETCH(int, alg);
        QFETCH(State, state);
        QFETCH(bool, startFree);
        QFETCH(bool, finishFree);
        QFETCH(QList<quint32>, statuses);
        QFETCH(QStringList, outcomes);
        QFETCH(int, starts);
        QFETCH(int, stops);

        Barriers b;
        b.contacts.setAlg(alg);
        b.target.state = state;
        b.target.startFree = startFree;
        b.target.finishFree = finishFree;
        QVERIFY(b.open());
        for (quint32 status : statuses)
            QVERIFY(b.contact(status));
        QCOMPARE(b.outcomes, outcomes);
        QCOMPARE(b.target.starts, starts);
        QCOMPARE(b.target.stops, stops);
        QCOMPARE(b.contacts.lastModemStatus(), statuses.last());
    }

    void aRunTimedByBothBarriersCarriesTheirStamps()
    {
        Barriers b;
        QVERIFY(b.open());
        QCOMPARE(b.contacts.lastModemStatus(), BarrierContacts::kNoStatusYet);
        QVERIFY(b.contact(MsCtsOn, {4294967000u, 10'000'400}));
        b.target.finishFree = true; // the lock time has passed
        QVERIFY(b.contact(MsCtsOn | MsRlsdOn, {2053u, 12'349'800}));
        QCOMPARE(b.target.startStamp, (ContactStamp{4294967000u, 10'000'400}));
        QCOMPARE(b.target.stopStamp, (ContactStamp{2053u, 12'349'800}));
        QCOMPARE(barrierRunTimeMs(b.target.startStamp.micros, b.target.stopStamp.micros), 2349);
    }

    void portOpenStateFollowsThePort()
    {
        Barriers b;
        openBarrierPort(b.port, 0); // Port 0: nothing is opened
        QCOMPARE(b.device.opens(), 0);
        QVERIFY(!b.target.portOpen);
        b.device.failNextOpen({LineOpenError::Stage::Open, 2});
        openBarrierPort(b.port, 5); // an error is swallowed
        QVERIFY(!b.target.portOpen);
        QVERIFY(b.open());
        QVERIFY(b.target.portOpen);
        QCOMPARE(b.device.openedPort(), 1);
        QCOMPARE(b.device.openedSettings().baudRate, 9600);
        b.port.Close();
        QVERIFY(!b.target.portOpen);
        // The last status survives a close and reopen.
        QVERIFY(b.open());
        QVERIFY(b.contact(MsDsrOn));
        b.port.Close();
        QVERIFY(b.open());
        QCOMPARE(b.contacts.lastModemStatus(), quint32(MsDsrOn));
    }

    void everyContactIsLogged()
    {
        QTemporaryDir dir;
        QDateTime now(QDate(2026, 12, 7), QTime(10, 15, 3, 120));
        ContactLog log(dir.filePath(u"Lichtschranke.log"_s), [&] { return now; });
        Barriers b;
        b.contacts.setLog(&log);
        QVERIFY(b.open());
        QVERIFY(b.contact(MsCtsOn, {5000, 5'000'250}));
        // Flushed at once: readable while the program goes on.
        QFile file(log.filePath());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(),
                 QByteArray("2026-12-07 10:15:03.120\ttick 5000\tus 5000250\tCTS\tCTS=1 DSR=0 DCD=0 RI=0"
                            "\tedges CTS=1 DSR=0 DCD=0\tstarted\n"));
        file.close();
        QVERIFY(b.contact(MsCtsOn | MsRlsdOn, {6000, 6'000'000}));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll().count('\n'), 2);
    }
};

QTEST_GUILESS_MAIN(TestBarrierContacts)
#include "test_barriercontacts.moc"
