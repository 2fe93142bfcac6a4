// What the live server grants a client on loopback: which requests it
// answers and how, how long it waits for one, how many connections one
// device may hold, and what a WebSocket client may send. The server runs on
// the test's thread with a fake clock and sweep timer.
#include "../timing/faketicks.h"
#include "../timing/faketimers.h"
#include "live/livehttp.h"
#include "rawclient.h"

#include <QSignalSpy>
#include <QTest>
#include <QWebSocket>

using namespace vex;
using namespace livetest;
using namespace Qt::StringLiterals;

namespace {

const QByteArray kGet = "GET /results.json HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n";

} // namespace

class TestLiveLimits : public QObject
{
    Q_OBJECT

    FakeTicks ticks;
    FakeTimers timers;
    LiveLimits limits;
    std::unique_ptr<LiveHttp> http;
    quint16 port = 0;

    void startHttp()
    {
        http = std::make_unique<LiveHttp>(limits, ticks, timers);
        QSignalSpy listening(http.get(), &LiveHttp::listening);
        http->listen(QHostAddress::LocalHost, 0);
        QVERIFY(!listening.isEmpty());
        port = listening.at(0).at(0).value<quint16>();
    }
    // The fake clock moves on and the sweep looks at the limits in time.
    void advance(int ms)
    {
        ticks.value += quint32(ms);
        timers.fire(u"live-sweep"_s);
    }
    // Until the server has taken the connections the clients made.
    bool serverHolds(int connections)
    {
        return QTest::qWaitFor([&] { return http->connectionCount() == connections; }, 5000);
    }

private Q_SLOTS:
    void init()
    {
        limits = LiveLimits{};
        startHttp();
    }
    void cleanup() { http.reset(); }

    // Each request's answer, and whether the connection stays for the next.
    void answers_data()
    {
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<int>("status");
        QTest::addColumn<bool>("staysOpen");
        const QByteArray upgradeAsked = "Connection: Upgrade\r\nUpgrade: websocket\r\n"
                                        "Sec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\nSec-WebSocket-Version: 13\r\n\r\n";
        QTest::newRow("GET") << kGet << 200 << true;
        QTest::newRow("HEAD") << QByteArray("HEAD / HTTP/1.1\r\n\r\n") << 200 << true;
        QTest::newRow("HTTP/1.0") << QByteArray("GET / HTTP/1.0\r\n\r\n") << 200 << false;
        QTest::newRow("Connection: close") << QByteArray("GET / HTTP/1.1\r\nConnection: close\r\n\r\n") << 200 << false;
        QTest::newRow("unknown page") << QByteArray("GET /Sicherung.txt HTTP/1.1\r\n\r\n") << 404 << true;
        QTest::newRow("POST of 100 MB")
            << QByteArray("POST / HTTP/1.1\r\nContent-Length: 100000000\r\n\r\n" + QByteArray(60000, 'x')) << 413 << false;
        QTest::newRow("chunked body") << QByteArray("GET / HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\n5\r\n") << 413
                                      << false;
        QTest::newRow("DELETE") << QByteArray("DELETE / HTTP/1.1\r\n\r\n") << 405 << true;
        QTest::newRow("request line over 8 KB") << QByteArray("GET /" + QByteArray(20000, 'a')) << 414 << false;
        QTest::newRow("headers over 8 KB")
            << QByteArray("GET / HTTP/1.1\r\n" + QByteArray("X-A: " + QByteArray(95, 'a') + "\r\n").repeated(200))
            << 431 << false;
        QTest::newRow("garbage") << QByteArray("HELLO\r\n\r\n") << 400 << false;
        QTest::newRow("folded header") << QByteArray("GET / HTTP/1.1\r\nX-A: a\r\n b\r\n\r\n") << 400 << false;
        QTest::newRow("HTTP/2") << QByteArray("GET / HTTP/2.0\r\n\r\n") << 505 << false;
        QTest::newRow("/live without upgrade") << QByteArray("GET /live HTTP/1.1\r\n\r\n") << 400 << false;
        QTest::newRow("upgrade of an old version") << upgradeRequest("/live", "8") << 426 << false;
        QTest::newRow("upgrade asked of the page") << QByteArray("GET / HTTP/1.1\r\n" + upgradeAsked) << 200 << true;
        QTest::newRow("upgrade asked of the JSON") << QByteArray("GET /results.json HTTP/1.1\r\n" + upgradeAsked) << 200
                                                   << true;
    }
    void answers()
    {
        QFETCH(QByteArray, request);
        QFETCH(int, status);
        QFETCH(bool, staysOpen);
        RawClient client(port);
        client.send(request);
        QByteArray body;
        const bool head = request.startsWith("HEAD");
        QCOMPARE(client.readResponse(&body, head), status);
        QVERIFY(!client.lastHead.contains("101"));
        if (head) {
            QVERIFY(client.lastHead.contains("Content-Length: "));
            QVERIFY(!client.lastHead.contains("Content-Length: 0\r\n"));
        }
        if (!staysOpen) {
            QVERIFY(client.waitClosed());
            return;
        }
        // The next request on the same connection: no body or page came in
        // between, and it is answered.
        client.send("GET /nichts HTTP/1.1\r\n\r\n");
        QCOMPARE(client.readResponse(), 404);
    }

    // Whoever doesn't send a whole request in time, or leaves a WebSocket
    // unanswered, is let go; before that, nobody is.
    void limitsInTime_data()
    {
        QTest::addColumn<QByteArray>("sent");
        QTest::addColumn<int>("keptMs");
        QTest::newRow("nothing") << QByteArray() << 10000;
        QTest::newRow("half a request") << QByteArray("GET / HTTP/1.1\r\nHost: a\r\n") << 10000;
        QTest::newRow("idle after an answer") << kGet << 10000;
        QTest::newRow("viewer without a pong") << upgradeRequest("/live") << 30000;
    }
    void limitsInTime()
    {
        QFETCH(QByteArray, sent);
        QFETCH(int, keptMs);
        RawClient client(port);
        client.send(sent);
        if (sent.endsWith("\r\n\r\n"))
            QVERIFY(client.readResponse() > 0);
        QVERIFY(serverHolds(1));
        for (int ms = 0; ms < keptMs; ms += 1000) {
            advance(1000);
            QCOMPARE(http->connectionCount(), 1);
        }
        advance(1000);
        QCOMPARE(http->connectionCount(), 0);
        QVERIFY(client.waitClosed());
    }

    // A viewer whose browser answers the pings stays as long as it likes.
    void answeredPingsKeepAViewer()
    {
        QWebSocket viewer;
        QSignalSpy open(&viewer, &QWebSocket::connected);
        viewer.open(QUrl(u"ws://127.0.0.1:%1/live"_s.arg(port)));
        QVERIFY(open.wait(5000));
        QVERIFY(QTest::qWaitFor([&] { return http->viewerCount() == 1; }, 5000));
        for (int s = 0; s < 60; s += 10) {
            advance(10000);
            QTest::qWait(50); // the ping over loopback and its pong back
        }
        QCOMPARE(http->viewerCount(), 1);
        QCOMPARE(viewer.state(), QAbstractSocket::ConnectedState);
    }

    // One device holds at most its share of the places, and all of them
    // together the server's.
    void connectionsPerDevice()
    {
        limits.maxPerAddress = 2;
        limits.maxConnections = 3;
        startHttp();
        struct Try
        {
            const char *from;
            int status;
        };
        const Try tries[] = {{"127.0.0.1", 200}, {"127.0.0.1", 200}, {"127.0.0.1", 503},
                             {"127.0.0.2", 200}, {"127.0.0.3", 503}};
        std::vector<std::unique_ptr<RawClient>> clients;
        for (const Try &t : tries) {
            clients.push_back(std::make_unique<RawClient>(port, QHostAddress(QString::fromLatin1(t.from))));
            clients.back()->send(kGet);
            QCOMPARE(clients.back()->readResponse(), t.status);
        }
        // A place given back is taken again.
        clients[0]->socket.abort();
        QVERIFY(serverHolds(2));
        RawClient again(port);
        again.send(kGet);
        QCOMPARE(again.readResponse(), 200);
    }

    // What a WebSocket client may send: a pong, a ping, a small message, not
    // fast; anything else closes its connection with the reason's code.
    void webSocketInput_data()
    {
        QTest::addColumn<QList<QByteArray>>("frames"); // each a tick after the last; a ping once answered
        QTest::addColumn<int>("tickMs");
        QTest::addColumn<int>("closeCode"); // 0: stays, answers a ping
        const QByteArray k1 = QByteArray(1024, 'a');
        QTest::newRow("message of 1 KB") << QList<QByteArray>{clientFrame(0x1, k1)} << 0 << 0;
        QTest::newRow("message over 1 KB") << QList<QByteArray>{clientFrame(0x1, k1 + 'a')} << 0 << 1009;
        QTest::newRow("fragments over 1 KB")
            << QList<QByteArray>{clientFrame(0x1, QByteArray(600, 'a'), false), clientFrame(0x0, QByteArray(600, 'a'))}
            << 0 << 1009;
        QTest::newRow("frame claiming 1 GB")
            << QList<QByteArray>{QByteArray::fromHex("81ff0000000040000000") + QByteArray(4, 'm')} << 0 << 1009;
        QTest::newRow("unmasked frame") << QList<QByteArray>{clientFrame(0x1, "hallo", true, false)} << 0 << 1002;
        QTest::newRow("continuation without a start") << QList<QByteArray>{clientFrame(0x0, "a")} << 0 << 1002;
        QTest::newRow("eleven frames in a second") << QList<QByteArray>(11, clientFrame(0x9, {})) << 50 << 1008;
        QTest::newRow("ten frames a second") << QList<QByteArray>(25, clientFrame(0x9, {})) << 110 << 0;
    }
    void webSocketInput()
    {
        QFETCH(QList<QByteArray>, frames);
        QFETCH(int, tickMs);
        QFETCH(int, closeCode);
        RawClient client(port);
        client.send(upgradeRequest("/live"));
        QCOMPARE(client.readResponse(nullptr, true), 101);
        QCOMPARE(client.readFrame(), 0x1); // the state on connecting
        int closedWith = 0;
        for (const QByteArray &f : std::as_const(frames)) {
            client.send(f);
            QByteArray payload;
            if (f.startsWith(char(0x89)) && client.readFrame(&payload) == 0x8) {
                closedWith = (quint8(payload[0]) << 8) | quint8(payload[1]);
                break;
            }
            ticks.value += quint32(tickMs);
        }
        if (closeCode != 0) {
            QCOMPARE(closedWith ? closedWith : client.readCloseCode(), closeCode);
            QVERIFY(client.waitClosed());
            QCOMPARE(http->viewerCount(), 0);
            return;
        }
        ticks.value += 1000;
        client.send(clientFrame(0x9, "da?"));
        QByteArray payload;
        QCOMPARE(client.readFrame(&payload), 0xA);
        QCOMPARE(payload, QByteArray("da?"));
        QCOMPARE(http->viewerCount(), 1);
    }

    // A viewer that doesn't read what it is sent is cut as soon as too much
    // waits for it, and its place is free at once; the others get everything.
    void tooSlowAViewerIsCut()
    {
        limits.maxViewers = 2;
        limits.maxBacklog = 256 * 1024;
        startHttp();
        RawClient slow(port);
        slow.socket.setReadBufferSize(1); // reads nothing more
        slow.send(upgradeRequest("/live"));
        QWebSocket reader;
        QSignalSpy messages(&reader, &QWebSocket::textMessageReceived);
        reader.open(QUrl(u"ws://127.0.0.1:%1/live"_s.arg(port)));
        QVERIFY(QTest::qWaitFor([&] { return http->viewerCount() == 2 && messages.size() == 1; }, 5000));
        auto big = std::make_shared<LiveResults>();
        LiveClass cls{u"Klasse"_s, u"Klasse"_s, {}, 0, {}, {}, {}, {}};
        for (int r = 0; r < 4000; ++r)
            cls.rows.append(QStringList{u"1"_s, u"%1"_s.arg(r), QString(100, u'x')});
        big->classes.append(cls);
        int pushes = 0;
        while (http->viewerCount() == 2 && pushes < 200) {
            big->version = quint64(++pushes);
            http->takeResults(std::make_shared<LiveResults>(*big));
            QTest::qWait(5);
        }
        QCOMPARE(http->viewerCount(), 1);
        QVERIFY(QTest::qWaitFor([&] { return messages.size() == pushes + 1; }, 10000));
    }
};

QTEST_GUILESS_MAIN(TestLiveLimits)
#include "test_livelimits.moc"
