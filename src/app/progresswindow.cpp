#include "app/progresswindow.h"

#include "app/windowplacement.h"

#include <QProgressBar>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace vex {

ProgressWindow::ProgressWindow(QWidget *parent)
    : QWidget(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                          | Qt::MSWindowsFixedSizeDialogHint)
{
    setObjectName(u"FormSplash"_s);
    setFixedSize(415, 44);

    m_bar = new QProgressBar(this);
    m_bar->setObjectName(u"Gauge1"_s);
    m_bar->setRange(0, 100);
    m_bar->setValue(0);
    m_bar->setAlignment(Qt::AlignCenter);
    QFont f = m_bar->font();
    f.setBold(true);
    f.setPixelSize(16);
    m_bar->setFont(f);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(m_bar);
}

void ProgressWindow::setRange(int minimum, int maximum)
{
    m_bar->setRange(minimum, maximum);
}

void ProgressWindow::setMaximum(int maximum)
{
    m_bar->setMaximum(maximum);
}

void ProgressWindow::setValue(int value)
{
    m_bar->setValue(value);
}

int ProgressWindow::value() const
{
    return m_bar->value();
}

int ProgressWindow::maximum() const
{
    return m_bar->maximum();
}

void ProgressWindow::showEvent(QShowEvent *event)
{
    // The screen, not the main window: the window may be shown while the main
    // window is minimised behind the spreadsheet program.
    centreWindowOn(*this, nullptr);
    QWidget::showEvent(event);
}

} // namespace vex
