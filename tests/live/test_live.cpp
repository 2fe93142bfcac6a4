// The live page from the race's snapshot to a viewer on loopback: what the
// JSON says of a ranked class, that nothing from the competition escapes into
// markup, and what the server answers and pushes.
#include "../race/racefixture.h"
#include "live/lanaddress.h"
#include "live/livedocuments.h"
#include "live/livefeed.h"
#include "live/livejson.h"
#include "live/livepage.h"
#include "live/liveserver.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QWebSocket>

using namespace vex;
using namespace Qt::StringLiterals;

namespace {

const QHostAddress kLoopback = QHostAddress::LocalHost;

QJsonObject resultsOf(const Race &race)
{
    const LiveResults results = takeLiveResults(race, u"Vexilor"_s);
    return liveResultsJson(results, *competitionOf(results));
}

// "place|start number|total|disqualified" per row.
QStringList rowSummary(const QJsonObject &cls)
{
    QStringList out;
    for (const QJsonValue &v : cls.value(u"rows"_s).toArray()) {
        const QJsonObject r = v.toObject();
        out.append(QStringList{r.value(u"place"_s).toString(), r.value(u"startNumber"_s).toString(),
                               r.value(u"total"_s).toString(),
                               r.value(u"disqualified"_s).toBool() ? u"DIS"_s : u""_s}
                       .join(u'|'));
    }
    return out;
}

} // namespace

class TestLive : public QObject
{
    Q_OBJECT

    std::unique_ptr<RaceFixture> f; // a fresh race for each test
    LiveServer *server = nullptr;
    QNetworkAccessManager net;

    // Starts the server on a free loopback port; returns its base URL.
    QString startServer(int maxViewers = LiveServer::kMaxViewers)
    {
        server = new LiveServer(f->race, u"Vexilor"_s, this);
        server->setMaxViewers(maxViewers);
        QSignalSpy started(server, &LiveServer::started);
        server->start(0, kLoopback);
        if (!started.wait(5000))
            return {};
        return u"http://127.0.0.1:%1"_s.arg(server->port());
    }

    QNetworkReply *get(const QString &url)
    {
        QNetworkReply *reply = net.get(QNetworkRequest(QUrl(url)));
        QSignalSpy done(reply, &QNetworkReply::finished);
        done.wait(5000);
        reply->deleteLater();
        return reply;
    }

private Q_SLOTS:
    void init()
    {
        f = std::make_unique<RaceFixture>();
        f->load({{driver(u"1"_s, u"Adler, Anna"_s, u"MSC"_s, u"45,00"_s, u"2"_s, u"50,00"_s, u"0"_s),
                 driver(u"2"_s, u"Bauer, Ben"_s, u"AC"_s, u"47,00"_s, u"0"_s, u"46,00"_s, u"0"_s),
                 driver(u"3"_s, u"Cramer, Cem"_s, u"KC"_s, u"44,00"_s, u"0"_s),
                 driver(u"4"_s, u"Dorn, Dana"_s, u"MSC"_s, u"40,00"_s, u"0"_s, u"41,00"_s, u"0"_s)},
                {driver(u"7"_s, u"Engel, Eva"_s)}},
               {u"Bambini"_s, u"Junioren"_s});
        f->race.rank();
        f->race.results().toggleDisqualified(f->idOf(u"4"_s));
    }
    void cleanup()
    {
        delete server;
        server = nullptr;
        f.reset();
    }

    // The ranked order with the disqualified driver and the one without a
    // total behind the others; the club only while its column is shown.
    void jsonOfARankedClass_data()
    {
        QTest::addColumn<bool>("clubShown");
        QTest::newRow("club shown") << true;
        QTest::newRow("club hidden") << false;
    }
    void jsonOfARankedClass()
    {
        QFETCH(bool, clubShown);
        f->race.setClubShown(clubShown);
        const QJsonObject json = resultsOf(f->race);
        const QJsonArray classes = json.value(u"classes"_s).toArray();
        QCOMPARE(classes.size(), 2);
        const QJsonObject bambini = classes.at(0).toObject();
        QCOMPARE(rowSummary(bambini), (QStringList{u"1|2|1:33,00|"_s, u"2|1|1:37,00|"_s, u"DIS|4|-|DIS"_s,
                                                   u"|3||"_s}));
        QCOMPARE(bambini.value(u"best"_s).toObject().value(u"time"_s).toString(), u"1:33,00"_s);
        QCOMPARE(classes.at(1).toObject().value(u"best"_s), QJsonValue(QJsonValue::Undefined));
        const QJsonObject first = bambini.value(u"rows"_s).toArray().at(1).toObject();
        QCOMPARE(first.value(u"runs"_s).toArray().at(1).toObject().value(u"penalty"_s).toString(), u"2"_s);
        QCOMPARE(first.contains(u"club"_s), clubShown);
        QCOMPARE(json.value(u"clubShown"_s).toBool(), clubShown);
    }

    // The teams a start list names reach the live page's team ranking.
    void teamsFromTheStartList()
    {
        f->files.importWith([](Competition &c) {
            ResultPage &p = *c.page(0);
            p.setRowCount(3);
            p.setRow(1, driver(u"1"_s, u"Adler, Anna"_s, u"MSC"_s, u"45,00"_s, u"0"_s, u"46,00"_s, u"0"_s));
            p.setRow(2, driver(u"2"_s, u"Bauer, Ben"_s, u"AC"_s, u"47,00"_s, u"0"_s, u"48,00"_s, u"0"_s));
            p.setTeam(1, u"Nord"_s);
            p.setTeam(2, u"Nord"_s);
            p.setCaption(u"Bambini"_s);
            c.setClasses({u"Bambini"_s});
            return std::optional<QString>();
        });
        f->race.rank();
        const QJsonArray teams = resultsOf(f->race).value(u"teams"_s).toArray();
        QCOMPARE(teams.size(), 1);
        QCOMPARE(teams.at(0).toObject().value(u"team"_s).toString(), u"Nord"_s);
        QCOMPARE(teams.at(0).toObject().value(u"points"_s).toInt(), 95);
    }

    // A name that is markup stays text: in the page's built-in data it can't
    // end the script, and it comes back from the JSON as typed.
    void competitionTextStaysText()
    {
        const QString evil = u"</script><script>alert(1)</script>&amp;"_s;
        f->race.typeStartNumber(u"1"_s);
        f->race.setName(evil);
        f->driveAndEnter(45000);
        f->changeSettings([&](Settings &s) { s.Title = u"<b>Cup</b>"_s; });
        LiveDocuments docs;
        docs.setResults(std::make_shared<LiveResults>(takeLiveResults(f->race, u"Vexilor"_s)));
        const QByteArray page = docs.page();
        QVERIFY(!page.contains("<script>alert"));
        QVERIFY(!page.contains("<b>Cup"));
        QVERIFY(page.contains("<title>&lt;b&gt;Cup&lt;/b&gt;</title>"));
        const qsizetype from = page.indexOf("type=\"application/json\">") + 24;
        const QByteArray data = page.mid(from, page.indexOf("</script>", from) - from);
        const QJsonObject parsed = QJsonDocument::fromJson(data).object();
        const QJsonArray rows = parsed.value(u"classes"_s).toArray().at(0).toObject().value(u"rows"_s).toArray();
        QVERIFY(std::any_of(rows.begin(), rows.end(),
                            [&](const QJsonValue &r) { return r.toObject().value(u"name"_s).toString() == evil; }));
    }

    // One command sends many signals; the page hears of it once.
    void oneEntryIsOneSnapshot()
    {
        LiveFeed feed(f->race, u"Vexilor"_s);
        QSignalSpy results(&feed, &LiveFeed::resultsReady);
        f->race.chooseDriver(0);
        f->race.chooseRun(2);
        f->driveAndEnter(39000);
        QTRY_COMPARE_WITH_TIMEOUT(results.size(), 1, 2000);
        QCoreApplication::processEvents();
        QCOMPARE(results.size(), 1);
    }

    // What the server answers: the page, the JSON, the protocol exactly as
    // saving writes it, 404 for anything else.
    void answers_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("savedAs"); // the file the same bytes are saved as; "" none
        QTest::newRow("page") << u"/"_s << 200 << u""_s;
        QTest::newRow("json") << u"/results.json"_s << 200 << u""_s;
        QTest::newRow("protocol text") << u"/protocol.txt"_s << 200 << u"p.txt"_s;
        QTest::newRow("protocol page") << u"/protocol.html"_s << 200 << u"p.html"_s;
        QTest::newRow("unknown") << u"/Sicherung.txt"_s << 404 << u""_s;
        QTest::newRow("below a known one") << u"/results.json/x"_s << 404 << u""_s;
    }
    void answers()
    {
        QFETCH(QString, path);
        QFETCH(int, status);
        QFETCH(QString, savedAs);
        const QString base = startServer();
        QVERIFY(!base.isEmpty());
        QNetworkReply *reply = get(base + path);
        QCOMPARE(reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(), status);
        const QByteArray body = reply->readAll();
        if (savedAs.isEmpty())
            return;
        QTemporaryDir dir;
        const QString file = dir.filePath(savedAs);
        QCOMPARE(savedAs.endsWith(u".txt"_s) ? f->files.save(file) : f->files.writeHtml(file, u"Vexilor"_s),
                 std::nullopt);
        QCOMPARE(body, readAll(file));
    }

    // A viewer gets the state on connecting and every entry after it; one
    // more than the limit gets in, and the oldest viewer is told why it goes.
    void viewersAndTheirLimit()
    {
        const QString base = startServer(2);
        QVERIFY(!base.isEmpty());
        const QUrl live(u"ws://127.0.0.1:%1/live"_s.arg(server->port()));
        QWebSocket viewers[3];
        QList<QSignalSpy *> messages;
        for (QWebSocket &v : viewers) {
            messages.append(new QSignalSpy(&v, &QWebSocket::textMessageReceived));
            QSignalSpy open(&v, &QWebSocket::connected);
            v.open(live);
            QVERIFY(open.wait(5000));
        }
        QTRY_COMPARE_WITH_TIMEOUT(int(viewers[0].closeCode()), 4029, 5000);
        QVERIFY(!viewers[0].closeReason().isEmpty());
        QCOMPARE(viewers[1].state(), QAbstractSocket::ConnectedState);
        QCOMPARE(viewers[2].state(), QAbstractSocket::ConnectedState);

        f->race.chooseDriver(0);
        f->race.chooseRun(2);
        f->driveAndEnter(38000);
        for (int i = 1; i < 3; ++i) {
            QTRY_VERIFY_WITH_TIMEOUT(std::any_of(messages[i]->begin(), messages[i]->end(),
                                                 [](const QList<QVariant> &m) {
                                                     return m.at(0).toString().contains(u"\"38,00\""_s);
                                                 }),
                                     5000);
        }
        qDeleteAll(messages);

        // Places are given back: viewers that come and go never fill it.
        for (QWebSocket &v : viewers)
            v.close();
        QTest::qWait(200);
        for (int i = 0; i < 6; ++i) {
            QWebSocket passing;
            QSignalSpy open(&passing, &QWebSocket::connected);
            QSignalSpy gone(&passing, &QWebSocket::disconnected);
            passing.open(live);
            QVERIFY(open.wait(5000));
            passing.close();
            QTRY_COMPARE_WITH_TIMEOUT(gone.size(), 1, 5000);
            QCOMPARE(passing.closeCode(), QWebSocketProtocol::CloseCodeNormal);
        }
        QCOMPARE(get(base + u"/"_s)->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(), 200);
    }

    // The address the status bar shows: the one a phone in the room reaches,
    // not a virtual machine's, a container's or loopback.
    void lanAddressChosen_data()
    {
        using NI = QNetworkInterface;
        const NI::InterfaceFlags up = NI::IsUp | NI::IsRunning;
        auto a = [&](const char *name, NI::InterfaceType type, const char *ip, NI::InterfaceFlags flags) {
            return InterfaceAddress{QString::fromLatin1(name), QString::fromLatin1(name), type, flags,
                                    QHostAddress(QString::fromLatin1(ip))};
        };
        QTest::addColumn<QList<InterfaceAddress>>("addresses");
        QTest::addColumn<QString>("chosen");
        QTest::newRow("Wi-Fi after Hyper-V's switch")
            << QList{a("vEthernet (Default Switch)", NI::Ethernet, "172.20.1.1", up),
                     a("WLAN", NI::Wifi, "192.168.1.23", up)}
            << u"192.168.1.23"_s;
        QTest::newRow("Ethernet after VirtualBox")
            << QList{a("VirtualBox Host-Only Network", NI::Ethernet, "192.168.56.1", up),
                     a("Ethernet", NI::Ethernet, "10.0.0.5", up)}
            << u"10.0.0.5"_s;
        QTest::newRow("Docker's bridge first")
            << QList{a("docker0", NI::Ethernet, "172.17.0.1", up), a("wlp2s0", NI::Wifi, "192.168.0.12", up)}
            << u"192.168.0.12"_s;
        QTest::newRow("a private one before a public one")
            << QList{a("eth0", NI::Ethernet, "203.0.113.5", up), a("eth1", NI::Ethernet, "192.168.2.2", up)}
            << u"192.168.2.2"_s;
        QTest::newRow("an adapter that is down")
            << QList{a("Ethernet", NI::Ethernet, "192.168.1.5", NI::IsUp), a("WLAN", NI::Wifi, "10.1.1.1", up)}
            << u"10.1.1.1"_s;
        QTest::newRow("only a virtual one") << QList{a("vboxnet0", NI::Ethernet, "192.168.56.1", up)}
                                            << u"192.168.56.1"_s;
        QTest::newRow("loopback, link-local and IPv6 only")
            << QList{a("lo", NI::Loopback, "127.0.0.1", up | NI::IsLoopBack), a("Ethernet", NI::Ethernet, "169.254.3.4", up),
                     a("WLAN", NI::Wifi, "fd00::5", up)}
            << QString();
    }
    void lanAddressChosen()
    {
        QFETCH(QList<InterfaceAddress>, addresses);
        QFETCH(QString, chosen);
        QCOMPARE(chooseLanAddress(addresses), chosen);
    }

    void portTakenIsSaidInGerman()
    {
        QVERIFY(!startServer().isEmpty());
        LiveServer second(f->race, u"Vexilor"_s);
        QSignalSpy failed(&second, &LiveServer::failed);
        second.start(server->port(), kLoopback);
        QVERIFY(failed.wait(5000));
        QVERIFY2(failed.at(0).at(0).toString().contains(u"belegt"_s), qPrintable(failed.at(0).at(0).toString()));
        QVERIFY(!second.isRunning());
    }
};

QTEST_GUILESS_MAIN(TestLive)
#include "test_live.moc"
