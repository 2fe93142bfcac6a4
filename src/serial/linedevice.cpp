#include "serial/linedevice.h"

#include "serial/portmap.h"

namespace vex {

QList<int> LineDevice::presentPorts()
{
    QList<int> ports;
    for (int n = 1; n <= kMaxComPort; ++n) {
        if (portPresent(n))
            ports.append(n);
    }
    return ports;
}

// Here rather than beside the Linux map: every system's map inherits it.
QList<int> PortLocator::presentPorts() const
{
    QList<int> ports;
    for (int n = 1; n <= kMaxComPort; ++n) {
        if (present(n))
            ports.append(n);
    }
    return ports;
}

} // namespace vex
