// The serial-port component with its real waiting thread over a fake device.

#include "serialfixture.h"

#include "serial/comerrors.h"
#include "serial/comport.h"
#include "serial/modemstatus.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <thread>

using namespace vex;
using namespace Qt::StringLiterals;

class TestComPort : public QObject
{
    Q_OBJECT

private:
    // Records the notifications in the order they arrive.
    static QStringList *recordNotifications(TComPort &port, QObject *context)
    {
        auto *names = new QStringList;
        QObject::connect(context, &QObject::destroyed, [names] { delete names; });
        auto add = [names](const QString &name) { return [names, name] { names->append(name); }; };
        QObject::connect(&port, &TComPort::OnCTS, context, add(u"CTS"_s));
        QObject::connect(&port, &TComPort::OnDSR, context, add(u"DSR"_s));
        QObject::connect(&port, &TComPort::OnRLSD, context, add(u"RLSD"_s));
        QObject::connect(&port, &TComPort::OnOpen, context, add(u"Open"_s));
        QObject::connect(&port, &TComPort::OnClose, context, add(u"Close"_s));
        return names;
    }

private Q_SLOTS:
    void openStartsThreadAndClosesAgain()
    {
        FakeLineDevice device;
        FixedClock clock;
        TComPort port(device, clock);
        QObject context;
        QStringList *names = recordNotifications(port, &context);
        port.setPort(3);
        port.setDataBits(12);
        QCOMPARE(port.dataBits(), 8);
        port.Open();
        QVERIFY(port.Connected());
        QCOMPARE(device.openedPort(), 3);
        QVERIFY(serveUntilSettled(device));
        port.Close();
        QVERIFY(!port.Connected());
        QVERIFY(!device.isOpen());
        port.Close(); // a second close is a no-op
        QCOMPARE(*names, (QStringList{u"Open"_s, u"Close"_s}));
    }

    void openFailuresCarryTheSystemText_data()
    {
        QTest::addColumn<int>("stage");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("message");
        // The system's own text for the code, in the system's words.
        QTest::newRow("missing device") << int(LineOpenError::Stage::Open) << ENOENT
                                        << u"Unable to open com port: "_s + systemErrorText(ENOENT);
        QTest::newRow("busy device") << int(LineOpenError::Stage::Open) << EBUSY
                                     << u"Unable to open com port: "_s + systemErrorText(EBUSY);
        QTest::newRow("refused set-up") << int(LineOpenError::Stage::Configure) << EINVAL
                                        << u"Unable to set com state: "_s + systemErrorText(EINVAL);
        QTest::newRow("code without text") << int(LineOpenError::Stage::Open) << 98765
                                           << u"Unable to open com port: 98765"_s;
    }
    void openFailuresCarryTheSystemText()
    {
        QFETCH(int, stage);
        QFETCH(int, code);
        QFETCH(QString, message);
        FakeLineDevice device;
        FixedClock clock;
        TComPort port(device, clock);
        QSignalSpy opened(&port, &TComPort::OnOpen);
        device.failNextOpen({LineOpenError::Stage(stage), code});
        port.setPort(1);
        try {
            port.Open();
            QFAIL("Open() did not throw");
        } catch (const EComError &error) {
            QCOMPARE(error.message(), message);
            QCOMPARE(bool(dynamic_cast<const EComHandle *>(&error)), stage == int(LineOpenError::Stage::Open));
        }
        QVERIFY(!port.Connected());
        QCOMPARE(opened.count(), 0);
    }

    void oneEventWordNotifiesInFixedOrder()
    {
        FakeLineDevice device;
        FixedClock clock;
        TComPort port(device, clock);
        QObject context;
        QStringList *names = recordNotifications(port, &context);
        port.Open();
        QVERIFY(serveUntilSettled(device));
        names->clear();
        // All three lines at once: CTS first, then DSR, then RLSD.
        device.setStatus(MsCtsOn | MsDsrOn | MsRlsdOn);
        QVERIFY(serveUntilSettled(device));
        QCOMPARE(*names, (QStringList{u"CTS"_s, u"DSR"_s, u"RLSD"_s}));
    }

    void eventsOutsideTheMaskAreNotHandedOver()
    {
        FakeLineDevice device;
        FixedClock clock;
        TComPort port(device, clock);
        QObject context;
        QStringList *names = recordNotifications(port, &context);
        port.setEvents(EvCts);
        port.Open();
        QVERIFY(serveUntilSettled(device));
        device.setStatus(MsDsrOn);
        QVERIFY(serveUntilSettled(device));
        device.setStatus(MsDsrOn | MsCtsOn);
        QVERIFY(serveUntilSettled(device));
        QCOMPARE(*names, (QStringList{u"Open"_s, u"CTS"_s}));
    }

    void theStampTakenAtTheWaitTravelsWithTheWord()
    {
        FakeLineDevice device;
        FixedClock clock;
        clock.value = {111, 111'000};
        TComPort port(device, clock);
        QList<ContactStamp> seen;
        connect(&port, &TComPort::OnCTS, this, [&](TComPort *p) { seen.append(p->eventStamp()); });
        port.Open();
        QVERIFY(serveUntilSettled(device));
        device.setStatus(MsCtsOn, ContactStamp{4000000000u, 7'000'123});
        QVERIFY(serveUntilSettled(device));
        device.setStatus(0); // no scripted moment: the thread reads its clock
        QVERIFY(serveUntilSettled(device));
        QCOMPARE(seen, (QList<ContactStamp>{{4000000000u, 7'000'123}, {111, 111'000}}));
    }

    void pulseShorterThanTheReadIsStillReported()
    {
        FakeLineDevice device;
        FixedClock clock;
        TComPort port(device, clock);
        QSignalSpy rlsd(&port, &TComPort::OnRLSD);
        port.Open();
        QVERIFY(serveUntilSettled(device));
        device.pulse(MsRlsdOn);
        QVERIFY(serveUntilSettled(device));
        QCOMPARE(rlsd.count(), 1);
    }

    // The waiting thread has queued a word the GUI thread has not served yet
    // when Close() comes: the close dispatches it, and it is not dispatched a
    // second time later.
    void closeWhileAHandOverIsPending()
    {
        FakeLineDevice device;
        FixedClock clock;
        TComPort port(device, clock);
        QSignalSpy cts(&port, &TComPort::OnCTS);
        QSignalSpy closed(&port, &TComPort::OnClose);
        port.Open();
        QVERIFY(device.waitSettled(2000));
        device.setStatus(MsCtsOn);
        // Give the thread time to post the word, without serving it.
        QTest::qSleep(20);
        QElapsedTimer elapsed;
        elapsed.start();
        port.Close();
        QCOMPARE_LT(elapsed.elapsed(), 100);
        QCOMPARE(cts.count(), 1); // served by the close, before the device went
        QCOMPARE(closed.count(), 1);
        QCoreApplication::processEvents();
        QCOMPARE(cts.count(), 1);
    }

    void closeFromInsideANotification()
    {
        FakeLineDevice device;
        FixedClock clock;
        TComPort port(device, clock);
        QSignalSpy rlsd(&port, &TComPort::OnRLSD);
        QSignalSpy closed(&port, &TComPort::OnClose);
        connect(&port, &TComPort::OnCTS, this, [](TComPort *p) { p->Close(); });
        port.Open();
        QVERIFY(device.waitSettled(2000));
        device.setStatus(MsCtsOn | MsRlsdOn);
        QElapsedTimer elapsed;
        elapsed.start();
        while (port.Connected() && elapsed.elapsed() < 2000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QVERIFY(!port.Connected());
        QCOMPARE(closed.count(), 1);
        QCOMPARE(rlsd.count(), 0); // the rest of the word died with the port
    }

    void closeEndsABlockedWaitWithin100ms()
    {
        FakeLineDevice device;
        FixedClock clock;
        TComPort port(device, clock);
        port.Open();
        QVERIFY(device.waitSettled(2000));
        QElapsedTimer elapsed;
        elapsed.start();
        port.Close();
        QCOMPARE_LT(elapsed.elapsed(), 100);
    }

    void deviceFailingWhileOpenClosesThePort()
    {
        FakeLineDevice device;
        FixedClock clock;
        TComPort port(device, clock);
        port.setPort(4);
        QSignalSpy closed(&port, &TComPort::OnClose);
        QSignalSpy lost(&port, &TComPort::portLost);
        port.Open();
        QVERIFY(device.waitSettled(2000));
        device.failWait(EIO);
        QTRY_VERIFY_WITH_TIMEOUT(!port.Connected(), 2000);
        QCOMPARE(closed.count(), 1);
        QCOMPARE(lost.count(), 1);
        const QString message = lost.first().first().toString();
        QVERIFY2(message.startsWith(u"Verbindung zu COM4 verloren ("_s + systemErrorText(EIO) + u")"_s), qPrintable(message));
        QVERIFY(!device.isOpen());
        // The port can be opened again afterwards.
        port.Open();
        QVERIFY(port.Connected());
        QVERIFY(serveUntilSettled(device));
    }

    // Contacts on each line 50 ms apart, start and finish lines taking turns,
    // through the real thread: each one seen exactly once.
    void noContactMissedOrDoubled()
    {
        FakeLineDevice device;
        SteadyContactClock clock;
        TComPort port(device, clock);
        int cts = 0, rlsd = 0;
        connect(&port, &TComPort::OnCTS, this, [&] { ++cts; });
        connect(&port, &TComPort::OnRLSD, this, [&] { ++rlsd; });
        port.Open();
        QVERIFY(device.waitSettled(2000));
        constexpr int kContacts = 100;
        std::atomic<bool> done{false};
        std::thread script([&] {
            quint32 status = 0;
            for (int k = 0; k < kContacts; ++k) {
                status ^= (k % 2) ? quint32(MsRlsdOn) : quint32(MsCtsOn);
                device.setStatus(status);
                std::this_thread::sleep_for(std::chrono::milliseconds(25));
            }
            done = true;
        });
        QTRY_VERIFY_WITH_TIMEOUT(done.load(), 20000);
        script.join();
        QVERIFY(serveUntilSettled(device));
        QCOMPARE(cts, kContacts / 2);
        QCOMPARE(rlsd, kContacts / 2);
    }

    void probeListsThePortsPresent_data()
    {
        QTest::addColumn<QList<int>>("present");
        QTest::addColumn<quint32>("list");
        QTest::newRow("none") << QList<int>{} << 0u;
        QTest::newRow("COM1 and COM3") << QList<int>{1, 3} << 0x00030005u;
        QTest::newRow("COM16 only") << QList<int>{16} << 0x00108000u;
        // USB adapters often get COM17 and above: offered, but without a bit.
        QTest::newRow("beyond 16") << QList<int>{2, 17, 255} << 0x00FF0002u;
    }
    void probeListsThePortsPresent()
    {
        QFETCH(QList<int>, present);
        QFETCH(quint32, list);
        FakeLineDevice device;
        FixedClock clock;
        TComPort port(device, clock);
        device.setPresentPorts(present);
        QCOMPARE(port.ProbePorts(), list);
        QCOMPARE(port.portList(), list);
        QCOMPARE(port.portNumbers(), present);
        QList<int> expected = present;
        expected.removeIf([](int n) { return n > 16; });
        QCOMPARE(comNumbers(list), expected);
    }
};

QTEST_GUILESS_MAIN(TestComPort)
#include "test_comport.moc"
