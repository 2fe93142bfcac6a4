#include "office/excelexchange.h"

#include "office/automation.h"
#include "office/numbertext.h"
#include "office/officeprogress.h"
#include "office/competitioncopy.h"
#include "results/competition.h"
#include "results/runcell.h"
#include "timing/timetext.h"

#include <QFileInfo>

#include <algorithm>
#include <cmath>
#include <limits>

using namespace Qt::StringLiterals;

namespace vex {

namespace {

constexpr qint64 kMsPerDay = 86400LL * 1000LL;
constexpr int kMaxImportedRows = 10000;

bool isTimeColumn(int column)
{
    return column == ColTR || column == ColTotal || scoringRunOfTimeColumn(column) > 0;
}

bool isNumber(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
        return true;
    default:
        return false;
    }
}

// The text a cell shows in the result grid.
QString cellText(const QVariant &value)
{
    if (!value.isValid() || value.isNull())
        return {};
    if (isNumber(value))
        return spreadsheetNumberText(value.toDouble());
    return value.toString();
}

// Time cells hold fractions of a day; texts (a time typed as text, "DIS",
// "-") are kept as they are, since reading "12,50" as a number of days would
// turn a time into nonsense.
QString timeCellText(const QVariant &value)
{
    if (!isNumber(value))
        return cellText(value);
    const double ms = std::round(value.toDouble() * double(kMsPerDay));
    if (!(ms >= 0 && ms <= double(std::numeric_limits<qint32>::max())))
        return cellText(value);
    return MsToText(qint32(ms));
}

// Times go out in the full form, so that the spreadsheet takes them as
// times. The markers "DIS" and "-" are no times: padded they would read
// "00:00DIS" and never come back.
QString exportedTimeText(const QString &text)
{
    return readRunCell(text).isNoTime() ? text : PadTimeText(text);
}

QVariant valueAt(const QList<QVariantList> &values, int sheetRow, int sheetColumn)
{
    if (sheetRow < 1 || sheetRow > values.size())
        return {};
    const QVariantList &row = values.at(sheetRow - 1);
    if (sheetColumn < 1 || sheetColumn > row.size())
        return {};
    return row.at(sheetColumn - 1);
}

// The runs a block's title row names: "Lauf 3" (and "Lauf 4") follow run
// 2's penalty where a workbook of an event with more runs has them.
int runsOfBlock(const QList<QVariantList> &values, int firstRow, int firstColumn)
{
    const auto title = [&](int i) { return cellText(valueAt(values, firstRow, firstColumn + i + 1)).trimmed(); };
    if (title(9) != defaultColumnTitle(ColRun3))
        return 2;
    return title(11) == defaultColumnTitle(ColRun4) ? 4 : 3;
}

// A start list's column of its own ("Team", "m/w"), wherever its title row
// has it, is taken out of every row from the title row on, so that the other
// columns read as if it were not there. Its cells by block row (the title
// first), none without such a column.
QStringList takeColumn(QList<QVariantList> &values, int firstRow, int firstColumn,
                       bool (*isTitle)(QStringView title))
{
    QStringList teams;
    if (firstRow < 1 || firstRow > values.size())
        return teams;
    const QVariantList &titles = values.at(firstRow - 1);
    qsizetype at = -1;
    for (qsizetype i = firstColumn; i < titles.size() && at < 0; ++i) {
        if (isTitle(cellText(titles.at(i))))
            at = i;
    }
    if (at < 0)
        return teams;
    for (qsizetype r = firstRow - 1; r < values.size(); ++r) {
        QVariantList &row = values[r];
        teams.append(at < row.size() ? cellText(row.takeAt(at)) : QString());
    }
    return teams;
}

bool isTeamTitle(QStringView title)
{
    return title.trimmed().compare(kTeamTitle, Qt::CaseInsensitive) == 0;
}

// The columns of teams and of girls and boys, taken out in this order.
struct TakenColumns
{
    QStringList teams;
    QStringList genders;
};

TakenColumns takeColumns(QList<QVariantList> &values, int firstRow, int firstColumn)
{
    TakenColumns taken;
    taken.teams = takeColumn(values, firstRow, firstColumn, isTeamTitle);
    taken.genders = takeColumn(values, firstRow, firstColumn, isGenderTitle);
    return taken;
}

// One sheet's block into a page. Rows past the fetched ones stay empty.
void fillPage(ResultPage &page, const QList<QVariantList> &values, const TakenColumns &taken, int fetchedRows,
              int firstRow, int firstColumn)
{
    const int rowCount = std::max(1, fetchedRows - firstRow);
    const QList<int> columns = pageColumns(runsOfBlock(values, firstRow, firstColumn));
    page.setRowCount(rowCount);
    for (int r = 0; r < rowCount; ++r) {
        QStringList cells(kAllColumnCount);
        for (qsizetype i = 0; i < columns.size(); ++i) {
            const int c = columns.at(i);
            const QVariant value = valueAt(values, firstRow + r, firstColumn + int(i) + 1);
            cells[c] = r >= 1 && isTimeColumn(c) ? timeCellText(value) : cellText(value);
        }
        page.setRow(r, cells);
        if (r >= 1) {
            page.setTeam(r, taken.teams.value(r));
            RowMarks marks;
            marks.gender = readGender(taken.genders.value(r));
            page.setMarks(r, marks);
        }
    }
}

// The sheet each class is written to, in class order. In a workbook of the
// club's the sheet that carries the class's name is that class's, and a
// class without one gets a new sheet at the end: no sheet of the club's is
// renamed or written over for a class it doesn't name. A new workbook has
// one sheet per class, taken in order.
QList<ExcelSheet *> sheetsForClasses(ExcelWorkbook &workbook, const QStringList &classes, bool existing)
{
    QStringList names;
    for (const QString &name : classes)
        names.append(sheetNameForClass(name, names));
    QList<ExcelSheet *> sheets;
    if (!existing) {
        for (qsizetype k = 0; k < names.size(); ++k) {
            ExcelSheet &sheet = workbook.worksheet(int(k) + 1);
            sheet.setName(names.at(k));
            sheets.append(&sheet);
        }
        return sheets;
    }
    QStringList present;
    const int sheetCount = workbook.worksheetsCount();
    for (int n = 1; n <= sheetCount; ++n)
        present.append(workbook.worksheet(n).name());
    for (const QString &name : std::as_const(names)) {
        const auto same = [&name](const QString &other) { return other.compare(name, Qt::CaseInsensitive) == 0; };
        const auto found = std::find_if(present.cbegin(), present.cend(), same);
        if (found != present.cend()) {
            sheets.append(&workbook.worksheet(int(found - present.cbegin()) + 1));
        } else {
            ExcelSheet &sheet = workbook.addWorksheet();
            sheet.setName(name);
            sheets.append(&sheet);
        }
    }
    return sheets;
}

// The team ranking on a sheet of its own, found by its name in a workbook
// of the club's, from its first cell.
void writeTeamSheet(ExcelWorkbook &workbook, const QList<QStringList> &rows)
{
    const QString name = u"Mannschaften"_s;
    ExcelSheet *sheet = nullptr;
    const int count = workbook.worksheetsCount();
    for (int n = 1; n <= count && !sheet; ++n) {
        if (workbook.worksheet(n).name().compare(name, Qt::CaseInsensitive) == 0)
            sheet = &workbook.worksheet(n);
    }
    if (!sheet) {
        sheet = &workbook.addWorksheet();
        sheet->setName(name);
    }
    qsizetype width = 1;
    for (const QStringList &row : rows)
        width = std::max(width, row.size());
    QList<QVariantList> values;
    for (const QStringList &row : rows) {
        QVariantList cells;
        for (qsizetype c = 0; c < width; ++c)
            cells.append(row.value(c));
        values.append(cells);
    }
    const auto first = sheet->cells(1, 1);
    const auto last = sheet->cells(int(rows.size()), int(width));
    const auto block = sheet->range(*first, *last);
    block->setValue(values);
    block->autofitColumns();
    sheet->range(*first, *sheet->cells(1, int(width)))->setFontStyle(u"Bold"_s);
}

QString failureText(const QString &what, const QString &message)
{
    return message.isEmpty() ? what : what + u"\n"_s + message;
}

const QString kImportFailed = u"Die Starterliste konnte nicht aus der Arbeitsmappe geladen werden; "
                              u"die Ergebnisseiten sind unverändert."_s;
const QString kExportFailed = u"Das Protokoll konnte nicht als Arbeitsmappe gespeichert werden."_s;
const QString kShowFailed = u"Das Protokoll konnte nicht in der Tabellenkalkulation gezeigt werden."_s;

QString unexpectedFailure()
{
    return u"Unerwarteter Fehler der Tabellenkalkulation."_s;
}

} // namespace

std::optional<QString> ImportExcelStartList(AutomationServers &servers, Competition &competition,
                                            const QString &path, StartCell start, OfficeProgress &progress,
                                            QStringList *skippedClasses)
{
    std::unique_ptr<ExcelApplication> excel;
    try {
        excel = servers.createExcelApplication();
    } catch (const AutomationError &e) {
        return failureText(kImportFailed, e.message());
    }

    // A sheet's block starts at the start cell; there is no row 0.
    const int firstRow = std::max(1, start.row);
    const int firstColumn = std::max(0, start.column);
    Competition loaded;
    std::optional<QString> error;
    int maximum = 0;
    try {
        progress.setProgress(0);
        progress.showProgress();
        excel->setEnableEvents(false);
        ExcelWorkbook &workbook = excel->workbooksOpen(path);
        progress.setProgressCaption(u"öffnen: "_s + QFileInfo(path).fileName());

        // Names that can't be read leave the sheets from there on out, so
        // that class k and page k still belong together.
        QStringList names;
        try {
            const int count = workbook.worksheetsCount();
            for (int k = 1; k <= count; ++k)
                names.append(workbook.worksheet(k).name());
        } catch (const AutomationError &) {
        }
        if (skippedClasses)
            *skippedClasses = names.mid(kPageCount);
        names = names.mid(0, kPageCount);
        const int n = int(names.size());
        for (int k = 1; k <= kPageCount; ++k) {
            ResultPage &page = *loaded.page(k - 1);
            if (k <= n)
                page.setCaption(names.at(k - 1));
            page.setTabVisible(k <= n);
        }
        loaded.setClasses(names);

        maximum = n;
        progress.setProgressMaximum(n);
        for (int k = 1; k <= n; ++k) {
            progress.setProgress(k);
            ExcelSheet &sheet = workbook.worksheet(k);
            const int fetchedRows = sheet.usedRange()->rowsCount() + 1;
            // A cell far down would otherwise make a page of a million rows.
            if (fetchedRows - firstRow > kMaxImportedRows)
                throw AutomationError(u"Das Blatt „%1“ hat mehr als %2 Zeilen; so lang ist keine Starterliste."_s
                                          .arg(names.at(k - 1))
                                          .arg(kMaxImportedRows));
            const auto first = sheet.cells(1, 1);
            // Two columns more than the block's, for the columns of teams and
            // of girls and boys among them.
            const auto last = sheet.cells(fetchedRows, firstColumn + kColumnCount + 2);
            QList<QVariantList> values = sheet.range(*first, *last)->value();
            TakenColumns taken = takeColumns(values, firstRow, firstColumn);
            // A block of an event with more runs is fetched again as wide as it is.
            if (runsOfBlock(values, firstRow, firstColumn) > 2) {
                const auto wider = sheet.cells(fetchedRows, firstColumn + kAllColumnCount + 2);
                values = sheet.range(*first, *wider)->value();
                taken = takeColumns(values, firstRow, firstColumn);
            }
            fillPage(*loaded.page(k - 1), values, taken, fetchedRows, firstRow, firstColumn);
        }
    } catch (const AutomationError &e) {
        error = failureText(kImportFailed, e.message());
    } catch (const std::exception &) {
        error = failureText(kImportFailed, unexpectedFailure());
    }
    try {
        excel->quit();
    } catch (const AutomationError &) {
    }
    progress.setProgress(maximum);
    progress.closeProgress();
    if (error)
        return error;
    copyCompetition(loaded, competition);
    return std::nullopt;
}

std::optional<QString> ExportExcelProtocol(AutomationServers &servers, const Competition &competition,
                                           const QString &path, const ExcelExportInfo &info,
                                           OfficeProgress &progress, const QList<QStringList> &teamRows)
{
    const QStringList &classes = competition.classes();
    if (classes.isEmpty())
        return std::nullopt;
    const QString &failed = path.isEmpty() ? kShowFailed : kExportFailed;

    std::unique_ptr<ExcelApplication> excel;
    try {
        excel = servers.createExcelApplication();
    } catch (const AutomationError &e) {
        return failureText(failed, e.message());
    }

    const int firstColumn = std::max(0, info.start.column);
    std::optional<QString> error;
    try {
        progress.setProgressCaption(u"Speichern unter "_s + path);
        progress.setProgress(0);
        progress.showProgress();
        excel->setDisplayAlerts(false);
        excel->setEnableEvents(false);

        ExcelWorkbook *workbook = nullptr;
        const bool existing = !path.isEmpty() && QFileInfo(path).isFile();
        if (existing) {
            workbook = &excel->workbooksOpen(path);
        } else {
            excel->setSheetsInNewWorkbook(int(classes.size()));
            workbook = &excel->workbooksAdd();
            workbook->setAuthor(kWorkbookAuthor);
            workbook->setComments(info.title2);
            workbook->setTitle(info.title);
            workbook->setSubject(info.title2);
        }
        // The block's title row lies on the start row in a new workbook too,
        // so that an import with the same start cell gives the pages back.
        const int offset = std::max(1, info.start.row) - 1;

        const QList<ExcelSheet *> sheets = sheetsForClasses(*workbook, classes, existing);
        progress.setProgressMaximum(int(classes.size()));
        for (qsizetype k = 0; k < sheets.size(); ++k) {
            ExcelSheet &sheet = *sheets.at(k);
            progress.setProgress(int(k) + 1);

            const ResultPage &page = *competition.page(int(k));
            const int rowCount = page.rows();
            const QList<int> columns = pageColumns(page.shownRuns());
            const int columnCount = int(columns.size());
            QList<QVariantList> values;
            values.reserve(rowCount);
            for (int i = 0; i < rowCount; ++i) {
                QVariantList row;
                row.reserve(columnCount);
                for (const int c : columns) {
                    QString text = page.cell(i, c);
                    if (i == 0 && c >= kColumnCount && isBlankCell(text))
                        text = defaultColumnTitle(c);
                    // A blank cell is an empty one: a space would stand in
                    // the sheet as a text of its own.
                    if (text.trimmed().isEmpty())
                        row.append(QString());
                    else
                        row.append(i >= 1 && isTimeColumn(c) ? exportedTimeText(text) : text);
                }
                values.append(row);
            }
            const auto first = sheet.cells(offset + 1, firstColumn + 1);
            const auto last = sheet.cells(offset + rowCount, firstColumn + columnCount);
            const auto block = sheet.range(*first, *last);
            block->setValue(values);
            block->autofitColumns();
            if (!existing) {
                const auto titleFirst = sheet.cells(offset + 1, firstColumn + 1);
                const auto titleLast = sheet.cells(offset + 1, firstColumn + columnCount);
                sheet.range(*titleFirst, *titleLast)->setFontStyle(u"Bold"_s);
            }
        }
        if (teamRows.size() > 1)
            writeTeamSheet(*workbook, teamRows);
        if (!path.isEmpty())
            workbook->saveAs(path);
        progress.setProgress(int(classes.size()));
    } catch (const AutomationError &e) {
        error = failureText(failed, e.message());
    } catch (const std::exception &) {
        error = failureText(failed, unexpectedFailure());
    }
    progress.closeProgress();
    try {
        if (path.isEmpty())
            excel->setVisible(true);
        else
            excel->quit();
    } catch (const AutomationError &e) {
        if (!error)
            error = failureText(failed, e.message());
    }
    return error;
}

std::optional<QString> sbExcelClick(AutomationServers &servers, const Competition &competition,
                                    const ExcelExportInfo &info, OfficeProgress &progress)
{
    return ExportExcelProtocol(servers, competition, QString(), info, progress);
}

QString sheetNameForClass(const QString &className, const QStringList &namesTaken)
{
    constexpr qsizetype kMaxLength = 31;
    QString name = className;
    for (QChar &c : name) {
        if (c == u'[' || c == u']' || c == u':' || c == u'*' || c == u'?' || c == u'/' || c == u'\\'
            || c.category() == QChar::Other_Control)
            c = u'_';
    }
    while (name.startsWith(u'\''))
        name.remove(0, 1);
    name.truncate(kMaxLength);
    while (name.endsWith(u'\''))
        name.chop(1);
    if (name.trimmed().isEmpty() || name.compare(u"History"_s, Qt::CaseInsensitive) == 0)
        name = u"Klasse"_s;

    const auto taken = [&namesTaken](const QString &candidate) {
        return std::any_of(namesTaken.begin(), namesTaken.end(), [&candidate](const QString &other) {
            return other.compare(candidate, Qt::CaseInsensitive) == 0;
        });
    };
    QString candidate = name;
    for (int i = 2; taken(candidate); ++i) {
        const QString suffix = u" (%1)"_s.arg(i);
        candidate = name.left(kMaxLength - suffix.size()) + suffix;
    }
    return candidate;
}

} // namespace vex
