#include "timing/tickclock.h"

#include <chrono>

namespace vex {

quint32 SteadyTickSource::now() const
{
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now().time_since_epoch());
    return quint32(quint64(ms.count()));
}

} // namespace vex
