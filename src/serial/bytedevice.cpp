#include "serial/bytedevice.h"

#include <QRegularExpression>

using namespace Qt::StringLiterals;

namespace vex {

int comNumberOf(const QString &port)
{
    static const QRegularExpression com(u"^\\s*COM(\\d{1,3})\\s*$"_s, QRegularExpression::CaseInsensitiveOption);
    const auto match = com.match(port);
    if (!match.hasMatch())
        return 0;
    const int number = match.captured(1).toInt();
    return number >= 1 && number <= kMaxComPort ? number : 0;
}

qint64 wireMicros(qsizetype bytes, int baudRate)
{
    // A start bit, eight data bits and a stop bit per byte.
    return baudRate > 0 ? qint64(bytes) * 10 * 1'000'000 / baudRate : 0;
}

} // namespace vex
