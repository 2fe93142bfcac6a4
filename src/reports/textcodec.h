#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

namespace vex {

// The protocol and the web page are single-byte Windows-1252 files, the code
// page the German letters of the competitions have always been stored in.

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

// Start lists prepared in other programs often come as UTF-8 without a
// byte-order mark, and a Windows-1252 file can happen to be valid UTF-8
// ("Groß–Umstadt" holds DF 96, a letter of an African script in UTF-8). A
// piece of a file (a cell, a heading) is therefore read as UTF-8 only when
// every multi-byte sequence in it stands for a character a start list holds:
// Latin letters with their accents, combining accents, dashes, quotes and
// similar punctuation. It is also read as Windows-1252 when the bytes the
// protocol writer makes of its UTF-8 reading would themselves read as UTF-8
// again, so that loading and saving a file twice gives the same bytes.
QString decodeStartListPiece(QByteArrayView bytes);
// True when decodeStartListPiece reads the bytes as UTF-8.
bool readsAsUtf8(QByteArrayView bytes);

// A piece of a file that starts with the UTF-8 byte-order mark: UTF-8. Should
// its saved Windows-1252 bytes read differently on the next load, the piece
// reads as they will, so that what the operator sees is what stays.
QString decodeMarkedUtf8Piece(QByteArrayView bytes);

// True for a code point beyond ASCII that a start list written in UTF-8 may
// hold (see decodeStartListPiece).
bool isStartListCharacter(char32_t codePoint);

namespace detail {
// The table-driven converter behind the functions above; public so that it can
// be checked against the system's converter.
QByteArray encodeWindows1252ByTable(QStringView text);
QString decodeWindows1252ByTable(QByteArrayView bytes);
} // namespace detail

} // namespace vex
