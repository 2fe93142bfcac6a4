// The run commands of the main window: start, stop, abort, the barrier
// pictures and the time display.
#include "app/formmain.h"

#include "app/runsound.h"
#include "display/timedisplay.h"
#include "display/wincolor.h"
#include "widgets/barrierpicture.h"
#include "widgets/commandbutton.h"

#include <QAction>
#include <QLabel>
#include <QSpinBox>
#include <QToolButton>

using namespace Qt::StringLiterals;

namespace vex {

namespace {

// The penalty buttons look like the command buttons: coloured while they
// work, grey while they don't.
void setPenaltyButton(TLbSpeedButton *button, bool enabled, const QColor &face, const QColor &highlight,
                      const QColor &shadow)
{
    button->setEnabled(enabled);
    const QPalette pal = button->palette();
    button->setFaceColor(enabled ? face : pal.color(QPalette::Button));
    button->setHighlightColor(enabled ? highlight : pal.color(QPalette::Dark));
    button->setShadowColor(enabled ? shadow : QColor());
}

} // namespace

void TFormMain::mStartClick()
{
    m_run->start();
}

void TFormMain::mStopClick()
{
    m_run->stop();
}

void TFormMain::mAbbruchClick()
{
    m_run->abort();
}

// Copies the run state onto the buttons, the menu items and the pictures.
// One enabled flag governs a key and its button alike.
void TFormMain::applyRunControls()
{
    const RunControls &c = m_run->controls();

    // F5 moves between Start and Stop; it is taken from one before the other
    // gets it, so a key press never finds both.
    if (c.f5StopsRun) {
        mStart->setShortcut({});
        mStop->setShortcut(Qt::Key_F5);
    } else {
        mStop->setShortcut({});
        mStart->setShortcut(Qt::Key_F5);
    }

    mStart->setEnabled(c.startEnabled);
    SetCommandButton(bSTART, c.startEnabled);
    bSTART->setVisible(c.startShown);
    mStop->setEnabled(c.stopEnabled);
    SetCommandButton(bSTOP, c.stopEnabled);
    bSTOP->setVisible(c.stopShown);
    bAbbruch->setVisible(c.abortEnabled);
    mAbbruch->setEnabled(c.abortEnabled);
    SetCommandButton(bEintragen, c.enterEnabled);
    mEintragen->setEnabled(c.enterEnabled);
    SetCommandButton(bNext, c.nextEnabled);
    mNext->setEnabled(c.nextEnabled);
    setPenaltyButton(bFehl2, c.penaltyEnabled, QColor(200, 120, 0), QColor(255, 200, 120), QColor(140, 80, 0));
    setPenaltyButton(bFehl10, c.penaltyEnabled, QColor(180, 40, 40), QColor(255, 150, 150), QColor(120, 20, 20));
    seStrafe->setEnabled(c.penaltyEnabled);
    bCFG->setEnabled(c.settingsEnabled);
    mCFG->setEnabled(c.settingsEnabled);

    ImageLSstart->setImageIndex(c.startImage);
    ImageLSstart->setEnabled(c.startPictureEnabled);
    ImageLSstop->setImageIndex(c.finishImage);
    ImageLSstop->setVisible(c.finishPictureShown);
    ImageLSstart->setVisible(c.startPictureShown);
    if (c.startPictureShown)
        ImageLSstart->raise();
}

void TFormMain::PlayRunSound(const QString &path)
{
    vex::PlayRunSound(*m_services.sound, m_settings.Sound, path);
}

void TFormMain::ApplyDisplayColours()
{
    DisplayColours colours;
    colours.text = fromWinColor(m_settings.ColorText);
    colours.zeit = fromWinColor(m_settings.ColorZeit);
    colours.bzeit = fromWinColor(m_settings.ColorBZeit);
    colours.fon = fromWinColor(m_settings.ColorFon);
    m_timeDisplay->ApplyDisplayColours(colours, {lbl_Nr2, lbl_Name2});
}

void TFormMain::ShowTime(int row, qint32 ms)
{
    m_timeDisplay->ShowTime(row, ms);
}

} // namespace vex
