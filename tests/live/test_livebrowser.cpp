// The live page in a real browser on loopback, driven over its debugging
// socket: after an entry the table and the clock change without a reload.
// With VEX_LIVE_SCREENSHOTS set to a folder the two sizes are saved there as
// live-phone.png and live-laptop.png.
#include "live/liveserver.h"
#include "files/racefiles.h"
#include "race/race.h"
#include "results/ranking.h"
#include "results/recording.h"
#include "timing/tickclock.h"
#include "timing/timers.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QWebSocket>

using namespace Qt::StringLiterals;
using namespace vex;

namespace {

// Calls of the browser's debugging protocol, one answer awaited at a time.
class DevTools
{
public:
    bool open(const QUrl &url)
    {
        QSignalSpy connected(&m_socket, &QWebSocket::connected);
        m_socket.open(url);
        return connected.wait(10000);
    }
    QJsonObject call(const QString &method, const QJsonObject &params = {})
    {
        const int id = ++m_id;
        QSignalSpy answers(&m_socket, &QWebSocket::textMessageReceived);
        m_socket.sendTextMessage(QString::fromUtf8(
            QJsonDocument(QJsonObject{{u"id"_s, id}, {u"method"_s, method}, {u"params"_s, params}}).toJson()));
        for (int waited = 0; waited < 100; ++waited) {
            for (const QList<QVariant> &a : std::as_const(answers)) {
                const QJsonObject o = QJsonDocument::fromJson(a.at(0).toString().toUtf8()).object();
                if (o.value(u"id"_s).toInt() == id)
                    return o.value(u"result"_s).toObject();
            }
            answers.clear();
            answers.wait(200);
        }
        return {};
    }
    QString evaluate(const QString &expression)
    {
        const QJsonObject r = call(u"Runtime.evaluate"_s, {{u"expression"_s, expression}, {u"returnByValue"_s, true}});
        return r.value(u"result"_s).toObject().value(u"value"_s).toVariant().toString();
    }
    bool waitFor(const QString &expression)
    {
        for (int i = 0; i < 100; ++i) {
            if (evaluate(expression) == u"true")
                return true;
            QTest::qWait(100);
        }
        return false;
    }

private:
    QWebSocket m_socket;
    int m_id = 0;
};

// Drivers as start number, name, club and the ms of the scoring runs they
// drove; one who drove none has a training run.
void fillClass(Competition &competition, int page, const QString &name, const QList<QStringList> &drivers)
{
    ResultPage &p = *competition.page(page);
    for (const QStringList &d : drivers) {
        for (int run = 1; run < d.size() - 2; ++run)
            enterRun(p, RunEntry{d[0], d[1], d[2], run, qint32(d[2 + run].toInt()), 0});
        if (d.size() == 3)
            enterRun(p, RunEntry{d[0], d[1], d[2], 0, 41230, 0});
    }
    p.setCaption(name);
    p.setTabVisible(true);
    RankPage(p, true);
}

} // namespace

class TestLiveBrowser : public QObject
{
    Q_OBJECT

    QString m_browser = u"/usr/bin/chromium"_s;

private Q_SLOTS:
    void pageFollowsAnEntry_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<bool>("mobile");
        QTest::addColumn<QString>("shot");
        QTest::newRow("phone") << 390 << 844 << true << u"live-phone.png"_s;
        QTest::newRow("laptop") << 1280 << 800 << false << u"live-laptop.png"_s;
    }
    void pageFollowsAnEntry()
    {
        if (!QFileInfo(m_browser).isExecutable())
            QSKIP("chromium is not installed");
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(bool, mobile);
        QFETCH(QString, shot);

        SteadyTickSource ticks;
        QtTimers timers;
        RaceResults raceResults;
        Race race(raceResults, ticks, timers);
        RaceFiles files(race);
        files.importWith([](Competition &c) {
            fillClass(c, 0, u"Bambini"_s,
                      {{u"1"_s, u"Adler, Anna"_s, u"MSC Talheim"_s, u"45120"_s, u"47350"_s},
                       {u"2"_s, u"Bauer, Ben"_s, u"AC Bergdorf"_s, u"46010"_s},
                       {u"3"_s, u"Cramer, Cem"_s, u"KC Seeburg"_s, u"44870"_s, u"45990"_s},
                       {u"4"_s, u"Dorn, Dana"_s, u"MSC Talheim"_s}});
            fillClass(c, 1, u"Junioren"_s,
                      {{u"11"_s, u"Engel, Eva"_s, u"AC Bergdorf"_s, u"39880"_s, u"40120"_s},
                       {u"12"_s, u"Fuchs, Finn"_s, u"KC Seeburg"_s, u"41010"_s, u"39900"_s}});
            c.setClasses({u"Bambini"_s, u"Junioren"_s});
            return std::optional<QString>();
        });
        Settings s = race.settings();
        s.Title = u"Clubmeisterschaft Kart-Slalom"_s;
        s.Title2 = u"in Talheim am 14. Juni"_s;
        race.applySettings(s);
        race.chooseClass(0);
        race.typeStartNumber(u"2"_s);
        race.chooseRun(2);

        LiveServer server(race, u"Vexilor"_s);
        QSignalSpy started(&server, &LiveServer::started);
        server.start(0, QHostAddress::LocalHost);
        QVERIFY(started.wait(5000));

        QTemporaryDir dir;
        QProcess browser;
        browser.start(m_browser, {u"--headless"_s, u"--no-sandbox"_s, u"--disable-gpu"_s, u"--no-first-run"_s,
                                  u"--disable-background-networking"_s, u"--hide-scrollbars"_s,
                                  u"--remote-debugging-address=127.0.0.1"_s, u"--remote-debugging-port=0"_s,
                                  u"--user-data-dir="_s + dir.path(), u"about:blank"_s});
        const auto stopBrowser = qScopeGuard([&] {
            browser.kill();
            browser.waitForFinished(5000);
        });
        // The browser names its debugging port in its profile once it listens.
        QString devtools;
        for (int i = 0; i < 300 && devtools.isEmpty(); ++i) {
            QTest::qWait(100);
            QFile active(dir.filePath(u"DevToolsActivePort"_s));
            const QByteArray port = active.open(QIODevice::ReadOnly) ? active.readLine().trimmed() : QByteArray();
            if (port.isEmpty())
                continue;
            QNetworkAccessManager net;
            QNetworkReply *list = net.get(QNetworkRequest(QUrl(u"http://127.0.0.1:%1/json/list"_s.arg(port.toInt()))));
            QSignalSpy done(list, &QNetworkReply::finished);
            QVERIFY(done.wait(10000));
            for (const QJsonValue &t : QJsonDocument::fromJson(list->readAll()).array()) {
                if (t[u"type"_s] == u"page"_s)
                    devtools = t[u"webSocketDebuggerUrl"_s].toString();
            }
            delete list;
        }
        QVERIFY2(!devtools.isEmpty(), "the browser's debugging socket did not come up");

        DevTools tab;
        QVERIFY(tab.open(QUrl(devtools)));
        tab.call(u"Emulation.setDeviceMetricsOverride"_s,
                 {{u"width"_s, width}, {u"height"_s, height}, {u"deviceScaleFactor"_s, 1}, {u"mobile"_s, mobile}});
        tab.call(u"Page.navigate"_s, {{u"url"_s, u"http://127.0.0.1:%1/"_s.arg(server.port())}});
        QVERIFY(tab.waitFor(u"document.getElementById('status')?.textContent === 'Live verbunden'"_s));
        tab.evaluate(u"window.loadedOnce = true"_s);

        // Ben's second run goes in; Dana starts.
        race.start(ticks.now());
        QTest::qWait(300);
        race.stop(ticks.now() - 300 + 45230);
        race.addPenalty(2);
        race.enter();
        race.next();
        race.start(ticks.now() - 23400);
        QVERIFY(tab.waitFor(u"document.body.innerText.includes('1:33,') && "
                            "document.getElementById('clock').className === 'running'"_s));
        QCOMPARE(tab.evaluate(u"String(window.loadedOnce)"_s), u"true"_s);

        const QString folder = qEnvironmentVariable("VEX_LIVE_SCREENSHOTS");
        if (folder.isEmpty())
            return;
        QTest::qWait(500);
        const QJsonObject png = tab.call(u"Page.captureScreenshot"_s, {{u"format"_s, u"png"_s}});
        QFile out(QDir(folder).filePath(shot));
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(QByteArray::fromBase64(png.value(u"data"_s).toString().toLatin1()));
    }
};

QTEST_GUILESS_MAIN(TestLiveBrowser)
#include "test_livebrowser.moc"
