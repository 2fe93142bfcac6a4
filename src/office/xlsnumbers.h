#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>

namespace vex {

// The numbers of a binary workbook's cells as the file holds them, by sheet
// name and then by (row << 16 | column), both from 0. FreeXL hands times
// over as "HH:MM:SS" only; these keep their hundredths. Empty where the file
// can't be followed: the caller keeps what FreeXL gave.
using XlsNumbers = QHash<QString, QHash<quint32, double>>;
XlsNumbers readXlsNumbers(const QByteArray &file);

} // namespace vex
