// The whole program with a light-barrier adapter that isn't there: COM3 is a
// line device without hardware, moved by commands written to a named pipe,
// so the barriers and their test window can be used as on a course.
//
//   mkfifo /tmp/ls && vexilor-fakeadapter /tmp/ls &
//   echo "start 1" > /tmp/ls    # the start contact closes; "start 0" opens it
//   echo "ziel puls" > /tmp/ls  # the finish contact closes and opens at once
//
// Settings, results and the contact log go where the program puts them
// (set XDG_CONFIG_HOME and XDG_DATA_HOME to keep them apart).

#include "fakelinedevice.h"

#include "app/appidentity.h"
#include "app/program.h"
#include "serial/modemstatus.h"
#include "settings/regfilebackend.h"
#include "station/racestation.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QStandardPaths>

#include <cstdio>
#include <thread>

using namespace Qt::StringLiterals;

namespace {

void followCommands(FakeLineDevice &device, const QByteArray &pipe)
{
    quint32 lines = 0;
    // Each writer's lines until it closes the pipe, then the next writer's.
    for (;;) {
        std::FILE *file = std::fopen(pipe.constData(), "r");
        if (!file)
            return;
        char text[128];
        while (std::fgets(text, sizeof text, file)) {
            const QStringList words = QString::fromUtf8(text).simplified().split(u' ');
            if (words.size() != 2)
                continue;
            const quint32 bit = words[0] == u"start" ? vex::MsCtsOn : words[0] == u"ziel" ? vex::MsRlsdOn : 0u;
            if (words[1] == u"puls")
                device.pulse(bit);
            else
                device.setStatus(lines = words[1] == u"1" ? lines | bit : lines & ~bit);
        }
        std::fclose(file);
    }
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: vexilor-fakeadapter <named pipe>\n");
        return 2;
    }
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    vex::MainWindowServices services;
    services.identity = vex::AppIdentity::fromExecutable(QCoreApplication::applicationDirPath() + u"/Vexilor"_s);
    QApplication::setApplicationName(services.identity.title);
    QApplication::setOrganizationName(u"Orrendal"_s);
    const std::unique_ptr<vex::SettingsBackend> settings = vex::makeSettingsFileBackend(services.identity.title);
    services.settingsBackend = settings.get();

    FakeLineDevice device;
    device.setPresentPorts({3});
    std::thread(followCommands, std::ref(device), QByteArray(argv[1])).detach();

    vex::StationServices station;
    station.appTitle = services.identity.title;
    station.barriers.lineDevice = &device;
    station.barriers.logPath = QFileInfo(vex::defaultSettingsFilePath(services.identity.title))
                                   .dir()
                                   .filePath(u"Lichtschranke.log"_s);
    station.backupFolder = QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
    vex::RaceStation raceStation(station);
    vex::Program program(raceStation, services);
    program.start();
    const int result = app.exec();
    std::fflush(stdout);
    std::_Exit(result); // the pipe's reader is left blocked
}
