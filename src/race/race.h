#pragma once

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
#include <functional>
#include <optional>

namespace vex {

class AutomationServers;
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

// What loading a file brought: the messages for the operator, in order.
struct RaceLoadResult
{
    bool opened = false;
    QStringList messages;
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
    // ticks: the counter the running clock reads; timers: the running clock,
    // the finish-barrier lock and the automatic entry.
    Race(const TickSource &ticks, Timers &timers, QObject *parent = nullptr);
    ~Race() override;

    // ---- State, for observers: what they read, never what they write.
    const Competition &competition() const { return *m_competition; }
    const ResultPage *activePage() const { return m_competition->page(m_entry.page); }
    const RaceEntry &entry() const { return m_entry; }
    const RunController &runController() const { return *m_run; }
    const RunControls &runControls() const { return m_run->controls(); }
    const Settings &settings() const { return m_settings; }
    // The start numbers of the walk order as they stood when the class was
    // chosen (what the start-number list offers), and their rows.
    const QStringList &walkOrderNumbers() const { return m_walkNumbers; }
    const QList<RowId> &walkOrder() const { return m_walkRows; }
    // The best total of the active page in ms (0: none) and its driver
    // ("start number name").
    qint32 bestTimeMs() const { return m_bestTimeMs; }
    const QString &bestDriverLabel() const { return m_bestDriverLabel; }
    const ColumnWidthPercent &columnWidthPercent() const { return m_widths; }
    bool pageHoldsData(int page) const;
    bool anyPageHoldsData() const;
    // The file the class list came from ("" until a load succeeded).
    const QString &loadedPath() const { return m_loadedPath; }
    // The page and row a RowId names now; -1 when the row is gone.
    int pageOfRow(RowId row) const;

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

    // ---- Result pages.
    // The operator's correction of a cell, however his edit ended: only the
    // cells corrected by hand take one, and only the characters their keys
    // let through; the row's total and the ranking follow, also when the
    // text is what the cell held.
    void editCell(RowId row, int column, const QString &text);
    // A new row with the next free start number on the active page.
    RowId addRow();
    void deleteTimes(RowId row);
    void toggleDisqualified(RowId row);
    void removeRow(RowId row);
    // All totals of the active page recomputed, then ranked.
    void rank();
    // Times, penalties, totals and places of the active page emptied.
    void clearResults();

public:
    // ---- Files (absolute paths). Each returns the operator's message on failure.
    RaceLoadResult load(const QString &path);
    std::optional<QString> save(const QString &path);
    std::optional<QString> writeHtml(const QString &path, const QString &appTitle);
    // Hands the competition to another writer (spreadsheet, word processor,
    // backup) as the text and web writers see it.
    std::optional<QString> exportWith(const std::function<std::optional<QString>(const Competition &)> &writer);
    // Lets an importer fill the competition (a workbook's start list).
    std::optional<QString> importWith(const std::function<std::optional<QString>(Competition &)> &importer);

    // ---- Spreadsheet and word processor, through the automation servers
    // (set once at start-up; without them both count as missing).
    void setOfficeServers(AutomationServers *servers, const QString &wordTemplatePath);
    bool spreadsheetAvailable() const;
    bool wordProcessorAvailable() const;
    // A workbook's start list from the start cell on; a success ends like
    // load(): the first class and its first driver chosen, the path kept.
    // A failure leaves the competition as it was.
    RaceLoadResult importWorkbook(const QString &path);
    // The protocol as a workbook at path; an empty path shows it in the
    // spreadsheet program instead.
    std::optional<QString> exportWorkbook(const QString &path);
    // The word-processor report: mode 0 shows it (saved under the date stamp
    // in the working folder), mode 1 saves it at path. Returns the operator's
    // message when it was begun but not saved; without a word processor
    // there is none.
    std::optional<QString> writeWordReport(int mode, const QString &path);

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
    // Cells of the page are about to be written by a command: whoever edits
    // a cell of it ends the edit now.
    void pageAboutToChange(int page);
    // A page's rows or cells changed (entry, edit, ranking, load, clear).
    void resultsChanged(int page);
    // The page was sorted and placed.
    void pageRanked(int page);
    // Views of the page put their cursor on this row.
    void rowFocused(int page, RowId row);
    void classListChanged();
    // The protocol text file was written completely to this path.
    void protocolSaved(const QString &path);
    // The operator cleared the page's results (after resultsChanged).
    void resultsCleared(int page);
    void settingsChanged();
    void startSoundRequested();
    void stopSoundRequested();
    // The progress of a workbook import or export: shown, captioned, its
    // maximum and value; closed at the end of every one that was shown.
    void progressShown();
    void progressCaptionChanged(const QString &caption);
    void progressMaximumChanged(int maximum);
    void progressChanged(int value);
    void progressClosed();

private:
    ResultPage &page(int index) { return *m_competition->page(index); }
    const ResultPage &page(int index) const { return *m_competition->page(index); }
    void rebuildWalkOrder();
    void takeDriverFromRow(int row);
    void rankPage(int page);
    void changeRowAndRank(RowId row, void (*change)(ResultPage &, int));
    void findPageBest();
    void setBest(qint32 ms, const QString &label);
    int targetRow() const;
    void publishEntry();

    Competition *m_competition = nullptr;
    RunController *m_run = nullptr;
    Settings m_settings;
    ColumnWidthPercent m_widths;
    RaceEntry m_entry;
    RaceEntry m_published;
    QList<RowId> m_walkRows;
    QStringList m_walkNumbers;
    std::array<RowId, kPageCount> m_cursor{};
    qint32 m_bestTimeMs = 0;
    QString m_bestDriverLabel;
    QString m_loadedPath;
    AutomationServers *m_office = nullptr;
    QString m_wordTemplatePath;

    // ---- Corrections of false contacts and mistaken entries
    // (racecorrections.cpp). Each one that changes something leaves a line
    // for the contact log (correctionLogged), so a disputed time can be
    // traced afterwards.
public:
    // Why a run can't be moved, or the question to ask before moving it.
    struct RunMovePlan
    {
        RowId target = 0; // 0: refused
        QString text;     // the refusal or the question
    };
    RunMovePlan planRunMove(RowId from, int run, const QString &targetStartNumber) const;
    bool canUndoEntry() const;

public Q_SLOTS:
    // A stopped run that a false finish stopped goes on from its own start
    // ("Weiterlaufen"); only before it is entered.
    void resumeRun();
    // Moves a run's time and penalty to another driver of the same class;
    // the source's cells become empty, a time the target had goes to the log.
    void moveRun(RowId from, int run, RowId to);
    // The run is to be driven again: its time goes to the log, its cells are
    // emptied.
    void grantReRun(RowId row, int run);
    // Takes back the last entry once: the row as it was before, the driver
    // chosen again; an entry not yet followed by "Nächster" can be entered
    // anew. Refused while a run is timed or the row was changed since.
    void undoEntry();

Q_SIGNALS:
    void correctionLogged(const QString &line);

private:
    struct EntryUndo
    {
        int page = -1; // -1: nothing to undo
        RowId row = 0;
        bool newRow = false;
        QStringList before;
        QStringList after;
        RaceEntry entry;
    };
    // A stop this soon after the start counts for nothing (MinLauf).
    bool stopTooEarly(quint32 tick, qint64 micros);
    void recordEntry(int page, RowId row, const QStringList &before, bool newRow);
    QString runLabel(int page, int row, int run) const;
    EntryUndo m_undo;
};

} // namespace vex
