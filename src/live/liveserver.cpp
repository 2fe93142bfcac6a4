#include "live/liveserver.h"

#include "live/livefeed.h"
#include "live/livehttp.h"

#include <QThread>

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
    m_thread = new QThread(this);
    m_thread->setObjectName(QStringLiteral("Live-Seite"));
    m_http = new LiveHttp(m_limits, m_ticks, m_timers);
    m_http->moveToThread(m_thread);
    // The server and its sockets end on their own thread.
    connect(m_thread, &QThread::finished, m_http, &QObject::deleteLater);
    connect(m_feed, &LiveFeed::resultsReady, m_http, &LiveHttp::takeResults);
    connect(m_feed, &LiveFeed::courseReady, m_http, &LiveHttp::takeCourse);
    connect(m_http, &LiveHttp::listening, this, [this](quint16 listening) {
        m_port = listening;
        Q_EMIT started(listening);
    });
    connect(m_http, &LiveHttp::failed, this, [this](const QString &message) {
        stop();
        Q_EMIT failed(message);
    });
    m_thread->start();
    QMetaObject::invokeMethod(m_http, [http = m_http, address, port] { http->listen(address, port); },
                              Qt::QueuedConnection);
    setSeasonPage(m_seasonPage);
    m_feed->publishNow();
}

void LiveServer::setSeasonPage(const QByteArray &page)
{
    m_seasonPage = page;
    if (m_http) {
        QMetaObject::invokeMethod(m_http, [http = m_http, page] { http->takeSeason(page); },
                                  Qt::QueuedConnection);
    }
}

void LiveServer::stop()
{
    if (!m_thread)
        return;
    m_feed->disconnect(m_http);
    m_http->disconnect(this);
    m_thread->quit();
    m_thread->wait();
    delete m_thread;
    m_thread = nullptr;
    m_http = nullptr;
    const bool wasRunning = m_port != 0;
    m_port = 0;
    if (wasRunning)
        Q_EMIT stopped();
}

} // namespace vex
