#pragma once

// A client that sends exactly the bytes it is given: what a browser never
// would (an unmasked frame, a head of 9 KB, nothing at all), from any address
// of the loopback network, so one machine can stand in for many devices.

#include <QByteArray>
#include <QElapsedTimer>
#include <QHostAddress>
#include <QSignalSpy>
#include <QTcpSocket>
#include <QTest>

namespace livetest {

inline QByteArray clientFrame(quint8 opcode, const QByteArray &payload, bool fin = true, bool masked = true)
{
    QByteArray f;
    f.append(char((fin ? 0x80 : 0) | opcode));
    const char mask[4] = {0x12, 0x34, 0x56, 0x78};
    const char maskBit = masked ? char(0x80) : char(0);
    if (payload.size() < 126) {
        f.append(char(maskBit | char(payload.size())));
    } else {
        f.append(char(maskBit | 126));
        f.append(char(payload.size() >> 8));
        f.append(char(payload.size() & 0xFF));
    }
    if (masked)
        f.append(mask, 4);
    for (qsizetype i = 0; i < payload.size(); ++i)
        f.append(masked ? char(payload[i] ^ mask[i % 4]) : payload[i]);
    return f;
}

inline QByteArray upgradeRequest(const QByteArray &path, const QByteArray &version = "13")
{
    return "GET " + path + " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: Upgrade\r\nUpgrade: websocket\r\n"
           "Sec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\nSec-WebSocket-Version: " + version + "\r\n\r\n";
}

class RawClient
{
public:
    // from: the loopback address to come from; 127.0.0.1 if null.
    explicit RawClient(quint16 port, const QHostAddress &from = {})
    {
        if (!from.isNull())
            socket.bind(from);
        socket.connectToHost(QHostAddress::LocalHost, port);
        socket.waitForConnected(5000);
    }

    void send(const QByteArray &bytes)
    {
        socket.write(bytes);
        socket.flush();
    }

    // Takes what comes until done() holds; false if it doesn't in time.
    bool waitFor(const std::function<bool()> &done, int timeoutMs = 5000)
    {
        QElapsedTimer t;
        t.start();
        while (!done()) {
            if (socket.state() != QAbstractSocket::ConnectedState) {
                received += socket.readAll();
                return done();
            }
            if (t.elapsed() > timeoutMs)
                return false;
            // The server may run on this very thread: wait in its event loop.
            QTest::qWait(5);
            received += socket.readAll();
        }
        return true;
    }

    // The status of the next response and its head; its body (Content-Length)
    // is taken too. 0 when none comes.
    int readResponse(QByteArray *body = nullptr, bool headOnly = false)
    {
        if (!waitFor([this] { return received.contains("\r\n\r\n"); }))
            return 0;
        const qsizetype end = received.indexOf("\r\n\r\n") + 4;
        const QByteArray head = received.left(end);
        received.remove(0, end);
        lastHead = head;
        qsizetype length = 0;
        const qsizetype at = head.toLower().indexOf("content-length:");
        if (at >= 0 && !headOnly)
            length = head.mid(at + 15, head.indexOf("\r\n", at) - at - 15).trimmed().toLongLong();
        waitFor([&] { return received.size() >= length; });
        if (body)
            *body = received.left(length);
        received.remove(0, length);
        return head.mid(9, 3).toInt();
    }

    // The next frame from the server: opcode and payload; -1 when none.
    int readFrame(QByteArray *payload = nullptr)
    {
        qsizetype need = 2;
        qsizetype header = 2;
        quint64 length = 0;
        const bool ok = waitFor([&] {
            if (received.size() < 2)
                return false;
            length = quint8(received[1]) & 0x7F;
            header = length == 126 ? 4 : length == 127 ? 10 : 2;
            if (received.size() < header)
                return false;
            if (length == 126)
                length = (quint64(quint8(received[2])) << 8) | quint8(received[3]);
            else if (length == 127) {
                length = 0;
                for (int i = 2; i < 10; ++i)
                    length = (length << 8) | quint8(received[i]);
            }
            need = header + qsizetype(length);
            return received.size() >= need;
        });
        if (!ok)
            return -1;
        const int opcode = quint8(received[0]) & 0x0F;
        if (payload)
            *payload = received.mid(header, qsizetype(length));
        received.remove(0, need);
        return opcode;
    }

    // The code of the server's close frame, skipping frames before it; 0 when none.
    int readCloseCode()
    {
        QByteArray payload;
        for (int op = readFrame(&payload); op >= 0; op = readFrame(&payload)) {
            if (op == 0x8)
                return payload.size() >= 2 ? (quint8(payload[0]) << 8) | quint8(payload[1]) : 1005;
        }
        return 0;
    }

    bool waitClosed(int timeoutMs = 5000)
    {
        return waitFor([this] { return socket.state() == QAbstractSocket::UnconnectedState; }, timeoutMs);
    }

    QTcpSocket socket;
    QByteArray received;
    QByteArray lastHead;
};

} // namespace livetest
