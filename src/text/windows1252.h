#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

namespace vex {

// The protocol and the web page are single-byte Windows-1252 files, the code
// page the German letters of the competitions have always been stored in, and
// hand-made settings files often are too.

// True when Windows-1252 has a byte for the code point.
bool fitsWindows1252(char32_t codePoint);

// Every character Windows-1252 can't hold becomes "?" (one per code point).
// The converter's own substitute would be byte 1A, which ends the file for
// every reader of the protocol.
QByteArray encodeWindows1252(QStringView text);

// Appends the Windows-1252 bytes of text, "?" for a character the code page
// can't hold; one pass, for writers that build a whole file.
void appendWindows1252(QByteArray &out, QStringView text);
QString decodeWindows1252(QByteArrayView bytes);

namespace detail {
// The table-driven converter behind the functions above; public so that it can
// be checked against the system's converter.
QByteArray encodeWindows1252ByTable(QStringView text);
QString decodeWindows1252ByTable(QByteArrayView bytes);
} // namespace detail

} // namespace vex
