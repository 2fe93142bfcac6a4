#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace vex {

// The WebSocket protocol as far as the live page needs it: the server sends
// whole text frames and pings; from the page it expects nothing but pongs
// and a close, and reads whatever a client sends one small frame at a time.
namespace ws {

enum Opcode : quint8 { Continuation = 0x0, Text = 0x1, Binary = 0x2, Close = 0x8, Ping = 0x9, Pong = 0xA };

enum CloseCode : quint16 {
    Normal = 1000,
    GoingAway = 1001,
    ProtocolError = 1002,
    PolicyViolation = 1008,
    TooBig = 1009,
    TooManyViewers = 4029, // the application's own range: too many viewers, as 429 is for HTTP
};

// Sec-WebSocket-Accept for the client's key.
QByteArray acceptKey(QByteArrayView clientKey);
// Whether the key is what the protocol asks: 16 bytes in base64.
bool isValidKey(QByteArrayView clientKey);

// One unmasked, final frame from the server.
QByteArray frame(Opcode opcode, QByteArrayView payload);
QByteArray closeFrame(quint16 code, const QString &reason = {});

// One frame read from the start of what a client sent: not yet whole, a
// frame of `size` bytes with its payload unmasked, or a violation to be
// answered by closing with `code`. Client frames must be masked; a frame
// whose payload would be over maxPayload is refused from its header, before
// any of the payload is read.
struct ClientFrame
{
    enum Outcome { Incomplete, Whole, Violation };
    Outcome outcome = Incomplete;
    quint16 code = 0;
    quint8 opcode = 0;
    bool fin = false;
    qsizetype size = 0;
    QByteArray payload;
};

ClientFrame readClientFrame(QByteArrayView bytes, qsizetype maxPayload);

} // namespace ws

} // namespace vex
