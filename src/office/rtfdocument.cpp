#include "office/rtfdocument.h"

#include "reports/textcodec.h"

#include <QStringDecoder>

namespace vex {

RtfDocument::RtfDocument()
    : m_head(QByteArrayLiteral("{\\rtf1\\ansi\\ansicpg1252\\deff0\\deftab1134"
                               "{\\fonttbl{\\f0\\fswiss\\fcharset0 Arial;}}\r\n"
                               "\\pard\\plain\\f0\\fs20 "))
{
}

std::optional<RtfDocument> RtfDocument::fromRtf(const QByteArray &bytes)
{
    if (!bytes.startsWith("{\\rtf"))
        return std::nullopt;
    const qsizetype end = bytes.lastIndexOf('}');
    if (end < 0)
        return std::nullopt;
    RtfDocument document;
    // A blank after the template's last control word keeps our text from
    // running into it.
    document.m_head = bytes.left(end) + ' ';
    return document;
}

void RtfDocument::insert(QStringView text)
{
    m_body += rtfEscaped(text);
}

QByteArray RtfDocument::toRtf() const
{
    return m_head + m_body + QByteArrayLiteral("}\r\n");
}

QByteArray rtfEscaped(QStringView text)
{
    QByteArray out;
    out.reserve(text.size() + text.size() / 8);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        const char16_t u = c.unicode();
        if (u == u'\r' || u == u'\n') {
            if (u == u'\r' && i + 1 < text.size() && text.at(i + 1) == u'\n')
                ++i;
            out += "\\par\r\n";
        } else if (u == u'\t') {
            out += "\\tab ";
        } else if (u == u'\\' || u == u'{' || u == u'}') {
            out += '\\';
            out += char(u);
        } else if (u < 0x20) {
            // Other control characters have no place in the text.
        } else if (u < 0x80) {
            out += char(u);
        } else if (!c.isSurrogate() && fitsWindows1252(u)) {
            out += "\\'";
            out += QByteArray::number(uchar(encodeWindows1252(text.sliced(i, 1)).at(0)), 16).rightJustified(2, '0');
        } else {
            // Each UTF-16 unit on its own, as a signed 16-bit number, with a
            // question mark for readers that know no Unicode.
            out += "\\u";
            out += QByteArray::number(qint16(u));
            out += '?';
        }
    }
    return out;
}

} // namespace vex
