#pragma once

#include <QString>

namespace vex {

// The address a phone in the same network types to reach this machine: the
// first IPv4 address of an interface that is up, private ranges first;
// empty when the machine has none but loopback.
QString lanAddress();

} // namespace vex
