#pragma once

#include <QString>

#include <memory>

namespace vex {

class HelpWindow;

// Shows the program's manual at a page ("lichtschranken.html#test").
class HelpViewer
{
public:
    virtual ~HelpViewer() = default;
    virtual void showPage(const QString &page) = 0;
};

// The manual the program carries, in a window of its own made at first use.
class ManualHelpViewer final : public HelpViewer
{
public:
    ManualHelpViewer();
    ~ManualHelpViewer() override;
    void showPage(const QString &page) override;

private:
    std::unique_ptr<HelpWindow> m_window;
};

} // namespace vex
