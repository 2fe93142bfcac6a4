#pragma once

#include "live/httphead.h"
#include "live/livelimits.h"

#include <QObject>
#include <QString>

#include <functional>

class QTcpSocket;

namespace vex {

class TickSource;

// What the server answers a GET or HEAD: 101 turns the connection into a
// WebSocket viewer.
struct LiveReply
{
    int status = 200;
    QByteArray type;
    QByteArray body;
    QList<QByteArray> extra;
};

// One client's connection: HTTP/1.1 requests one at a time, then perhaps a
// WebSocket. It reads no more than a request head (or a small frame) ahead
// and takes no next request while a response is unwritten, so a client that
// floods or never reads costs a bounded amount of memory; sweep() closes it
// when it keeps the server waiting too long.
class LiveConnection : public QObject
{
    Q_OBJECT
public:
    enum class State { Http, WebSocket, Closing };
    using Answer = std::function<LiveReply(const HttpHead &)>;

    LiveConnection(QTcpSocket *socket, const LiveLimits &limits, const TickSource &ticks, Answer answer,
                   QObject *parent = nullptr);

    State state() const { return m_state; }
    // The client's address, IPv4 in its own form when it came over IPv6.
    const QString &address() const { return m_address; }

    // Turns the client away with this response, reading nothing more.
    void refuse(const QByteArray &response);
    // A frame to a viewer; one that has left too much unread is let go.
    void send(const QByteArray &frame);
    // Ends a WebSocket with a close frame.
    void closeWebSocket(quint16 code, const QString &reason);
    // Closes the connection when one of its limits in time has passed.
    void sweep();

Q_SIGNALS:
    // Now a WebSocket viewer.
    void upgraded();
    // The connection is closed; the server lets go of it.
    void gone();

private:
    void readable();
    void written();
    void serveRequests();
    void serve(const HttpHead &head);
    void respond(const QByteArray &response, bool close);
    void readFrames();
    bool takeFrame(quint8 opcode, bool fin, const QByteArray &payload);
    void startClosing();
    // Closed at once, whatever waits to be written.
    void cut();
    void drop();
    quint32 now() const;
    qint32 since(quint32 tick) const;

    QTcpSocket *m_socket;
    const LiveLimits &m_limits;
    const TickSource &m_ticks;
    Answer m_answer;
    QString m_address;
    State m_state = State::Http;
    bool m_gone = false;
    quint32 m_waitingSince = 0; // Http: for a request; Closing: to be gone
    quint32 m_lastWrite = 0;
    quint32 m_lastPong = 0;
    quint32 m_lastPing = 0;
    quint32 m_frameWindow = 0;
    int m_framesInWindow = 0;
    bool m_inMessage = false;
    qsizetype m_messageBytes = 0;
};

} // namespace vex
