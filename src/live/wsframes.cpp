#include "live/wsframes.h"

#include <QCryptographicHash>
#include <QtEndian>

namespace vex::ws {

namespace {

ClientFrame violation(quint16 code)
{
    ClientFrame f;
    f.outcome = ClientFrame::Violation;
    f.code = code;
    return f;
}

} // namespace

QByteArray acceptKey(QByteArrayView clientKey)
{
    const QByteArray joined = clientKey.toByteArray() + QByteArrayView("258EAFA5-E914-47DA-95CA-C5AB0DC85B11");
    return QCryptographicHash::hash(joined, QCryptographicHash::Sha1)
        .toBase64();
}

bool isValidKey(QByteArrayView clientKey)
{
    const auto decoded = QByteArray::fromBase64Encoding(clientKey.toByteArray(), QByteArray::AbortOnBase64DecodingErrors);
    return decoded && decoded.decoded.size() == 16;
}

QByteArray frame(Opcode opcode, QByteArrayView payload)
{
    QByteArray f;
    f.reserve(payload.size() + 10);
    f.append(char(0x80 | opcode));
    const qsizetype n = payload.size();
    if (n < 126) {
        f.append(char(n));
    } else if (n <= 0xFFFF) {
        f.append(char(126));
        f.append(char(n >> 8));
        f.append(char(n & 0xFF));
    } else {
        f.append(char(127));
        for (int shift = 56; shift >= 0; shift -= 8)
            f.append(char((quint64(n) >> shift) & 0xFF));
    }
    f.append(payload);
    return f;
}

QByteArray closeFrame(quint16 code, const QString &reason)
{
    QByteArray payload(2, '\0');
    qToBigEndian(code, payload.data());
    // A control frame holds at most 125 bytes.
    payload += reason.toUtf8().left(123);
    return frame(Close, payload);
}

ClientFrame readClientFrame(QByteArrayView bytes, qsizetype maxPayload)
{
    if (bytes.size() < 2)
        return {};
    const auto b0 = quint8(bytes[0]);
    const auto b1 = quint8(bytes[1]);
    ClientFrame f;
    f.fin = b0 & 0x80;
    f.opcode = b0 & 0x0F;
    // No extension was agreed on, so no reserved bit may be set.
    if (b0 & 0x70)
        return violation(ProtocolError);
    const bool control = f.opcode & 0x8;
    if (f.opcode > Binary && !(f.opcode >= Close && f.opcode <= Pong))
        return violation(ProtocolError);
    if (!(b1 & 0x80))
        return violation(ProtocolError); // a client's frame must be masked
    quint64 length = b1 & 0x7F;
    qsizetype at = 2;
    if (length == 126) {
        if (bytes.size() < 4)
            return {};
        length = qFromBigEndian<quint16>(bytes.data() + 2);
        at = 4;
    } else if (length == 127) {
        if (bytes.size() < 10)
            return {};
        length = qFromBigEndian<quint64>(bytes.data() + 2);
        at = 10;
    }
    if (control && (!f.fin || length > 125))
        return violation(ProtocolError);
    if (length > quint64(maxPayload))
        return violation(TooBig);
    if (bytes.size() < at + 4 + qsizetype(length))
        return {};
    const char *mask = bytes.data() + at;
    at += 4;
    f.payload = bytes.sliced(at, qsizetype(length)).toByteArray();
    for (qsizetype i = 0; i < f.payload.size(); ++i)
        f.payload[i] = char(f.payload[i] ^ mask[i % 4]);
    f.size = at + qsizetype(length);
    f.outcome = ClientFrame::Whole;
    return f;
}

} // namespace vex::ws
