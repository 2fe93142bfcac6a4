#include "app/program.h"

#include "app/cfgdialog.h"
#include "app/dlgyesno.h"
#include "app/forminfo.h"
#include "app/livebinding.h"
#include "app/publishbinding.h"
#include "app/publishsettingspage.h"
#include "app/serialstatusbinding.h"
#include "app/progresswindow.h"
#include "app/seasonwindow.h"
#include "app/windowsettings.h"
#include "backup/racebackup.h"
#include "display/formmonitor2.h"
#include "live/liveqr.h"
#include "live/liveserver.h"
#include "publish/credentialstore.h"
#include "publish/resultspublisher.h"
#include "publish/seasonpages.h"
#include "station/racestation.h"

#include <QInputDialog>
#include <QMessageBox>

using namespace Qt::StringLiterals;

namespace vex {

Program::Program(RaceStation &station, const MainWindowServices &services)
    : m_station(station)
    , m_credentials(systemCredentialStore())
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
    cfg->publishPage->setPublisher(&station.publisher());
    cfg->publishPage->setCredentials(m_credentials.get());

    // Said after the command that failed to back up has returned, so no
    // message box opens in the middle of an entry.
    if (RaceBackup *backup = station.backup()) {
        QObject::connect(
            backup, &RaceBackup::failed, window,
            [window, title](const QString &message) { QMessageBox::critical(window, title, message); },
            Qt::QueuedConnection);
    }

    // The live results page on the network, switched in the status bar; its
    // QR code in a corner of the spectators' display while it is served.
    auto *live = new LiveBinding(station.race(), station.live(), *window->statusBar());
    QObject::connect(live, &LiveBinding::displayCodeChanged, monitor, [monitor](const QString &address) {
        monitor->setLiveCode(address.isEmpty() ? QImage() : qrImage(encodeQr(address.toUtf8()), 1));
    });
    // And on the club's web space, with its state beside it.
    new PublishBinding(station.publisher(), *window->statusBar());
    // The timer's and the display board's ports beside it.
    new SerialStatusBinding(station.barriers(), *window->statusBar());

    // The season's standings over several events: Ctrl+M, "Meisterschaft".
    installSeasonCommand(*window, services.files, services.shell,
                         [&station, window](const QByteArray &page) {
                             station.live().setSeasonPage(page);
                             // The web space gets the season with names as its settings say.
                             const auto *season = window->findChild<SeasonWindow *>();
                             station.publisher().setSeasonPages(page.isEmpty() || !season
                                                                    ? std::array<QByteArray, 3>{}
                                                                    : seasonPagesOf(season->report()));
                         });
}

Program::~Program() = default;

void Program::fetchUploadPassword()
{
    const Settings &s = m_station.race().settings();
    if (!s.Inet || m_station.publisher().hasPassword())
        return;
    TFormMain *window = m_mainWindow.get();
    ResultsPublisher *publisher = &m_station.publisher();
    const QString user = s.InetBenutzer;
    const QString address = s.InetAdresse;
    m_credentials->read(credentialKey(address, user), [window, publisher, user, address](std::optional<QString> kept) {
        if (kept && !kept->isEmpty()) {
            publisher->setPassword(*kept);
            return;
        }
        // No store, or nothing in it: asked once for this run.
        bool ok = false;
        const QString typed = QInputDialog::getText(
            window, u"Ergebnisse ins Internet"_s,
            u"Passwort für %1 auf %2:"_s.arg(user, address), QLineEdit::Password, {}, &ok);
        if (ok && !typed.isEmpty())
            publisher->setPassword(typed);
    });
}

void Program::start()
{
    m_mainWindow->show();
    fetchUploadPassword();
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
