#include "settings/settings.h"

namespace vex {

void checkMonitorIndex(Settings &settings, int screenCount)
{
    if (settings.Monitor < 0 || settings.Monitor > screenCount - 1)
        settings.Monitor = 0;
}

} // namespace vex
