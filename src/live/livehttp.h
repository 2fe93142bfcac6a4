#pragma once

#include "live/livedocuments.h"
#include "live/livesnapshot.h"

#include <QHostAddress>
#include <QList>
#include <QObject>

class QHttpServer;
class QWebSocket;

namespace vex {

class LimitedTcpServer;

// The server itself, living on its own thread: it answers requests from the
// snapshots it was handed and pushes each new one to the viewers on the
// WebSocket "/live". Nothing here reaches the race.
class LiveHttp : public QObject
{
    Q_OBJECT
public:
    // maxViewers: WebSocket viewers at once; as many plain connections again
    // are let in beside them (every viewer's page loads and its fallback).
    explicit LiveHttp(int maxViewers, QObject *parent = nullptr);
    ~LiveHttp() override;

    int viewerCount() const { return int(m_viewers.size()); }

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
    void addRoutes();
    void takeViewers();
    void push(const QByteArray &message);

    int m_maxViewers;
    QHttpServer *m_http = nullptr;
    LimitedTcpServer *m_tcp = nullptr;
    QList<QWebSocket *> m_viewers;
    LiveDocuments m_docs;
    QByteArray m_season;
};

// The operator's message when the port can't be opened.
QString listenFailureText(quint16 port, int socketError, const QString &detail);

} // namespace vex
