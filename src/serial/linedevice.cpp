#include "serial/linedevice.h"

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

} // namespace vex
