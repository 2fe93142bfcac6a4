#include "app/helpviewer.h"

#include "app/help/helpwindow.h"

namespace vex {

ManualHelpViewer::ManualHelpViewer() = default;
ManualHelpViewer::~ManualHelpViewer() = default;

void ManualHelpViewer::showPage(const QString &page)
{
    if (!m_window)
        m_window = std::make_unique<HelpWindow>();
    m_window->showPage(page);
}

} // namespace vex
