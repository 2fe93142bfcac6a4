#pragma once

#include "office/officeprogress.h"

namespace vex {

class TFormSplash;

// The progress of the spreadsheet exchange in the progress window. The
// exchange runs on the GUI thread, so every change is painted at once.
class SplashProgress final : public OfficeProgress
{
public:
    explicit SplashProgress(TFormSplash *splash = nullptr)
        : m_splash(splash)
    {
    }
    void setSplash(TFormSplash *splash) { m_splash = splash; }

    void showProgress() override;
    void setProgressCaption(const QString &caption) override;
    void setProgressMaximum(int maximum) override;
    void setProgress(int value) override;
    void closeProgress() override;

private:
    TFormSplash *m_splash;
};

} // namespace vex
