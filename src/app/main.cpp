#include "app/appidentity.h"
#include "app/cfgdialog.h"
#include "app/dlgyesno.h"
#include "app/forminfo.h"
#include "app/formmain.h"
#include "app/formsplash.h"
#include "app/shellopener.h"
#include "office/localservers.h"
#include "settings/regfilebackend.h"
#include "display/formmonitor2.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
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
    const std::unique_ptr<vex::SettingsBackend> settings = vex::makeSettingsFileBackend(services.identity.title);
    services.settingsBackend = settings.get();

    // The spreadsheet and the word processor are this program's own servers;
    // what they show goes to the desktop's office programs.
    vex::SystemDesktopShell shell;
    services.shell = &shell;
    vex::ShellDocumentOpener opener(shell);
    vex::LocalAutomationServers servers(&opener);
    services.office = &servers;

    // The six windows, in their fixed order; each lives to the end.
    vex::TFormMain mainWindow(services);
    auto *splash = new vex::TFormSplash(&mainWindow);
    auto *yesNo = new vex::TFDlgYesNo(services.identity.title, &mainWindow);
    auto *monitor = new vex::TFormMonitor2(&mainWindow);
    auto *cfg = new vex::TCFGDialog(&mainWindow);
    auto *info = new vex::TFormInfo(&mainWindow);
    mainWindow.attachWindows(splash, yesNo, monitor, cfg, info);

    mainWindow.show();
    return app.exec();
}
