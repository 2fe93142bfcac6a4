#pragma once

#include <QString>

namespace vex {

class ResultPage;

// The first data row whose start number equals text exactly (case and blanks
// count), or -1.
int FindRowByStartNumber(const ResultPage &page, const QString &text);

// The smallest start number 1...999 not yet on the page (the title row is
// looked at too); 1000 when all of them are taken.
int NextFreeStartNumber(const ResultPage &page);

} // namespace vex
