#pragma once

#include "timing/tickclock.h"

// A tick counter the test sets by hand.
class FakeTicks final : public vex::TickSource
{
public:
    quint32 now() const override { return value; }
    quint32 value = 0;
};
