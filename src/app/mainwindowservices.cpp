#include "app/mainwindowservices.h"

#include "app/desktopshell.h"
#include "app/filechooser.h"
#include "app/helpviewer.h"
#include "app/runsound.h"

namespace vex {

namespace {

template <typename Real, typename Interface, typename Owned>
void useOrOwn(Interface *&service, std::unique_ptr<Owned> &owned)
{
    if (!service) {
        auto real = std::make_unique<Real>();
        service = real.get();
        owned = std::move(real);
    }
}

} // namespace

void OwnServices::fillIn(MainWindowServices &services)
{
    useOrOwn<ManualHelpViewer>(services.help, m_help);
    useOrOwn<SoundEffectPlayer>(services.sound, m_sound);
    useOrOwn<SystemDesktopShell>(services.shell, m_shell);
    useOrOwn<DialogFileChooser>(services.files, m_files);
}

OwnServices::OwnServices() = default;
OwnServices::~OwnServices() = default;

} // namespace vex
