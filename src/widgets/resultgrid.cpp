#include "widgets/resultgrid.h"

#include "results/resultpage.h"
#include "widgets/resultgridmodel.h"

#include <QAbstractItemModel>
#include <QAction>
#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <QStyledItemDelegate>

using namespace Qt::StringLiterals;

namespace vex {

namespace {

// Each run keeps its own tint so the eye finds a run's time and penalty
// together; the derived total and place share a third.
QColor columnBackground(int column)
{
    switch (column) {
    case ColStNr:
        return QColor(192, 192, 192);
    case ColName:
    case ColClub:
        return QColor(Qt::white);
    case ColTR:
    case ColTRPenalty:
        return QColor(255, 224, 224);
    case ColRun1:
    case ColRun1Penalty:
    case ColRun2:
    case ColRun2Penalty:
    case ColRun3:
    case ColRun3Penalty:
    case ColRun4:
    case ColRun4Penalty:
        return QColor(255, 255, 192);
    default:
        return QColor(224, 255, 224);
    }
}

bool isFreeTextColumn(int column)
{
    return column == ColName || column == ColClub;
}

bool isFunctionKey(int key)
{
    return key >= Qt::Key_F1 && key <= Qt::Key_F35;
}

} // namespace

bool isWindowShortcutKey(const QKeyEvent *event)
{
    if (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) {
        switch (event->key()) {
        case Qt::Key_Control:
        case Qt::Key_Alt:
        case Qt::Key_Meta:
        case Qt::Key_Shift:
            return false;
        default:
            return true;
        }
    }
    return isFunctionKey(event->key());
}

bool isWindowActionKey(const QWidget *widget, const QKeyEvent *event)
{
    if (!widget)
        return false;
    const QWidget *window = widget->window();
    const QKeySequence pressed(QKeyCombination(event->modifiers(), Qt::Key(event->key())));
    const QKeySequence withoutKeypad(
        QKeyCombination(event->modifiers() & ~Qt::KeypadModifier, Qt::Key(event->key())));
    QList<QAction *> actions = window->actions();
    actions += window->findChildren<QAction *>();
    for (const QAction *action : std::as_const(actions)) {
        const QList<QKeySequence> shortcuts = action->shortcuts();
        for (const QKeySequence &shortcut : shortcuts) {
            if (shortcut == pressed || shortcut == withoutKeypad)
                return true;
        }
    }
    return false;
}

bool TWindowShortcutGuard::filter(QWidget *widget, QEvent *event)
{
    if (event->type() != QEvent::ShortcutOverride && event->type() != QEvent::KeyPress)
        return false;
    auto *key = static_cast<QKeyEvent *>(event);
    if (!isWindowShortcutKey(key))
        return false;
    if (event->type() == QEvent::ShortcutOverride) {
        key->ignore();
        return true;
    }
    // An enabled action has taken the key already; one that is disabled
    // still owns it.
    if (isWindowActionKey(widget, key)) {
        key->accept();
        return true;
    }
    return false;
}

bool TWindowShortcutGuard::eventFilter(QObject *watched, QEvent *event)
{
    if (auto *widget = qobject_cast<QWidget *>(watched); widget && filter(widget, event))
        return true;
    return QObject::eventFilter(watched, event);
}

// Paints the cells and guards the in-place editor. Enter and Escape are taken
// here, before the editor or the standard delegate see them, so that the grid
// commits at once and goes back to row mode in the same key press.
class ResultGridDelegate : public QStyledItemDelegate
{
public:
    explicit ResultGridDelegate(ResultGrid *grid)
        : QStyledItemDelegate(grid)
        , m_grid(grid)
    {
    }

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                          const QModelIndex &index) const override
    {
        QWidget *editor = QStyledItemDelegate::createEditor(parent, option, index);
        if (auto *line = qobject_cast<QLineEdit *>(editor))
            line->setAlignment(alignmentFor(index.column()));
        return editor;
    }

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        option->displayAlignment = alignmentFor(index.column());
        // The current row keeps the selection colours so the operator sees
        // at once which driver the commands act on.
        if (index.row() != m_grid->currentResultRow())
            option->backgroundBrush = columnBackground(index.column());
    }

    bool eventFilter(QObject *object, QEvent *event) override
    {
        auto *editor = qobject_cast<QWidget *>(object);
        // A line edit claims Ctrl+V, Ctrl+F... for itself; the window's
        // shortcut table must get them first, even while editing.
        if (editor && TWindowShortcutGuard::filter(editor, event))
            return true;
        // A click into the grid ends the edit in the grid's own press, which
        // knows the driver clicked before the commit re-ranks the page.
        if (editor && event->type() == QEvent::FocusOut && QApplication::focusWidget() == m_grid
            && static_cast<QFocusEvent *>(event)->reason() == Qt::MouseFocusReason) {
            return true;
        }
        if (editor && event->type() == QEvent::KeyPress) {
            auto *key = static_cast<QKeyEvent *>(event);
            switch (key->key()) {
            case Qt::Key_Return:
            case Qt::Key_Enter:
                m_grid->finishEditing(editor);
                return true;
            case Qt::Key_Escape:
                m_grid->cancelEditing(editor);
                return true;
            default:
                break;
            }
            const QString text = key->text();
            if (!text.isEmpty() && text.front().isPrint()
                && !m_grid->acceptsCharacter(m_grid->currentIndex().column(), text.front())) {
                return true;
            }
        }
        return QStyledItemDelegate::eventFilter(object, event);
    }

private:
    static Qt::Alignment alignmentFor(int column)
    {
        return (isFreeTextColumn(column) ? Qt::AlignLeft : Qt::AlignRight) | Qt::AlignVCenter;
    }

    ResultGrid *m_grid;
};

ResultGrid::ResultGrid(QWidget *parent)
    : ResultGrid(nullptr, parent)
{
}

ResultGrid::ResultGrid(const ResultPage *page, QWidget *parent)
    : QTableView(parent)
{
    m_delegate = new ResultGridDelegate(this);
    setItemDelegate(m_delegate);
    setUpLook();
    enterRowMode();
    setResultPage(page);
}

ResultGrid::~ResultGrid() = default;

void ResultGrid::setUpLook()
{
    QFont gridFont(u"Arial"_s);
    gridFont.setPixelSize(kFontPixelSize);
    setFont(gridFont);

    setShowGrid(true);
    setSortingEnabled(false);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    setTabKeyNavigation(false);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setContextMenuPolicy(Qt::CustomContextMenu);
    connect(this, &QWidget::customContextMenuRequested, this, [this](const QPoint &pos) {
        Q_EMIT contextMenuRequested(currentResultRow(), viewport()->mapToGlobal(pos));
    });

    QHeaderView *rows = verticalHeader();
    rows->hide();
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setMinimumSectionSize(kRowHeight);
    rows->setDefaultSectionSize(kRowHeight);

    QHeaderView *titles = horizontalHeader();
    titles->setSectionResizeMode(QHeaderView::Interactive);
    titles->setSectionsClickable(false);
    titles->setHighlightSections(false);
    titles->setStretchLastSection(false);
    titles->setMinimumSectionSize(1);
    titles->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    titles->setFixedHeight(kRowHeight + 1);
    titles->setStyleSheet(
        u"QHeaderView::section { background-color: rgb(195,195,215); color: black;"
        " border: none; border-right: 1px solid rgb(128,128,128);"
        " border-bottom: 1px solid rgb(128,128,128); padding-left: 2px; }"_s);

    // The operator works in the entry fields most of the time; the current
    // row must stay as visible as when the grid has the focus.
    QPalette pal = palette();
    pal.setColor(QPalette::Inactive, QPalette::Highlight, pal.color(QPalette::Active, QPalette::Highlight));
    pal.setColor(QPalette::Inactive, QPalette::HighlightedText,
                 pal.color(QPalette::Active, QPalette::HighlightedText));
    setPalette(pal);
}

void ResultGrid::setResultPage(const ResultPage *page)
{
    ResultGridModel *old = m_model;
    m_model = page ? new ResultGridModel(page, this) : nullptr;
    setModel(m_model);
    delete old;
    if (!m_model)
        return;
    connect(m_model, &ResultGridModel::cellCommitted, this, &ResultGrid::cellCommitted);
    // Resets and row moves of the page rebuild the header's sections and
    // may forget that the title row is hidden.
    connect(m_model, &QAbstractItemModel::modelReset, this, [this] {
        hideTitleRow();
        selectFirstRowIfNone();
    });
    connect(m_model, &QAbstractItemModel::layoutChanged, this, &ResultGrid::hideTitleRow);
    connect(m_model, &QAbstractItemModel::rowsInserted, this, &ResultGrid::hideTitleRow);
    connect(m_model, &QAbstractItemModel::rowsRemoved, this, [this] {
        hideTitleRow();
        selectFirstRowIfNone();
    });
    hideTitleRow();
    selectFirstRowIfNone();
    // Runs 3 and 4 are kept behind the eleven columns and shown after run 2.
    QHeaderView *header = horizontalHeader();
    for (int c = ColRun3; c <= ColRun4Penalty; ++c)
        header->moveSection(header->visualIndex(c), c - 2);
    connect(page, &ResultPage::regulationChanged, this, [this] { setColumnWidths(m_widths); });
    setColumnWidths(m_widths);
}

const ResultPage *ResultGrid::resultPage() const
{
    return m_model ? m_model->page() : nullptr;
}

void ResultGrid::hideTitleRow()
{
    if (model() && model()->rowCount() > 0 && !isRowHidden(0))
        setRowHidden(0, true);
}

void ResultGrid::selectFirstRowIfNone()
{
    if (!model() || model()->rowCount() < 2)
        return;
    if (!currentIndex().isValid() || currentIndex().row() < 1)
        selectResultRow(1);
}

void ResultGrid::enterRowMode()
{
    m_editMode = false;
    setEditTriggers(QAbstractItemView::NoEditTriggers);
}

void ResultGrid::enterEditMode()
{
    m_editMode = true;
    setEditTriggers(QAbstractItemView::AnyKeyPressed | QAbstractItemView::EditKeyPressed
                    | QAbstractItemView::SelectedClicked);
}

bool ResultGrid::isEditableIndex(const QModelIndex &index) const
{
    return index.isValid() && index.row() >= 1 && (index.flags() & Qt::ItemIsEditable);
}

bool ResultGrid::acceptsCharacter(int column, QChar c) const
{
    return cellTakesCharacter(column, c);
}

// The editor being committed is the commit's own business until it is done.
QWidget *ResultGrid::openEditor() const
{
    if (m_committing || state() != QAbstractItemView::EditingState)
        return nullptr;
    return indexWidget(currentIndex());
}

void ResultGrid::commitAndClose(QWidget *editor)
{
    if (!editor)
        return;
    commitData(editor);
    closeEditor(editor, QAbstractItemDelegate::NoHint);
}

void ResultGrid::commitData(QWidget *editor)
{
    // The race answers a commit by ranking, and whoever follows the ranking
    // may select a row meanwhile: that must not commit the same edit again.
    if (m_committing)
        return;
    const QScopedValueRollback committing(m_committing, true);
    QTableView::commitData(editor);
}

void ResultGrid::commitEdit()
{
    if (!m_editMode && !openEditor())
        return;
    const int row = currentResultRow();
    if (row >= 1)
        selectResultRow(row);
}

void ResultGrid::selectResultRow(int row)
{
    if (!model() || row < 1 || row >= model()->rowCount())
        return;
    // The commit may re-rank the page: the row is the driver, not the number.
    const QPersistentModelIndex target = model()->index(row, 0);
    commitAndClose(openEditor());
    if (!target.isValid())
        return;
    row = target.row();
    enterRowMode();

    int column = currentIndex().isValid() ? currentIndex().column() : 0;
    if (isColumnHidden(column))
        column = 0;
    const QModelIndex index = model()->index(row, column);
    m_selecting = true;
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    m_selecting = false;

    // Only vertical scrolling: the columns are laid out to fit the width.
    const int left = horizontalScrollBar()->value();
    scrollTo(index);
    horizontalScrollBar()->setValue(left);
    viewport()->update();
}

void ResultGrid::editCell(int row, int column)
{
    if (!model() || row < 1 || row >= model()->rowCount() || column < 0 || column >= model()->columnCount())
        return;
    QPersistentModelIndex index = model()->index(row, column);
    if (!isEditableIndex(index)) {
        selectResultRow(row);
        return;
    }
    commitAndClose(openEditor());
    if (!index.isValid())
        return;
    enterEditMode();
    m_selecting = true;
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    m_selecting = false;
    const int left = horizontalScrollBar()->value();
    scrollTo(index);
    horizontalScrollBar()->setValue(left);
    setFocus();
    edit(index);
}

int ResultGrid::currentResultRow() const
{
    const QModelIndex index = currentIndex();
    return index.isValid() ? index.row() : -1;
}

void ResultGrid::setTypeAheadColumn(int column)
{
    if (column >= 0 && column < kColumnCount)
        m_typeAheadColumn = column;
}

void ResultGrid::setColumnWidths(const QList<int> &classicWidths)
{
    m_widths = classicWidths;
    QList<int> widths = classicWidths.mid(0, kColumnCount);
    // Runs 3 and 4 take the widths of run 2, and the name column gives them
    // the room, as long as it keeps some.
    const int runs = resultPage() ? resultPage()->shownRuns() : 2;
    if (widths.size() == kColumnCount) {
        for (int run = 3; run <= kMaxScoringRuns; ++run) {
            const bool shown = run <= runs;
            widths << (shown ? widths.at(ColRun2) : -1) << (shown ? widths.at(ColRun2Penalty) : -1);
            if (shown)
                widths[ColName] = std::max(widths.at(ColName) - widths.at(ColRun2) - widths.at(ColRun2Penalty), 60);
        }
    }
    const int count = model() ? model()->columnCount() : 0;
    for (int c = kColumnCount; c < count && widths.size() <= kColumnCount; ++c)
        setColumnHidden(c, (c >= ColRun4 ? 4 : 3) > runs);
    for (int c = 0; c < count && c < widths.size(); ++c) {
        if (widths.at(c) < 0) {
            setColumnHidden(c, true);
        } else {
            setColumnHidden(c, false);
            setColumnWidth(c, widths.at(c));
        }
    }
}

QList<int> ResultGrid::columnWidths() const
{
    QList<int> widths;
    const int count = model() ? std::min(model()->columnCount(), kColumnCount) : 0;
    for (int c = 0; c < count; ++c)
        widths << (isColumnHidden(c) ? -1 : columnWidth(c));
    return widths;
}

void ResultGrid::setTopRow(int row)
{
    if (!model() || row < 1 || row >= model()->rowCount())
        return;
    const int left = horizontalScrollBar()->value();
    scrollTo(model()->index(row, 0), QAbstractItemView::PositionAtTop);
    horizontalScrollBar()->setValue(left);
}

int ResultGrid::topRow() const
{
    return rowAt(0);
}

int ResultGrid::visibleRowCount() const
{
    return viewport()->height() / kRowHeight;
}

void ResultGrid::keyboardSearch(const QString &)
{
    // The item view's own search would select single cells; the grid's
    // type-ahead replaces it.
}

void ResultGrid::typeAhead(QChar c)
{
    if (!model())
        return;
    const int rows = model()->rowCount();
    const int dataRows = rows - 1;
    if (dataRows < 1)
        return;
    const int start = std::max(currentResultRow(), 0);
    const QChar wanted = c.toCaseFolded();
    for (int step = 1; step <= dataRows; ++step) {
        const int row = (start - 1 + step) % dataRows + 1;
        const QString text = model()->index(row, m_typeAheadColumn).data().toString();
        if (!text.isEmpty() && text.front().toCaseFolded() == wanted) {
            selectResultRow(row);
            return;
        }
    }
}

void ResultGrid::finishEditing(QWidget *editor)
{
    const QPersistentModelIndex cell = currentIndex();
    if (editor)
        commitAndClose(editor);
    else if (isEditableIndex(cell) && !m_committing)
        model()->setData(cell, cell.data(Qt::EditRole), Qt::EditRole);
    if (cell.isValid())
        selectResultRow(cell.row());
}

void ResultGrid::cancelEditing(QWidget *editor)
{
    const int row = currentResultRow();
    if (editor)
        closeEditor(editor, QAbstractItemDelegate::RevertModelCache);
    selectResultRow(row);
    enterRowMode();
    if (row >= 1)
        Q_EMIT editCancelled(row);
}

bool ResultGrid::event(QEvent *event)
{
    // Also keeps a disabled window action's key (F2 of the settings) from
    // opening the cell editor.
    if (TWindowShortcutGuard::filter(this, event))
        return true;
    return QTableView::event(event);
}

void ResultGrid::keyPressEvent(QKeyEvent *event)
{
    const bool commandKey = event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    switch (event->key()) {
    case Qt::Key_Escape:
        cancelEditing(openEditor());
        event->accept();
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (m_editMode) {
            finishEditing(openEditor());
            event->accept();
            return;
        }
        break;
    default:
        break;
    }

    const QString text = event->text();
    const bool printable = !commandKey && !text.isEmpty() && text.front().isPrint();
    if (printable && !m_editMode) {
        if (!text.front().isSpace())
            typeAhead(text.front());
        event->accept();
        return;
    }
    if (printable && m_editMode && !acceptsCharacter(currentIndex().column(), text.front())) {
        event->accept();
        return;
    }

    ++m_userInput;
    QTableView::keyPressEvent(event);
    --m_userInput;
}

void ResultGrid::mousePressEvent(QMouseEvent *event)
{
    if (QWidget *editor = openEditor()) {
        // The click aims at a driver: if the commit moves him, the press
        // follows him to his new row.
        const QPoint pos = event->position().toPoint();
        const QPersistentModelIndex aimed = indexAt(pos);
        commitAndClose(editor);
        if (aimed.isValid() && aimed != indexAt(pos)) {
            scrollTo(aimed);
            const QPoint moved(pos.x(), visualRect(aimed).center().y());
            QMouseEvent again(event->type(), moved, event->scenePosition(), event->globalPosition(), event->button(),
                              event->buttons(), event->modifiers(), event->pointingDevice());
            mousePressEvent(&again);
            event->setAccepted(again.isAccepted());
            return;
        }
    }
    if (event->button() == Qt::RightButton) {
        // The popup menu acts on the current row, so a right click makes the
        // clicked row current without starting an edit.
        const QModelIndex index = indexAt(event->position().toPoint());
        if (index.isValid())
            selectResultRow(index.row());
        event->accept();
        return;
    }
    if (event->button() != Qt::LeftButton) {
        event->accept();
        return;
    }
    // In row mode the clicked cell is selected only as part of its row. Left
    // selected, the view would take the click for a second click on the cell
    // and hold back the editor, losing the keys typed right after the click.
    const QModelIndex index = indexAt(event->position().toPoint());
    const bool editableInRowMode = !m_editMode && isEditableIndex(index);
    if (editableInRowMode)
        selectionModel()->clearSelection();
    ++m_userInput;
    QTableView::mousePressEvent(event);
    --m_userInput;
    // A click on the cell that is current already moves nothing, so the
    // mode is chosen here: the cell just corrected can be corrected again.
    if (editableInRowMode && index == currentIndex()) {
        enterEditMode();
        selectionModel()->select(index, QItemSelectionModel::ClearAndSelect);
    }
}

void ResultGrid::hideEvent(QHideEvent *event)
{
    // A page put away, another class chosen, ends its edit as a click
    // elsewhere does, whichever control has the focus.
    commitEdit();
    QTableView::hideEvent(event);
}

void ResultGrid::mouseMoveEvent(QMouseEvent *event)
{
    ++m_userInput;
    QTableView::mouseMoveEvent(event);
    --m_userInput;
}

void ResultGrid::mouseDoubleClickEvent(QMouseEvent *event)
{
    QTableView::mouseDoubleClickEvent(event);
    if (event->button() != Qt::LeftButton)
        return;
    const QModelIndex index = indexAt(event->position().toPoint());
    if (index.isValid() && index.row() >= 1)
        Q_EMIT rowDoubleClicked(index.row());
}

QItemSelectionModel::SelectionFlags ResultGrid::selectionCommand(const QModelIndex &index,
                                                                const QEvent *event) const
{
    const QItemSelectionModel::SelectionFlags base = QTableView::selectionCommand(index, event);
    if (base == QItemSelectionModel::NoUpdate || !index.isValid())
        return base;
    // A user's selection of a time, total or place cell is turned into the
    // selection of its row; an editable cell is selected on its own.
    const bool wholeRow = event ? !isEditableIndex(index) : !m_editMode;
    return QItemSelectionModel::ClearAndSelect
           | (wholeRow ? QItemSelectionModel::Rows : QItemSelectionModel::NoUpdate);
}

void ResultGrid::currentChanged(const QModelIndex &current, const QModelIndex &previous)
{
    QTableView::currentChanged(current, previous);
    if (!m_selecting && m_userInput > 0 && current.isValid()) {
        if (isEditableIndex(current))
            enterEditMode();
        else
            enterRowMode();
    }
    if (current.row() != previous.row()) {
        // The row colours depend on which row is current.
        viewport()->update();
        if (current.isValid())
            Q_EMIT currentResultRowChanged(current.row());
    }
}

void ResultGrid::closeEditor(QWidget *editor, QAbstractItemDelegate::EndEditHint hint)
{
    // Tab ends the edit but never wanders into the next cell.
    if (hint == QAbstractItemDelegate::EditNextItem || hint == QAbstractItemDelegate::EditPreviousItem)
        hint = QAbstractItemDelegate::NoHint;
    QTableView::closeEditor(editor, hint);
}

} // namespace vex
