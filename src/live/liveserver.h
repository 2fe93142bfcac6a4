#pragma once

#include "live/livelimits.h"
#include "live/livesnapshot.h"
#include "timing/tickclock.h"

#include <QByteArray>
#include <QHostAddress>
#include <QObject>
#include <QString>

#include <memory>

namespace vex {

class LiveFeed;
class LiveHttp;
class Race;

// The live results page on the network: one more observer of the race, which
// it only reads. The server runs on a thread of its own and is handed whole
// snapshots; nothing of it waits for the race's thread, nor the other way
// round but for the moment the thread ends.
class LiveServer : public QObject
{
    Q_OBJECT
public:
    static constexpr int kMaxViewers = 200;

    LiveServer(const Race &race, const QString &appTitle, QObject *parent = nullptr);
    ~LiveServer() override;

    // Listens on the port (stopping a server that ran before); started or
    // failed follows. address: where to listen, every interface by default.
    void start(quint16 port, const QHostAddress &address = QHostAddress::Any);
    void stop();
    bool isRunning() const { return m_port != 0; }
    // The port listened on; 0 while none.
    quint16 port() const { return m_port; }
    // Taken up by the next start.
    void setMaxViewers(int viewers)
    {
        m_limits.maxViewers = viewers;
        m_limits.maxConnections = 2 * viewers;
    }
    void setLimits(const LiveLimits &limits) { m_limits = limits; }
    // The season's standings as a web page, shown as the tab "Meisterschaft"
    // while a season is open; empty: no season, no tab.
    void setSeasonPage(const QByteArray &page);

Q_SIGNALS:
    void started(quint16 port);
    void failed(const QString &message);
    void stopped();

private:
    LiveFeed *m_feed = nullptr;
    std::unique_ptr<LiveHttp> m_http;
    quint16 m_port = 0;
    LiveLimits m_limits;
    SteadyTickSource m_ticks; // read on the server's thread
    QByteArray m_seasonPage;
};

} // namespace vex
