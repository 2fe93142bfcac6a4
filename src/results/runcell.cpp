#include "results/runcell.h"

#include <algorithm>

namespace vex {

namespace {

// The milliseconds a time text stands for (as MsToText writes them: the full
// form "00:00,00" with leading zeros and separators left off, at least
// "0,00"), read in place; -1 for any other text. The ranking, the totals and
// the team ranking read every run cell of a class after each entry, so this
// neither copies nor pads the text.
qint32 timeTextMs(QStringView text)
{
    static constexpr QStringView full = u"00:00,00";
    const qsizetype n = text.size();
    if (n < 4 || n > full.size() || n == 6)
        return -1;
    const qsizetype offset = full.size() - n;
    int digits[8] = {0, 0, 0, 0, 0, 0, 0, 0};
    for (qsizetype i = 0; i < n; ++i) {
        const QChar expected = full[offset + i];
        const char16_t c = text[i].unicode();
        if (expected == u'0') {
            if (c < u'0' || c > u'9')
                return -1;
            digits[offset + i] = c - u'0';
        } else if (c != expected.unicode()) {
            return -1;
        }
    }
    const int minutes = digits[0] * 10 + digits[1];
    const int seconds = digits[3] * 10 + digits[4];
    if (minutes >= 60 || seconds >= 60)
        return -1;
    return minutes * 60000 + seconds * 1000 + (digits[6] * 10 + digits[7]) * 10;
}

} // namespace

RunCell readRunCell(const QString &text)
{
    // Blank in the wide sense: any white space, not only control characters.
    if (std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.isSpace(); }))
        return {RunCell::Nothing, 0};
    if (text == kDisqualifiedMark)
        return {RunCell::Disqualified, 0};
    if (text == kDisMark)
        return {RunCell::Dis, 0};
    const qint32 ms = timeTextMs(text);
    if (ms >= 0)
        return {RunCell::Time, ms};
    return {RunCell::Other, 0};
}

} // namespace vex
