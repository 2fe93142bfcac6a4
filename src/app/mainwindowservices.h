#pragma once

#include "app/appidentity.h"
#include "serial/racebarriers.h"

#include <memory>

namespace vex {

class AutomationServers;
class DesktopShell;
class FileChooser;
class HelpViewer;
class RunSoundPlayer;
class SettingsBackend;
class TickSource;
class Timers;

// What the outside world gives the main window; tests hand in fakes.
struct MainWindowServices
{
    const TickSource *ticks = nullptr;
    Timers *timers = nullptr; // the race's timers; null: Qt's
    SettingsBackend *settingsBackend = nullptr; // null: defaults, nothing saved
    HelpViewer *help = nullptr;
    RunSoundPlayer *sound = nullptr;
    DesktopShell *shell = nullptr; // opens and prints pages; null: the desktop
    FileChooser *files = nullptr; // the file dialogs; null: Qt's own
    AutomationServers *office = nullptr; // the spreadsheet and word processor; null: none on this machine
    BarrierServices barriers;
    AppIdentity identity;
};

// The real services for those the caller left out; they live as long as this.
class OwnServices
{
public:
    OwnServices();
    ~OwnServices();
    // Fills every null service of services with a real one owned here.
    void fillIn(MainWindowServices &services);

private:
    std::unique_ptr<TickSource> m_ticks;
    std::unique_ptr<Timers> m_timers;
    std::unique_ptr<HelpViewer> m_help;
    std::unique_ptr<RunSoundPlayer> m_sound;
    std::unique_ptr<DesktopShell> m_shell;
    std::unique_ptr<FileChooser> m_files;
    std::unique_ptr<AutomationServers> m_office;
};

} // namespace vex
