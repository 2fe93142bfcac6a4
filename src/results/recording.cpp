#include "results/recording.h"

#include "results/resultpage.h"
#include "results/rowtotal.h"
#include "results/startnumbers.h"
#include "timing/timetext.h"

#include <algorithm>

namespace vex {

namespace {

int newDriverRow(ResultPage &page)
{
    // A fresh page's one empty row takes the first driver.
    const bool freshPage = page.rows() == 2 && isBlankCell(page.cell(1, ColStNr));
    const int row = freshPage ? 1 : page.appendRow();
    page.clearRow(row);
    page.setCell(row, ColStNr, QString::number(row));
    return row;
}

} // namespace

int enterRun(ResultPage &page, const RunEntry &entry)
{
    if (entry.run < 0 || entry.run > page.shownRuns())
        return -1;

    // A start number of blanks names no driver: the row keeps its row number
    // rather than getting an invisible start number nobody can find again.
    const bool hasStartNumber = !entry.startNumber.trimmed().isEmpty();
    const int row = hasStartNumber ? FindRowByStartNumber(page, entry.startNumber) : -1;
    return enterRunIntoRow(page, row, entry);
}

int enterRunIntoRow(ResultPage &page, int row, const RunEntry &entry)
{
    if (entry.run < 0 || entry.run > page.shownRuns())
        return -1;
    if (row < 1 || row >= page.rows())
        row = newDriverRow(page);
    const bool hasStartNumber = !entry.startNumber.trimmed().isEmpty();
    if (hasStartNumber)
        page.setCell(row, ColStNr, entry.startNumber);
    page.setCell(row, ColName, entry.name);
    page.setCell(row, ColClub, entry.club);
    page.setCell(row, timeColumn(entry.run), MsToText(entry.runTimeMs));
    page.setCell(row, penaltyColumn(entry.run), QString::number(entry.penaltySeconds));
    applyRowTotalRule(page, row);
    return row;
}

int addProposedRow(ResultPage &page)
{
    const int number = NextFreeStartNumber(page);
    const QStringList &last = page.row(page.rows() - 1);
    const bool lastRowUsed = std::any_of(last.cbegin(), last.cend(),
                                         [](const QString &c) { return !c.isEmpty(); });
    const int row = lastRowUsed ? page.appendRow() : page.rows() - 1;
    page.clearRow(row);
    page.setCell(row, ColStNr, QString::number(number));
    return row;
}

} // namespace vex
