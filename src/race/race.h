#pragma once

#include "race/raceresults.h"
#include "results/columnwidths.h"
#include "results/competition.h"
#include "results/resultpage.h"
#include "settings/settings.h"
#include "timing/runcontroller.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <array>

namespace vex {

class Timers;
class TickSource;

// The driver being timed, as the operator has set him up.
struct RaceEntry
{
    int page = 0;       // the class: result page 0...9
    int run = 0;        // 0 "TR", 1 and 2 the scoring runs
    int position = -1;  // place in the walk order of "Nächster"; -1: none
    RowId row = 0;      // the driver's row when he was chosen from the page; 0: none
    QString startNumber;
    QString name;
    QString club;
    int penaltySeconds = 0;
    // The driver on the displays: the last one chosen from the page.
    QString shownNumber;
    QString shownName;
    // The driver's row holds a time for the chosen run already ("Zeit existiert!!!").
    bool timeExists = false;

    bool operator==(const RaceEntry &) const = default;
};

// One race: the competition (ten result pages and the class list), the run
// controller, the settings record and the operator's entry, all as plain
// data. It is the only coordinator: the main window, the spectators' display,
// the light barriers, the settings dialog and the backup send it commands and
// follow its signals; none of them keeps state of the race on its own.
//
// Commands that the current run state doesn't allow do nothing, whoever sends
// them. Rows are named by RowId, never by their number, so a re-sort or a
// removal between choosing a row and acting on it cannot move the target.
// Paths are absolute; the race never changes the working folder.
class Race : public QObject
{
    Q_OBJECT
public:
    // results: the pages and their command stack, which the race commands;
    // ticks: the counter the running clock reads; timers: the running clock,
    // the finish-barrier lock and the automatic entry.
    Race(RaceResults &results, const TickSource &ticks, Timers &timers, QObject *parent = nullptr);
    ~Race() override;

    // ---- State, for observers: what they read, never what they write.
    const RaceResults &results() const { return m_results; }
    RaceResults &results() { return m_results; }
    const Competition &competition() const { return m_results.competition(); }
    const ResultPage *activePage() const { return &m_results.page(m_entry.page); }
    const RaceEntry &entry() const { return m_entry; }
    const RunController &runController() const { return *m_run; }
    const RunControls &runControls() const { return m_run->controls(); }
    const Settings &settings() const { return m_settings; }
    // The settings as the settings dialog shows them: the regulation is the
    // open event's, which a loaded protocol may have brought.
    Settings settingsForDialog() const;
    // The start numbers of the walk order as they stood when the class was
    // chosen (what the start-number list offers), and their rows.
    const QStringList &walkOrderNumbers() const { return m_walkNumbers; }
    const QList<RowId> &walkOrder() const { return m_walkRows; }
    // The best total of the active page in ms (0: none) and its driver
    // ("start number name").
    qint32 bestTimeMs() const { return m_bestTimeMs; }
    const QString &bestDriverLabel() const { return m_bestDriverLabel; }
    const ColumnWidthPercent &columnWidthPercent() const { return m_widths; }
    bool pageHoldsData(int page) const { return m_results.pageHoldsData(page); }
    bool anyPageHoldsData() const { return m_results.anyPageHoldsData(); }
    // The page and row a RowId names now; -1 when the row is gone.
    int pageOfRow(RowId row) const { return m_results.pageOfRow(row); }

public Q_SLOTS:
    // ---- Settings.
    // Takes a whole settings record (start-up, the settings dialog).
    void applySettings(const Settings &settings);
    void setAutoEntry(bool on);
    void setClubShown(bool shown);
    // The file-type choices of the save and open dialogs (1-based).
    void setFileFilters(int saveFilter, int openFilter);
    // The live results page on the network, and its port.
    void setLivePage(bool on, int port);

    // ---- Choosing.
    // A class by its page (a class-list entry or a tab): the walk order is
    // built from the page's rows as they stand, and the driver at the page's
    // cursor row is chosen. An index outside the pages keeps the page.
    void chooseClass(int page);
    // The driver at this position of the walk order.
    void chooseDriver(int position);
    // A row of the active page picked on screen (double click): chosen when
    // it is in the walk order under the start number it had then.
    void chooseDriverRow(RowId row);
    // The start number as typed: a driver of the page with it is chosen;
    // otherwise the typed number stands for a new driver.
    void typeStartNumber(const QString &text);
    void setName(const QString &name);
    void setClub(const QString &club);
    void chooseRun(int run);
    // The operator moved a page's cursor; choosing the class again starts there.
    void setCursorRow(RowId row);

    // ---- Timing. tick is the counter reading of the event, taken first.
    // micros: the moment in microseconds of the steady clock where the event
    // has it (the light barriers); a run with it at both ends is recorded
    // from it.
    void start(quint32 tick, qint64 micros = RunController::kNoMicros);
    void stop(quint32 tick, qint64 micros = RunController::kNoMicros);
    void abort();
    void toggleStartBarrier();
    void toggleFinishBarrier();
    // The serial port of the light barriers opened or closed.
    void setPortOpen(bool open);

    // ---- Penalty seconds of the entry.
    // The penalty buttons: only while penalties may be given.
    void addPenalty(int seconds);
    // Penalties are never negative: below 0 counts 0.
    void setPenalty(int seconds);
    // The penalty field's text: whatever isn't a whole number (an emptied
    // field too) counts 0.
    void setPenaltyText(const QString &text);
    void penaltyUp();
    void penaltyDown(); // never below 0

    // ---- Recording.
    // The stopped run with its penalty into the driver's row, then ranking.
    // A run of an hour or more is refused (entryRefused): the time text has
    // no hours and would enter its minutes only.
    void enter();
    // Throws away a stopped run that was refused.
    void discardRun();
    // Prepares the next driver of the walk order (wrapping to the first).
    void next();

    // ---- Result pages: commands on the active page.
    // A new row with the next free start number on the active page.
    RowId addRow();
    // All totals of the active page recomputed, then ranked.
    void rank();
    // Times, penalties, totals and places of the active page emptied; a run
    // being timed is aborted first.
    void clearResults();
    // A new start order of the active page (drawn with the seed, or the
    // result reversed); the walk order follows it from its first driver.
    void drawStartOrder(quint32 seed);
    void reverseStartOrder();

    // ---- Undo and redo of the commands of the results, where the change
    // was made: its class in front, its driver and run chosen again, and the
    // run state consistent with the row. Refused (stepRefused) while a run
    // is timed or waits to be entered, as the driver of that run would
    // change under it; the entry of that very run is the exception.
    void undo();
    void redo();

public:
    // ---- A new list in the pages (a load, an import): the run in progress
    // ends; when the file was opened the first class and its first driver
    // are chosen, otherwise the class stays and its walk order is built anew.
    void takeNewList(bool opened);
    // The run being timed, stopped or entered ends, as an abort would end it.
    void endRunInProgress();

Q_SIGNALS:
    // The entry (class, run, driver, penalty, time warning) changed.
    void entryChanged();
    // The walk order was rebuilt (class chosen, file loaded).
    void walkOrderChanged();
    // The run state and what it enables (RunControls) changed.
    void runControlsChanged();
    // The running row shows this time (every 10 ms while running, the run
    // time at the stop).
    void runningTime(qint32 ms);
    // Abort or next driver: display colours afresh, 0 on the running row,
    // the best time on its row.
    void displayReset();
    void bestTimeChanged();
    // The stopped run can't be entered; the question tells the operator why
    // and asks whether to throw it away (discardRun). The run stays stopped
    // until then.
    void entryRefused(const QString &question);
    // Views of the page put their cursor on this row.
    void rowFocused(int page, RowId row);
    void settingsChanged();
    void startSoundRequested();
    void stopSoundRequested();

private:
    const ResultPage &page(int index) const { return m_results.page(index); }
    void rebuildWalkOrder();
    void takeDriverFromRow(int row);
    void findPageBest();
    void setBest(qint32 ms, const QString &label);
    int targetRow() const;
    void publishEntry();

    RaceResults &m_results;
    RunController *m_run = nullptr;
    Settings m_settings;
    ColumnWidthPercent m_widths;
    RaceEntry m_entry;
    RaceEntry m_published;
    QList<RowId> m_walkRows;
    QStringList m_walkNumbers;
    QList<RowId> m_walkSource; // the page's start order the walk was built from
    std::array<RowId, kPageCount> m_cursor{};
    qint32 m_bestTimeMs = 0;
    QString m_bestDriverLabel;

    // ---- Corrections of false contacts and mistaken entries
    // (racecorrections.cpp).
public:
    bool canUndo() const { return stepAllowed(true); }
    bool canRedo() const { return stepAllowed(false); }

public Q_SLOTS:
    // A stopped run that a false finish stopped goes on from its own start
    // ("Weiterlaufen"); only before it is entered.
    void resumeRun();

Q_SIGNALS:
    // A line for the contact log: a correction of the run being timed, an
    // ignored stop, a step back or forward.
    void correctionLogged(const QString &line);
    // What an undo or redo did, or why it was refused: for the status bar.
    void stepReported(const QString &text);

private:
    // A stop this soon after the start counts for nothing (MinLauf, and a
    // key's bounce whatever MinLauf says).
    bool stopTooEarly(quint32 tick, qint64 micros);
    bool stepAllowed(bool undo) const;
    bool isPendingEntry(const CommandScope &scope) const;
    void followStep(const CommandScope &scope, bool undone);
    void followResults(int page);
    // Every timed run gets a token; an entry remembers the one it entered.
    quint64 m_runToken = 0;
};

} // namespace vex
