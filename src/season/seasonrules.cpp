#include "season/seasonrules.h"

#include <QStringList>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace vex {

namespace {

// Rounded up without floating point: no 70 % ever lands a hair below 5.
int shareRoundedUp(int percent, int of)
{
    return int((qint64(std::clamp(percent, 0, 100)) * of + 99) / 100);
}

} // namespace

int countedResults(const SeasonRules &rules, int eventsHeld)
{
    if (eventsHeld <= 0)
        return 0;
    switch (rules.counting) {
    case SeasonRules::Counting::All:
        return eventsHeld;
    case SeasonRules::Counting::BestN:
        return std::clamp(rules.bestN, 1, eventsHeld);
    case SeasonRules::Counting::Percent:
        return std::clamp(shareRoundedUp(rules.countPercent, eventsHeld), 1, eventsHeld);
    }
    return eventsHeld;
}

int qualifyingPlaces(const SeasonRules &rules, int rankedDrivers)
{
    switch (rules.qualification) {
    case SeasonRules::Qualification::None:
        return 0;
    case SeasonRules::Qualification::Count:
        return std::clamp(rules.qualifyCount, 0, std::max(0, rankedDrivers));
    case SeasonRules::Qualification::Percent:
        return shareRoundedUp(rules.qualifyPercent, std::max(0, rankedDrivers));
    }
    return 0;
}

QString rulesSummary(const SeasonRules &rules, int eventsHeld)
{
    QStringList parts;
    const int counted = countedResults(rules, eventsHeld);
    switch (rules.counting) {
    case SeasonRules::Counting::All:
        parts.append(u"Wertung: alle Ergebnisse"_s);
        break;
    case SeasonRules::Counting::BestN:
        parts.append(u"Wertung: die besten %1 von %2 Ergebnissen"_s.arg(counted).arg(eventsHeld));
        break;
    case SeasonRules::Counting::Percent:
        parts.append(u"Wertung: %1 % der Veranstaltungen, die besten %2 von %3"_s.arg(rules.countPercent)
                         .arg(counted)
                         .arg(eventsHeld));
        break;
    }
    if (rules.minStarts > 0)
        parts.append(u"mindestens %1 Starts"_s.arg(rules.minStarts));
    switch (rules.qualification) {
    case SeasonRules::Qualification::None:
        break;
    case SeasonRules::Qualification::Count:
        parts.append(u"qualifiziert: die ersten %1 jeder Klasse"_s.arg(rules.qualifyCount));
        break;
    case SeasonRules::Qualification::Percent:
        parts.append(u"qualifiziert: %1 % jeder Klasse (aufgerundet)"_s.arg(rules.qualifyPercent));
        break;
    }
    parts.append(u"Mannschaft: die besten %1 Fahrer je Veranstaltung"_s.arg(rules.teamDrivers));
    return parts.join(u" · "_s);
}

} // namespace vex
