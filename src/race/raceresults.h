#pragma once

#include "results/competition.h"
#include "results/regulation.h"
#include "results/resultpage.h"

#include <QObject>
#include <QString>
#include <QUndoStack>

#include <functional>
#include <optional>

namespace vex {

class ResultCommand;

// What a command on a whole page (ranking, clearing) returns for its row.
inline constexpr RowId kWholePage = ~RowId(0);

// What one command of the results was about: where undo and redo take the
// operator back to, and what the run session needs to stay consistent.
struct CommandScope
{
    int page = -1;
    RowId row = 0;          // the driver it was about; 0: the whole page
    int run = -1;           // the run it was about; -1: none in particular
    quint64 runToken = 0;   // an entry: the timed run it entered; 0: none
    qint32 runTimeMs = 0;   // an entry: the time it entered
    int penaltySeconds = 0; // an entry: the penalty seconds it entered
    // An entry: the driver as the operator had him, for an entry that made
    // his row (taking it back removes the row).
    QString startNumber;
    QString name;
    QString club;
    // A start order: done (again), its first driver is chosen; taken back,
    // the driver of row, who was chosen before it.
    bool firstOfOrder = false;

    bool operator==(const CommandScope &) const = default;
};

// The results of a race: the ten pages with the class list, and the stack of
// the commands that changed them. Every change of a page after a load is one
// command on the stack: it knows the page before and after itself and a
// German line that says what it did, so it can be taken back and redone in
// any number of steps, and a journal can keep the trail. Nothing else writes
// the pages; loading a file replaces them and starts a new stack.
//
// Rows are named by RowId: a re-sort between choosing a row and acting on it
// cannot move the target.
class RaceResults : public QObject
{
    Q_OBJECT
public:
    explicit RaceResults(QObject *parent = nullptr);
    ~RaceResults() override;

    const Competition &competition() const { return *m_competition; }
    const ResultPage &page(int index) const { return *m_competition->page(index); }
    bool pageHoldsData(int page) const;
    bool anyPageHoldsData() const;
    // The page a RowId names now; -1 when the row is gone.
    int pageOfRow(RowId row) const;

    // Pages are ranked after every change while automatic ranking is on.
    void setAutoRank(bool on) { m_autoRank = on; }
    bool autoRank() const { return m_autoRank; }
    // The rules the event is scored by, on every page.
    const Regulation &regulation() const { return page(0).regulation(); }
    // A new regulation for the event: every total and place recomputed, as
    // one command over all pages that can be taken back like any other; its
    // line says what changed and whose total or place moved. Without any
    // results it is simply taken, as there is nothing to take back. Returns
    // the command's line (empty when nothing was pushed).
    QString setRegulation(const Regulation &regulation);

    // ---- The command stack.
    const QUndoStack &stack() const { return m_stack; }
    // The command an undo or a redo would act on; null when there is none.
    const ResultCommand *nextUndo() const;
    const ResultCommand *nextRedo() const;
    // Take back or redo one command. The callers (the run session) decide
    // whether the moment allows it.
    void undo();
    void redo();

    // Does change on page k as one command with this text. change returns
    // the row it was about (0: nothing was done, and nothing is pushed).
    // The page is ranked afterwards when rank is set and automatic ranking
    // is on; announce tells the page's views first (pageAboutToChange),
    // which an edit that ends in the command must not hear. Returns the row.
    RowId perform(int k, CommandScope scope, const QString &text, const std::function<RowId(ResultPage &)> &change,
                  bool rank = true, bool announce = true);

    // ---- The commands on a row; each is one step on the stack.
    // The operator's correction of a cell, however his edit ended: only the
    // cells corrected by hand take one, and only the characters their keys
    // let through; the row's total and the ranking follow.
    void editCell(RowId row, int column, const QString &text);
    // A new row with the next free start number on page k.
    RowId addRow(int k);
    void deleteTimes(RowId row);
    void toggleDisqualified(RowId row);
    void removeRow(RowId row);
    // Every total of page k recomputed, then ranked ("Plätze zuweisen und sortieren").
    void rank(int k);
    // Times, penalties, totals and places of page k emptied.
    void clearResults(int k);

    // Why a run can't be moved, or the question to ask before moving it.
    struct RunMovePlan
    {
        RowId target = 0; // 0: refused
        QString text;     // the refusal or the question
    };
    RunMovePlan planRunMove(RowId from, int run, const QString &targetStartNumber) const;
    // Moves a run's time and penalty to another driver of the same class;
    // the source's cells become empty.
    void moveRun(RowId from, int run, RowId to);
    // The run is to be driven again: its cells are emptied.
    void grantReRun(RowId row, int run);

    // ---- Start orders of page k, each one command: a drawn order (the seed
    // goes into the command's line, so the draw can be traced), and the
    // result reversed for a second day (the winner starts last).
    // The order becomes the class's start order; chosenBefore is the driver
    // chosen when it was given, whom taking it back chooses again.
    void drawStartOrder(int k, quint32 seed, RowId chosenBefore = 0);
    void reverseStartOrder(int k, RowId chosenBefore = 0);

    // ---- Loading: the importer fills the competition and returns the
    // regulation the loaded event is scored by, or nothing when it touched
    // nothing. Every page is then scored and ranked anew at once, unless its
    // cells stand as written: a file of the classic regulation loads as it
    // always did. Then the stack starts anew, as the pages are not those its
    // commands knew.
    struct LoadedScoring
    {
        Regulation regulation;
        bool asWritten = false;
    };
    void replaceAll(const std::function<std::optional<LoadedScoring>(Competition &)> &importer);
    // A line for the journal of what happened to the results beyond the
    // commands (a file opened or saved).
    void note(const QString &line) { Q_EMIT journalLine(line); }
    // A writer that needs the competition as it may change it for the time
    // of a write (the first page standing in as a class).
    Competition &competitionForWriting() { return *m_competition; }

    // The label of a driver in command texts: "Nr. 21 Pia Kurz".
    static QString driverLabel(const ResultPage &page, int row);
    static QString runName(int run);

Q_SIGNALS:
    // Cells of the page are about to be written: whoever edits a cell of it
    // ends the edit now.
    void pageAboutToChange(int page);
    // A page's rows or cells changed (a command, its undo or redo, a load).
    void resultsChanged(int page);
    // The page was sorted and placed.
    void pageRanked(int page);
    // The operator cleared the page's results (after resultsChanged).
    void resultsCleared(int page);
    // Views of the page put their cursor on this row.
    void rowFocused(int page, RowId row);
    void classListChanged();
    // A command was taken back (undone) or done again; the page is as the
    // command left it or found it.
    void stepped(const vex::CommandScope &scope, bool undone);
    // A line for the journal: every command done, taken back or redone.
    void journalLine(const QString &line);

private:
    friend class ResultCommand;
    ResultPage &mutablePage(int index) { return *m_competition->page(index); }
    void rankPage(int k);
    void giveStartOrder(int k, const QList<RowId> &order, const QString &what, RowId chosenBefore);
    // Every page's totals under the competition's regulation, then ranked.
    void scoreAllPages();
    void changeRow(RowId row, const QString &text, void (*change)(ResultPage &, int));
    void step(bool undo);

    Competition *m_competition = nullptr;
    QUndoStack m_stack;
    bool m_autoRank = true;
    bool m_stepping = false;
};

// One change of one page: the page before and after it, shared with the page
// as long as they are the same, and what it was about.
class ResultCommand : public QUndoCommand
{
public:
    ResultCommand(RaceResults &results, const CommandScope &scope, const QString &text, PageRows before,
                  PageRows after);
    // A change of the regulation: every page that it changed, and the rules
    // before and after.
    struct PageChange
    {
        int page = 0;
        PageRows before;
        PageRows after;
    };
    ResultCommand(RaceResults &results, const QString &text, QList<PageChange> pages, const Regulation &before,
                  const Regulation &after);

    void undo() override;
    void redo() override;
    const CommandScope &scope() const { return m_scope; }

private:
    void restore(bool undone);

    RaceResults &m_results;
    CommandScope m_scope;
    PageRows m_before;
    PageRows m_after;
    // Only for a change of the regulation.
    QList<PageChange> m_pages;
    std::optional<std::pair<Regulation, Regulation>> m_regulation;
    bool m_pushed = false; // the first redo is the push: the page is there already
};

} // namespace vex

Q_DECLARE_METATYPE(vex::CommandScope)
