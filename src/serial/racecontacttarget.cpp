#include "serial/racecontacttarget.h"

#include "race/race.h"

namespace vex {

bool RaceContactTarget::startEnabled() const
{
    return m_race.runControls().startEnabled;
}

bool RaceContactTarget::stopEnabled() const
{
    return m_race.runControls().stopEnabled;
}

bool RaceContactTarget::startBarrierFree() const
{
    return m_race.runController().startBarrierFree();
}

bool RaceContactTarget::finishBarrierFree() const
{
    return m_race.runController().finishBarrierFree();
}

void RaceContactTarget::start(const ContactStamp &stamp)
{
    m_race.start(stamp.tick, stamp.micros);
}

void RaceContactTarget::stop(const ContactStamp &stamp)
{
    m_race.stop(stamp.tick, stamp.micros);
}

void RaceContactTarget::setPortOpen(bool open)
{
    m_race.setPortOpen(open);
}

} // namespace vex
