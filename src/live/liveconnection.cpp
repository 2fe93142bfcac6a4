#include "live/liveconnection.h"

#include "live/wsframes.h"
#include "timing/tickclock.h"

#include <QTcpSocket>

namespace vex {

namespace {

// A viewer reads a frame of at most this (header and the largest message);
// a few of them may wait unread.
constexpr qint64 kWebSocketReadBuffer = 4096;

QString addressOf(const QTcpSocket &socket)
{
    const QHostAddress peer = socket.peerAddress();
    bool isV4 = false;
    const quint32 v4 = peer.toIPv4Address(&isV4);
    return isV4 ? QHostAddress(v4).toString() : peer.toString();
}

} // namespace

LiveConnection::LiveConnection(QTcpSocket *socket, const LiveLimits &limits, const TickSource &ticks, Answer answer,
                               QObject *parent)
    : QObject(parent)
    , m_socket(socket)
    , m_limits(limits)
    , m_ticks(ticks)
    , m_answer(std::move(answer))
    , m_address(addressOf(*socket))
{
    m_socket->setParent(this);
    // Qt reads no further than this ahead; past it the client waits on TCP.
    m_socket->setReadBufferSize(kMaxHeadBytes);
    m_waitingSince = m_lastWrite = now();
    connect(m_socket, &QTcpSocket::readyRead, this, &LiveConnection::readable);
    connect(m_socket, &QTcpSocket::bytesWritten, this, &LiveConnection::written);
    connect(m_socket, &QTcpSocket::disconnected, this, &LiveConnection::drop);
    // A peer may have sent its request before the connection was taken.
    if (m_socket->bytesAvailable() > 0)
        QMetaObject::invokeMethod(this, &LiveConnection::readable, Qt::QueuedConnection);
}

quint32 LiveConnection::now() const
{
    return m_ticks.now();
}

qint32 LiveConnection::since(quint32 tick) const
{
    return elapsedMs(tick, now());
}

void LiveConnection::readable()
{
    switch (m_state) {
    case State::Http: serveRequests(); break;
    case State::WebSocket: readFrames(); break;
    case State::Closing: break;
    }
}

void LiveConnection::written()
{
    m_lastWrite = now();
    if (m_socket->bytesToWrite() > 0)
        return;
    if (m_state == State::Http) {
        // The response is out: from now the next request has its time, and
        // one already waiting is served.
        m_waitingSince = now();
        serveRequests();
    }
}

void LiveConnection::serveRequests()
{
    // One request at a time: the next one is read only once the answer to
    // the last is handed to the network, so pipelining can't pile up answers.
    while (m_state == State::Http && m_socket->bytesToWrite() == 0 && m_socket->bytesAvailable() > 0) {
        const QByteArray bytes = m_socket->peek(std::min<qint64>(m_socket->bytesAvailable(), kMaxHeadBytes));
        const HeadParse parsed = parseHttpHead(bytes);
        if (parsed.outcome == HeadParse::Incomplete)
            return;
        if (parsed.outcome == HeadParse::Refused) {
            respond(httpResponse(parsed.status, {}, {}, false, true), true);
            return;
        }
        m_socket->skip(parsed.size);
        serve(parsed.head);
    }
}

void LiveConnection::serve(const HttpHead &head)
{
    const bool isHead = head.method == "HEAD";
    // Nothing here takes a body; whatever one holds is never read.
    if (head.has("transfer-encoding") || (head.has("content-length") && head.value("content-length") != "0")) {
        respond(httpResponse(413, {}, {}, isHead, true), true);
        return;
    }
    if (head.method != "GET" && !isHead) {
        respond(httpResponse(405, {}, {}, false, !head.keepAlive(), {"Allow: GET, HEAD"}), !head.keepAlive());
        return;
    }
    const LiveReply reply = m_answer(head);
    if (reply.status == 101) {
        m_socket->write(httpResponse(101, {}, {}, false, false, reply.extra));
        m_state = State::WebSocket;
        m_socket->setReadBufferSize(kWebSocketReadBuffer);
        m_lastPong = m_lastPing = m_frameWindow = now();
        Q_EMIT upgraded();
        if (m_state == State::WebSocket && m_socket->bytesAvailable() > 0)
            readFrames();
        return;
    }
    // A refused request ends its connection (a client that sends such is
    // no page of ours); one for a missing page doesn't.
    const bool close = !head.keepAlive() || (reply.status >= 400 && reply.status != 404);
    respond(httpResponse(reply.status, reply.type, reply.body, isHead, close, reply.extra), close);
}

void LiveConnection::respond(const QByteArray &response, bool close)
{
    m_lastWrite = now(); // the answer's time to be taken starts now
    m_socket->write(response);
    if (close)
        startClosing();
}

void LiveConnection::refuse(const QByteArray &response)
{
    m_socket->skip(m_socket->bytesAvailable());
    respond(response, true);
}

void LiveConnection::readFrames()
{
    while (m_state == State::WebSocket && m_socket->bytesAvailable() > 0) {
        const QByteArray bytes = m_socket->peek(m_socket->bytesAvailable());
        const ws::ClientFrame f = ws::readClientFrame(bytes, m_limits.maxMessage);
        if (f.outcome == ws::ClientFrame::Incomplete)
            return;
        if (f.outcome == ws::ClientFrame::Violation) {
            closeWebSocket(f.code, {});
            return;
        }
        m_socket->skip(f.size);
        if (!takeFrame(f.opcode, f.fin, f.payload))
            return;
    }
}

bool LiveConnection::takeFrame(quint8 opcode, bool fin, const QByteArray &payload)
{
    // The page sends a pong now and then: more than a few frames a second
    // come from something else.
    if (since(m_frameWindow) >= 1000) {
        m_frameWindow = now();
        m_framesInWindow = 0;
    }
    if (++m_framesInWindow > m_limits.maxFramesPerSecond) {
        closeWebSocket(ws::PolicyViolation, {});
        return false;
    }
    switch (opcode) {
    case ws::Text:
    case ws::Binary:
        if (m_inMessage) {
            closeWebSocket(ws::ProtocolError, {});
            return false;
        }
        m_inMessage = !fin;
        m_messageBytes = payload.size();
        return true;
    case ws::Continuation:
        m_messageBytes += payload.size();
        if (!m_inMessage || m_messageBytes > m_limits.maxMessage) {
            closeWebSocket(m_inMessage ? ws::TooBig : ws::ProtocolError, {});
            return false;
        }
        m_inMessage = !fin;
        return true;
    case ws::Ping:
        // Answered only while nothing waits to be written: a client that
        // pings and never reads gets no pile of pongs.
        if (m_socket->bytesToWrite() == 0)
            m_socket->write(ws::frame(ws::Pong, payload));
        return true;
    case ws::Pong:
        m_lastPong = now();
        return true;
    case ws::Close:
    default: {
        // The client's code is echoed, unless it is one never to be sent.
        quint16 code = payload.size() >= 2 ? quint16((quint8(payload[0]) << 8) | quint8(payload[1])) : 0;
        if (code < 1000 || code >= 5000 || code == 1005 || code == 1006 || code == 1015)
            code = ws::Normal;
        m_socket->write(ws::closeFrame(code));
        startClosing();
        return false;
    }
    }
}

void LiveConnection::closeWebSocket(quint16 code, const QString &reason)
{
    if (m_state != State::WebSocket)
        return;
    m_socket->write(ws::closeFrame(code, reason));
    startClosing();
}

void LiveConnection::send(const QByteArray &frame)
{
    if (m_state != State::WebSocket)
        return;
    // Too slow: cut at once, not closed politely behind what it doesn't
    // read; its page asks again by itself.
    if (m_socket->bytesToWrite() > m_limits.maxBacklog) {
        cut();
        return;
    }
    m_socket->write(frame);
}

void LiveConnection::startClosing()
{
    m_state = State::Closing;
    m_waitingSince = now();
    // What came with the request is read away, so the close has a chance to
    // arrive as one and not as a reset; Qt reads nothing more and closes once
    // the last answer is written.
    m_socket->skip(m_socket->bytesAvailable());
    m_socket->disconnectFromHost();
}

void LiveConnection::sweep()
{
    // A peer gone before the connection was taken sends no signal.
    if (m_socket->state() == QAbstractSocket::UnconnectedState) {
        drop();
        return;
    }
    switch (m_state) {
    case State::Http:
        if (m_socket->bytesToWrite() > 0 ? since(m_lastWrite) > m_limits.stalledWriteMs
                                         : since(m_waitingSince) > m_limits.requestMs)
            cut();
        break;
    case State::WebSocket:
        if (m_socket->bytesToWrite() > m_limits.maxBacklog || since(m_lastPong) > m_limits.pongMs) {
            cut();
        } else if (since(m_lastPing) >= m_limits.pingEveryMs) {
            m_lastPing = now();
            m_socket->write(ws::frame(ws::Ping, {}));
        }
        break;
    case State::Closing:
        if (since(m_waitingSince) > m_limits.closingMs)
            cut();
        break;
    }
}

void LiveConnection::cut()
{
    m_socket->abort();
    drop();
}

void LiveConnection::drop()
{
    m_state = State::Closing;
    if (m_gone)
        return;
    m_gone = true;
    Q_EMIT gone();
}

} // namespace vex
