#pragma once

#include <QString>
#include <QStringList>

#include <utility>

namespace vex {

// The file types of the open and save dialogs. Workbooks are offered only
// while a spreadsheet program is there; they are read in both formats but
// written only as Office Open XML, which spreadsheet programs would distrust
// under an .xls name.
enum class FileType { Text, Excel, Word, Web, Unknown };

QStringList openFilters(bool spreadsheetAvailable);
QStringList saveFilters(bool spreadsheetAvailable);

// The type of a dialog's filter, by the extensions of its patterns.
FileType typeOfFilter(const QString &filter);

// The file to write and its type. An extension typed by the operator that
// belongs to one of the dialog's types decides ("ergebnis.html" is a web page
// whatever the chosen entry); without one the chosen entry's extension is
// appended.
std::pair<QString, FileType> savedFile(QString path, const QStringList &filters, int filterIndex);

// The type of a file chosen in the open dialog: as when saving, an extension
// of one of the dialog's types decides ("start.xlsx" is a workbook whatever
// the entry), otherwise the chosen entry.
FileType openedFileType(const QString &path, const QStringList &filters, int filterIndex);

} // namespace vex
