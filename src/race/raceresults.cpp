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

namespace {

QString tieText(Regulation::TieBreak tie)
{
    return tie == Regulation::BetterSingleRun ? u"besserer Einzellauf entscheidet"_s : u"gleicher Platz"_s;
}

QString capText(int cap)
{
    return cap > 0 ? u"Strafsekunden je Lauf höchstens %1"_s.arg(cap) : u"Strafsekunden unbegrenzt"_s;
}

// "3 Wertungsläufe (vorher 2), davon zählen 2, bei Gleichstand gleicher
// Platz, Strafsekunden unbegrenzt": the rules as they are now, with what
// they were where that changed.
QString regulationChangeText(const Regulation &before, const Regulation &after)
{
    const auto was = [](bool changed, const QString &text) {
        return changed ? u" (vorher "_s + text + u')' : QString();
    };
    return u"%1 Wertungsläufe%2, davon zählen %3%4, bei Gleichstand %5%6, %7%8"_s
        .arg(QString::number(after.scoringRuns),
             was(after.scoringRuns != before.scoringRuns, QString::number(before.scoringRuns)),
             QString::number(after.countingRuns),
             was(after.countingRuns != before.countingRuns, QString::number(before.countingRuns)),
             tieText(after.tieBreak), was(after.tieBreak != before.tieBreak, tieText(before.tieBreak)),
             capText(after.penaltyCap), was(after.penaltyCap != before.penaltyCap, capText(before.penaltyCap)));
}

QString orNone(const QString &text)
{
    return isBlankCell(text) ? u"keine"_s : text.trimmed();
}

// The drivers of a page whose total or place the change moved:
// "Nr. 3 Anna Berg Gesamt 1:23,45 → 1:20,00, Platz 2 → 1".
QStringList movedDrivers(const PageRows &before, const ResultPage &after)
{
    QHash<RowId, int> rowBefore;
    for (int r = 1; r < before.rows.size(); ++r)
        rowBefore.insert(before.ids.at(r), r);
    QStringList moved;
    for (int r = 1; r < after.rows(); ++r) {
        const int b = rowBefore.value(after.rowId(r), -1);
        if (b < 0)
            continue;
        const QStringList &was = before.rows.at(b);
        QStringList changes;
        for (const int column : {int(ColTotal), int(ColPlace)}) {
            const QString old = was.value(column).trimmed();
            const QString now = after.cell(r, column).trimmed();
            if (old != now)
                changes.append(u"%1 %2 → %3"_s.arg(column == ColTotal ? u"Gesamt"_s : u"Platz"_s, orNone(old),
                                                        orNone(now)));
        }
        if (!changes.isEmpty())
            moved.append(RaceResults::driverLabel(after, r) + u' ' + changes.join(u", "_s));
    }
    return moved;
}

} // namespace

void RaceResults::scoreAllPages()
{
    for (int k = 0; k < kPageCount; ++k) {
        recalcAllRowTotals(mutablePage(k));
        rankPage(k);
    }
}

QString RaceResults::setRegulation(const Regulation &wanted)
{
    const Regulation regulation = wanted.normalised();
    const Regulation before = this->regulation();
    if (m_stepping || regulation == before)
        return {};
    if (!anyPageHoldsData()) {
        // No results yet: the rules of the event to come, nothing to take back.
        m_competition->setRegulation(regulation);
        return {};
    }
    for (int k = 0; k < kPageCount; ++k)
        Q_EMIT pageAboutToChange(k);
    std::array<PageRows, kPageCount> old;
    for (int k = 0; k < kPageCount; ++k)
        old[std::size_t(k)] = page(k).rowsState();
    m_competition->setRegulation(regulation);
    scoreAllPages();

    QList<ResultCommand::PageChange> changes;
    QStringList moved;
    for (int k = 0; k < kPageCount; ++k) {
        PageRows now = page(k).rowsState();
        if (now == old[std::size_t(k)])
            continue;
        moved += movedDrivers(old[std::size_t(k)], page(k));
        changes.append({k, std::move(old[std::size_t(k)]), std::move(now)});
    }
    const QString text = u"Wertung geändert: "_s + regulationChangeText(before, regulation) + u"; "_s
        + (moved.isEmpty() ? u"keine Gesamtzeit und kein Platz geändert"_s
                           : u"geändert: "_s + moved.join(u"; "_s));
    m_stack.push(new ResultCommand(*this, text, std::move(changes), before, regulation));
    Q_EMIT journalLine(text);
    for (int k = 0; k < kPageCount; ++k)
        Q_EMIT resultsChanged(k);
    return text;
}

void RaceResults::replaceAll(const std::function<std::optional<LoadedScoring>(Competition &)> &importer)
{
    if (m_stepping)
        return;
    const std::optional<LoadedScoring> scoring = importer(*m_competition);
    if (!scoring)
        return;
    m_competition->setRegulation(scoring->regulation.normalised());
    if (!scoring->asWritten)
        scoreAllPages();
    m_stack.clear();
    for (int k = 0; k < kPageCount; ++k)
        Q_EMIT resultsChanged(k);
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

ResultCommand::ResultCommand(RaceResults &results, const QString &text, QList<PageChange> pages,
                             const Regulation &before, const Regulation &after)
    : QUndoCommand(text)
    , m_results(results)
    , m_pages(std::move(pages))
    , m_regulation(std::pair(before, after))
{
}

void ResultCommand::undo()
{
    restore(true);
}

void ResultCommand::redo()
{
    if (!m_pushed) {
        m_pushed = true;
        return;
    }
    restore(false);
}

void ResultCommand::restore(bool undone)
{
    if (m_regulation) {
        for (int k = 0; k < kPageCount; ++k)
            Q_EMIT m_results.pageAboutToChange(k);
        m_results.m_competition->setRegulation(undone ? m_regulation->first : m_regulation->second);
        for (const PageChange &change : std::as_const(m_pages))
            m_results.mutablePage(change.page).restoreRows(undone ? change.before : change.after);
        for (int k = 0; k < kPageCount; ++k) {
            Q_EMIT m_results.resultsChanged(k);
            Q_EMIT m_results.pageRanked(k);
        }
        return;
    }
    const int k = m_scope.page;
    Q_EMIT m_results.pageAboutToChange(k);
    m_results.mutablePage(k).restoreRows(undone ? m_before : m_after);
    Q_EMIT m_results.resultsChanged(k);
    Q_EMIT m_results.pageRanked(k);
}

} // namespace vex
