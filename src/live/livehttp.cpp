#include "live/livehttp.h"

#include "live/httphead.h"
#include "live/liveconnection.h"
#include "live/wsframes.h"
#include "timing/timers.h"

#include <QTcpServer>
#include <QTcpSocket>

using namespace Qt::StringLiterals;

namespace vex {

namespace {

QByteArray busyResponse(const QString &text)
{
    return httpResponse(503, "text/plain; charset=utf-8", (text + u'\n').toUtf8(), false, true, {"Retry-After: 5"});
}

LiveReply document(const QByteArray &type, const QByteArray &body)
{
    return LiveReply{200, type, body, {}};
}

LiveReply refusal(int status, const QString &text, QList<QByteArray> extra = {})
{
    return LiveReply{status, "text/plain; charset=utf-8", (text + u'\n').toUtf8(), std::move(extra)};
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

LiveHttp::LiveHttp(const LiveLimits &limits, const TickSource &ticks, Timers &timers, QObject *parent)
    : QObject(parent)
    , m_limits(limits)
    , m_ticks(ticks)
    , m_timers(timers)
{
}

LiveHttp::~LiveHttp()
{
    for (LiveConnection *c : std::as_const(m_connections))
        c->disconnect(this);
}

int LiveHttp::viewerCount() const
{
    return int(std::count_if(m_connections.begin(), m_connections.end(),
                             [](const LiveConnection *c) { return c->state() == LiveConnection::State::WebSocket; }));
}

int LiveHttp::connectionCount() const
{
    return int(m_connections.size());
}

void LiveHttp::listen(const QHostAddress &address, quint16 port)
{
    m_tcp = new QTcpServer(this);
    // Every viewer may come at once, after the program starts in the middle
    // of an event.
    m_tcp->setListenBacklogSize(m_limits.maxConnections);
    if (!m_tcp->listen(address, port)) {
        const QString message = listenFailureText(port, m_tcp->serverError(), m_tcp->errorString());
        delete m_tcp;
        m_tcp = nullptr;
        Q_EMIT failed(message);
        return;
    }
    connect(m_tcp, &QTcpServer::newConnection, this, &LiveHttp::accept);
    // Made here, on the server's own thread, where it fires.
    m_sweeper = m_timers.make(u"live-sweep"_s, true, [this] { sweep(); });
    m_sweeper->start(m_limits.sweepMs);
    Q_EMIT listening(m_tcp->serverPort());
}

void LiveHttp::accept()
{
    while (QTcpSocket *socket = m_tcp->nextPendingConnection()) {
        auto *c = new LiveConnection(socket, m_limits, m_ticks, [this](const HttpHead &h) { return answer(h); }, this);
        // Connections being closed don't count: they go within a moment.
        int open = 0;
        int fromThere = 0;
        for (const LiveConnection *o : std::as_const(m_connections)) {
            if (o->state() == LiveConnection::State::Closing)
                continue;
            ++open;
            fromThere += o->address() == c->address() ? 1 : 0;
        }
        m_connections.append(c);
        connect(c, &LiveConnection::gone, this, [this, c] {
            m_connections.removeOne(c);
            c->deleteLater();
        });
        connect(c, &LiveConnection::upgraded, this, [this, c] { takeViewer(c); });
        if (open >= m_limits.maxConnections)
            c->refuse(busyResponse(u"Zu viele Zuschauer verbunden. Bitte in einigen Sekunden erneut versuchen."_s));
        else if (fromThere >= m_limits.maxPerAddress)
            c->refuse(busyResponse(u"Zu viele Verbindungen von diesem Gerät. Bitte andere Seiten der Live-Seite schließen."_s));
    }
}

LiveReply LiveHttp::answer(const HttpHead &head)
{
    // An upgrade is taken only where the page asks for one; anywhere else the
    // document is answered as to any request.
    if (head.path == "/live") {
        if (head.method != "GET" || !head.hasToken("connection", "upgrade")
            || head.value("upgrade").compare("websocket", Qt::CaseInsensitive) != 0)
            return refusal(400, u"Hier gibt es nur die WebSocket-Verbindung der Live-Seite."_s);
        if (head.value("sec-websocket-version") != "13")
            return refusal(426, u"WebSocket-Version 13 wird erwartet."_s, {"Sec-WebSocket-Version: 13"});
        const QByteArray key = head.value("sec-websocket-key");
        if (!ws::isValidKey(key))
            return refusal(400, u"Der WebSocket-Schlüssel fehlt oder ist ungültig."_s);
        return LiveReply{101, {}, {}, {"Upgrade: websocket", "Connection: Upgrade", "Sec-WebSocket-Accept: " + ws::acceptKey(key)}};
    }
    if (head.path == "/")
        return document("text/html; charset=utf-8", m_docs.page());
    if (head.path == "/results.json")
        return document("application/json; charset=utf-8", m_docs.document());
    // The protocol's own bytes: Windows-1252, as the file is written.
    if (head.path == "/protocol.txt")
        return document("text/plain; charset=windows-1252", m_docs.protocolText());
    if (head.path == "/protocol.html")
        return document("text/html; charset=windows-1252", m_docs.protocolHtml());
    // The season's standings while a season is open in the program.
    if (head.path == "/season.html" && !m_season.isEmpty())
        return document("text/html; charset=utf-8", m_season);
    return refusal(404, u"Diese Seite gibt es hier nicht."_s);
}

void LiveHttp::takeViewer(LiveConnection *viewer)
{
    if (viewerCount() > m_limits.maxViewers) {
        viewer->closeWebSocket(ws::TooManyViewers, u"Zu viele Zuschauer verbunden"_s);
        return;
    }
    viewer->send(ws::frame(ws::Text, m_docs.document()));
}

void LiveHttp::push(const QByteArray &message)
{
    const QByteArray frame = ws::frame(ws::Text, message);
    // A viewer cut while this runs leaves the list, but is deleted later.
    const QList<LiveConnection *> connections = m_connections;
    for (LiveConnection *c : connections)
        c->send(frame);
}

void LiveHttp::sweep()
{
    const QList<LiveConnection *> connections = m_connections;
    for (LiveConnection *c : connections)
        c->sweep();
}

void LiveHttp::takeResults(LiveResultsPtr results)
{
    m_docs.setResults(std::move(results));
    if (viewerCount() > 0)
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
    if (viewerCount() > 0)
        push(m_docs.courseMessage());
}

} // namespace vex
