#include "serial/contactstamp.h"

#include <algorithm>
#include <chrono>
#include <limits>

namespace vex {

ContactStamp SteadyContactClock::now() const
{
    const qint64 us = std::chrono::duration_cast<std::chrono::microseconds>(
                          std::chrono::steady_clock::now().time_since_epoch())
                          .count();
    return ContactStamp{quint32(quint64(us / 1000)), us};
}

qint32 barrierRunTimeMs(qint64 startMicros, qint64 stopMicros)
{
    const qint64 us = stopMicros - startMicros;
    // Truncation towards minus infinity: a run can't be negative, but if the
    // clocks ever said so the error must not round towards zero.
    qint64 ms = us / 1000;
    if (us < 0 && us % 1000 != 0)
        --ms;
    return qint32(std::clamp<qint64>(ms, std::numeric_limits<qint32>::min(), std::numeric_limits<qint32>::max()));
}

} // namespace vex
