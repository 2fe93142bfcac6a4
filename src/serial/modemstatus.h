#pragma once

#include <QtGlobal>

namespace vex {

// The modem-status word as the handlers read it: one bit per input line.
enum ModemStatusBit : quint32 {
    MsCtsOn = 0x10,  // start contact (pins 7+8)
    MsDsrOn = 0x20,  // pins 4+6, watched but without effect
    MsRingOn = 0x40,
    MsRlsdOn = 0x80, // DCD, finish contact (pins 1+4)
};

// The event word the waiting thread hands over: one bit per kind of event.
enum CommEventBit : quint32 {
    EvRxChar = 0x0001,
    EvRxFlag = 0x0002,
    EvTxEmpty = 0x0004,
    EvCts = 0x0008,
    EvDsr = 0x0010,
    EvRlsd = 0x0020,
    EvBreak = 0x0040,
    EvError = 0x0080,
    EvRing = 0x0100,
};

// The three input lines the light barriers use.
constexpr quint32 kWatchedEvents = EvCts | EvDsr | EvRlsd;

} // namespace vex
