#pragma once

// The code page itself lives with the other Core-only helpers; the readers of
// start lists add the choice between it and UTF-8.
#include "text/windows1252.h"

#include <QByteArrayView>
#include <QString>

namespace vex {

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

} // namespace vex
