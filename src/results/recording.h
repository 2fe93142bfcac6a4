#pragma once

#include <QString>
#include <QtGlobal>

namespace vex {

class ResultPage;

// One stopped run as the operator enters it.
struct RunEntry
{
    QString startNumber; // as typed; may be empty
    QString name;
    QString club;
    int run = 0; // 0 training, 1... the scoring runs
    qint32 runTimeMs = 0;
    int penaltySeconds = 0;
};

// Writes a run into its driver's row and recomputes the row's total; returns
// the row. The driver is found by start number; a start number that is not on
// the page, or none at all, makes a new row (the empty row of a fresh page is
// used for the first driver), and a row without a start number is numbered by
// its row. Name and club always replace the row's, and the run's time and
// penalty replace whatever that run held. Ranking is left to the caller.
// A run the page does not show (past its regulation's scoring runs) changes
// nothing and returns -1.
int enterRun(ResultPage &page, const RunEntry &entry);

// The same for a driver whose row is known already (two drivers may share a
// start number): the run goes into that row whatever its start number. A row
// outside the data rows falls back to enterRun.
int enterRunIntoRow(ResultPage &page, int row, const RunEntry &entry);

// Makes a row for a new driver with the next free start number: the last row
// when it is entirely empty, otherwise a new one at the end. Returns the row.
int addProposedRow(ResultPage &page);

} // namespace vex
