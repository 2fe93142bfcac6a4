#pragma once

#include "serial/contacttarget.h"

namespace vex {

class Race;

// The light barriers act on the race: its run commands with their enabled
// state, its barrier flags, and its port-open state for the pictures.
class RaceContactTarget final : public ContactTarget
{
public:
    explicit RaceContactTarget(Race &race) : m_race(race) {}

    bool startEnabled() const override;
    bool stopEnabled() const override;
    bool startBarrierFree() const override;
    bool finishBarrierFree() const override;
    void start(const ContactStamp &stamp) override;
    void stop(const ContactStamp &stamp) override;
    void setPortOpen(bool open) override;

private:
    Race &m_race;
};

} // namespace vex
