// The race core and its backup alone, started as the program starts: a
// backup with unsaved results is taken back as on "Ja".

#include "crashdriver.h"

#include "backup/backupstore.h"
#include "backup/racebackup.h"
#include "race/race.h"
#include "timing/timers.h"

#include <QCoreApplication>

using namespace vex;

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    crashdriver::Ticks ticks;
    crashdriver::ReportingReplacer replacer;
    QtTimers timers;
    Race race(ticks, timers);
    BackupStore store(app.arguments().value(1), replacer);
    RaceBackup backup(race, store);
    const bool asked = backup.needsRecovery();
    if (asked)
        race.load(backup.takeBack());
    return crashdriver::run(asked, race, ticks, [&race](const QString &path) { race.load(path); });
}
