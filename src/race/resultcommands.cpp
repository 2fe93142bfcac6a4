// The commands the operator gives on a row or a page of the results. Each is
// one step on the stack with a line that says what it did, so a correction
// can be taken back and a disputed time traced afterwards.
#include "race/raceresults.h"

#include "results/ranking.h"
#include "results/recording.h"
#include "results/rowtotal.h"
#include "results/runcell.h"
#include "results/startnumbers.h"
#include "results/startorder.h"

#include <algorithm>

using namespace Qt::StringLiterals;

namespace vex {

namespace {

QString orEmpty(const QString &text)
{
    return isBlankCell(text) ? u"leer"_s : text;
}

QString timeAndPenalty(const ResultPage &p, int row, int run)
{
    const QString time = p.cell(row, timeColumn(run));
    if (isBlankCell(time))
        return u"leer"_s;
    return u"%1 StS %2"_s.arg(time, orEmpty(p.cell(row, penaltyColumn(run))));
}

// The name of a column in a command's line; penalty columns name their run.
QString columnName(int column)
{
    for (int run = 0; run <= kMaxScoringRuns; ++run) {
        if (column == penaltyColumn(run))
            return u"StS "_s + RaceResults::runName(run);
    }
    return defaultColumnTitles().value(column);
}

// Every run of the row that holds a time, as the line of "Zeit löschen" keeps them.
QString runsOf(const ResultPage &p, int row)
{
    QStringList runs;
    for (int run = 0; run <= p.shownRuns(); ++run) {
        if (!isBlankCell(p.cell(row, timeColumn(run))))
            runs.append(RaceResults::runName(run) + u' ' + timeAndPenalty(p, row, run));
    }
    return runs.isEmpty() ? u"keine Zeiten"_s : runs.join(u", "_s);
}

} // namespace

void RaceResults::editCell(RowId rowId, int column, const QString &text)
{
    const int k = pageOfRow(rowId);
    if (k < 0 || !isHandEditedColumn(column))
        return;
    QString kept;
    kept.reserve(text.size());
    for (const QChar c : text) {
        if (cellTakesCharacter(column, c))
            kept.append(c);
    }
    const ResultPage &p = page(k);
    const int row = p.rowOfId(rowId);
    const QString before = p.cell(row, column);
    const QString line = u"%1: %2 auf „%3“ geändert (vorher „%4“)"_s.arg(driverLabel(p, row), columnName(column),
                                                                           kept, before);
    CommandScope scope;
    for (int run = 0; run <= kMaxScoringRuns; ++run) {
        if (column == penaltyColumn(run))
            scope.run = run;
    }
    // No announcement: the edit open on the page is the one that ends here.
    perform(
        k, scope, line,
        [&](ResultPage &page) {
            const int r = page.rowOfId(rowId);
            page.setCell(r, column, kept);
            // The total follows even when the text is what the cell held.
            applyRowTotalRule(page, r);
            return rowId;
        },
        true, false);
}

RowId RaceResults::addRow(int k)
{
    if (k < 0 || k >= kPageCount)
        return 0;
    RowId added = 0;
    perform(
        k, {}, u"Neue Zeile"_s,
        [&](ResultPage &p) {
            added = p.rowId(addProposedRow(p));
            return added;
        },
        false);
    // The line names the number the row was given.
    if (const ResultCommand *last = nextUndo(); last && last->scope().row == added) {
        const ResultPage &p = page(k);
        const_cast<ResultCommand *>(last)->setText(u"Neue Zeile mit Nr. %1"_s.arg(p.cell(p.rowOfId(added), ColStNr)));
    }
    return added;
}

void RaceResults::changeRow(RowId rowId, const QString &text, void (*change)(ResultPage &, int))
{
    const int k = pageOfRow(rowId);
    if (k < 0)
        return;
    perform(k, {}, text, [&](ResultPage &p) {
        const int row = p.rowOfId(rowId);
        if (row < 1)
            return RowId(0);
        change(p, row);
        return rowId;
    });
}

void RaceResults::deleteTimes(RowId rowId)
{
    const int k = pageOfRow(rowId);
    if (k < 0)
        return;
    const ResultPage &p = page(k);
    const int row = p.rowOfId(rowId);
    // Deleting the times lifts a disqualification too: the line says so.
    const QString lifted =
        p.cell(row, ColTotal) == kDisqualifiedMark ? u"; Disqualifikation aufgehoben"_s : QString();
    changeRow(rowId, u"Zeiten von %1 gelöscht (vorher %2)%3"_s.arg(driverLabel(p, row), runsOf(p, row), lifted),
              &vex::deleteTimes);
}

void RaceResults::toggleDisqualified(RowId rowId)
{
    const int k = pageOfRow(rowId);
    if (k < 0)
        return;
    const ResultPage &p = page(k);
    const int row = p.rowOfId(rowId);
    const QString line = p.cell(row, ColTotal) == kDisqualifiedMark
                             ? u"Disqualifikation von %1 aufgehoben"_s.arg(driverLabel(p, row))
                             : u"%1 disqualifiziert"_s.arg(driverLabel(p, row));
    changeRow(rowId, line, &vex::toggleDisqualified);
}

void RaceResults::removeRow(RowId rowId)
{
    const int k = pageOfRow(rowId);
    if (k < 0)
        return;
    const ResultPage &p = page(k);
    const int row = p.rowOfId(rowId);
    const QString line = u"Zeile von %1 entfernt (%2)"_s.arg(driverLabel(p, row), runsOf(p, row));
    int removedAt = -1;
    perform(k, {}, line, [&](ResultPage &page) {
        removedAt = page.rowOfId(rowId);
        if (removedAt < 1)
            return RowId(0);
        page.removeDataRow(removedAt);
        return rowId;
    });
    if (removedAt >= 1) {
        const ResultPage &now = page(k);
        Q_EMIT rowFocused(k, now.rowId(qMin(removedAt, now.rows() - 1)));
    }
}

void RaceResults::rank(int k)
{
    if (k < 0 || k >= kPageCount)
        return;
    perform(k, {}, u"Plätze zugewiesen und sortiert: %1"_s.arg(page(k).caption()), [](ResultPage &p) {
        recalcAllRowTotals(p);
        return kWholePage;
    });
}

void RaceResults::clearResults(int k)
{
    if (k < 0 || k >= kPageCount)
        return;
    const RowId done = perform(k, {}, u"Ergebnisse gelöscht: %1"_s.arg(page(k).caption()), [](ResultPage &p) {
        vex::clearResults(p);
        return kWholePage;
    });
    if (done != 0)
        Q_EMIT resultsCleared(k);
}

RaceResults::RunMovePlan RaceResults::planRunMove(RowId from, int run, const QString &targetStartNumber) const
{
    const int k = pageOfRow(from);
    if (k < 0 || run < 0 || run > page(k).shownRuns())
        return {0, u"Die Zeile gibt es nicht mehr."_s};
    const ResultPage &p = page(k);
    const int row = p.rowOfId(from);
    if (row < 1)
        return {0, u"Die Zeile gibt es nicht mehr."_s};
    const QString label = runName(run) + u" von "_s + driverLabel(p, row);
    if (isBlankCell(p.cell(row, timeColumn(run))))
        return {0, label + u" hat keine Zeit."_s};
    const QString number = targetStartNumber.trimmed();
    // No start number names no driver, however many rows have none.
    const int target = number.isEmpty() ? -1 : FindRowByStartNumber(p, number);
    if (target < 1)
        return {0, u"Die Startnummer %1 gibt es in dieser Klasse nicht."_s.arg(number)};
    if (target == row)
        return {0, u"Der Lauf gehört schon zu dieser Startnummer."_s};
    QString question =
        u"%1 (%2) zu %3 verschieben?"_s.arg(label, timeAndPenalty(p, row, run), driverLabel(p, target));
    if (!isBlankCell(p.cell(target, timeColumn(run))))
        question += u" Dessen Zeit %1 wird ersetzt; Rückgängig (Strg+Z) holt sie zurück."_s.arg(
            timeAndPenalty(p, target, run));
    return {p.rowId(target), question};
}

void RaceResults::moveRun(RowId from, int run, RowId to)
{
    const int k = pageOfRow(from);
    if (k < 0 || k != pageOfRow(to) || from == to || run < 0 || run > page(k).shownRuns())
        return;
    const ResultPage &p = page(k);
    const int source = p.rowOfId(from);
    const int target = p.rowOfId(to);
    if (source < 1 || target < 1 || isBlankCell(p.cell(source, timeColumn(run))))
        return;
    QString line = u"Verschoben: %1 von %2 zu %3, %4"_s.arg(runName(run), driverLabel(p, source),
                                                              driverLabel(p, target), timeAndPenalty(p, source, run));
    if (!isBlankCell(p.cell(target, timeColumn(run))))
        line += u"; ersetzt: "_s + timeAndPenalty(p, target, run);
    CommandScope scope;
    scope.row = to;
    scope.run = run;
    perform(k, scope, line, [&](ResultPage &page) {
        const int s = page.rowOfId(from);
        const int t = page.rowOfId(to);
        for (const int column : {timeColumn(run), penaltyColumn(run)}) {
            page.setCell(t, column, page.cell(s, column));
            page.setCell(s, column, QString());
        }
        applyRowTotalRule(page, s);
        applyRowTotalRule(page, t);
        return to;
    });
}

void RaceResults::grantReRun(RowId rowId, int run)
{
    const int k = pageOfRow(rowId);
    if (k < 0 || run < 0 || run > page(k).shownRuns())
        return;
    const ResultPage &p = page(k);
    const int row = p.rowOfId(rowId);
    if (row < 1 || isBlankCell(p.cell(row, timeColumn(run))))
        return;
    const QString line = u"Wiederholung gewährt: %1 von %2, bisher %3"_s.arg(runName(run), driverLabel(p, row),
                                                                              timeAndPenalty(p, row, run));
    CommandScope scope;
    scope.run = run;
    perform(k, scope, line, [&](ResultPage &page) {
        const int r = page.rowOfId(rowId);
        page.setCell(r, timeColumn(run), QString());
        page.setCell(r, penaltyColumn(run), QString());
        applyRowTotalRule(page, r);
        return rowId;
    });
}

namespace {

// The order's start numbers, as the journal keeps a start order, so that it
// can be followed without the page: "7, 3, 12". Rows without anything in
// them are not drivers.
QString startNumbersOf(const ResultPage &p, const QList<RowId> &order)
{
    QStringList numbers;
    for (const RowId id : order) {
        const int row = p.rowOfId(id);
        const QStringList &cells = p.row(row);
        if (std::all_of(cells.cbegin(), cells.cend(), isBlankCell))
            continue;
        numbers.append(isBlankCell(cells.at(ColStNr)) ? u"?"_s : cells.at(ColStNr).trimmed());
    }
    return numbers.join(u", "_s);
}

// The rows put into the order, which becomes the class's own.
RowId applyStartOrder(ResultPage &p, const QList<RowId> &order)
{
    const bool moved = applyRowOrder(p, order);
    if (!moved && p.startOrder() == order)
        return 0;
    p.setStartOrder(order);
    return kWholePage;
}

} // namespace

void RaceResults::giveStartOrder(int k, const QList<RowId> &order, const QString &what, RowId chosenBefore)
{
    CommandScope scope;
    scope.row = chosenBefore;
    scope.firstOfOrder = true;
    perform(
        k, scope, u"%1: %2, Startnummern %3"_s.arg(what, page(k).caption(), startNumbersOf(page(k), order)),
        [&order](ResultPage &p) { return applyStartOrder(p, order); }, false);
}

void RaceResults::drawStartOrder(int k, quint32 seed, RowId chosenBefore)
{
    if (k >= 0 && k < kPageCount)
        giveStartOrder(k, vex::drawStartOrder(page(k), seed), u"Startreihenfolge ausgelost (Startwert %1)"_s.arg(seed),
                       chosenBefore);
}

void RaceResults::reverseStartOrder(int k, RowId chosenBefore)
{
    if (k >= 0 && k < kPageCount)
        giveStartOrder(k, reverseResultOrder(page(k)), u"Startreihenfolge umgekehrt nach dem Ergebnis"_s,
                       chosenBefore);
}

} // namespace vex
