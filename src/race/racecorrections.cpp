// The race's answers to a false contact and a mistaken entry: one slip must
// not cost a driver his run, and nothing a correction replaces is lost.
#include "race/race.h"

#include "results/rowtotal.h"
#include "results/startnumbers.h"
#include "timing/timetext.h"

#include <utility>

using namespace Qt::StringLiterals;

namespace vex {

namespace {

QString runName(int run)
{
    return run == 0 ? u"TR"_s : u"Lauf %1"_s.arg(run);
}

QString driverName(const ResultPage &p, int row)
{
    return QString(p.cell(row, ColStNr) + u' ' + p.cell(row, ColName)).trimmed();
}

QString timeAndPenalty(const ResultPage &p, int row, int run)
{
    return u"%1 StS %2"_s.arg(p.cell(row, timeColumn(run)), p.cell(row, penaltyColumn(run)));
}

// The place follows from the other drivers: only what the entry wrote counts.
bool sameBesidesPlace(const QStringList &a, const QStringList &b)
{
    for (int c = 0; c < ColPlace; ++c) {
        if (a.value(c) != b.value(c))
            return false;
    }
    return true;
}

} // namespace

QString Race::runLabel(int k, int row, int run) const
{
    return runName(run) + u" von "_s + driverName(page(k), row);
}

bool Race::stopTooEarly(quint32 tick, qint64 micros)
{
    const qint64 minimumMs = qint64(m_settings.MinLauf) * 1000;
    if (minimumMs <= 0 || !m_run->controls().stopEnabled || m_run->state() != RunState::Running)
        return false;
    const qint32 ms = m_run->elapsedAtMs(tick, micros);
    if (ms >= minimumMs)
        return false;
    Q_EMIT correctionLogged(u"Stopp nach %1 ignoriert: kürzer als die Mindestlaufzeit von %2 s"_s
                                .arg(MsToText(ms))
                                .arg(m_settings.MinLauf));
    return true;
}

void Race::resumeRun()
{
    const qint32 stoppedAt = m_run->runTimeMs();
    if (!m_run->resume())
        return;
    Q_EMIT correctionLogged(u"Weiterlaufen: Stopp bei %1 zurückgenommen, die Zeit läuft ab dem Start weiter"_s
                                .arg(MsToText(stoppedAt)));
}

Race::RunMovePlan Race::planRunMove(RowId from, int run, const QString &targetStartNumber) const
{
    const int k = pageOfRow(from);
    if (k < 0 || run < 0 || run > 2)
        return {0, u"Die Zeile gibt es nicht mehr."_s};
    const ResultPage &p = page(k);
    const int row = p.rowOfId(from);
    if (row < 1)
        return {0, u"Die Zeile gibt es nicht mehr."_s};
    if (isBlankCell(p.cell(row, timeColumn(run))))
        return {0, runLabel(k, row, run) + u" hat keine Zeit."_s};
    const int target = FindRowByStartNumber(p, targetStartNumber.trimmed());
    if (target < 1)
        return {0, u"Die Startnummer %1 gibt es in dieser Klasse nicht."_s.arg(targetStartNumber.trimmed())};
    if (target == row)
        return {0, u"Der Lauf gehört schon zu dieser Startnummer."_s};
    QString question = u"%1 (%2) zu %3 verschieben?"_s.arg(runLabel(k, row, run), timeAndPenalty(p, row, run),
                                                            driverName(p, target));
    if (!isBlankCell(p.cell(target, timeColumn(run))))
        question += u" Dessen Zeit %1 wird ersetzt und im Lichtschranken-Protokoll festgehalten."_s.arg(
            timeAndPenalty(p, target, run));
    return {p.rowId(target), question};
}

void Race::moveRun(RowId from, int run, RowId to)
{
    const int k = pageOfRow(from);
    if (k < 0 || k != pageOfRow(to) || from == to || run < 0 || run > 2)
        return;
    Q_EMIT pageAboutToChange(k);
    ResultPage &p = page(k);
    const int source = p.rowOfId(from);
    const int target = p.rowOfId(to);
    if (source < 1 || target < 1 || isBlankCell(p.cell(source, timeColumn(run))))
        return;
    QString line = u"Verschoben: %1 zu %2, %3"_s.arg(runLabel(k, source, run), driverName(p, target),
                                                      timeAndPenalty(p, source, run));
    if (!isBlankCell(p.cell(target, timeColumn(run))))
        line += u"; ersetzt: "_s + timeAndPenalty(p, target, run);
    for (const int column : {timeColumn(run), penaltyColumn(run)}) {
        p.setCell(target, column, p.cell(source, column));
        p.setCell(source, column, QString());
    }
    applyRowTotalRule(p, source);
    applyRowTotalRule(p, target);
    Q_EMIT correctionLogged(line);
    rankPage(k);
    Q_EMIT resultsChanged(k);
    publishEntry();
}

void Race::grantReRun(RowId rowId, int run)
{
    const int k = pageOfRow(rowId);
    if (k < 0 || run < 0 || run > 2)
        return;
    Q_EMIT pageAboutToChange(k);
    ResultPage &p = page(k);
    const int row = p.rowOfId(rowId);
    if (row < 1 || isBlankCell(p.cell(row, timeColumn(run))))
        return;
    Q_EMIT correctionLogged(u"Wiederholung gewährt: %1, bisher %2"_s.arg(runLabel(k, row, run),
                                                                          timeAndPenalty(p, row, run)));
    p.setCell(row, timeColumn(run), QString());
    p.setCell(row, penaltyColumn(run), QString());
    applyRowTotalRule(p, row);
    rankPage(k);
    Q_EMIT resultsChanged(k);
    publishEntry();
}

void Race::recordEntry(int k, RowId row, const QStringList &before, bool newRow)
{
    const ResultPage &p = page(k);
    m_undo = EntryUndo{k, row, newRow, before, p.row(p.rowOfId(row)), m_entry};
}

bool Race::canUndoEntry() const
{
    const RunState state = m_run->state();
    if (m_undo.page < 0 || (state != RunState::Entered && state != RunState::Ready))
        return false;
    const ResultPage &p = page(m_undo.page);
    const int row = p.rowOfId(m_undo.row);
    // A row changed since is the operator's work: the undo must not wipe it.
    return row >= 1 && sameBesidesPlace(p.row(row), m_undo.after);
}

void Race::undoEntry()
{
    if (!canUndoEntry())
        return;
    const EntryUndo undo = std::exchange(m_undo, EntryUndo());
    const int k = undo.page;
    Q_EMIT pageAboutToChange(k);
    ResultPage &p = page(k);
    const int row = p.rowOfId(undo.row);
    Q_EMIT correctionLogged(u"Eintrag zurückgenommen: %1, %2"_s.arg(runLabel(k, row, undo.entry.run),
                                                                     timeAndPenalty(p, row, undo.entry.run)));
    if (!undo.newRow) {
        p.setRow(row, undo.before);
    } else {
        p.removeDataRow(row);
        // The class may have been chosen since the entry made the row.
        if (k == m_entry.page && p.rowOfId(undo.row) < 0) {
            if (const int i = int(m_walkRows.indexOf(undo.row)); i >= 0) {
                m_walkRows.removeAt(i);
                m_walkNumbers.removeAt(i);
                Q_EMIT walkOrderChanged();
            }
        }
    }
    const bool reopened = m_run->reopenEntered();
    if (k == m_entry.page) {
        // The driver of the entry is up again, as at the entry.
        const int penalty = m_entry.penaltySeconds;
        m_entry = undo.entry;
        m_entry.row = undo.newRow ? 0 : undo.row;
        m_entry.position = std::min(m_entry.position, int(m_walkRows.size()) - 1);
        if (!reopened)
            m_entry.penaltySeconds = penalty;
    }
    rankPage(k);
    Q_EMIT resultsChanged(k);
    if (const int now = p.rowOfId(undo.row); now >= 1 && k == m_entry.page)
        Q_EMIT rowFocused(k, undo.row);
    publishEntry();
}

} // namespace vex
