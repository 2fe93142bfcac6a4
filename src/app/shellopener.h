#pragma once

#include "app/desktopshell.h"
#include "office/documentopener.h"

namespace vex {

// The office servers show what they saved through the desktop shell.
class ShellDocumentOpener final : public DocumentOpener
{
public:
    explicit ShellDocumentOpener(DesktopShell &shell)
        : m_shell(shell)
    {
    }
    void openDocument(const QString &path) override { m_shell.openDocument(path); }

private:
    DesktopShell &m_shell;
};

} // namespace vex
