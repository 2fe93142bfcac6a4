#pragma once

#include <QString>

namespace vex {

// Shows the program's help. The help file is whatever the desktop associates
// with it; the program only asks for its table of contents.
class HelpViewer
{
public:
    virtual ~HelpViewer() = default;
    // Returns false when the file doesn't exist or no program could open it.
    virtual bool showContents(const QString &helpFile) = 0;
};

// Hands the help file to the desktop's viewer for its type.
class DesktopHelpViewer final : public HelpViewer
{
public:
    bool showContents(const QString &helpFile) override;
};

} // namespace vex
