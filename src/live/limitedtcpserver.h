#pragma once

#include <QList>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

namespace vex {

// A listening socket that keeps at most so many connections open at once;
// one more is answered "503" with a German line and closed, so a phone too
// many learns why instead of waiting.
class LimitedTcpServer : public QTcpServer
{
    Q_OBJECT
public:
    explicit LimitedTcpServer(int maxConnections, QObject *parent = nullptr);

    int openConnections();

protected:
    void incomingConnection(qintptr descriptor) override;

private:
    void sweep();

    int m_max;
    // Every connection let in. The HTTP server cuts all connections of a
    // socket it hands to a WebSocket, and neither deletes it: the state
    // tells, and the sweep deletes what stayed closed from one pass to the
    // next, long after whoever served it let go.
    QList<QPointer<QTcpSocket>> m_sockets;
    QList<QPointer<QTcpSocket>> m_closedAtLastSweep;
    QTimer m_sweeper;
};

} // namespace vex
