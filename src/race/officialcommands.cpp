// What the officials of the day add to the results besides the timed runs:
// the event's date.
#include "race/raceresults.h"

namespace vex {

void RaceResults::setEventDate(QDate date)
{
    if (date == m_competition->eventDate())
        return;
    m_competition->setEventDate(date);
    Q_EMIT eventChanged();
}

} // namespace vex
