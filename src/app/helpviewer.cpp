#include "app/helpviewer.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>

namespace vex {

bool DesktopHelpViewer::showContents(const QString &helpFile)
{
    // Without the check the desktop would report a missing file in a message
    // box of its own; a missing help file is simply no help.
    if (helpFile.isEmpty() || !QFileInfo(helpFile).isFile())
        return false;
    return QDesktopServices::openUrl(QUrl::fromLocalFile(helpFile));
}

} // namespace vex
