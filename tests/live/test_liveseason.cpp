// The tab "Meisterschaft" of the live page: the season's page is served and
// announced to the viewers while a season is open, and gone after.
#include "../race/racefixture.h"
#include "live/liveserver.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QSignalSpy>
#include <QWebSocket>

using namespace vex;
using namespace Qt::StringLiterals;

class TestLiveSeason : public QObject
{
    Q_OBJECT

    QNetworkAccessManager net;

    std::pair<int, QByteArray> get(const QString &url)
    {
        QNetworkReply *reply = net.get(QNetworkRequest(QUrl(url)));
        QSignalSpy done(reply, &QNetworkReply::finished);
        done.wait(5000);
        reply->deleteLater();
        return {reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(), reply->readAll()};
    }

private Q_SLOTS:
    void seasonTab()
    {
        RaceFixture f;
        LiveServer server(f.race, u"Vexilor"_s);
        // A season opened before the page is switched on is there from its start.
        server.setSeasonPage("<p>Saison 1</p>");
        QSignalSpy started(&server, &LiveServer::started);
        server.start(0, QHostAddress::LocalHost);
        QVERIFY(started.wait(5000));
        const QString base = u"http://127.0.0.1:%1"_s.arg(server.port());
        QCOMPARE(get(base + u"/season.html"_s), std::make_pair(200, QByteArray("<p>Saison 1</p>")));

        QWebSocket viewer;
        QSignalSpy messages(&viewer, &QWebSocket::textMessageReceived);
        viewer.open(QUrl(u"ws://127.0.0.1:%1/live"_s.arg(server.port())));
        QTRY_COMPARE_WITH_TIMEOUT(messages.size(), 1, 5000);

        server.setSeasonPage("<p>Saison 2</p>");
        QTRY_COMPARE_WITH_TIMEOUT(messages.size(), 2, 5000);
        QCOMPARE(messages.at(1).at(0).toString(), u"{\"season\":true}"_s);
        QCOMPARE(get(base + u"/season.html"_s).second, QByteArray("<p>Saison 2</p>"));

        server.setSeasonPage({});
        QTRY_COMPARE_WITH_TIMEOUT(messages.size(), 3, 5000);
        QCOMPARE(messages.at(2).at(0).toString(), u"{\"season\":false}"_s);
        QCOMPARE(get(base + u"/season.html"_s).first, 404);
        viewer.close();
    }
};

QTEST_MAIN(TestLiveSeason)
#include "test_liveseason.moc"
