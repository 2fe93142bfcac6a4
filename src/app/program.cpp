#include "app/program.h"

#include "app/cfgdialog.h"
#include "app/dlgyesno.h"
#include "app/forminfo.h"
#include "app/livebinding.h"
#include "app/serialstatusbinding.h"
#include "app/progresswindow.h"
#include "app/seasonwindow.h"
#include "app/windowsettings.h"
#include "backup/racebackup.h"
#include "display/formmonitor2.h"
#include "live/liveserver.h"
#include "station/racestation.h"

#include <QMessageBox>

using namespace Qt::StringLiterals;

namespace vex {

Program::Program(RaceStation &station, const MainWindowServices &services)
    : m_station(station)
    , m_mainWindow(std::make_unique<TFormMain>(station, services))
{
    TFormMain *window = m_mainWindow.get();
    // The stored settings place the window; the race takes them and the
    // light barriers open their port before the other windows exist.
    const QString title = services.identity.title;
    station.start(loadWindowSettings(services.settingsBackend, title, *window));
    auto *progress = new ProgressWindow(window);
    auto *yesNo = new TFDlgYesNo(title, window);
    auto *monitor = new TFormMonitor2(window);
    // The settings dialog offers the ports found at the station's start.
    auto *cfg = new TCFGDialog(window, station.barriers().comPortNumbers());
    auto *info = new TFormInfo(window);
    window->attachWindows(progress, yesNo, monitor, cfg, info);

    // Said after the command that failed to back up has returned, so no
    // message box opens in the middle of an entry.
    if (RaceBackup *backup = station.backup()) {
        QObject::connect(
            backup, &RaceBackup::failed, window,
            [window, title](const QString &message) { QMessageBox::critical(window, title, message); },
            Qt::QueuedConnection);
    }

    // The live results page on the network, switched in the status bar.
    new LiveBinding(station.race(), station.live(), *window->statusBar());
    // The timer's and the display board's ports beside it.
    new SerialStatusBinding(station.barriers(), *window->statusBar());

    // The season's standings over several events: Ctrl+M, "Meisterschaft".
    installSeasonCommand(*window, services.files, services.shell,
                         [&station](const QByteArray &page) { station.live().setSeasonPage(page); });
}

Program::~Program() = default;

void Program::start()
{
    m_mainWindow->show();
    RaceBackup *backup = m_station.backup();
    if (backup)
        backup->setAsideIfUnreadable();
    if (!backup || !backup->needsRecovery())
        return;
    if (m_mainWindow->AskYesNo(u"Letzte Sitzung wiederherstellen?"_s))
        m_mainWindow->openProtocolText(backup->takeBack());
    else
        backup->setAside();
}

} // namespace vex
