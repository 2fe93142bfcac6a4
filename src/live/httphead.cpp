#include "live/httphead.h"

namespace vex {

namespace {

bool isTokenChar(char c)
{
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))
        return true;
    return QByteArrayView("!#$%&'*+-.^_`|~").contains(c);
}

bool isToken(QByteArrayView s)
{
    return !s.isEmpty() && std::all_of(s.begin(), s.end(), isTokenChar);
}

// The next line from `from`, without its CRLF (or bare LF); -1 if none ends
// within the bytes.
qsizetype lineEnd(QByteArrayView bytes, qsizetype from)
{
    return bytes.indexOf('\n', from);
}

QByteArrayView withoutCr(QByteArrayView line)
{
    return line.endsWith('\r') ? line.chopped(1) : line;
}

HeadParse refused(int status)
{
    HeadParse p;
    p.outcome = HeadParse::Refused;
    p.status = status;
    return p;
}

const char *reason(int status)
{
    switch (status) {
    case 101: return "Switching Protocols";
    case 200: return "OK";
    case 400: return "Bad Request";
    case 404: return "Not Found";
    case 405: return "Method Not Allowed";
    case 413: return "Content Too Large";
    case 414: return "URI Too Long";
    case 426: return "Upgrade Required";
    case 431: return "Request Header Fields Too Large";
    case 503: return "Service Unavailable";
    case 505: return "HTTP Version Not Supported";
    default: return "Error";
    }
}

} // namespace

QByteArray HttpHead::value(QByteArrayView name) const
{
    QByteArray out;
    for (const auto &[n, v] : fields) {
        if (n != name)
            continue;
        if (!out.isEmpty())
            out += ", ";
        out += v;
    }
    return out;
}

bool HttpHead::has(QByteArrayView name) const
{
    return std::any_of(fields.begin(), fields.end(), [&](const auto &f) { return f.first == name; });
}

bool HttpHead::hasToken(QByteArrayView name, QByteArrayView token) const
{
    const QList<QByteArray> parts = value(name).split(',');
    return std::any_of(parts.begin(), parts.end(),
                       [&](const QByteArray &p) { return p.trimmed().compare(token, Qt::CaseInsensitive) == 0; });
}

bool HttpHead::keepAlive() const
{
    return !http10 && !hasToken("connection", "close");
}

HeadParse parseHttpHead(QByteArrayView bytes)
{
    // A few empty lines before a request are to be ignored (some clients
    // send one after a request); more are no request.
    qsizetype start = 0;
    while (start < bytes.size() && (bytes[start] == '\r' || bytes[start] == '\n'))
        ++start;
    if (start > 16)
        return refused(400);

    const qsizetype lineStop = lineEnd(bytes, start);
    if (lineStop < 0)
        return bytes.size() - start > kMaxRequestLine ? refused(414) : HeadParse{};
    const QByteArrayView line = withoutCr(bytes.sliced(start, lineStop - start));
    if (line.size() > kMaxRequestLine)
        return refused(414);

    // The fields: up to the first empty line, within their own limit.
    qsizetype at = lineStop + 1;
    qsizetype headEnd = -1;
    QList<QByteArrayView> fieldLines;
    while (true) {
        const qsizetype e = lineEnd(bytes, at);
        if (e < 0) {
            return bytes.size() - (lineStop + 1) > kMaxHeaderBytes ? refused(431) : HeadParse{};
        }
        const QByteArrayView l = withoutCr(bytes.sliced(at, e - at));
        if (e + 1 - (lineStop + 1) > kMaxHeaderBytes + 2)
            return refused(431);
        at = e + 1;
        if (l.isEmpty()) {
            headEnd = at;
            break;
        }
        fieldLines.append(l);
    }

    HeadParse p;
    p.size = headEnd;
    const QList<QByteArrayView> parts = [&] {
        QList<QByteArrayView> out;
        qsizetype from = 0;
        for (qsizetype i = 0; i <= line.size(); ++i) {
            if (i == line.size() || line[i] == ' ') {
                out.append(line.sliced(from, i - from));
                from = i + 1;
            }
        }
        return out;
    }();
    if (parts.size() != 3 || !isToken(parts[0]))
        return refused(400);
    const QByteArrayView version = parts[2];
    if (!version.startsWith("HTTP/") || version.size() != 8 || version[6] != '.')
        return refused(400);
    if (version[5] != '1')
        return refused(505);
    p.head.http10 = version == "HTTP/1.0";
    p.head.method = parts[0].toByteArray();
    QByteArrayView target = parts[1];
    if (!target.startsWith('/'))
        return refused(400);
    const qsizetype query = target.indexOf('?');
    p.head.path = (query < 0 ? target : target.first(query)).toByteArray();

    for (QByteArrayView l : std::as_const(fieldLines)) {
        const qsizetype colon = l.indexOf(':');
        // A folded line (starting with a blank) or a name with blanks is
        // refused, as a proxy might read it otherwise.
        if (colon <= 0 || !isToken(l.first(colon)))
            return refused(400);
        p.head.fields.append({l.first(colon).toByteArray().toLower(), l.sliced(colon + 1).trimmed().toByteArray()});
    }
    p.outcome = HeadParse::Complete;
    return p;
}

QByteArray httpResponse(int status, QByteArrayView type, const QByteArray &body, bool headOnly, bool close,
                        const QList<QByteArray> &extra)
{
    QByteArray r = "HTTP/1.1 " + QByteArray::number(status) + ' ' + reason(status) + "\r\n";
    if (status != 101) {
        if (!type.isEmpty())
            r += "Content-Type: " + type.toByteArray() + "\r\n";
        r += "Content-Length: " + QByteArray::number(body.size()) + "\r\n";
        r += "Cache-Control: no-store\r\nX-Content-Type-Options: nosniff\r\n";
    }
    for (const QByteArray &line : extra)
        r += line + "\r\n";
    if (close)
        r += "Connection: close\r\n";
    r += "\r\n";
    if (!headOnly)
        r += body;
    return r;
}

} // namespace vex
