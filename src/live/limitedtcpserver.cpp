#include "live/limitedtcpserver.h"

namespace vex {

namespace {

QByteArray busyResponse()
{
    const QByteArray text = QStringLiteral("Zu viele Zuschauer verbunden. Bitte in einigen Sekunden erneut versuchen.\n").toUtf8();
    return "HTTP/1.1 503 Service Unavailable\r\nContent-Type: text/plain; charset=utf-8\r\nRetry-After: 5\r\n"
           "Connection: close\r\nContent-Length: "
        + QByteArray::number(text.size()) + "\r\n\r\n" + text;
}

bool isClosed(const QPointer<QTcpSocket> &socket)
{
    return !socket || socket->state() == QAbstractSocket::UnconnectedState;
}

} // namespace

LimitedTcpServer::LimitedTcpServer(int maxConnections, QObject *parent)
    : QTcpServer(parent)
    , m_max(maxConnections)
{
    m_sweeper.setInterval(10000);
    connect(&m_sweeper, &QTimer::timeout, this, &LimitedTcpServer::sweep);
    m_sweeper.start();
}

int LimitedTcpServer::openConnections()
{
    m_sockets.removeIf([](const QPointer<QTcpSocket> &s) { return !s; });
    return int(std::count_if(m_sockets.begin(), m_sockets.end(), [](const auto &s) { return !isClosed(s); }));
}

void LimitedTcpServer::sweep()
{
    for (const QPointer<QTcpSocket> &s : std::as_const(m_closedAtLastSweep)) {
        if (isClosed(s) && s)
            s->deleteLater();
    }
    m_closedAtLastSweep.clear();
    m_sockets.removeIf([](const QPointer<QTcpSocket> &s) { return !s; });
    for (const QPointer<QTcpSocket> &s : std::as_const(m_sockets)) {
        if (isClosed(s))
            m_closedAtLastSweep.append(s);
    }
}

void LimitedTcpServer::incomingConnection(qintptr descriptor)
{
    auto *socket = new QTcpSocket(this);
    if (!socket->setSocketDescriptor(descriptor)) {
        delete socket;
        return;
    }
    if (openConnections() >= m_max) {
        socket->write(busyResponse());
        socket->disconnectFromHost();
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        // A peer that never reads must not keep it.
        QTimer::singleShot(5000, socket, &QObject::deleteLater);
        return;
    }
    m_sockets.append(socket);
    addPendingConnection(socket);
}

} // namespace vex
