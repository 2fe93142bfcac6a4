#pragma once

#include <QDateTime>
#include <QString>

namespace vex {

// The display's marker for "no best time yet"; it is shown as zero.
inline constexpr qint32 kNoBestTime = 2147483647;

// Run time to the text of the result cells: "mm:ss,hh" with the leading zeros
// and separators before the first significant digit left off (at most four
// characters), e.g. "5,32" or "1:23,45". Milliseconds are cut off, not
// rounded, and hours are dropped.
QString MsToText(qint32 ms);

// Time text back to milliseconds. Short texts are read as if filled up with
// zeros in front to eight characters; longer texts give 0; a field that does
// not read as a number of digits only (a sign included) counts 0, so the
// result is never negative.
qint32 TextToMs(const QString &text);

// A short time text filled up to the full "00:00,00" form, for exports that
// want fixed-width times. Blank and over-long texts are returned unchanged.
QString PadTimeText(const QString &text);

// True when the text is a time as MsToText writes it, or filled up to the
// full form: "s,hh", "ss,hh", "m:ss,hh" or "mm:ss,hh" with digits only and
// minutes and seconds below 60.
bool isTimeText(const QString &text);

// "yyyy-mm-dd-hh-mm" of the given local time, for file names.
QString FileDateStamp(const QDateTime &now = QDateTime::currentDateTime());

} // namespace vex
