#include "live/limitedtcpserver.h"

#include <QTcpSocket>
#include <QTimer>

namespace vex {

namespace {

QByteArray busyResponse()
{
    const QByteArray text = QStringLiteral("Zu viele Zuschauer verbunden. Bitte in einigen Sekunden erneut versuchen.\n").toUtf8();
    return "HTTP/1.1 503 Service Unavailable\r\nContent-Type: text/plain; charset=utf-8\r\nRetry-After: 5\r\n"
           "Connection: close\r\nContent-Length: "
        + QByteArray::number(text.size()) + "\r\n\r\n" + text;
}

} // namespace

LimitedTcpServer::LimitedTcpServer(int maxConnections, QObject *parent)
    : QTcpServer(parent)
    , m_max(maxConnections)
{
}

void LimitedTcpServer::incomingConnection(qintptr descriptor)
{
    auto *socket = new QTcpSocket(this);
    if (!socket->setSocketDescriptor(descriptor)) {
        delete socket;
        return;
    }
    if (m_open >= m_max) {
        socket->write(busyResponse());
        socket->disconnectFromHost();
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        // A peer that never reads must not keep it.
        QTimer::singleShot(5000, socket, &QObject::deleteLater);
        return;
    }
    ++m_open;
    connect(socket, &QObject::destroyed, this, [this] { --m_open; });
    addPendingConnection(socket);
}

} // namespace vex
