#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

#include <utility>

namespace vex {

// The most a client may send before its request is whole: a request line of
// 8 KB and header lines of 8 KB together. Nothing past this is ever read into
// memory, so no client can make the server hold more than this per connection.
constexpr qsizetype kMaxRequestLine = 8 * 1024;
constexpr qsizetype kMaxHeaderBytes = 8 * 1024;
constexpr qsizetype kMaxHeadBytes = kMaxRequestLine + kMaxHeaderBytes + 64;

// One HTTP/1.x request head; the names of its fields in lower case.
struct HttpHead
{
    QByteArray method;
    QByteArray path; // the target without its query
    bool http10 = false;
    QList<std::pair<QByteArray, QByteArray>> fields;

    // The field's value (several of one name joined by ", "); empty if absent.
    QByteArray value(QByteArrayView name) const;
    bool has(QByteArrayView name) const;
    // Whether a comma-separated field such as Connection holds the token.
    bool hasToken(QByteArrayView name, QByteArrayView token) const;
    // HTTP/1.1 unless "Connection: close"; HTTP/1.0 never.
    bool keepAlive() const;
};

// What the bytes a client sent so far make: not yet a whole head, a head of
// `size` bytes, or one refused with an HTTP status (400, 414, 431, 505).
struct HeadParse
{
    enum Outcome { Incomplete, Complete, Refused };
    Outcome outcome = Incomplete;
    int status = 0;
    qsizetype size = 0;
    HttpHead head;
};

HeadParse parseHttpHead(QByteArrayView bytes);

// A whole response; headOnly leaves the body out but keeps its length, as
// HEAD asks. extra: "Name: value" lines without their line ends.
QByteArray httpResponse(int status, QByteArrayView type, const QByteArray &body, bool headOnly, bool close,
                        const QList<QByteArray> &extra = {});

} // namespace vex
