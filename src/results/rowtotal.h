#pragma once

#include <QString>

namespace vex {

class ResultPage;

// The seconds a penalty cell stands for: its whole decimal number, 0 for
// anything else (blank, "2,5", "1.5", letters, a number too large to hold)
// and for a negative number, as no penalty takes time off a run.
int penaltyValue(const QString &text);

// The total rule of one row under the page's regulation (scoreRow): the
// counted scoring runs, each its time plus 1000 ms per penalty second, summed
// into the total cell; the training run never counts. Classically both
// scoring runs count, and only a driver with a time in both gets a total: a
// run cell holding "-", "DIS" or anything else that is no time text gives
// none. A sum of an hour or more gives none either, as the time text has no
// hours and would show its minutes only. A total of exactly "-"
// marks a disqualified driver and is left as it is, so the mark outlives every
// recomputation.
void applyRowTotalRule(ResultPage &page, int row);

// The ranking button's first half: every data row's total, top to bottom.
void recalcAllRowTotals(ResultPage &page);

// Empties times, penalties, total and place of one driver ("Zeit löschen");
// start number, name and club stay. This also lifts a disqualification.
void deleteTimes(ResultPage &page, int row);

// The clear command: times, penalties, totals and places of every driver.
void clearResults(ResultPage &page);

// Marks a driver as disqualified (total "-"), or lifts the mark when the row
// already carries it; a lifted row gets its total back from its runs and
// loses the place "DIS" of the mark.
void toggleDisqualified(ResultPage &page, int row);

} // namespace vex
