#pragma once

#include <QString>

#include <functional>
#include <memory>

namespace vex {

// One timer of the race: the running clock, the finish-barrier lock after a
// start, the automatic entry after a stop. Started with an interval; a
// single-shot timer is inactive again once it has fired.
class Timer
{
public:
    virtual ~Timer() = default;
    virtual void start(int intervalMs) = 0;
    virtual void stop() = 0;
    virtual bool isActive() const = 0;
};

// Makes the timers. The program uses Qt's timers on the GUI thread; tests
// hand in a fake that fires them at a chosen moment, without waiting.
class Timers
{
public:
    virtual ~Timers() = default;
    // onTimeout runs on every expiry; a repeating timer goes on until stopped.
    virtual std::unique_ptr<Timer> make(const QString &name, bool repeating, std::function<void()> onTimeout) = 0;
};

// QTimer behind the interface; repeating timers are precise (the 10 ms clock).
class QtTimers final : public Timers
{
public:
    std::unique_ptr<Timer> make(const QString &name, bool repeating, std::function<void()> onTimeout) override;
};

} // namespace vex
