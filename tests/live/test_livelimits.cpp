// What the live server grants a client on loopback: which requests it
// answers and how, how long it waits for one, how many connections one
// device may hold, who gives way when every place is taken, and what a
// WebSocket client may send. The server runs on its own thread with a fake
// clock; the test says when it looks at its limits in time.
#include "live/livehttp.h"
#include "rawclient.h"
#include "timing/tickclock.h"

#include <QSignalSpy>
#include <QTest>
#include <QWebSocket>

#include <atomic>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>
#endif

using namespace vex;
using namespace livetest;
using namespace Qt::StringLiterals;

namespace {

const QByteArray kGet = "GET /results.json HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n";

// Set by the test, read on the server's thread.
class Ticks final : public TickSource
{
public:
    quint32 now() const override { return value.load(); }
    std::atomic<quint32> value{0};
};

QHostAddress device(int n)
{
    return QHostAddress(u"127.0.0.%1"_s.arg(n));
}

} // namespace

class TestLiveLimits : public QObject
{
    Q_OBJECT

    Ticks ticks;
    LiveLimits limits;
    std::unique_ptr<LiveHttp> http;
    quint16 port = 0;

    void startHttp()
    {
        http.reset();
        limits.sweepMs = 0;
        http = std::make_unique<LiveHttp>(limits, ticks);
        const auto listening = http->listen(QHostAddress::LocalHost, 0);
        QVERIFY(std::holds_alternative<quint16>(listening));
        port = std::get<quint16>(listening);
    }
    // The fake clock moves on and the sweep looks at the limits in time.
    void advance(int ms)
    {
        ticks.value += quint32(ms);
        http->sweepNow();
    }
    std::unique_ptr<RawClient> viewer(int from)
    {
        auto c = std::make_unique<RawClient>(port, device(from));
        c->send(upgradeRequest("/live"));
        if (c->readResponse(nullptr, true) != 101 || c->readFrame() != 0x1)
            return nullptr;
        return c;
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
        // An old folded line is read as one; nothing here forwards it.
        QTest::newRow("folded header") << QByteArray("GET / HTTP/1.1\r\nX-A: a\r\n b\r\n\r\n") << 200 << true;
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
    // unanswered, is let go; before that, nobody is. A first request gets
    // less time while the server is nearly full.
    void limitsInTime_data()
    {
        QTest::addColumn<QByteArray>("sent");
        QTest::addColumn<int>("crowd"); // answered connections beside it, of four places
        QTest::addColumn<int>("keptMs");
        QTest::newRow("nothing") << QByteArray() << 0 << 10000;
        QTest::newRow("half a request") << QByteArray("GET / HTTP/1.1\r\nHost: a\r\n") << 0 << 10000;
        QTest::newRow("idle after an answer") << kGet << 0 << 10000;
        QTest::newRow("viewer without a pong") << upgradeRequest("/live") << 0 << 30000;
        QTest::newRow("half a request, half full") << QByteArray("GET / HTTP/1.1\r\n") << 2 << 10000;
        QTest::newRow("half a request, nearly full") << QByteArray("GET / HTTP/1.1\r\n") << 3 << 2000;
        QTest::newRow("idle after an answer, nearly full") << kGet << 3 << 10000;
    }
    void limitsInTime()
    {
        QFETCH(QByteArray, sent);
        QFETCH(int, crowd);
        QFETCH(int, keptMs);
        limits.maxConnections = 4;
        startHttp();
        std::vector<std::unique_ptr<RawClient>> others;
        for (int i = 0; i < crowd; ++i) {
            others.push_back(std::make_unique<RawClient>(port, device(10 + i)));
            others.back()->send(kGet);
            QCOMPARE(others.back()->readResponse(), 200);
        }
        RawClient client(port);
        client.send(sent);
        if (sent.endsWith("\r\n\r\n"))
            QVERIFY(client.readResponse() > 0);
        QVERIFY(serverHolds(crowd + 1));
        for (int ms = 0; ms < keptMs; ms += 1000) {
            advance(1000);
            QCOMPARE(http->connectionCount(), crowd + 1);
            // The others keep theirs by asking now and then.
            for (auto &o : others) {
                o->send(kGet);
                QCOMPARE(o->readResponse(), 200);
            }
        }
        advance(1000);
        QCOMPARE(http->connectionCount(), crowd);
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

    // One device holds at most its share of the places; when all of them
    // are taken, a newcomer still gets in and the oldest gives way.
    void connectionsPerDevice()
    {
        limits.maxPerAddress = 2;
        limits.maxConnections = 3;
        startHttp();
        struct Try
        {
            int from;
            int status;
            int closes; // the earlier try that gives way; -1: none
        };
        const Try tries[] = {{1, 200, -1}, {1, 200, -1}, {1, 503, -1}, {2, 200, -1}, {3, 200, 0}, {4, 200, 1}};
        std::vector<std::unique_ptr<RawClient>> clients;
        for (const Try &t : tries) {
            clients.push_back(std::make_unique<RawClient>(port, device(t.from)));
            clients.back()->send(kGet);
            QCOMPARE(clients.back()->readResponse(), t.status);
            if (t.closes >= 0)
                QVERIFY(clients[std::size_t(t.closes)]->waitClosed());
        }
        QVERIFY(serverHolds(3));
        for (std::size_t i : {3u, 4u, 5u}) {
            clients[i]->send(kGet);
            QCOMPARE(clients[i]->readResponse(), 200);
        }
    }

    // Who gives way to a newcomer when every place is taken: what our page
    // never does marks a holder first, then one not yet known to answer
    // pings; a quiet viewer goes only when nobody else is left, and is told
    // why.
    void whoGivesWay_data()
    {
        QTest::addColumn<QList<QByteArray>>("holders"); // in order of arrival
        QTest::addColumn<QByteArray>("newcomer");
        QTest::addColumn<int>("goes");
        using L = QList<QByteArray>;
        // Two viewers' places, three connections'.
        QTest::newRow("a viewer that pings, for a viewer") << L{"quiet", "pinging"} << QByteArray("viewer") << 1;
        QTest::newRow("the oldest quiet viewer, for a viewer") << L{"quiet", "quiet"} << QByteArray("viewer") << 0;
        QTest::newRow("one that hasn't answered a ping before one that has")
            << L{"answering", "quiet"} << QByteArray("viewer") << 1;
        QTest::newRow("a half-sent request, for a page")
            << L{"answered", "half", "answered"} << QByteArray("answered") << 1;
        QTest::newRow("the oldest of equals") << L{"answered", "answered", "answered"} << QByteArray("answered") << 0;
    }
    void whoGivesWay()
    {
        QFETCH(QList<QByteArray>, holders);
        QFETCH(QByteArray, newcomer);
        QFETCH(int, goes);
        limits.maxViewers = 2;
        limits.maxConnections = 3;
        startHttp();
        std::vector<std::unique_ptr<RawClient>> clients;
        for (const QByteArray &kind : std::as_const(holders)) {
            const int from = 10 + int(clients.size());
            if (kind == "quiet" || kind == "pinging" || kind == "answering") {
                clients.push_back(viewer(from));
                QVERIFY(clients.back());
                if (kind == "answering") {
                    advance(1000); // its first ping
                    QByteArray payload;
                    QCOMPARE(clients.back()->readFrame(&payload), 0x9);
                    clients.back()->send(clientFrame(0xA, payload));
                    QTest::qWait(100);
                }
                if (kind == "pinging") {
                    clients.back()->send(clientFrame(0x9, "x"));
                    QCOMPARE(clients.back()->readFrame(), 0xA);
                }
            } else {
                clients.push_back(std::make_unique<RawClient>(port, device(from)));
                clients.back()->send(kind == "half" ? QByteArray("GET / HTTP/1.1\r\n") : kGet);
                if (kind == "answered")
                    QCOMPARE(clients.back()->readResponse(), 200);
            }
        }
        QVERIFY(serverHolds(int(holders.size())));
        if (newcomer == "viewer") {
            QVERIFY(viewer(20));
        } else {
            RawClient page(port, device(20));
            page.send(kGet);
            QCOMPARE(page.readResponse(), 200);
        }
        auto &gone = *clients[std::size_t(goes)];
        if (holders[goes] == "quiet" || holders[goes] == "answering") {
            QCOMPARE(gone.readCloseCode(), 4029);
            advance(limits.closingMs + 1000); // it never answers the close
        }
        QVERIFY(gone.waitClosed());
        QTest::qWait(50);
        for (std::size_t i = 0; i < clients.size(); ++i) {
            if (int(i) != goes)
                QCOMPARE(clients[i]->socket.state(), QAbstractSocket::ConnectedState);
        }
    }

    // A device that had to give way for cause pushes nobody out when it
    // comes back to a full server; an honest newcomer still does.
    void aDeviceThatGaveWayComesBack()
    {
        limits.maxConnections = 3;
        startHttp();
        std::vector<std::unique_ptr<RawClient>> clients;
        for (int i : {10, 11, 12}) {
            clients.push_back(std::make_unique<RawClient>(port, device(i)));
            clients.back()->send(i == 11 ? QByteArray("GET / HTTP/1.1\r\n") : kGet);
            if (i != 11)
                QCOMPARE(clients.back()->readResponse(), 200);
        }
        QVERIFY(serverHolds(3));
        RawClient honest(port, device(20));
        honest.send(kGet);
        QCOMPARE(honest.readResponse(), 200);
        QVERIFY(clients[1]->waitClosed());
        RawClient back(port, device(11));
        QVERIFY(back.waitClosed());
        QCOMPARE(back.received, QByteArray());
        RawClient another(port, device(21));
        another.send(kGet);
        QCOMPARE(another.readResponse(), 200);
        QVERIFY(clients[0]->waitClosed());
        QCOMPARE(clients[2]->socket.state(), QAbstractSocket::ConnectedState);
    }

    // Only our own page opens the WebSocket; a tool without an Origin may too.
    void origins_data()
    {
        QTest::addColumn<QByteArray>("origin");
        QTest::addColumn<int>("status");
        QTest::newRow("none") << QByteArray() << 101;
        QTest::newRow("our page") << QByteArray("http://127.0.0.1:%1") << 101;
        QTest::newRow("another site") << QByteArray("http://example.org") << 403;
        QTest::newRow("another port here") << QByteArray("http://127.0.0.1:1") << 403;
    }
    void origins()
    {
        QFETCH(QByteArray, origin);
        QFETCH(int, status);
        const QByteArray hostHere = "Host: 127.0.0.1:" + QByteArray::number(port);
        QByteArray request = upgradeRequest("/live").replace("Host: 127.0.0.1", hostHere);
        if (!origin.isEmpty()) {
            const QByteArray line = "Origin: " + origin.replace("%1", QByteArray::number(port)) + "\r\n";
            request.insert(request.size() - 2, line);
        }
        RawClient client(port);
        client.send(request);
        QCOMPARE(client.readResponse(nullptr, true), status);
    }

    // Out of descriptors, the server doesn't spin on the accept that keeps
    // failing: it pauses a moment and frees a place for the one waiting.
    void failedAccept()
    {
#ifndef Q_OS_UNIX
        QSKIP("descriptor limits are a Unix matter");
#else
        RawClient first(port, device(2));
        first.send(kGet);
        QCOMPARE(first.readResponse(), 200);
        RawClient second(port, device(3));
        second.send(kGet);
        QCOMPARE(second.readResponse(), 200);
        rlimit was{};
        getrlimit(RLIMIT_NOFILE, &was);
        rlimit low = was;
        low.rlim_cur = 1024;
        QVERIFY(setrlimit(RLIMIT_NOFILE, &low) == 0);
        // Every descriptor taken but the one the newcomer's side needs.
        std::vector<int> fillers;
        for (int fd = ::open("/dev/null", O_RDONLY); fd >= 0; fd = ::open("/dev/null", O_RDONLY))
            fillers.push_back(fd);
        ::close(fillers.back());
        fillers.pop_back();
        RawClient newcomer(port, device(4));
        newcomer.send(kGet);
        const int status = newcomer.readResponse();
        QTest::qWait(300);
        const int failures = http->failedAccepts();
        for (int fd : fillers)
            ::close(fd);
        setrlimit(RLIMIT_NOFILE, &was);
        QCOMPARE(status, 200);
        QVERIFY(first.waitClosed());
        QCOMPARE(second.socket.state(), QAbstractSocket::ConnectedState);
        QVERIFY2(failures >= 1 && failures <= 10, QByteArray::number(failures).constData());
#endif
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
        QTest::newRow("text that isn't UTF-8") << QList<QByteArray>{clientFrame(0x1, "Zeit \xff\xfe")} << 0 << 1007;
        QTest::newRow("close with a code never sent")
            << QList<QByteArray>{clientFrame(0x8, QByteArray::fromHex("03ed"))} << 0 << 1002;
        QTest::newRow("close") << QList<QByteArray>{clientFrame(0x8, QByteArray::fromHex("03e8"))} << 0 << 1000;
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
            advance(limits.closingMs + 1000); // whether or not it answers the close
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

    // Requests sent together, more than one read takes in, are each answered
    // in order: the one cut in two at the end of a read is completed by the
    // next.
    void pipelinedRequests()
    {
        RawClient client(port);
        QByteArray all;
        for (int i = 0; i < 600; ++i)
            all += "GET /nichts-" + QByteArray::number(i) + " HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n";
        client.send(all);
        for (int i = 0; i < 600; ++i)
            QCOMPARE(client.readResponse(), 404);
    }

    // Pings sent together are each answered, in order.
    void bunchedPings()
    {
        RawClient client(port);
        client.send(upgradeRequest("/live"));
        QCOMPARE(client.readResponse(nullptr, true), 101);
        QCOMPARE(client.readFrame(), 0x1);
        client.send(clientFrame(0x9, "1") + clientFrame(0x9, "2") + clientFrame(0x9, "3") + clientFrame(0x9, "4")
                    + clientFrame(0x9, "5"));
        for (const char *payload : {"1", "2", "3", "4", "5"}) {
            QByteArray got;
            QCOMPARE(client.readFrame(&got), 0xA);
            QCOMPARE(got, QByteArray(payload));
        }
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
            http->sweepNow(); // once the server has taken it
            QTest::qWait(5);
        }
        QCOMPARE(http->viewerCount(), 1);
        QVERIFY(QTest::qWaitFor([&] { return messages.size() == pushes + 1; }, 10000));
    }
};

QTEST_GUILESS_MAIN(TestLiveLimits)
#include "test_livelimits.moc"
