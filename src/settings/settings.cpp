#include "settings/settings.h"

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

} // namespace vex
