#pragma once

#include "app/appidentity.h"

#include <memory>

namespace vex {

class DesktopShell;
class FileChooser;
class HelpViewer;
class RunSoundPlayer;
class SettingsBackend;

// What the outside world gives the main window; tests hand in fakes. The
// race and its clock come with the station.
struct MainWindowServices
{
    SettingsBackend *settingsBackend = nullptr; // null: defaults, nothing saved
    HelpViewer *help = nullptr;
    RunSoundPlayer *sound = nullptr;
    DesktopShell *shell = nullptr; // opens and prints pages; null: the desktop
    FileChooser *files = nullptr; // the file dialogs; null: Qt's own
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
    std::unique_ptr<HelpViewer> m_help;
    std::unique_ptr<RunSoundPlayer> m_sound;
    std::unique_ptr<DesktopShell> m_shell;
    std::unique_ptr<FileChooser> m_files;
};

} // namespace vex
