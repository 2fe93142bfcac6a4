#include "app/appidentity.h"
#include "app/program.h"
#include "app/shellopener.h"
#include "backup/folderlock.h"
#include "office/localservers.h"
#include "settings/regfilebackend.h"
#include "settings/registrybackend.h"
#include "station/racestation.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QLocale>
#include <QMessageBox>
#include <QStandardPaths>
#include <QTranslator>

using namespace Qt::StringLiterals;

namespace {

// Qt's own dialogs (files, colours, printing) speak German like the rest.
void loadGermanQtTranslations(QApplication &app)
{
    const QString dir = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    for (const QString &name : {u"qtbase_de"_s, u"qtmultimedia_de"_s}) {
        auto *translator = new QTranslator(&app);
        if (translator->load(name, dir))
            app.installTranslator(translator);
        else
            delete translator;
    }
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(u"Vexilor"_s);
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    loadGermanQtTranslations(app);

    vex::MainWindowServices services;
    services.identity = vex::AppIdentity::fromExecutable(QCoreApplication::applicationFilePath());
    // Settings follow the executable's name, so two copies under different
    // names keep separate settings.
    QApplication::setApplicationName(services.identity.title);

    // The backup goes to the user's data folder, one per program copy. A
    // second start of the same copy ends before it reads or opens anything.
    QApplication::setOrganizationName(u"Orrendal"_s);
    // The same folder as AppDataLocation on Linux; on Windows the local, not
    // the roaming, profile: a backup written at the track is this laptop's.
    const QString dataFolder = QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
    vex::FolderLock dataFolderLock(dataFolder);
    if (dataFolderLock.take() == vex::FolderLock::Outcome::HeldByAnotherCopy) {
        QMessageBox::warning(nullptr, services.identity.title,
                             vex::FolderLock::heldElsewhereText(services.identity.title, dataFolder));
        return 0;
    }

#ifdef Q_OS_WIN
    const std::unique_ptr<vex::SettingsBackend> settings = std::make_unique<vex::RegistryBackend>();
#else
    const std::unique_ptr<vex::SettingsBackend> settings = vex::makeSettingsFileBackend(services.identity.title);
#endif
    services.settingsBackend = settings.get();

    vex::StationServices station;
    station.wordTemplate = services.identity.wordTemplate;
    station.appTitle = services.identity.title;
#ifdef Q_OS_WIN
    // The settings are in the registry; the contacts are logged in the data folder.
    station.barriers.logPath = QDir(dataFolder).filePath(u"Lichtschranke.log"_s);
#else
    // The light barriers' contacts are logged beside the settings file.
    station.barriers.logPath = QFileInfo(vex::defaultSettingsFilePath(services.identity.title))
                                 .dir()
                                 .filePath(u"Lichtschranke.log"_s);
#endif

    // The spreadsheet and the word processor are this program's own servers;
    // what they show goes to the desktop's office programs.
    vex::SystemDesktopShell shell;
    services.shell = &shell;
    vex::ShellDocumentOpener opener(shell);
    vex::LocalAutomationServers servers(&opener);
    station.office = &servers;

    station.backupFolder = dataFolder;
    // The race and all that acts on it stand before the first window.
    vex::RaceStation raceStation(station);
    vex::Program program(raceStation, services);
    program.start();
    return app.exec();
}
