#pragma once

#include "fakelinedevice.h"

#include "serial/contactstamp.h"
#include "serial/contacttarget.h"

#include <QCoreApplication>
#include <QElapsedTimer>

// A clock that stays where the test put it.
class FixedClock final : public vex::ContactClock
{
public:
    vex::ContactStamp now() const override { return value; }
    vex::ContactStamp value{};
};

// Runs the GUI thread's events until the waiting thread has handed over
// everything the device reported and waits again.
inline bool serveUntilSettled(const FakeLineDevice &device, int timeoutMs = 5000)
{
    QElapsedTimer elapsed;
    elapsed.start();
    while (elapsed.elapsed() < timeoutMs) {
        QCoreApplication::processEvents();
        if (device.settled()) {
            QCoreApplication::processEvents();
            return true;
        }
        device.waitSettled(1);
    }
    return false;
}

// The run as far as the barriers see it: Ready -> Running -> Stopped, and the
// barrier flags as a start leaves them (both locked).
class FakeTarget final : public vex::ContactTarget
{
public:
    enum class State { Ready, Running, Stopped };

    bool startEnabled() const override { return state == State::Ready; }
    bool stopEnabled() const override { return state == State::Running; }
    bool startBarrierFree() const override { return startFree; }
    bool finishBarrierFree() const override { return finishFree; }
    void start(const vex::ContactStamp &stamp) override
    {
        state = State::Running;
        startStamp = stamp;
        startFree = false;
        finishFree = false;
        ++starts;
    }
    void stop(const vex::ContactStamp &stamp) override
    {
        state = State::Stopped;
        stopStamp = stamp;
        finishFree = false;
        ++stops;
    }
    void setPortOpen(bool open) override { portOpen = open; }

    State state = State::Ready;
    bool startFree = true;
    bool finishFree = true;
    bool portOpen = false;
    int starts = 0;
    int stops = 0;
    vex::ContactStamp startStamp;
    vex::ContactStamp stopStamp;
};
