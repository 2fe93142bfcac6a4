#pragma once

#include "live/livedocuments.h"
#include "live/livelimits.h"
#include "live/livesnapshot.h"

#include <QHostAddress>
#include <QList>
#include <QObject>

#include <memory>

class QTcpServer;

namespace vex {

class LiveConnection;
class TickSource;
class Timer;
class Timers;
struct HttpHead;
struct LiveReply;

// The server itself, living on its own thread: it answers GET and HEAD from
// the snapshots it was handed and pushes each new one to the viewers on the
// WebSocket "/live". Nothing here reaches the race.
//
// It is a small HTTP/1.1 server of its own rather than Qt's: Qt's reads a
// request's body whole before it routes, keeps any length of request line or
// header and any WebSocket frame up to gigabytes, and has no limit in time,
// so one client on the network could take the timing PC's memory or every
// viewer's place. This one serves four read-only documents and a push, and
// reads nothing from a client beyond a request head or a small frame.
class LiveHttp : public QObject
{
    Q_OBJECT
public:
    // ticks and timers: the clock and the sweep's timer of the limits in
    // time; both must outlive the server.
    LiveHttp(const LiveLimits &limits, const TickSource &ticks, Timers &timers, QObject *parent = nullptr);
    ~LiveHttp() override;

    int viewerCount() const;
    int connectionCount() const;

public Q_SLOTS:
    void listen(const QHostAddress &address, quint16 port);
    void takeResults(vex::LiveResultsPtr results);
    void takeCourse(const vex::LiveCourse &course);
    // The season's page ("/season.html"); empty when no season is open.
    void takeSeason(const QByteArray &page);

Q_SIGNALS:
    void listening(quint16 port);
    void failed(const QString &message);

private:
    void accept();
    LiveReply answer(const HttpHead &head);
    void takeViewer(LiveConnection *viewer);
    void push(const QByteArray &message);
    void sweep();

    LiveLimits m_limits;
    const TickSource &m_ticks;
    Timers &m_timers;
    QTcpServer *m_tcp = nullptr;
    std::unique_ptr<Timer> m_sweeper;
    QList<LiveConnection *> m_connections;
    LiveDocuments m_docs;
    QByteArray m_season;
};

// The operator's message when the port can't be opened.
QString listenFailureText(quint16 port, int socketError, const QString &detail);

} // namespace vex
