#include "app/program.h"

#include "app/cfgdialog.h"
#include "app/dlgyesno.h"
#include "app/forminfo.h"
#include "app/formsplash.h"
#include "app/livebinding.h"
#include "backup/racebackup.h"
#include "display/formmonitor2.h"
#include "live/liveserver.h"

#include <QMessageBox>

using namespace Qt::StringLiterals;

namespace vex {

Program::Program(const MainWindowServices &services, const QString &backupFolder, FileReplacer *replacer)
    : m_store(backupFolder, replacer ? *replacer : m_durable)
    , m_mainWindow(std::make_unique<TFormMain>(services))
{
    TFormMain *window = m_mainWindow.get();
    auto *splash = new TFormSplash(window);
    auto *yesNo = new TFDlgYesNo(services.identity.title, window);
    auto *monitor = new TFormMonitor2(window);
    // The settings dialog offers the ports the main window found at its start.
    auto *cfg = new TCFGDialog(window, window->lightBarriers().comPortNumbers());
    auto *info = new TFormInfo(window);
    window->attachWindows(splash, yesNo, monitor, cfg, info);

    m_backup = std::make_unique<RaceBackup>(window->race(), m_store);
    // Said after the command that failed to back up has returned, so no
    // message box opens in the middle of an entry.
    const QString title = services.identity.title;
    QObject::connect(
        m_backup.get(), &RaceBackup::failed, window,
        [window, title](const QString &message) { QMessageBox::critical(window, title, message); },
        Qt::QueuedConnection);

    // The live results page on the network, switched in the status bar.
    m_live = std::make_unique<LiveServer>(window->race(), title);
    new LiveBinding(window->race(), *m_live, *window->statusBar());
}

Program::~Program() = default;

void Program::start()
{
    m_mainWindow->show();
    if (!m_backup->needsRecovery())
        return;
    if (m_mainWindow->AskYesNo(u"Letzte Sitzung wiederherstellen?"_s))
        m_mainWindow->openProtocolText(m_backup->takeBack());
    else
        m_backup->setAside();
}

} // namespace vex
