#pragma once

#include "results/resultpage.h"

#include <QList>
#include <QtGlobal>

namespace vex {

// The start orders a class can be given. Each returns the page's data rows,
// by identity, in the new order, so a command can apply it and take it back
// with applyRowOrder whatever happened to the rows' numbers in between.

// The rows as they stand.
QList<RowId> currentRowOrder(const ResultPage &page);

// A drawn order: the same seed gives the same order on every machine (the
// seed is what the journal keeps). Rows that hold nothing stay at the end.
QList<RowId> drawStartOrder(const ResultPage &page, quint32 seed);

// The result reversed, for a second day: drivers without a place first (in
// their order), then the placed ones from the last place to the winner, who
// starts last; drivers sharing a place keep their order reversed too. Rows
// that hold nothing stay at the end.
QList<RowId> reverseResultOrder(const ResultPage &page);

// Puts the rows into that order; false (and nothing changed) when the list
// is not exactly the page's rows or moves nothing.
bool applyRowOrder(ResultPage &page, const QList<RowId> &order);

} // namespace vex
