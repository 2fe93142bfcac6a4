// What the main window shows of the race that is more than copying a value
// onto a control: the run state on its buttons, the display colours.
#include "app/mainview.h"

#include "timing/runcontroller.h"
#include "widgets/barrierpicture.h"
#include "widgets/commandbutton.h"
#include "widgets/resultgrid.h"

#include <QAction>
#include <QSpinBox>
#include <QToolButton>

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

void editNewRow(ResultGrid *grid, int row)
{
    const int rows = grid->model()->rowCount();
    if (grid->viewport()->height() >= (ResultGrid::kRowHeight + 1) * rows)
        grid->setTopRow(1);
    else
        grid->setTopRow(qMax(1, rows - grid->visibleRowCount()));
    // The proposed start number is selected for editing, so the operator can
    // type over it at once.
    grid->editCell(row, ColStNr);
}

void showFileButtons(const MainWidgets &u, bool holdsData, bool spreadsheet, bool wordProcessor)
{
    u.sbCLS->setEnabled(holdsData);
    u.sbPrint->setEnabled(holdsData);
    u.sbExcel->setEnabled(holdsData && spreadsheet);
    u.sbWord->setEnabled(holdsData && wordProcessor);
    u.sbSave->setEnabled(holdsData);
    u.sbInet->setEnabled(holdsData);
}

// One enabled flag governs a key and its button alike.
void showRunControls(const MainWidgets &u, const RunControls &c)
{
    // F5 moves between Start and Stop; it is taken from one before the other
    // gets it, so a key press never finds both.
    if (c.f5StopsRun) {
        u.mStart->setShortcut({});
        u.mStop->setShortcut(Qt::Key_F5);
    } else {
        u.mStop->setShortcut({});
        u.mStart->setShortcut(Qt::Key_F5);
    }
    u.mStart->setEnabled(c.startEnabled);
    SetCommandButton(u.bSTART, c.startEnabled);
    u.bSTART->setVisible(c.startShown);
    u.mStop->setEnabled(c.stopEnabled);
    SetCommandButton(u.bSTOP, c.stopEnabled);
    u.bSTOP->setVisible(c.stopShown);
    u.bAbbruch->setVisible(c.abortEnabled);
    u.mAbbruch->setEnabled(c.abortEnabled);
    SetCommandButton(u.bEintragen, c.enterEnabled);
    u.mEintragen->setEnabled(c.enterEnabled);
    SetCommandButton(u.bNext, c.nextEnabled);
    u.mNext->setEnabled(c.nextEnabled);
    setPenaltyButton(u.bFehl2, c.penaltyEnabled, QColor(200, 120, 0), QColor(255, 200, 120), QColor(140, 80, 0));
    setPenaltyButton(u.bFehl10, c.penaltyEnabled, QColor(180, 40, 40), QColor(255, 150, 150), QColor(120, 20, 20));
    u.seStrafe->setEnabled(c.penaltyEnabled);
    u.bCFG->setEnabled(c.settingsEnabled);
    u.mCFG->setEnabled(c.settingsEnabled);

    u.ImageLSstart->setImageIndex(c.startImage);
    u.ImageLSstart->setEnabled(c.startPictureEnabled);
    u.ImageLSstop->setImageIndex(c.finishImage);
    u.ImageLSstop->setVisible(c.finishPictureShown);
    u.ImageLSstart->setVisible(c.startPictureShown);
    if (c.startPictureShown)
        u.ImageLSstart->raise();
}

} // namespace vex
