#include "timing/tickclock.h"

#include <algorithm>
#include <chrono>
#include <limits>

namespace vex {

quint32 SteadyTickSource::now() const
{
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now().time_since_epoch());
    return quint32(quint64(ms.count()));
}

qint32 elapsedMsFromMicros(qint64 startMicros, qint64 stopMicros)
{
    const qint64 us = stopMicros - startMicros;
    qint64 ms = us / 1000;
    if (us < 0 && us % 1000 != 0)
        --ms;
    return qint32(std::clamp<qint64>(ms, std::numeric_limits<qint32>::min(), std::numeric_limits<qint32>::max()));
}

} // namespace vex
