#include "serial/contactstamp.h"

#include "timing/tickclock.h"

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
    return elapsedMsFromMicros(startMicros, stopMicros);
}

} // namespace vex
