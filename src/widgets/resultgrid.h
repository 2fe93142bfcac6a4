#pragma once

#include "results/resultpage.h"

#include <QList>
#include <QPoint>
#include <QTableView>

namespace vex {

class ResultGridDelegate;
class ResultGridModel;

// The table of one result page, shown through a model of the grid's own that
// only reads the page. Row 0 of the page holds the column titles: it is
// hidden in the view and shown as the horizontal header instead, so view rows
// and page rows carry the same numbers.
//
// The grid works in two modes. In row mode the whole current row is selected
// and nothing can be edited; in edit mode one editable cell is selected and
// typing edits it in place. Selecting an editable cell (start number, name,
// club, penalty seconds) by mouse or keys enters edit mode; selecting any
// other cell selects its row in row mode. Enter and Escape end edit mode.
//
// The grid writes no cell. However an edit ends, by Enter, by the focus
// leaving, by a click or a key moving to another cell, or by a command that
// selects a row, the text goes out as cellCommitted, once; only Escape drops
// it. Enter in edit mode without an open editor commits the cell's own text.
//
// In row mode a typed character is a search: the next row below the current
// one (wrapping round to row 1) whose cell in the type-ahead column begins
// with it becomes the current row, still in row mode, so that typing the
// next character cannot overwrite the name just found. In edit mode typed
// characters go to the cell editor; start numbers and penalty seconds take
// only digits, "," and ".".
//
// The grid never sorts: the ranking reorders the page, and the current row
// stays on its driver.
//
// Popup menu: the context-menu policy is Qt::CustomContextMenu and the grid
// emits contextMenuRequested(row, globalPos) after a right click has made the
// clicked row current, so the window pops up its own menu for that row.
class ResultGrid : public QTableView
{
    Q_OBJECT
public:
    static constexpr int kRowHeight = 19;
    static constexpr int kFontPixelSize = 15;

    explicit ResultGrid(QWidget *parent = nullptr);
    explicit ResultGrid(const ResultPage *page, QWidget *parent = nullptr);
    ~ResultGrid() override;

    void setResultPage(const ResultPage *page);
    const ResultPage *resultPage() const;

    // Selects the whole row in row mode and makes it the current row. An open
    // editor is committed first; the row is the driver who stood in it then,
    // wherever the commit moved him. Rows outside 1...last are ignored.
    void selectResultRow(int row);
    // Commits an open editor and goes back to row mode on the current row.
    void commitEdit();
    // The current row, or -1 when there is none.
    int currentResultRow() const;
    // Makes an editable cell current in edit mode and opens its editor with
    // the text selected, so typing replaces it. Any other cell selects its
    // row in row mode instead.
    void editCell(int row, int column);

    bool isEditMode() const { return m_editMode; }

    // The column whose first character the type-ahead matches.
    void setTypeAheadColumn(int column);
    int typeAheadColumn() const { return m_typeAheadColumn; }

    // One entry per column of the eleven: -1 hides the column, anything else
    // is its width. Runs 3 and 4, where the page shows them, take run 2's
    // widths out of the name column's.
    void setColumnWidths(const QList<int> &widths);
    QList<int> columnWidths() const;

    // Scrolls so that the given row is the top visible row.
    void setTopRow(int row);
    int topRow() const;
    // How many rows fit into the visible area.
    int visibleRowCount() const;

Q_SIGNALS:
    // An edit of the cell ended with this text; the page is not written yet.
    void cellCommitted(vex::RowId row, int column, const QString &text);
    // Escape: any edit was thrown away and the grid is back in row mode.
    void editCancelled(int row);
    void rowDoubleClicked(int row);
    void currentResultRowChanged(int row);
    void contextMenuRequested(int row, const QPoint &globalPos);

protected:
    bool event(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex &index,
                                                         const QEvent *event = nullptr) const override;
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;
    void closeEditor(QWidget *editor, QAbstractItemDelegate::EndEditHint hint) override;
    void commitData(QWidget *editor) override;

public:
    void keyboardSearch(const QString &search) override;

private:
    friend class ResultGridDelegate;

    void setUpLook();
    void hideTitleRow();
    void selectFirstRowIfNone();
    void enterRowMode();
    void enterEditMode();
    bool isEditableIndex(const QModelIndex &index) const;
    bool acceptsCharacter(int column, QChar c) const;
    void typeAhead(QChar c);
    QWidget *openEditor() const;
    void commitAndClose(QWidget *editor);
    // Called for Enter and Escape, from the grid or from its editor.
    void finishEditing(QWidget *editor);
    void cancelEditing(QWidget *editor);

    ResultGridModel *m_model = nullptr;
    // The eleven widths last given; runs 3 and 4 follow run 2's.
    QList<int> m_widths;
    ResultGridDelegate *m_delegate = nullptr;
    bool m_editMode = false;
    bool m_committing = false; // an edit's text is on its way to the race
    int m_typeAheadColumn = 1;
    int m_userInput = 0;      // > 0 while a mouse or key event of the user is handled
    bool m_selecting = false; // selectResultRow is moving the current index
};

// True for keys that belong to the window's shortcut table rather than to a
// text field: anything with Ctrl, Alt or Meta, and the function keys.
bool isWindowShortcutKey(const QKeyEvent *event);

// True when an action of the widget's window, enabled or not, has the key as
// its shortcut.
bool isWindowActionKey(const QWidget *widget, const QKeyEvent *event);

// Keeps the window's shortcut keys away from a text field: the field's claim
// on Ctrl+..., Alt+... and the function keys (a line edit takes Ctrl+V as
// paste) is refused so the window's actions see them first, and a key whose
// window action is disabled is swallowed instead of being typed or pasted.
// The grid guards its own editor; install it on the window's other fields.
class TWindowShortcutGuard : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;
    // Handles one event for `widget`; true when the event must go no further.
    static bool filter(QWidget *widget, QEvent *event);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
};

} // namespace vex
