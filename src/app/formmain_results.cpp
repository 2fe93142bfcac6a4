// The result pages of the main window: choosing the class and the driver,
// hand corrections, ranking, and recording a stopped run.
#include "app/formmain.h"

#include "display/timedisplay.h"
#include "reports/officereports.h"
#include "results/ranking.h"
#include "results/recording.h"
#include "results/rowtotal.h"
#include "results/startnumbers.h"
#include "widgets/commandbutton.h"
#include "widgets/sortgrid.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QScopedValueRollback>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QStatusBar>
#include <QTabWidget>
#include <QToolButton>

using namespace Qt::StringLiterals;

namespace vex {

namespace {

// A command that changes cells ends an open cell edit first: left open, the
// editor would write its text back over what the command just wrote.
void commitCellEdit(TSortGrid *grid)
{
    const int row = grid->currentResultRow();
    if (grid->isEditMode() && row >= 1)
        grid->selectResultRow(row);
}

} // namespace

void TFormMain::SelectResultRow(int row)
{
    TSortGrid *grid = activeGrid();
    ResultPage *page = activePage();
    if (row < 1 || row >= page->rows())
        row = qBound(1, row, page->rows() - 1);
    grid->selectResultRow(row);
    m_statusPanels[0]->setText(u"%1:%2"_s.arg(row).arg(page->dataRows()));
}

void TFormMain::RecalcRowTotal(int row)
{
    applyRowTotalRule(*activePage(), row);
    RankActivePage();
}

void TFormMain::RankActivePage()
{
    if (!m_settings.AutoRang)
        return;
    ResultPage *page = activePage();
    TSortGrid *grid = activeGrid();
    // The sort moves rows; the driver under the cursor is selected again, so
    // an entry never lands in another driver's row. The grid's current row
    // moves with its driver; the start number finds him should it not.
    const int current = grid->currentResultRow();
    const QString key = current >= 1 ? page->cell(current, ColStNr) : QString();
    const RankResult result = RankPage(*page, true);
    grid->setTypeAheadColumn(ColTotal);
    m_bestTime = result.bestTimeMs;
    lbl_Club2->setText(result.bestDriverLabel);
    int again = grid->currentResultRow();
    if (again < 1 || page->cell(again, ColStNr) != key) {
        const int found = FindRowByStartNumber(*page, key);
        again = found >= 1 ? found : qMax(1, current);
    }
    SelectResultRow(again);
    ShowTime(1, m_bestTime);
}

void TFormMain::FindPageBest()
{
    const RankResult result = vex::FindPageBest(*activePage());
    m_bestTime = result.bestTimeMs;
    lbl_Club2->setText(result.bestDriverLabel);
    ShowTime(1, m_bestTime);
}

void TFormMain::cmb_KlasseChange()
{
    const int index = cmb_Klasse->currentIndex();
    // A typed text that names no class leaves the page as it is.
    if (index >= 0 && index < m_competition->classes().size() && index < kPageCount) {
        const QScopedValueRollback guard(m_choosingClass, true);
        PageControl1->setCurrentIndex(index);
    }
    rebuildStartNumbers();
    const int current = activeGrid()->currentResultRow();
    {
        const QSignalBlocker block(cmb_Nr);
        cmb_Nr->setCurrentIndex(current - 1);
    }
    cmb_NrChange();
    FindPageBest();
    UpdateFileButtons();
}

void TFormMain::PageControl1Change(int index)
{
    if (index < 0 || index >= kPageCount)
        return;
    {
        const QScopedValueRollback guard(m_choosingClass, true);
        PageControl1->setCurrentIndex(index);
    }
    if (index < cmb_Klasse->count()) {
        const QSignalBlocker block(cmb_Klasse);
        cmb_Klasse->setCurrentIndex(index);
    }
    cmb_KlasseChange();
}

// The start numbers of the page in row order, as the page stands now; this is
// the order that "Nächster" walks until the class is chosen again.
void TFormMain::rebuildStartNumbers()
{
    const ResultPage *page = activePage();
    QStringList numbers;
    numbers.reserve(page->dataRows());
    for (int r = 1; r < page->rows(); ++r)
        numbers.append(page->cell(r, ColStNr));
    const QSignalBlocker block(cmb_Nr);
    cmb_Nr->clear();
    cmb_Nr->addItems(numbers);
}

void TFormMain::cmb_NrChange()
{
    ResultPage *page = activePage();
    const QString number = cmb_Nr->currentText();
    // A typed start number of the list selects its item, so that "Nächster"
    // goes on from the driver the operator chose.
    const int item = cmb_Nr->findText(number, Qt::MatchExactly);
    if (item >= 0 && item != cmb_Nr->currentIndex()) {
        const QSignalBlocker block(cmb_Nr);
        cmb_Nr->setCurrentIndex(item);
    }
    const int row = FindRowByStartNumber(*page, number);
    if (row < 0)
        return;
    lbl_Nr2->setText(page->cell(row, ColStNr));
    lbl_Name2->setText(page->cell(row, ColName));
    txt_Name->setText(page->cell(row, ColName));
    txt_Club->setText(page->cell(row, ColClub));
    TSortGrid *grid = activeGrid();
    const int visible = grid->viewport()->height() / (TSortGrid::kRowHeight + 1);
    grid->setTopRow(qMax(1, row - visible / 2));
    SelectResultRow(row);
    updateTimeError();
}

void TFormMain::RadioButton0Click(int run)
{
    m_currentRun = run;
    updateTimeError();
}

// "Zeit existiert!!!" warns before an entry would replace a time; it never
// blocks the entry.
void TFormMain::updateTimeError()
{
    const int row = activeGrid()->currentResultRow();
    lbl_Time_error->setVisible(row >= 1 && !isBlankCell(activePage()->cell(row, timeColumn(m_currentRun))));
}

void TFormMain::cbClubClick()
{
    const bool shown = cbClub->isChecked();
    lbl_Club->setEnabled(shown);
    txt_Club->setEnabled(shown);
    m_widthPercent.setClubShown(shown);
    FormResize();
}

void TFormMain::SortGrid1EditFinished(int row)
{
    RecalcRowTotal(row);
    SelectResultRow(activeGrid()->currentResultRow());
    updateTimeError();
}

void TFormMain::SortGrid1EditCancelled(int row)
{
    SelectResultRow(row);
}

void TFormMain::SortGrid1DblClick(int row)
{
    const QString number = activePage()->cell(row, ColStNr);
    const int item = cmb_Nr->findText(number, Qt::MatchExactly);
    if (item < 0)
        return;
    {
        const QSignalBlocker block(cmb_Nr);
        cmb_Nr->setCurrentIndex(item);
    }
    cmb_NrChange();
}

void TFormMain::Neuezeile1Click()
{
    ResultPage *page = activePage();
    TSortGrid *grid = activeGrid();
    const int row = addProposedRow(*page);
    const int visible = grid->visibleRowCount();
    if (grid->viewport()->height() >= (TSortGrid::kRowHeight + 1) * page->rows())
        grid->setTopRow(1);
    else
        grid->setTopRow(qMax(1, page->rows() - visible));
    // The proposed start number is selected for editing, so the operator can
    // type over it at once.
    grid->editCell(row, ColStNr);
    FormResize();
    UpdateFileButtons();
}

void TFormMain::DelResultClick()
{
    commitCellEdit(activeGrid());
    const int row = activeGrid()->currentResultRow();
    if (row < 1)
        return;
    deleteTimes(*activePage(), row);
    RankActivePage();
    updateTimeError();
}

void TFormMain::mDisClick()
{
    commitCellEdit(activeGrid());
    const int row = activeGrid()->currentResultRow();
    if (row < 1)
        return;
    toggleDisqualified(*activePage(), row);
    RankActivePage();
}

void TFormMain::mClear1Click()
{
    commitCellEdit(activeGrid());
    const int row = activeGrid()->currentResultRow();
    if (row < 1 || !AskYesNo(u"Zeile entfernen?"_s))
        return;
    activePage()->removeDataRow(row);
    SelectResultRow(qMin(row, activePage()->rows() - 1));
    RankActivePage();
    UpdateFileButtons();
    updateTimeError();
}

void TFormMain::sbPlatzClick()
{
    commitCellEdit(activeGrid());
    recalcAllRowTotals(*activePage());
    RankActivePage();
}

// Enter: the stopped run goes with its penalty seconds into the driver's row
// for the chosen run; the page is ranked at once.
void TFormMain::EnterRun()
{
    if (!m_run->enter())
        return;
    commitCellEdit(activeGrid());
    RunEntry entry;
    entry.startNumber = cmb_Nr->currentText();
    entry.name = txt_Name->text();
    entry.club = txt_Club->text();
    entry.run = m_currentRun;
    entry.runTimeMs = m_run->runTimeMs();
    entry.penaltySeconds = seStrafe->value();
    const int row = enterRun(*activePage(), entry);
    SelectResultRow(row);
    RankActivePage();
    FormResize();
    UpdateFileButtons();
    updateTimeError();
}

void TFormMain::PrepareNextDriver()
{
    if (!m_run->next())
        return;
    ApplyDisplayColours();
    ShowTime(0, 0);
    ShowTime(1, m_bestTime);
    seStrafe->setValue(0);
    txt_Name->clear();
    txt_Club->clear();
    // "Nächster" walks the start list in the order it had when the class was
    // chosen, and wraps from the last driver to the first.
    const int count = cmb_Nr->count();
    if (count > 0) {
        const int index = cmb_Nr->currentIndex();
        const QSignalBlocker block(cmb_Nr);
        cmb_Nr->setCurrentIndex(index >= 0 && index < count - 1 ? index + 1 : 0);
    }
    cmb_NrChange();
}

void TFormMain::bFehlClick(int seconds)
{
    if (seStrafe->isEnabled())
        seStrafe->setValue(seStrafe->value() + seconds);
}

void TFormMain::mStrafMinusClick()
{
    if (seStrafe->value() > 0)
        seStrafe->setValue(seStrafe->value() - 1);
}

void TFormMain::mStrafPlusClick()
{
    seStrafe->setValue(seStrafe->value() + 1);
}

void TFormMain::cbAutomatischClick()
{
    m_run->setAutoEntry(cbAutomatisch->isChecked(), m_run->autoEntryDelayMs());
}

void TFormMain::UpdateFileButtons()
{
    const ResultPage *page = activePage();
    const bool holdsData = page->rows() >= 2 && !page->cell(1, ColStNr).isEmpty();
    sbCLS->setEnabled(holdsData);
    sbPrint->setEnabled(holdsData);
    sbExcel->setEnabled(holdsData && m_services.office->spreadsheetAvailable());
    sbWord->setEnabled(holdsData && m_services.office->wordProcessorAvailable());
    sbSave->setEnabled(holdsData);
    sbInet->setEnabled(holdsData);
}

} // namespace vex
