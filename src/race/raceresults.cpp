#include "race/raceresults.h"

#include "results/ranking.h"
#include "results/rowtotal.h"

#include <QSignalBlocker>

using namespace Qt::StringLiterals;

namespace vex {

RaceResults::RaceResults(QObject *parent)
    : QObject(parent)
    , m_competition(new Competition(this))
{
    qRegisterMetaType<CommandScope>();
    connect(m_competition, &Competition::classesChanged, this, &RaceResults::classListChanged);
}

RaceResults::~RaceResults()
{
    // The commands hold a reference to this object: they go first.
    m_stack.clear();
}

bool RaceResults::pageHoldsData(int index) const
{
    if (index < 0 || index >= kPageCount)
        return false;
    const ResultPage &p = page(index);
    return p.rows() >= 2 && !p.cell(1, ColStNr).isEmpty();
}

bool RaceResults::anyPageHoldsData() const
{
    for (int k = 0; k < kPageCount; ++k) {
        if (pageHoldsData(k))
            return true;
    }
    return false;
}

int RaceResults::pageOfRow(RowId row) const
{
    for (int k = 0; k < kPageCount; ++k) {
        if (page(k).rowOfId(row) >= 0)
            return k;
    }
    return -1;
}

QString RaceResults::driverLabel(const ResultPage &p, int row)
{
    const QString number = p.cell(row, ColStNr).trimmed();
    const QString name = p.cell(row, ColName).trimmed();
    if (number.isEmpty())
        return name.isEmpty() ? u"Zeile %1"_s.arg(row) : name;
    return QString(u"Nr. "_s + number + u' ' + name).trimmed();
}

QString RaceResults::runName(int run)
{
    return run == 0 ? u"TR"_s : u"Lauf %1"_s.arg(run);
}

// ---------------------------------------------------------------- the stack

const ResultCommand *RaceResults::nextUndo() const
{
    const int i = m_stack.index();
    return i > 0 ? static_cast<const ResultCommand *>(m_stack.command(i - 1)) : nullptr;
}

const ResultCommand *RaceResults::nextRedo() const
{
    const int i = m_stack.index();
    return i < m_stack.count() ? static_cast<const ResultCommand *>(m_stack.command(i)) : nullptr;
}

void RaceResults::undo()
{
    step(true);
}

void RaceResults::redo()
{
    step(false);
}

void RaceResults::step(bool undo)
{
    const ResultCommand *command = undo ? nextUndo() : nextRedo();
    if (!command || m_stepping)
        return;
    const CommandScope scope = command->scope();
    const QString text = command->text();
    m_stepping = true;
    if (undo)
        m_stack.undo();
    else
        m_stack.redo();
    m_stepping = false;
    Q_EMIT journalLine((undo ? u"Rückgängig: "_s : u"Wiederholt: "_s) + text);
    Q_EMIT stepped(scope, undo);
}

RowId RaceResults::perform(int k, CommandScope scope, const QString &text,
                           const std::function<RowId(ResultPage &)> &change, bool rank, bool announce)
{
    if (k < 0 || k >= kPageCount || m_stepping)
        return 0;
    if (announce)
        Q_EMIT pageAboutToChange(k);
    ResultPage &p = mutablePage(k);
    PageRows before = p.rowsState();
    const RowId row = change(p);
    if (row == 0) {
        // Nothing done; a change that went half way is put back.
        p.restoreRows(before);
        return 0;
    }
    if (rank)
        rankPage(k);
    PageRows after = p.rowsState();
    if (after == before) {
        Q_EMIT resultsChanged(k);
        return row;
    }
    scope.page = k;
    if (scope.row == 0 && row != kWholePage)
        scope.row = row;
    m_stack.push(new ResultCommand(*this, scope, text, std::move(before), std::move(after)));
    Q_EMIT journalLine(text);
    Q_EMIT commandDone(text);
    Q_EMIT resultsChanged(k);
    return row;
}

void RaceResults::rankPage(int k)
{
    if (!m_autoRank)
        return;
    RankPage(mutablePage(k), true);
    Q_EMIT pageRanked(k);
}

void RaceResults::setRegulation(const Regulation &regulation)
{
    if (m_stepping || regulation == m_competition->page(0)->regulation())
        return;
    for (int k = 0; k < kPageCount; ++k)
        Q_EMIT pageAboutToChange(k);
    m_competition->setRegulation(regulation);
    for (int k = 0; k < kPageCount; ++k) {
        recalcAllRowTotals(mutablePage(k));
        rankPage(k);
    }
    m_stack.clear();
    Q_EMIT journalLine(u"Wertung geändert: %1 Wertungsläufe, davon zählen %2; der Verlauf beginnt neu"_s
                           .arg(regulation.scoringRuns)
                           .arg(regulation.countingRuns));
    for (int k = 0; k < kPageCount; ++k)
        Q_EMIT resultsChanged(k);
}

void RaceResults::replaceAll(const std::function<bool(Competition &)> &importer)
{
    if (m_stepping || !importer(*m_competition))
        return;
    m_stack.clear();
    for (int k = 0; k < kPageCount; ++k)
        Q_EMIT resultsChanged(k);
    // A file may bring the event's date and place.
    Q_EMIT eventChanged();
}

// ---------------------------------------------------------------- one command

ResultCommand::ResultCommand(RaceResults &results, const CommandScope &scope, const QString &text, PageRows before,
                             PageRows after)
    : QUndoCommand(text)
    , m_results(results)
    , m_scope(scope)
    , m_before(std::move(before))
    , m_after(std::move(after))
{
}

void ResultCommand::undo()
{
    restore(m_before, true);
}

void ResultCommand::redo()
{
    if (!m_pushed) {
        m_pushed = true;
        return;
    }
    restore(m_after, false);
}

void ResultCommand::restore(const PageRows &rows, bool)
{
    const int k = m_scope.page;
    Q_EMIT m_results.pageAboutToChange(k);
    m_results.mutablePage(k).restoreRows(rows);
    Q_EMIT m_results.resultsChanged(k);
    Q_EMIT m_results.pageRanked(k);
}

} // namespace vex
