#include "timing/timedigits.h"

#include "timing/timetext.h"

namespace vex {

namespace {

constexpr DigitShade shadeOf(bool lit)
{
    return lit ? DigitShade::Lit : DigitShade::Dim;
}

} // namespace

TimeDigits ComputeTimeDigits(int row, qint32 ms)
{
    if (ms == kNoBestTime)
        ms = 0;
    const qint32 c = ms / 10;
    const int hundredths = c % 100;
    const int seconds = (c / 100) % 60;
    const int minutes = (c / 6000) % 60;
    const int hours = (c / 360000) % 100;

    TimeDigits d;
    d.values = {minutes / 10, minutes % 10, seconds / 10, seconds % 10, hundredths / 10, hundredths % 10};

    d.shades[0] = shadeOf(hours + minutes / 10 > 0);
    d.shades[1] = shadeOf(hours + minutes > 0);
    d.colon = d.shades[1];
    d.shades[2] = shadeOf(hours + minutes + seconds / 10 > 0);

    if (row == 0) {
        d.shades[3] = d.shades[4] = d.shades[5] = DigitShade::Unchanged;
        d.comma = DigitShade::Unchanged;
    } else {
        const DigitShade tail = shadeOf(hours + minutes + seconds + hundredths > 0);
        d.shades[3] = d.shades[4] = d.shades[5] = tail;
        d.comma = tail;
    }
    return d;
}

} // namespace vex
