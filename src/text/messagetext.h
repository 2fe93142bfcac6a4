#pragma once

#include <QString>

namespace vex {

// Texts from files (class names, paths, cells) end up in message boxes. A box
// that lays out megabytes of one line freezes the program, so such a text is
// cut: at most maxChars characters, the cut marked by " …". A pair of
// surrogates is never split.
inline constexpr qsizetype kMessageTextLimit = 600;
QString cutForMessage(const QString &text, qsizetype maxChars = kMessageTextLimit);

} // namespace vex
