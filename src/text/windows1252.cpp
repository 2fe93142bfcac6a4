#include "text/windows1252.h"

#include <algorithm>
#include <array>

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
