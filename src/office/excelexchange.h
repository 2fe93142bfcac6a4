#pragma once

#include <QString>
#include <QList>
#include <QStringList>

#include <optional>

namespace vex {

class AutomationServers;
class Competition;
class OfficeProgress;

// The cell where a block's title row begins: column counted from 0 (0 = A),
// row counted from 1.
struct StartCell
{
    int column = 0;
    int row = 6;
};

// Reads the workbook at path into the competition: sheet k becomes class and
// page k (at most ten), each page the block from the start cell on. The
// workbook is read into a competition of its own first, so a failure leaves
// the given one as it was. Returns the message for the operator on failure.
// The names of sheets past the tenth go to skippedClasses when it is given.
std::optional<QString> ImportExcelStartList(AutomationServers &servers, Competition &competition,
                                            const QString &path, StartCell start, OfficeProgress &progress,
                                            QStringList *skippedClasses = nullptr);

struct ExcelExportInfo
{
    StartCell start;
    QString title;
    QString title2;
};

// Writes one sheet per class. An existing workbook at path is opened and the
// blocks are written from the start cell on, leaving the rest of it alone; a
// new one gets them there too, with a bold title row. An empty path
// shows the workbook in the spreadsheet program instead of saving it. An
// empty class list does nothing. Returns the message for the operator on
// failure. The team ranking as a table (titles first, see teamTableRows),
// when given, goes to a sheet "Mannschaften" of its own.
std::optional<QString> ExportExcelProtocol(AutomationServers &servers, const Competition &competition,
                                           const QString &path, const ExcelExportInfo &info,
                                           OfficeProgress &progress, const QList<QStringList> &teamRows = {});

// The protocol shown in the spreadsheet program, not saved.
std::optional<QString> sbExcelClick(AutomationServers &servers, const Competition &competition,
                                    const ExcelExportInfo &info, OfficeProgress &progress);

// A class name as a sheet may carry it: the spreadsheet refuses some
// characters, more than 31 of them and names used twice in a workbook.
QString sheetNameForClass(const QString &className, const QStringList &namesTaken);

// What the author field of a new workbook says.
inline const QString kWorkbookAuthor = QStringLiteral("Vexilor Zeitnahme");

} // namespace vex
