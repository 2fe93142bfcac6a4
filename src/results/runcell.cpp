#include "results/runcell.h"

#include "timing/timetext.h"

namespace vex {

RunCell readRunCell(const QString &text)
{
    // Blank in the wide sense: any white space, not only control characters.
    if (text.trimmed().isEmpty())
        return {RunCell::Nothing, 0};
    if (text == kDisqualifiedMark)
        return {RunCell::Disqualified, 0};
    if (text == kDisMark)
        return {RunCell::Dis, 0};
    if (isTimeText(text))
        return {RunCell::Time, TextToMs(text)};
    return {RunCell::Other, 0};
}

} // namespace vex
