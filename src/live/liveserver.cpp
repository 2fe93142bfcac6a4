#include "live/liveserver.h"

#include "live/livefeed.h"
#include "live/livehttp.h"

namespace vex {

LiveServer::LiveServer(const Race &race, const QString &appTitle, QObject *parent)
    : QObject(parent)
    , m_feed(new LiveFeed(race, appTitle, this))
{
}

LiveServer::~LiveServer()
{
    stop();
}

void LiveServer::start(quint16 port, const QHostAddress &address)
{
    stop();
    auto http = std::make_unique<LiveHttp>(m_limits, m_ticks);
    const auto listening = http->listen(address, port);
    if (const QString *message = std::get_if<QString>(&listening)) {
        // Told from the event loop, as a start that works is.
        QMetaObject::invokeMethod(this, [this, message = *message] { Q_EMIT failed(message); }, Qt::QueuedConnection);
        return;
    }
    m_http = std::move(http);
    m_port = std::get<quint16>(listening);
    // The server takes each value on its own thread; nothing here waits.
    LiveHttp *server = m_http.get();
    connect(m_feed, &LiveFeed::resultsReady, this, [server](LiveResultsPtr results) { server->takeResults(std::move(results)); });
    connect(m_feed, &LiveFeed::courseReady, this, [server](const LiveCourse &course) { server->takeCourse(course); });
    setSeasonPage(m_seasonPage);
    m_feed->publishNow();
    QMetaObject::invokeMethod(this, [this, port = m_port] {
        if (m_port == port)
            Q_EMIT started(port);
    }, Qt::QueuedConnection);
}

void LiveServer::setSeasonPage(const QByteArray &page)
{
    m_seasonPage = page;
    if (m_http)
        m_http->takeSeason(page);
}

void LiveServer::stop()
{
    if (!m_http)
        return;
    m_feed->disconnect(this);
    m_http.reset();
    m_port = 0;
    Q_EMIT stopped();
}

} // namespace vex
