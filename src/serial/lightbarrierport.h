#pragma once

namespace vex {

// The serial port of the light barriers as the settings command drives it:
// closed before new settings take effect and opened again on the chosen port.
// Failures are not reported: the light barriers then stay without effect until
// the next successful opening.
class LightBarrierPort
{
public:
    virtual ~LightBarrierPort() = default;
    virtual void close() = 0;
    // "COM"n; true when the port is open.
    virtual bool open(int portNumber) = 0;
};

} // namespace vex
