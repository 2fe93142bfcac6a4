#pragma once

#include <QtGlobal>

namespace vex {

// When a contact was seen: the millisecond tick every rule of the run speaks
// of, and the same moment in microseconds of the steady clock for the
// recorded run time.
struct ContactStamp
{
    quint32 tick = 0;
    qint64 micros = 0;

    bool operator==(const ContactStamp &) const = default;
};

// The clock the waiting thread reads the moment its wait returns.
class ContactClock
{
public:
    virtual ~ContactClock() = default;
    virtual ContactStamp now() const = 0;
};

// Reads std::chrono::steady_clock once, so the tick is exactly the
// microseconds in whole milliseconds (modulo 2^32) and agrees with the
// program's millisecond tick source.
class SteadyContactClock final : public ContactClock
{
public:
    ContactStamp now() const override;
};

// The run time of a run timed by the barriers at both ends: the true interval
// truncated to the millisecond. Two millisecond ticks could be off by almost
// a millisecond either way and move the run across a hundredth.
qint32 barrierRunTimeMs(qint64 startMicros, qint64 stopMicros);

} // namespace vex
