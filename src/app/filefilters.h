#pragma once

#include <QString>
#include <QStringList>

namespace vex {

// The file types of the open and save dialogs. Workbooks are offered only
// while a spreadsheet program is there; they are read in both formats but
// written only as Office Open XML, which spreadsheet programs would distrust
// under an .xls name.
enum class FileType { Text, Excel, Word, Web, Unknown };

QStringList openFilters(bool spreadsheetAvailable);
QStringList saveFilters(bool spreadsheetAvailable);

// The type of a dialog's filter, by the patterns it ends with.
FileType typeOfFilter(const QString &filter);

} // namespace vex
