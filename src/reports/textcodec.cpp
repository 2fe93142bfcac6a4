#include "reports/textcodec.h"

#include <QStringDecoder>

#include <algorithm>
#include <array>
#include <optional>

namespace vex {

namespace {

// 80..9F of Windows-1252. The five bytes the code page leaves undefined map to
// the C1 control with the same number, as the system converter does, so that
// such a byte survives a load and a save unchanged.
constexpr std::array<char16_t, 32> kHighControls{
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

constexpr char kReplacement = '?';

// The byte for a code point, or -1 when the code page has none.
int windows1252Byte(char32_t cp)
{
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF))
        return int(cp);
    for (std::size_t i = 0; i < kHighControls.size(); ++i) {
        if (kHighControls[i] == cp)
            return int(0x80 + i);
    }
    return -1;
}

} // namespace

bool fitsWindows1252(char32_t codePoint)
{
    return windows1252Byte(codePoint) >= 0;
}

QByteArray encodeWindows1252(QStringView text)
{
    // Most protocols hold nothing beyond Latin-1 without its C1 controls,
    // where both code pages agree; Qt's Latin-1 encoder is far faster there.
    const bool latin1 = std::all_of(text.begin(), text.end(), [](QChar c) {
        const char16_t u = c.unicode();
        return u < 0x80 || (u >= 0xA0 && u <= 0xFF);
    });
    if (latin1)
        return text.toLatin1();
    // The table beats opening the system's converter, which the reader would
    // otherwise do for every cell.
    return detail::encodeWindows1252ByTable(text);
}

void appendWindows1252(QByteArray &out, QStringView text)
{
    // Every UTF-16 unit gives at most one byte: room for all of them first,
    // then the bytes written straight into the array.
    const qsizetype start = out.size();
    out.resize(start + text.size());
    char *dst = out.data() + start;
    const QChar *src = text.data();
    const QChar *const end = src + text.size();
    while (src != end) {
        const char16_t u = src->unicode();
        if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) {
            *dst++ = char(u);
            ++src;
            continue;
        }
        char32_t cp = u;
        if (src->isHighSurrogate() && src + 1 != end && (src + 1)->isLowSurrogate()) {
            cp = QChar::surrogateToUcs4(*src, *(src + 1));
            ++src;
        }
        ++src;
        const int b = windows1252Byte(cp);
        *dst++ = b < 0 ? kReplacement : char(b);
    }
    out.truncate(dst - out.constData());
}

QString decodeWindows1252(QByteArrayView bytes)
{
    return detail::decodeWindows1252ByTable(bytes);
}

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

namespace detail {

QByteArray encodeWindows1252ByTable(QStringView text)
{
    QByteArray out;
    out.reserve(text.size());
    appendWindows1252(out, text);
    return out;
}

QString decodeWindows1252ByTable(QByteArrayView bytes)
{
    QString out(bytes.size(), Qt::Uninitialized);
    QChar *dst = out.data();
    for (const char b : bytes) {
        const auto u = static_cast<unsigned char>(b);
        *dst++ = (u >= 0x80 && u < 0xA0) ? QChar(kHighControls[u - 0x80]) : QChar(char16_t(u));
    }
    return out;
}

} // namespace detail

} // namespace vex
