#include "reports/textcodec.h"

#include <QStringDecoder>

#include <algorithm>
#include <optional>

namespace vex {

bool isStartListCharacter(char32_t cp)
{
    return (cp >= 0x00A0 && cp <= 0x024F)     // Latin-1 letters and signs, Latin Extended-A and -B
           || (cp >= 0x0300 && cp <= 0x036F)  // combining accents of decomposed letters
           || (cp >= 0x1E00 && cp <= 0x1EFF)  // Latin Extended Additional
           || (cp >= 0x2010 && cp <= 0x2027)  // dashes, quotes, bullet, ellipsis
           || (cp >= 0x2030 && cp <= 0x203A)  // per mille, primes, single guillemets
           || cp == 0x20AC || cp == 0x2122;   // euro sign, trade mark
}

namespace {

bool isAscii(QByteArrayView bytes)
{
    return std::all_of(bytes.begin(), bytes.end(), [](char b) { return static_cast<unsigned char>(b) < 0x80; });
}

// The UTF-8 reading of bytes that hold at least one multi-byte sequence, all
// of them start-list characters; nothing for anything else.
std::optional<QString> startListUtf8(QByteArrayView bytes)
{
    if (isAscii(bytes))
        return std::nullopt;
    // Stateless, so that a sequence cut off at the end counts as invalid; a
    // byte-order mark inside the file is a character like any other.
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    QString text = utf8.decode(bytes);
    if (utf8.hasError())
        return std::nullopt;
    for (qsizetype i = 0; i < text.size(); ++i) {
        char32_t cp = text[i].unicode();
        if (cp < 0x80)
            continue;
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            cp = QChar::surrogateToUcs4(text[i], text[i + 1]);
            ++i;
        }
        if (!isStartListCharacter(cp))
            return std::nullopt;
    }
    return text;
}

} // namespace

namespace {

std::optional<QString> startListUtf8Reading(QByteArrayView bytes)
{
    std::optional<QString> text = startListUtf8(bytes);
    if (text && startListUtf8(encodeWindows1252(*text)))
        text.reset();
    return text;
}

} // namespace

bool readsAsUtf8(QByteArrayView bytes)
{
    return startListUtf8Reading(bytes).has_value();
}

QString decodeStartListPiece(QByteArrayView bytes)
{
    if (isAscii(bytes))
        return QString::fromLatin1(bytes);
    if (std::optional<QString> text = startListUtf8Reading(bytes))
        return *std::move(text);
    return decodeWindows1252(bytes);
}

QString decodeMarkedUtf8Piece(QByteArrayView bytes)
{
    if (isAscii(bytes))
        return QString::fromLatin1(bytes);
    QString text = QStringDecoder(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom).decode(bytes);
    const QByteArray saved = encodeWindows1252(text);
    QString reread = decodeStartListPiece(saved);
    if (encodeWindows1252(reread) != saved)
        return reread;
    return text;
}

} // namespace vex
