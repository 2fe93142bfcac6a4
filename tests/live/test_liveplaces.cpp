// Who gives way when every place on the live server is taken, how long a
// first request may take, and whose page may open the WebSocket.
#include "live/liveplaces.h"

#include <QTest>

using namespace vex;

namespace {

// r: request answered, o: sends other frames, u: update unwritten, p: has
// answered a ping.
PlaceHolder holder(const char *flags, quint64 arrival)
{
    const QByteArray f(flags);
    return PlaceHolder{f.contains('r'), f.contains('o'), f.contains('u'), f.contains('p'), arrival};
}

} // namespace

class TestLivePlaces : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void placeToGiveUp_data()
    {
        QTest::addColumn<QList<QByteArray>>("holders"); // flags; arrival is the position
        QTest::addColumn<int>("goes");
        using L = QList<QByteArray>;
        QTest::newRow("nobody") << L{} << -1;
        QTest::newRow("all alike: the oldest") << L{"r", "r", "r"} << 0;
        QTest::newRow("no request answered first") << L{"r", "ro", "", "ru"} << 2;
        QTest::newRow("of two half-sent, the older") << L{"r", "", ""} << 1;
        QTest::newRow("then one sending other frames") << L{"ru", "r", "ro", "ro"} << 2;
        QTest::newRow("then one with an update unwritten") << L{"r", "ru", "r"} << 1;
        QTest::newRow("sending and unwritten before sending") << L{"ro", "rou"} << 1;
        QTest::newRow("one that hasn't answered a ping before older viewers that have") << L{"rp", "rp", "r"} << 2;
        QTest::newRow("sending trumps answering pings") << L{"r", "rop"} << 1;
        QTest::newRow("a proven quiet viewer only when no other kind") << L{"rp", "rp"} << 0;
    }
    void placeToGiveUp()
    {
        QFETCH(QList<QByteArray>, holders);
        QFETCH(int, goes);
        std::vector<PlaceHolder> hs;
        for (const QByteArray &h : std::as_const(holders))
            hs.push_back(holder(h.constData(), 100 + hs.size()));
        QCOMPARE(vex::placeToGiveUp(hs), goes);
    }

    void gaveWayForCause_data()
    {
        QTest::addColumn<QByteArray>("flags");
        QTest::addColumn<bool>("forCause");
        QTest::newRow("never finished a request") << QByteArray("") << true;
        QTest::newRow("sent other frames") << QByteArray("rop") << true;
        QTest::newRow("left an update unread") << QByteArray("rup") << true;
        QTest::newRow("an honest viewer, the oldest") << QByteArray("rp") << false;
        QTest::newRow("a page between its polls") << QByteArray("r") << false;
    }
    void gaveWayForCause()
    {
        QFETCH(QByteArray, flags);
        QFETCH(bool, forCause);
        QCOMPARE(vex::gaveWayForCause(holder(flags.constData(), 1)), forCause);
    }

    // A mark lasts its time from the latest cause, whatever the clock's wrap.
    void suspectAddresses_data()
    {
        QTest::addColumn<quint32>("markedAt");
        QTest::addColumn<quint32>("markedAgainAt"); // 0: not again
        QTest::addColumn<quint32>("askedAt");
        QTest::addColumn<bool>("suspect");
        QTest::newRow("just marked") << 1000u << 0u << 1000u << true;
        QTest::newRow("almost gone") << 1000u << 0u << 30999u << true;
        QTest::newRow("gone") << 1000u << 0u << 31000u << false;
        QTest::newRow("marked again") << 1000u << 20000u << 45000u << true;
        QTest::newRow("across the wrap") << 0xFFFFF000u << 0u << 0x00004000u << true;
    }
    void suspectAddresses()
    {
        QFETCH(quint32, markedAt);
        QFETCH(quint32, markedAgainAt);
        QFETCH(quint32, askedAt);
        QFETCH(bool, suspect);
        SuspectAddresses s;
        s.mark(QStringLiteral("192.168.1.7"), markedAt);
        if (markedAgainAt)
            s.mark(QStringLiteral("192.168.1.7"), markedAgainAt);
        QCOMPARE(s.isSuspect(QStringLiteral("192.168.1.7"), askedAt), suspect);
        QVERIFY(!s.isSuspect(QStringLiteral("192.168.1.8"), askedAt));
        s.forgetOld(askedAt);
        QCOMPARE(s.isSuspect(QStringLiteral("192.168.1.7"), askedAt), suspect);
    }

    void firstRequestMs_data()
    {
        QTest::addColumn<int>("connections");
        QTest::addColumn<int>("ms");
        QTest::newRow("empty") << 0 << 10000;
        QTest::newRow("three quarters") << 300 << 10000;
        QTest::newRow("one more") << 301 << 2000;
        QTest::newRow("full") << 400 << 2000;
    }
    void firstRequestMs()
    {
        QFETCH(int, connections);
        QFETCH(int, ms);
        QCOMPARE(vex::firstRequestMs(LiveLimits{}, connections), ms);
    }

    void originAllowed_data()
    {
        QTest::addColumn<QByteArray>("origin");
        QTest::addColumn<QByteArray>("host");
        QTest::addColumn<bool>("allowed");
        QTest::newRow("no Origin: a tool") << QByteArray() << QByteArray("192.168.1.5:8080") << true;
        QTest::newRow("our own page") << QByteArray("http://192.168.1.5:8080") << QByteArray("192.168.1.5:8080") << true;
        QTest::newRow("case of the name") << QByteArray("http://Zeitnahme.local") << QByteArray("zeitnahme.LOCAL") << true;
        QTest::newRow("port 80 named or not") << QByteArray("http://192.168.1.5") << QByteArray("192.168.1.5:80") << true;
        QTest::newRow("IPv6") << QByteArray("http://[fe80::1]:8080") << QByteArray("[FE80::1]:8080") << true;
        QTest::newRow("another site") << QByteArray("http://example.org") << QByteArray("192.168.1.5:8080") << false;
        QTest::newRow("another port") << QByteArray("http://192.168.1.5:3000") << QByteArray("192.168.1.5:8080")
                                       << false;
        QTest::newRow("a name ending like ours") << QByteArray("http://evil192.168.1.5:8080")
                                                 << QByteArray("192.168.1.5:8080") << false;
        QTest::newRow("a local file") << QByteArray("null") << QByteArray("192.168.1.5:8080") << false;
        QTest::newRow("another scheme") << QByteArray("ftp://192.168.1.5:8080") << QByteArray("192.168.1.5:8080")
                                        << false;
        QTest::newRow("a Host with a path") << QByteArray("http://a") << QByteArray("a/x") << false;
        QTest::newRow("a Host with user") << QByteArray("http://a") << QByteArray("u@a") << false;
        QTest::newRow("no Host") << QByteArray("http://a") << QByteArray() << false;
    }
    void originAllowed()
    {
        QFETCH(QByteArray, origin);
        QFETCH(QByteArray, host);
        QFETCH(bool, allowed);
        QCOMPARE(vex::originAllowed(origin, host), allowed);
    }
};

QTEST_APPLESS_MAIN(TestLivePlaces)
#include "test_liveplaces.moc"
