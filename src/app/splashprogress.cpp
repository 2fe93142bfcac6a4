#include "app/splashprogress.h"

#include "app/formsplash.h"

#include <QProgressBar>

namespace vex {

void SplashProgress::showProgress()
{
    if (!m_splash)
        return;
    m_splash->show();
    m_splash->raise();
    m_splash->repaint();
}

void SplashProgress::setProgressCaption(const QString &caption)
{
    if (m_splash)
        m_splash->setWindowTitle(caption);
}

void SplashProgress::setProgressMaximum(int maximum)
{
    if (m_splash)
        m_splash->setMaximum(maximum);
}

void SplashProgress::setProgress(int value)
{
    if (!m_splash)
        return;
    m_splash->setValue(value);
    m_splash->progressBar()->repaint();
}

void SplashProgress::closeProgress()
{
    if (m_splash)
        m_splash->hide();
}

} // namespace vex
