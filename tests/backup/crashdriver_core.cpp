// The race station alone, started as the program starts: a backup with
// unsaved results is taken back as on "Ja".

#include "crashdriver.h"

#include "backup/racebackup.h"
#include "files/racefiles.h"
#include "settings/settings.h"
#include "station/racestation.h"

#include <QCoreApplication>

using namespace vex;

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    crashdriver::Ticks ticks;
    crashdriver::ReportingReplacer replacer;
    StationServices services;
    services.ticks = &ticks;
    services.backupFolder = app.arguments().value(1);
    services.backupReplacer = &replacer;
    // No port is named: the light barriers stay closed.
    RaceStation station(services);
    station.start(Settings());
    RaceFiles &files = station.files();
    RaceBackup &backup = *station.backup();
    const bool asked = backup.needsRecovery();
    if (asked)
        files.load(backup.takeBack());
    return crashdriver::run(asked, files, ticks, [&files](const QString &path) { files.load(path); });
}
