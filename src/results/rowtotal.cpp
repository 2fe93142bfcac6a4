#include "results/rowtotal.h"

#include "results/regulation.h"
#include "results/resultpage.h"
#include "results/runcell.h"
#include "timing/timetext.h"

namespace vex {

namespace {

// Writes the rule's total without looking at what the cell held before.
void writeRuleTotal(ResultPage &page, int row)
{
    const RowScore score = scoreRow(page.row(row), page.regulation());
    page.setCell(row, ColTotal, score.hasTotal ? MsToText(qint32(score.totalMs)) : QString());
}

bool isDataRow(const ResultPage &page, int row)
{
    return row >= 1 && row < page.rows();
}

void emptyResultCells(ResultPage &page, int row)
{
    for (int c = ColTR; c < kAllColumnCount; ++c)
        page.setCell(row, c, QString());
}

} // namespace

int penaltyValue(const QString &text)
{
    // Nearly every penalty cell is empty or a few plain digits, read here
    // without the general number parser: the ranking scores rows by the
    // hundred.
    if (text.isEmpty())
        return 0;
    if (text.size() <= 9) {
        int value = 0;
        bool digits = true;
        for (const QChar c : text) {
            if (c < u'0' || c > u'9') {
                digits = false;
                break;
            }
            value = value * 10 + (c.unicode() - u'0');
        }
        if (digits)
            return value;
    }
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
