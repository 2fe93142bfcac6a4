// The live page in a build whose Qt has no HTTP or WebSocket server: the
// switch in the status bar still works and tells the operator why nothing
// listens, rather than the program not building at all.
#include "live/liveserver.h"

#include "live/livefeed.h"

namespace vex {

LiveServer::LiveServer(const Race &race, const QString &appTitle, QObject *parent)
    : QObject(parent)
    , m_feed(new LiveFeed(race, appTitle, this))
{
}

LiveServer::~LiveServer() = default;

void LiveServer::start(quint16, const QHostAddress &)
{
    Q_EMIT failed(QStringLiteral("Die Live-Seite ist in dieser Ausgabe von Vexilor nicht enthalten."));
}

void LiveServer::stop() {}

void LiveServer::setSeasonPage(const QByteArray &page)
{
    m_seasonPage = page;
}

} // namespace vex
