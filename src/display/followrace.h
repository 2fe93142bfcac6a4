#pragma once

#include "display/timedisplay.h"

namespace vex {

class Race;
struct Settings;
class TFormMonitor2;

// The display colours of a settings record.
DisplayColours DisplayColoursOf(const Settings &settings);

// Makes the spectators' display an observer of the race: title, colours and
// screen from its settings, the start number of the driver on the displays,
// the best time and its driver, the running time. The display shows the
// race's state at once and follows it for as long as both exist.
void FollowRace(TFormMonitor2 &display, const Race &race);

} // namespace vex
