#include "season/seasonevent.h"

#include "office/automation.h"
#include "office/workbookdata.h"
#include "reports/protocoltext.h"
#include "results/resultpage.h"
#include "results/runcell.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace vex {

namespace {

// Where the cells a season needs stand in a class's rows: found by the
// titles of row 0, so that lists with more runs (and so other positions of
// "Gesamt" and "Platz") read as well as the program's eleven columns.
struct Columns
{
    int name = -1;
    int club = -1;
    int total = -1;
    int place = -1;
    int birthYear = -1;
    QList<int> runs; // "Lauf 1", "Lauf 2" ...: the scoring runs, not the training
};

bool isRunTitle(const QString &cell)
{
    static const QRegularExpression run(u"^Lauf\\s*\\d+$"_s, QRegularExpression::CaseInsensitiveOption);
    return run.match(cell.trimmed()).hasMatch();
}

bool sameTitle(const QString &cell, QStringView title)
{
    return QStringView(cell).trimmed().compare(title, Qt::CaseInsensitive) == 0;
}

std::optional<Columns> columnsOf(const QStringList &titles)
{
    Columns c;
    for (int i = 0; i < titles.size(); ++i) {
        const QString &t = titles.at(i);
        if (c.name < 0 && sameTitle(t, u"Fahrer/in"))
            c.name = i;
        else if (c.club < 0 && sameTitle(t, u"Ortsclub"))
            c.club = i;
        else if (c.total < 0 && sameTitle(t, u"Gesamt"))
            c.total = i;
        else if (c.place < 0 && sameTitle(t, u"Platz"))
            c.place = i;
        else if (c.birthYear < 0 && sameTitle(t, u"Jahrgang"))
            c.birthYear = i;
        else if (isRunTitle(t))
            c.runs.append(i);
    }
    if (c.name < 0 || c.place < 0)
        return std::nullopt;
    return c;
}

QString cellAt(const QStringList &row, int column)
{
    return column >= 0 && column < row.size() ? row.at(column).trimmed() : QString();
}

// A place as the ranking writes it: a plain positive number.
std::optional<int> placeNumber(const QString &text)
{
    if (text.isEmpty() || text.size() > 6 || text.front() == u'0')
        return std::nullopt;
    int value = 0;
    for (const QChar c : text) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
        value = value * 10 + (c.unicode() - u'0');
    }
    return value;
}

int yearOf(const QString &text)
{
    bool ok = false;
    const int year = text.toInt(&ok);
    return ok && year >= 1900 && year <= 2199 ? year : 0;
}

QString foreignText(const QString &fileName, const QString &why)
{
    return u"„%1“ wird nicht gewertet: %2"_s.arg(fileName, why);
}

// One class's rows, row 0 the titles; nothing when a cell can't be read.
std::optional<EventClass> readClass(const QString &className, const QList<QStringList> &rows,
                                    const QString &fileName, QString &error)
{
    EventClass result;
    result.name = className.trimmed();
    if (rows.isEmpty())
        return result; // a class without drivers, as the writer leaves it
    const std::optional<Columns> columns = columnsOf(rows.first());
    if (!columns) {
        error = foreignText(fileName, u"Die Klasse „%1“ hat keine Spalten „Fahrer/in“ und „Platz“."_s.arg(result.name));
        return std::nullopt;
    }
    for (qsizetype r = 1; r < rows.size(); ++r) {
        const QStringList &row = rows.at(r);
        const NameAndYear name = splitBirthYear(cellAt(row, columns->name));
        if (name.name.isEmpty())
            continue;
        EventEntry entry;
        entry.name = name.name;
        entry.club = cellAt(row, columns->club);
        entry.birthYear = name.birthYear ? name.birthYear : yearOf(cellAt(row, columns->birthYear));
        const QString place = cellAt(row, columns->place);
        if (!place.isEmpty()) {
            if (const std::optional<int> number = placeNumber(place)) {
                entry.place = *number;
            } else if (place.compare(u"DIS"_s, Qt::CaseInsensitive) != 0) {
                error = foreignText(fileName, u"In der Klasse „%1“ steht beim Fahrer „%2“ der Platz „%3“."_s.arg(
                                                  result.name, entry.name, place));
                return std::nullopt;
            }
        }
        // Whoever drove has started, with a total or without (a run left
        // out, a disqualification): the start counts toward the season's
        // minimum even where it brings no points.
        entry.started = !place.isEmpty() || !cellAt(row, columns->total).isEmpty()
            || std::any_of(columns->runs.cbegin(), columns->runs.cend(), [&row](int column) {
                   const RunCell::Kind kind = readRunCell(cellAt(row, column)).kind;
                   return kind == RunCell::Time || kind == RunCell::Dis;
               });
        result.entries.append(entry);
    }
    return result;
}

EventRead finish(QList<EventClass> classes, const QString &fileName)
{
    EventRead read;
    if (classes.isEmpty()) {
        read.error = foreignText(fileName, u"Die Datei enthält keine Klasse."_s);
        return read;
    }
    read.results = EventResults{std::move(classes)};
    return read;
}

} // namespace

NameAndYear splitBirthYear(const QString &nameCell)
{
    static const QRegularExpression withYear(u"^(.*\\S)\\s*\\((\\d{4})\\)$"_s);
    const QString trimmed = nameCell.trimmed();
    const QRegularExpressionMatch m = withYear.match(trimmed);
    if (m.hasMatch()) {
        if (const int year = yearOf(m.captured(2)))
            return {m.captured(1), year};
    }
    return {trimmed, 0};
}

EventRead parseEventProtocol(QByteArrayView bytes, const QString &fileName)
{
    if (const std::optional<ProtocolRefusal> refusal = refusalOfProtocolBytes(bytes))
        return {std::nullopt, refusalText(*refusal, fileName)};
    QList<EventClass> classes;
    QString error;
    for (const ProtocolBlock &block : parseProtocolBytes(bytes)) {
        // Rows before any heading belong to no class: a start list, not an
        // event's protocol.
        if (!block.hasHeading)
            return {std::nullopt, foreignText(fileName, u"Zeilen ohne Klasse (eine Starterliste?)."_s)};
        std::optional<EventClass> c = readClass(block.classEntry, block.rows, fileName, error);
        if (!c)
            return {std::nullopt, error};
        classes.append(std::move(*c));
    }
    return finish(std::move(classes), fileName);
}

EventRead parseEventWorkbook(const WorkbookData &workbook, const QString &fileName)
{
    // The export writes the title row at the start cell of the settings; the
    // row that names the columns is looked for instead of assumed. A sheet
    // without one is no class (the team ranking, a sheet of the club's) and
    // is passed over; only a workbook with no class at all is refused.
    constexpr int kTitleRowsSearched = 100;
    QList<EventClass> classes;
    QString error;
    QString notAClass;
    for (const WorksheetData &sheet : workbook.sheets) {
        const int lastRow = sheet.lastRow();
        if (lastRow == 0)
            continue;
        const int lastColumn = std::min(sheet.lastColumn(), 64);
        const auto rowTexts = [&](int r) {
            QStringList cells;
            for (int c = 1; c <= lastColumn; ++c) {
                const WorkbookCell *cell = sheet.cellAt(r, c);
                cells.append(cell ? cell->displayText() : QString());
            }
            return cells;
        };
        int titleRow = 0;
        for (int r = 1; r <= std::min(lastRow, kTitleRowsSearched) && titleRow == 0; ++r) {
            if (columnsOf(rowTexts(r)))
                titleRow = r;
        }
        if (titleRow == 0) {
            if (notAClass.isEmpty())
                notAClass = sheet.name;
            continue;
        }
        QList<QStringList> rows;
        for (int r = titleRow; r <= lastRow; ++r)
            rows.append(rowTexts(r));
        std::optional<EventClass> c = readClass(sheet.name, rows, fileName, error);
        if (!c)
            return {std::nullopt, error};
        classes.append(std::move(*c));
    }
    if (classes.isEmpty() && !notAClass.isEmpty())
        return {std::nullopt, foreignText(fileName, u"Das Blatt „%1“ hat keine Spalten „Fahrer/in“ und „Platz“."_s.arg(notAClass))};
    return finish(std::move(classes), fileName);
}

EventRead readEventFile(const QString &path)
{
    const QString fileName = QFileInfo(path).fileName();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {std::nullopt, u"„%1“ lässt sich nicht öffnen: %2"_s.arg(fileName, path)};
    if (file.size() > kMaxProtocolFileBytes)
        return {std::nullopt, refusalText({ProtocolRefusal::TooLarge, 0}, fileName)};
    const QByteArray head = file.peek(8);
    if (head.startsWith("PK\x03\x04") || head.startsWith("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1")) {
        file.close();
        try {
            return parseEventWorkbook(readWorkbookFile(path), fileName);
        } catch (const AutomationError &e) {
            return {std::nullopt, foreignText(fileName, e.message())};
        }
    }
    const QByteArray bytes = file.read(kMaxProtocolFileBytes + 1);
    if (file.error() != QFileDevice::NoError)
        return {std::nullopt, u"„%1“ lässt sich nicht lesen: %2"_s.arg(fileName, path)};
    return parseEventProtocol(bytes, fileName);
}

} // namespace vex
