#include "text/messagetext.h"

#include <algorithm>

using namespace Qt::StringLiterals;

namespace vex {

QString cutForMessage(const QString &text, qsizetype maxChars)
{
    if (text.size() <= maxChars)
        return text;
    static const QString mark = u" …"_s;
    qsizetype keep = std::max<qsizetype>(0, maxChars - mark.size());
    if (keep > 0 && text[keep - 1].isHighSurrogate())
        --keep;
    return text.first(keep) + mark;
}

} // namespace vex
