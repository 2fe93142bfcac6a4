#include "live/livehttp.h"

#include "live/limitedtcpserver.h"

#include <QHttpServer>
#include <QHttpServerResponse>
#include <QTimer>
#include <QWebSocket>

using namespace Qt::StringLiterals;

namespace vex {

namespace {

// An application's own close code (4000...4999): too many viewers, as 429 is
// for HTTP.
constexpr auto kCloseTooMany = QWebSocketProtocol::CloseCode(4029);

// A viewer whose phone takes no more than this is left behind, so one bad
// connection can't fill the memory; its page falls back to asking itself.
constexpr qint64 kMaxBacklogBytes = 8 * 1024 * 1024;

QHttpServerResponse reply(const QByteArray &type, const QByteArray &body)
{
    QHttpServerResponse r(type, body);
    r.setHeader("Cache-Control", "no-store");
    r.setHeader("X-Content-Type-Options", "nosniff");
    return r;
}

void closeAndDrop(QWebSocket *socket, QWebSocketProtocol::CloseCode code, const QString &reason)
{
    QObject::connect(socket, &QWebSocket::disconnected, socket, &QObject::deleteLater);
    socket->close(code, reason);
    QTimer::singleShot(5000, socket, &QObject::deleteLater);
}

} // namespace

QString listenFailureText(quint16 port, int socketError, const QString &detail)
{
    const QString head = u"Die Live-Seite kann nicht starten: "_s;
    switch (QAbstractSocket::SocketError(socketError)) {
    case QAbstractSocket::AddressInUseError:
        return head + u"Port %1 ist schon belegt. Bitte einen anderen Port wählen."_s.arg(port);
    case QAbstractSocket::SocketAccessError:
        return head + u"Port %1 darf nicht geöffnet werden. Bitte einen Port ab 1024 wählen."_s.arg(port);
    default:
        return head + u"Port %1 lässt sich nicht öffnen (%2)."_s.arg(port).arg(detail);
    }
}

LiveHttp::LiveHttp(int maxViewers, QObject *parent)
    : QObject(parent)
    , m_maxViewers(maxViewers)
{
}

LiveHttp::~LiveHttp()
{
    for (QWebSocket *v : std::as_const(m_viewers))
        v->abort();
}

void LiveHttp::listen(const QHostAddress &address, quint16 port)
{
    m_http = new QHttpServer(this);
    m_tcp = new LimitedTcpServer(2 * m_maxViewers, m_http);
    // Every viewer may come at once, after the program starts in the middle
    // of an event.
    m_tcp->setListenBacklogSize(2 * m_maxViewers);
    if (!m_tcp->listen(address, port)) {
        const QString message = listenFailureText(port, m_tcp->serverError(), m_tcp->errorString());
        delete m_http;
        m_http = nullptr;
        m_tcp = nullptr;
        Q_EMIT failed(message);
        return;
    }
    m_http->bind(m_tcp);
    addRoutes();
    connect(m_http, &QHttpServer::newWebSocketConnection, this, &LiveHttp::takeViewers);
    Q_EMIT listening(m_tcp->serverPort());
}

void LiveHttp::addRoutes()
{
    using Method = QHttpServerRequest::Method;
    m_http->route(u"/"_s, Method::Get, [this] { return reply("text/html; charset=utf-8", m_docs.page()); });
    m_http->route(u"/results.json"_s, Method::Get,
                  [this] { return reply("application/json; charset=utf-8", m_docs.document()); });
    // The protocol's own bytes: Windows-1252, as the file is written.
    m_http->route(u"/protocol.txt"_s, Method::Get,
                  [this] { return reply("text/plain; charset=windows-1252", m_docs.protocolText()); });
    m_http->route(u"/protocol.html"_s, Method::Get,
                  [this] { return reply("text/html; charset=windows-1252", m_docs.protocolHtml()); });
    // The season's standings while a season is open in the program.
    m_http->route(u"/season.html"_s, Method::Get, [this] {
        if (m_season.isEmpty())
            return QHttpServerResponse(QHttpServerResponder::StatusCode::NotFound);
        return reply("text/html; charset=utf-8", m_season);
    });
    // Qt hands a WebSocket on only from a path with a route whose handler
    // wrote nothing; a plain request there finds no page.
    m_http->route(u"/live"_s, Method::Get, [](const QHttpServerRequest &request, QHttpServerResponder &&responder) {
        if (request.value("upgrade").compare("websocket", Qt::CaseInsensitive) != 0)
            responder.write(QHttpServerResponder::StatusCode::NotFound);
    });
}

void LiveHttp::takeViewers()
{
    while (m_http->hasPendingWebSocketConnections()) {
        QWebSocket *socket = m_http->nextPendingWebSocketConnection().release();
        socket->setParent(this);
        if (m_viewers.size() >= m_maxViewers) {
            closeAndDrop(socket, kCloseTooMany, u"Zu viele Zuschauer verbunden"_s);
            continue;
        }
        m_viewers.append(socket);
        connect(socket, &QWebSocket::disconnected, this, [this, socket] {
            m_viewers.removeOne(socket);
            socket->deleteLater();
        });
        socket->sendTextMessage(QString::fromUtf8(m_docs.document()));
    }
}

void LiveHttp::push(const QByteArray &message)
{
    if (m_viewers.isEmpty())
        return;
    const QString text = QString::fromUtf8(message);
    const QList<QWebSocket *> viewers = m_viewers;
    for (QWebSocket *v : viewers) {
        if (v->bytesToWrite() > kMaxBacklogBytes) {
            m_viewers.removeOne(v);
            closeAndDrop(v, QWebSocketProtocol::CloseCodeGoingAway, u"Verbindung zu langsam"_s);
            continue;
        }
        v->sendTextMessage(text);
    }
}

void LiveHttp::takeResults(LiveResultsPtr results)
{
    m_docs.setResults(std::move(results));
    push(m_docs.document());
}

void LiveHttp::takeSeason(const QByteArray &page)
{
    const bool wasOpen = !m_season.isEmpty();
    m_season = page;
    // The pages learn that the tab comes or goes, or that it holds news.
    if (wasOpen || !page.isEmpty())
        push(page.isEmpty() ? QByteArrayLiteral("{\"season\":false}") : QByteArrayLiteral("{\"season\":true}"));
}

void LiveHttp::takeCourse(const LiveCourse &course)
{
    m_docs.setCourse(course);
    push(m_docs.courseMessage());
}

} // namespace vex
