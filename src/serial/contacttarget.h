#pragma once

#include "serial/contactstamp.h"

namespace vex {

// What the light barriers act on: the run commands with their enabled state
// and the barrier flags. The race core stands behind it in the program.
class ContactTarget
{
public:
    virtual ~ContactTarget() = default;
    virtual bool startEnabled() const = 0;       // mStart may act (Ready)
    virtual bool stopEnabled() const = 0;        // mStop may act (Running)
    virtual bool startBarrierFree() const = 0;   // start-barrier flag is 1
    virtual bool finishBarrierFree() const = 0;  // finish-barrier flag is 1
    virtual void start(const ContactStamp &stamp) = 0;
    virtual void stop(const ContactStamp &stamp) = 0;
    // The port opened or closed: the barrier pictures show or hide.
    virtual void setPortOpen(bool open) = 0;
};

} // namespace vex
