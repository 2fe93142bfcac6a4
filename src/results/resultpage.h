#pragma once

#include "results/regulation.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <functional>
#include <utility>

namespace vex {

// The columns of a result page. The first eleven are the classic page and
// file; scoring runs 3 and 4 keep theirs behind them, so every reader of the
// eleven finds them where they always were. Readers show and write the
// columns in the order pageColumns gives: the runs in run order.
enum Column : int {
    ColStNr = 0,
    ColName = 1,
    ColClub = 2,
    ColTR = 3,
    ColTRPenalty = 4,
    ColRun1 = 5,
    ColRun1Penalty = 6,
    ColRun2 = 7,
    ColRun2Penalty = 8,
    ColTotal = 9,
    ColPlace = 10,
    ColRun3 = 11,
    ColRun3Penalty = 12,
    ColRun4 = 13,
    ColRun4Penalty = 14,
};
// The eleven classic columns, which every row holds.
inline constexpr int kColumnCount = 11;
// With the columns of runs 3 and 4, which a row holds once one is written.
inline constexpr int kAllColumnCount = 15;
inline constexpr int kPageCount = 10;

// The title of a start list's optional column of teams; see ResultPage::team.
inline constexpr QStringView kTeamTitle = u"Team";

// The longest text a cell or a caption holds; what comes in longer (from a
// file, a workbook, the keyboard) is cut there. A name of a thousand letters
// is no name, and with this bound every line of a protocol the program
// writes stays short enough for its own reader to take back.
inline constexpr qsizetype kMaxCellLength = 1000;

// Run r (0 = training run) keeps its time in column timeColumn(r) and its
// penalty seconds in the column after it.
constexpr int timeColumn(int run) { return run <= 2 ? 2 * run + 3 : 2 * run + 5; }
constexpr int penaltyColumn(int run) { return timeColumn(run) + 1; }

// The page's columns in reading order for that many scoring runs: start
// number to run 2, the further runs, total and place. For two runs these are
// the classic eleven.
QList<int> pageColumns(int scoringRuns);
// The number of file columns for that many scoring runs (11, 13 or 15).
constexpr int columnsForRuns(int scoringRuns) { return 2 * scoringRuns + 7; }
// The scoring run whose time a column holds, 0 for any other column.
int scoringRunOfTimeColumn(int column);

// Names one row of one page for as long as the row exists, wherever sorting
// or removing other rows moves it; never reused within a run of the program,
// not even on another page. 0 names no row.
using RowId = quint64;

// The column titles written into row 0 of every page at start-up.
const QStringList &defaultColumnTitles();
// The title of any column, the further runs' included.
QString defaultColumnTitle(int column);

// A cell is blank when nothing but blanks and control characters is left.
bool isBlankCell(const QString &text);

// The cells the operator corrects by hand: start number, name, club and the
// penalty seconds. Times, totals and places come only from the race.
bool isHandEditedColumn(int column);
// What a hand-edited cell takes: name and club any character, the others
// digits, "," and "." only.
bool cellTakesCharacter(int column, QChar c);

// The rows of a page with their identities, as a page can be put back to
// them: what a command keeps of the page before and after it. The lists are
// Qt's implicitly shared ones, so a state costs little while the page holds
// the same rows.
struct PageRows
{
    QList<QStringList> rows;
    QList<RowId> ids;
    // The class's own start order (see ResultPage::startOrder).
    QList<RowId> startOrder;

    bool operator==(const PageRows &) const = default;
};

// One class's result page. The cells are the competition data: row 0 holds
// the column titles (they come from files too), rows 1... hold one driver each,
// and every operation numbers rows that way. A page never has fewer than two
// rows, so there is always a data row to select.
// Views read it as a model but never write through it: a cell the operator
// edits goes to the race, which writes it.
class ResultPage : public QAbstractTableModel
{
    Q_OBJECT
public:
    explicit ResultPage(QObject *parent = nullptr);

    // Qt model interface: the view sees the same row numbers as the domain.
    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

    int rows() const { return int(m_rows.size()); }
    int dataRows() const { return rows() - 1; }
    QString cell(int row, int column) const;
    // The cell as people read it: a run the regulation strikes in brackets,
    // "(45,12)"; further runs' blank titles as their usual titles.
    QString displayText(int row, int column) const;
    // Whether the regulation strikes that scoring run's time in this row.
    bool isStruckRun(int row, int run) const;
    // What the regulation makes of a data row (scoreRow), kept until the row
    // or the regulation changes: the ranking's tie-break and the grid's
    // brackets ask for it row by row.
    const RowScore &score(int row) const;
    void setCell(int row, int column, const QString &text);
    const QStringList &row(int row) const { return m_rows.at(row); }
    // The identity of a row (0 outside the page), and the row an identity
    // names now (-1 when that row is gone).
    RowId rowId(int row) const;
    int rowOfId(RowId id) const;
    // Change whenever a cell of the row is written (or the rows are put back
    // to an earlier state), and are never the same for two rows: a reader
    // that keeps what it made of a row knows by them whether to read the row
    // again. The place has a version of its own, as every ranking writes the
    // places of all rows it moves and nothing else of them; rowVersion
    // follows the other cells.
    quint64 rowVersion(int row) const;
    quint64 placeVersion(int row) const;
    void setRow(int row, const QStringList &cells);

    // The rows as they are, and back to such a state (the views are reset and
    // find their rows again by identity). An empty or malformed state is refused.
    PageRows rowsState() const { return {m_rows, m_ids, m_startOrder}; }
    void restoreRows(const PageRows &state);

    // Grows or shrinks to n rows (never below two); new rows are empty.
    void setRowCount(int n);
    // Appends one empty row and returns its number.
    int appendRow();
    // Empties every cell of the row.
    void clearRow(int row);
    // Removes a data row; the last data row is emptied instead, so the page
    // keeps its two rows.
    void removeDataRow(int row);
    // Back to the start-up shape: the titles and one empty data row.
    void reset();

    // Reorders rows 1...last as whole rows with a stable sort; row 0 stays.
    // lessThan compares two data rows.
    void stableSortDataRows(const std::function<bool(const QStringList &, const QStringList &)> &lessThan);
    // Puts the data rows into a new order: order[i] is the current number of
    // the row that becomes row i + 1, so order is a permutation of 1...last.
    // Views keep their current row and selection on the same driver. An
    // order that moves nothing, or that is not such a permutation, changes
    // nothing and returns false.
    bool reorderDataRows(const QList<int> &order);
    // Writes texts[i] into row firstRow + i of one column with a single change
    // notice for the rows that really changed; texts beyond the last row are
    // dropped.
    void setColumnCells(int column, int firstRow, const QStringList &texts);
    // Writes the given (row, text) pairs into one column, rows in ascending
    // order, with a single change notice spanning them; rows outside the page
    // are dropped.
    void setCells(int column, const QList<std::pair<int, QString>> &cells);

    // The regulation the page is scored by; the race hands it to every page.
    const Regulation &regulation() const { return m_regulation; }
    void setRegulation(const Regulation &regulation);
    // How many scoring runs the page shows and writes: those of the
    // regulation, or more where a driver holds a further run (from a file of
    // another event), so that nothing read is hidden or lost on saving.
    int shownRuns() const { return std::max(m_regulation.scoringRuns, m_dataRuns); }
    // The scoring runs 3 and 4 that hold anything in a data row (0 if none).
    int runsWithData() const { return m_dataRuns; }

    // The team a start list names for the driver of a data row (its "Team"
    // column), empty where it names none: then his club is his team. Kept by
    // the row's identity, so it follows the driver through every sorting,
    // move and command taken back; a page reset forgets it.
    QString team(int row) const;
    void setTeam(int row, const QString &team);
    // Whether any data row has a team.
    bool hasTeams() const;

    // The start order the class was given (drawn, or the result reversed),
    // by row identity; empty while the class starts in the order of its
    // rows. It is the class's own: ranking re-sorts the rows but not this,
    // and it is part of the rows' state, so taking a command back takes the
    // order with it. Rows gone since are skipped by whoever walks it.
    const QList<RowId> &startOrder() const { return m_startOrder; }
    void setStartOrder(const QList<RowId> &order) { m_startOrder = order; }
    // The data rows in start order: those of the start order that are still
    // there, then the others as the rows stand.
    QList<int> rowsInStartOrder() const;

    QString caption() const { return m_caption; }
    void setCaption(const QString &caption);
    bool tabVisible() const { return m_tabVisible; }
    void setTabVisible(bool visible);

Q_SIGNALS:
    void captionChanged();
    // The number of shown runs, or what counts, changed.
    void regulationChanged();
    void tabVisibleChanged();

private:
    struct Versions
    {
        quint64 row = 0;
        quint64 place = 0;
        // The row's score, valid while scored is row (0: none).
        quint64 scored = 0;
        RowScore score;
    };

    RowId freshId();
    static Versions freshVersions();
    // A cell of the row was written: that column, or all for -1.
    void touch(int row, int column = -1);
    // The shown runs grow as soon as a further run's cell holds anything, and
    // are counted anew when rows go.
    void noteCell(int row, int column, const QString &text);
    // all: rows may have come back with further runs (an earlier state put
    // back), not just gone.
    void recountRuns(bool all = false);

    QList<QStringList> m_rows;
    QList<RowId> m_ids; // one per row, in row order
    mutable QHash<RowId, int> m_rowOfId; // of m_ids; empty: to be made again
    mutable QList<Versions> m_versions; // one per row, in row order
    QHash<RowId, QString> m_teams;      // only rows with a team
    QList<RowId> m_startOrder;
    QString m_caption;
    bool m_tabVisible = false;
    Regulation m_regulation;
    int m_dataRuns = 0;
};

} // namespace vex
