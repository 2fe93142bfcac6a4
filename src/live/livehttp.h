#pragma once

#include "live/livelimits.h"
#include "live/livesnapshot.h"

#include <QByteArray>
#include <QHostAddress>
#include <QString>

#include <memory>
#include <variant>

namespace vex {

class TickSource;

// The server itself: it answers GET and HEAD from the snapshots it was handed
// and pushes each new one to the viewers on the WebSocket "/live". HTTP and
// WebSocket are a well-kept library's (see livehttp.cpp); what is ours is
// which pages there are, the limits a client on the network is held to and
// who gets a place when they are all taken. It runs on a thread of its own,
// which does nothing but serve; every call here only hands work over to it,
// so nothing waits for the network. Nothing here reaches the race.
class LiveHttp
{
public:
    // ticks: the clock of the limits in time, read on the server's thread;
    // it must outlive the server.
    LiveHttp(const LiveLimits &limits, const TickSource &ticks);
    ~LiveHttp();
    LiveHttp(const LiveHttp &) = delete;
    LiveHttp &operator=(const LiveHttp &) = delete;

    // Opens the port and starts serving: the port listened on, or the
    // operator's message when it can't be opened. Once only.
    std::variant<quint16, QString> listen(const QHostAddress &address, quint16 port);

    void takeResults(LiveResultsPtr results);
    void takeCourse(const LiveCourse &course);
    // The season's page ("/season.html"); empty when no season is open.
    void takeSeason(const QByteArray &page);

    // Looks at the limits in time now and returns once that is done (the
    // server does so by itself every sweepMs, unless that is 0).
    void sweepNow();

    int viewerCount() const;
    int connectionCount() const;
    // Connections the system refused to hand over (no descriptors left).
    int failedAccepts() const;

    // The server's side, on its thread (named here for its connections).
    struct Impl;

private:
    std::unique_ptr<Impl> d;
};

// The operator's message when the port can't be opened.
enum class ListenFailure { InUse, Denied, Other };
QString listenFailureText(quint16 port, ListenFailure failure, const QString &detail);

} // namespace vex
