#include "settings/settings.h"

#include "results/regulation.h"
#include "results/teamranking.h"

#include <algorithm>

namespace vex {

void keepStartCellOnSheet(Settings &settings)
{
    settings.ExcelX = std::clamp(settings.ExcelX, 0, kLastSheetColumn);
    settings.ExcelY = std::clamp(settings.ExcelY, 1, kLastSheetRow);
}

void checkMonitorIndex(Settings &settings, int screenCount)
{
    if (settings.Monitor < 0 || settings.Monitor > screenCount - 1)
        settings.Monitor = 0;
}

Regulation regulationOf(const Settings &settings)
{
    Regulation r;
    r.scoringRuns = settings.WertLaeufe;
    r.countingRuns = settings.WertZaehlt;
    r.tieBreak = settings.WertGleich == 1 ? Regulation::BetterSingleRun : Regulation::SharedPlace;
    r.penaltyCap = settings.WertStrafMax;
    return r.normalised();
}

void setRegulationFields(Settings &settings, const Regulation &regulation)
{
    settings.WertLaeufe = regulation.scoringRuns;
    settings.WertZaehlt = regulation.countingRuns;
    settings.WertGleich = regulation.tieBreak == Regulation::BetterSingleRun ? 1 : 0;
    settings.WertStrafMax = regulation.penaltyCap;
}

TeamRules teamRulesOf(const Settings &settings)
{
    TeamRules rules;
    if (const auto points = PlacePoints::parse(settings.TeamPunkte))
        rules.points = *points;
    rules.countingDrivers = std::max(1, settings.TeamZaehlt);
    return rules;
}

} // namespace vex
