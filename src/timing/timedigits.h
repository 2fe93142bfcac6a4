#pragma once

#include <QtGlobal>

#include <array>

namespace vex {

// What the time display does with the lit-segment colour of one digit or the
// font colour of one separator.
enum class DigitShade : quint8 {
    Unchanged, // leave the colour as it is
    Dim,       // leading position that carries no value yet
    Lit,       // significant position
};

// Positions in a row of six digits: minutes tens and units, seconds tens and
// units, hundredths tens and units.
inline constexpr int kDigitsPerRow = 6;

// The digit values and shades one call of the time display writes into a row.
// Values may be negative for a negative time; the digit control shows them as 0.
struct TimeDigits
{
    std::array<int, kDigitsPerRow> values{};
    std::array<DigitShade, kDigitsPerRow> shades{};
    DigitShade colon = DigitShade::Unchanged; // between minutes and seconds
    DigitShade comma = DigitShade::Unchanged; // between seconds and hundredths
};

// The digits of ms for the running row (row 0) or the best-time row (any other
// row). Leading digits stay dim until a higher position carries a value; the
// hours are not shown but light the leading digits. On the running row the
// seconds units, the hundredths and the comma keep their colour, so a running
// clock only touches them on a colour reset. kNoBestTime shows as zero.
TimeDigits ComputeTimeDigits(int row, qint32 ms);

} // namespace vex
