#pragma once

#include <QtGlobal>

namespace vex {

// The millisecond counter that times a run. Only differences of two readings
// mean anything; they are taken in 32-bit wrap-around arithmetic, so a run
// across a wrap of the counter still has its right length.
class TickSource
{
public:
    virtual ~TickSource() = default;
    virtual quint32 now() const = 0;
};

// A monotonic counter from std::chrono::steady_clock: sub-millisecond
// resolution, never set back by a change of the wall clock.
class SteadyTickSource final : public TickSource
{
public:
    quint32 now() const override;
};

// Milliseconds from start to stop, in wrap-around arithmetic, as a signed
// 32-bit run time.
inline qint32 elapsedMs(quint32 start, quint32 stop)
{
    return qint32(quint32(stop - start));
}

// The same for two readings of the steady clock in microseconds: the true
// interval truncated to the millisecond (towards minus infinity), so a run
// isn't moved across a hundredth by where the two millisecond ticks fell.
qint32 elapsedMsFromMicros(qint64 startMicros, qint64 stopMicros);

} // namespace vex
