#include "results/rowtotal.h"

#include "results/resultpage.h"
#include "results/runcell.h"
#include "timing/timetext.h"

namespace vex {

namespace {

constexpr qint64 kHourMs = 3'600'000;

// Writes the rule's total without looking at what the cell held before.
void writeRuleTotal(ResultPage &page, int row)
{
    qint64 sum = 0;
    bool bothRuns = true;
    for (int run = 1; run <= 2; ++run) {
        const RunCell time = readRunCell(page.cell(row, timeColumn(run)));
        bothRuns = bothRuns && time.kind == RunCell::Time;
        sum += time.ms;
        sum += 1000 * qint64(penaltyValue(page.cell(row, penaltyColumn(run))));
    }
    if (sum == 0 || sum >= kHourMs || !bothRuns) {
        page.setCell(row, ColTotal, QString());
        return;
    }
    page.setCell(row, ColTotal, MsToText(qint32(sum)));
}

bool isDataRow(const ResultPage &page, int row)
{
    return row >= 1 && row < page.rows();
}

void emptyResultCells(ResultPage &page, int row)
{
    for (int c = ColTR; c <= ColPlace; ++c)
        page.setCell(row, c, QString());
}

} // namespace

int penaltyValue(const QString &text)
{
    bool ok = false;
    const int value = text.toInt(&ok, 10);
    return ok && value > 0 ? value : 0;
}

void applyRowTotalRule(ResultPage &page, int row)
{
    if (!isDataRow(page, row) || page.cell(row, ColTotal) == kDisqualifiedMark)
        return;
    writeRuleTotal(page, row);
}

void recalcAllRowTotals(ResultPage &page)
{
    for (int row = 1; row < page.rows(); ++row)
        applyRowTotalRule(page, row);
}

void deleteTimes(ResultPage &page, int row)
{
    if (isDataRow(page, row))
        emptyResultCells(page, row);
}

void clearResults(ResultPage &page)
{
    for (int row = 1; row < page.rows(); ++row)
        emptyResultCells(page, row);
}

void toggleDisqualified(ResultPage &page, int row)
{
    if (!isDataRow(page, row))
        return;
    if (page.cell(row, ColTotal) == kDisqualifiedMark) {
        writeRuleTotal(page, row);
        // The "DIS" went with the mark; a driver left without a total must
        // not keep it, as the ranking leaves places of such rows alone.
        if (page.cell(row, ColPlace) == kDisMark)
            page.setCell(row, ColPlace, QString());
    } else {
        page.setCell(row, ColTotal, kDisqualifiedMark.toString());
    }
}

} // namespace vex
