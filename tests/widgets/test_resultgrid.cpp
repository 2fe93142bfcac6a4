#include "results/resultpage.h"
#include "widgets/resultgrid.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

#include <memory>

using namespace Qt::StringLiterals;
using namespace vex;

class TestResultGrid : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void furtherRunsFollowRunTwo();

    void titleRowStaysHiddenAndNamesTheColumns();
    void clickChoosesMode_data();
    void clickChoosesMode();
    void keyFilter_data();
    void keyFilter();
    void enterCommitsAndReportsRow();
    void escapeDropsEditAndReportsRow();
    void escapeInRowMode();
    void clickOnCurrentCellEditsAgain();
    void editCellOpensEditorWithTextSelected();
    void typeAheadWrapsCaseInsensitively();
    void typeAheadFollowsSortColumn();
    void doubleClickReportsRow();
    void rightClickSelectsRowForPopup();
    void columnWidthsHideAndShow();
    void windowShortcutsBeatEditor_data();
    void windowShortcutsBeatEditor();
    void dataRowsTakeColumnColours();

private:
    QModelIndex cell(int row, int column) const { return m_grid->model()->index(row, column); }
    void click(int row, int column);
    QLineEdit *editor() const;
    // Keys go where the keyboard would send them: to the focus widget.
    static void type(const QString &text);

    struct Commit
    {
        RowId row;
        int column;
        QString text;
        bool operator==(const Commit &) const = default;
    };

    std::unique_ptr<QWidget> m_window;
    ResultPage *m_page = nullptr;
    // What the grid committed, in order; a stand-in for the race writes it.
    QList<Commit> m_commits;
    ResultGrid *m_grid = nullptr;
};

void TestResultGrid::init()
{
    m_window = std::make_unique<QWidget>();
    m_page = new ResultPage(m_window.get());
    m_page->setRow(0, defaultColumnTitles());
    m_page->setRowCount(5);
    m_page->setRow(1, {u"7"_s, u"Meier, Jan"_s, u"AC"_s, u""_s, u"0"_s, u"45,12"_s, u"2"_s, u"50,00"_s, u"0"_s,
                       u"1:37,12"_s, u"2"_s});
    m_page->setRow(2, {u"8"_s, u"Müller, Eva"_s, u"MC"_s, u""_s, u""_s, u"44,00"_s, u"0"_s, u"40,00"_s, u"0"_s,
                       u"1:24,00"_s, u"1"_s});
    m_page->setRow(3, {u"9"_s, u"Abel, Kim"_s, u"AC"_s});
    m_page->setRow(4, {u"10"_s, u"mann, Ole"_s, u"KC"_s});

    auto *layout = new QVBoxLayout(m_window.get());
    m_grid = new ResultGrid(m_page, m_window.get());
    m_commits.clear();
    connect(m_grid, &ResultGrid::cellCommitted, m_page, [this](RowId row, int column, const QString &text) {
        m_commits.append({row, column, text});
        m_page->setCell(m_page->rowOfId(row), column, text);
    });
    layout->addWidget(m_grid);
    m_grid->setColumnWidths({40, 160, 90, 60, 40, 60, 40, 60, 40, 60, 40});
    m_window->resize(900, 300);
    m_window->show();
    QApplication::setActiveWindow(m_window.get());
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    m_grid->setFocus();
}

// Runs 3 and 4 stand behind the eleven columns but show after run 2, only
// while the page shows them; a struck run reads in brackets.
void TestResultGrid::furtherRunsFollowRunTwo()
{
    QHeaderView *header = m_grid->horizontalHeader();
    QVERIFY(m_grid->isColumnHidden(ColRun3));
    QVERIFY(m_grid->isColumnHidden(ColRun4));
    Regulation bestTwoOfThree;
    bestTwoOfThree.scoringRuns = 3;
    m_page->setRegulation(bestTwoOfThree);
    QVERIFY(!m_grid->isColumnHidden(ColRun3));
    QVERIFY(m_grid->isColumnHidden(ColRun4));
    QCOMPARE(header->visualIndex(ColRun3), ColRun2Penalty + 1);
    QCOMPARE(header->visualIndex(ColTotal), ColRun2Penalty + 5);
    QCOMPARE(m_grid->columnWidth(ColRun3), m_grid->columnWidth(ColRun2));
    QCOMPARE(m_page->headerData(ColRun3, Qt::Horizontal).toString(), u"Lauf 3"_s);
    m_page->setCell(1, ColRun3, u"44,50"_s);
    m_page->setCell(1, ColRun3Penalty, u"0"_s);
    QCOMPARE(m_page->data(m_page->index(1, ColRun2)).toString(), u"(50,00)"_s);
    if (const QString folder = qEnvironmentVariable("VEX_REGULATION_SCREENSHOTS"); !folder.isEmpty())
        m_window->grab().save(folder + u"/grid-three-runs.png"_s);
}

void TestResultGrid::cleanup()
{
    m_window.reset();
    m_page = nullptr;
    m_grid = nullptr;
}

void TestResultGrid::click(int row, int column)
{
    QTest::mouseClick(m_grid->viewport(), Qt::LeftButton, {}, m_grid->visualRect(cell(row, column)).center());
}

void TestResultGrid::type(const QString &text)
{
    for (QChar c : text)
        QTest::keyClicks(QApplication::focusWidget(), QString(c));
}

QLineEdit *TestResultGrid::editor() const
{
    // A closed editor is hidden at once and deleted later.
    const QList<QLineEdit *> lines = m_grid->viewport()->findChildren<QLineEdit *>();
    for (QLineEdit *line : lines) {
        if (line->isVisible())
            return line;
    }
    return nullptr;
}

void TestResultGrid::titleRowStaysHiddenAndNamesTheColumns()
{
    QVERIFY(m_grid->isRowHidden(0));
    QCOMPARE(m_grid->rowAt(1), 1);
    QCOMPARE(m_grid->horizontalHeader()->model()->headerData(5, Qt::Horizontal).toString(), u"Lauf 1"_s);
    QCOMPARE(m_grid->currentResultRow(), 1);

    // Loading titles from a file shows them in the header.
    m_page->setCell(0, 1, u"Name"_s);
    QCOMPARE(m_grid->model()->headerData(1, Qt::Horizontal).toString(), u"Name"_s);

    // A page that is cleared, refilled or sorted keeps its titles out of the rows.
    m_page->reset();
    QVERIFY(m_grid->isRowHidden(0));
    QCOMPARE(m_grid->currentResultRow(), 1);
    m_page->setRowCount(4);
    m_page->stableSortDataRows([](const QStringList &a, const QStringList &b) { return a.at(0) > b.at(0); });
    QVERIFY(m_grid->isRowHidden(0));
    QCOMPARE(m_grid->rowAt(1), 1);
}

void TestResultGrid::clickChoosesMode_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<bool>("editable");
    const bool editable[kColumnCount] = {true, true, true, false, true, false, true, false, true, false, false};
    for (int c = 0; c < kColumnCount; ++c)
        QTest::addRow("column %d", c) << c << editable[c];
}

void TestResultGrid::clickChoosesMode()
{
    QFETCH(int, column);
    QFETCH(bool, editable);

    click(2, column);
    QCOMPARE(m_grid->currentResultRow(), 2);
    QCOMPARE(m_grid->isEditMode(), editable);
    const QModelIndexList selected = m_grid->selectionModel()->selectedIndexes();
    if (editable) {
        QCOMPARE(selected, QModelIndexList{cell(2, column)});
        QCOMPARE(m_grid->editTriggers() & QAbstractItemView::AnyKeyPressed, QAbstractItemView::AnyKeyPressed);
    } else {
        QCOMPARE(selected.size(), kAllColumnCount);
        QVERIFY(m_grid->selectionModel()->isRowSelected(2, {}));
        QCOMPARE(m_grid->editTriggers(), QAbstractItemView::NoEditTriggers);
    }

    // Keys select cells too: a step down keeps the column and so the mode.
    QTest::keyClick(m_grid, Qt::Key_Down);
    QCOMPARE(m_grid->currentResultRow(), 3);
    QCOMPARE(m_grid->isEditMode(), editable);
    QCOMPARE(m_grid->selectionModel()->isRowSelected(3, {}), !editable);
}

void TestResultGrid::keyFilter_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("expected");

    QTest::newRow("start number drops letters") << int(ColStNr) << u"1a2"_s << u"12"_s;
    QTest::newRow("penalty keeps separators") << int(ColRun1Penalty) << u"2,5.x"_s << u"2,5."_s;
    QTest::newRow("penalty drops blank and minus") << int(ColTRPenalty) << u"3 -4"_s << u"34"_s;
    QTest::newRow("name takes anything") << int(ColName) << u"Öz, Ali-3"_s << u"Öz, Ali-3"_s;
    QTest::newRow("club takes anything") << int(ColClub) << u"MSC e.V."_s << u"MSC e.V."_s;
}

void TestResultGrid::keyFilter()
{
    QFETCH(int, column);
    QFETCH(QString, typed);
    QFETCH(QString, expected);

    const QString before = m_page->cell(3, column);
    click(3, column);
    QVERIFY(m_grid->isEditMode());
    type(typed);
    QLineEdit *line = editor();
    QVERIFY(line);
    QCOMPARE(line->text(), expected);
    QCOMPARE(m_page->cell(3, column), before); // nothing is written before Enter
}

void TestResultGrid::enterCommitsAndReportsRow()
{
    QSignalSpy cancelled(m_grid, &ResultGrid::editCancelled);

    // A letter first is swallowed without opening an editor.
    click(2, ColRun1Penalty);
    QTest::keyClick(m_grid, Qt::Key_X);
    QVERIFY(!editor());

    type(u"12"_s);
    QVERIFY(editor());
    QTest::keyClick(editor(), Qt::Key_Return);

    QCOMPARE(m_commits, (QList<Commit>{{m_page->rowId(2), ColRun1Penalty, u"12"_s}}));
    QCOMPARE(cancelled.size(), 0);
    QVERIFY(!m_grid->isEditMode());
    QVERIFY(m_grid->selectionModel()->isRowSelected(2, {}));
    QVERIFY(!editor());

    // Enter in edit mode without an open editor commits the cell as it stands.
    click(3, ColName);
    QTest::keyClick(m_grid, Qt::Key_Enter);
    QCOMPARE(m_commits.size(), 2);
    QCOMPARE(m_commits.at(1), (Commit{m_page->rowId(3), ColName, u"Abel, Kim"_s}));
    QVERIFY(!m_grid->isEditMode());

    // In row mode Enter finishes nothing.
    QTest::keyClick(m_grid, Qt::Key_Return);
    QCOMPARE(m_commits.size(), 2);
}

void TestResultGrid::escapeDropsEditAndReportsRow()
{
    QSignalSpy cancelled(m_grid, &ResultGrid::editCancelled);

    // Row 1 is current and selected as a whole: the click must still let the
    // very next key open the editor.
    click(1, ColName);
    type(u"Xaver"_s);
    QVERIFY(editor());
    QTest::keyClick(editor(), Qt::Key_Escape);

    QCOMPARE(m_page->cell(1, ColName), u"Meier, Jan"_s);
    QCOMPARE(cancelled.size(), 1);
    QCOMPARE(cancelled.at(0).at(0).toInt(), 1);
    QVERIFY(m_commits.isEmpty());
    QVERIFY(!m_grid->isEditMode());
    QVERIFY(m_grid->selectionModel()->isRowSelected(1, {}));

    // Back in row mode, typing searches instead of editing.
    QTest::keyClick(m_grid, Qt::Key_X);
    QVERIFY(!editor());
    QCOMPARE(m_page->cell(1, ColName), u"Meier, Jan"_s);
}

void TestResultGrid::escapeInRowMode()
{
    QSignalSpy cancelled(m_grid, &ResultGrid::editCancelled);
    click(4, ColTotal);
    QTest::keyClick(m_grid, Qt::Key_Escape);
    QCOMPARE(cancelled.size(), 1);
    QCOMPARE(cancelled.at(0).at(0).toInt(), 4);
    QVERIFY(m_grid->selectionModel()->isRowSelected(4, {}));
}

void TestResultGrid::clickOnCurrentCellEditsAgain()
{
    // After Enter the row is selected with the corrected cell still current;
    // clicking that cell again must open it for the next correction.
    click(2, ColRun1Penalty);
    type(u"3"_s);
    QTest::keyClick(editor(), Qt::Key_Return);
    QVERIFY(!m_grid->isEditMode());
    QCOMPARE(m_grid->currentIndex(), cell(2, ColRun1Penalty));
    click(2, ColRun1Penalty);
    QVERIFY(m_grid->isEditMode());
    QCOMPARE(m_grid->selectionModel()->selectedIndexes(), QModelIndexList{cell(2, ColRun1Penalty)});
    type(u"4"_s);
    QTest::keyClick(editor(), Qt::Key_Return);
    QCOMPARE(m_page->cell(2, ColRun1Penalty), u"4"_s);

    // A time cell clicked again stays in row mode.
    click(2, ColRun1);
    click(2, ColRun1);
    QVERIFY(!m_grid->isEditMode());
}

void TestResultGrid::editCellOpensEditorWithTextSelected()
{
    QSignalSpy rowChanged(m_grid, &ResultGrid::currentResultRowChanged);
    m_grid->editCell(4, ColStNr);
    QVERIFY(m_grid->isEditMode());
    QCOMPARE(m_grid->currentIndex(), cell(4, ColStNr));
    QCOMPARE(rowChanged.size(), 1);
    QLineEdit *line = editor();
    QVERIFY(line);
    QCOMPARE(line->selectedText(), u"10"_s);
    type(u"4x2"_s);
    QTest::keyClick(editor(), Qt::Key_Return);
    QCOMPARE(m_page->cell(4, ColStNr), u"42"_s);
    QVERIFY(!m_grid->isEditMode());

    // A cell that is never edited by hand selects its row instead.
    m_grid->editCell(3, ColTotal);
    QVERIFY(!m_grid->isEditMode());
    QVERIFY(!editor());
    QVERIFY(m_grid->selectionModel()->isRowSelected(3, {}));
}

void TestResultGrid::typeAheadWrapsCaseInsensitively()
{
    // Names: 1 Meier, 2 Müller, 3 Abel, 4 mann.
    m_grid->selectResultRow(3);
    QTest::keyClick(m_grid, Qt::Key_M);
    QCOMPARE(m_grid->currentResultRow(), 4);
    QTest::keyClick(m_grid, Qt::Key_M);
    QCOMPARE(m_grid->currentResultRow(), 1); // wrapped past the end to row 1
    QTest::keyClick(m_grid, Qt::Key_M, Qt::ShiftModifier);
    QCOMPARE(m_grid->currentResultRow(), 2);

    // The found row is selected as a whole and nothing was edited.
    QVERIFY(!m_grid->isEditMode());
    QVERIFY(m_grid->selectionModel()->isRowSelected(2, {}));
    QCOMPARE(m_page->cell(2, ColName), u"Müller, Eva"_s);

    // Only the current row matches: it stays; no match at all: nothing moves.
    QTest::keyClick(m_grid, Qt::Key_A);
    QCOMPARE(m_grid->currentResultRow(), 3);
    QTest::keyClick(m_grid, Qt::Key_A);
    QCOMPARE(m_grid->currentResultRow(), 3);
    QTest::keyClick(m_grid, Qt::Key_Z);
    QCOMPARE(m_grid->currentResultRow(), 3);
}

void TestResultGrid::typeAheadFollowsSortColumn()
{
    m_grid->setTypeAheadColumn(ColTotal);
    m_grid->selectResultRow(1);
    QTest::keyClick(m_grid, Qt::Key_1);
    QCOMPARE(m_grid->currentResultRow(), 2); // "1:24,00"
    QTest::keyClick(m_grid, Qt::Key_1);
    QCOMPARE(m_grid->currentResultRow(), 1); // wrapped to "1:37,12"
}

void TestResultGrid::doubleClickReportsRow()
{
    QSignalSpy doubled(m_grid, &ResultGrid::rowDoubleClicked);
    const QPoint pos = m_grid->visualRect(cell(3, ColRun1)).center();
    QTest::mouseClick(m_grid->viewport(), Qt::LeftButton, {}, pos);
    QTest::mouseDClick(m_grid->viewport(), Qt::LeftButton, {}, pos);
    QCOMPARE(doubled.size(), 1);
    QCOMPARE(doubled.at(0).at(0).toInt(), 3);

    // Below the last row there is no driver to choose.
    QTest::mouseDClick(m_grid->viewport(), Qt::LeftButton, {}, QPoint(20, m_grid->viewport()->height() - 2));
    QCOMPARE(doubled.size(), 1);
}

void TestResultGrid::rightClickSelectsRowForPopup()
{
    QSignalSpy popup(m_grid, &ResultGrid::contextMenuRequested);
    click(1, ColName);
    QVERIFY(m_grid->isEditMode());
    const QPoint pos = m_grid->visualRect(cell(3, ColName)).center();
    QTest::mousePress(m_grid->viewport(), Qt::RightButton, {}, pos);
    QTest::mouseRelease(m_grid->viewport(), Qt::RightButton, {}, pos);
    QCOMPARE(m_grid->currentResultRow(), 3);
    QVERIFY(!m_grid->isEditMode());
    QVERIFY(m_grid->selectionModel()->isRowSelected(3, {}));

    QContextMenuEvent menu(QContextMenuEvent::Mouse, pos, m_grid->viewport()->mapToGlobal(pos));
    QApplication::sendEvent(m_grid->viewport(), &menu);
    QCOMPARE(popup.size(), 1);
    QCOMPARE(popup.at(0).at(0).toInt(), 3);
}

void TestResultGrid::columnWidthsHideAndShow()
{
    QList<int> widths{30, 200, -1, 50, 40, 50, 40, 50, 40, 50, 35};
    m_grid->setColumnWidths(widths);
    QVERIFY(m_grid->isColumnHidden(ColClub));
    QCOMPARE(m_grid->columnWidths(), widths);

    widths[ColClub] = 80;
    widths[ColStNr] = 3; // narrow columns are not widened behind the caller's back
    m_grid->setColumnWidths(widths);
    QVERIFY(!m_grid->isColumnHidden(ColClub));
    QCOMPARE(m_grid->columnWidths(), widths);

    // A short list changes only the columns it names.
    m_grid->setColumnWidths({-1});
    QCOMPARE(m_grid->columnWidths().at(ColStNr), -1);
    QCOMPARE(m_grid->columnWidths().at(ColName), 200);
}

void TestResultGrid::windowShortcutsBeatEditor_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<bool>("enabled");

    QTest::newRow("Ctrl+V enabled") << int(Qt::Key_V) << int(Qt::ControlModifier) << true;
    QTest::newRow("Ctrl+V disabled") << int(Qt::Key_V) << int(Qt::ControlModifier) << false;
    QTest::newRow("F5") << int(Qt::Key_F5) << int(Qt::NoModifier) << true;
    QTest::newRow("F2") << int(Qt::Key_F2) << int(Qt::NoModifier) << true;
}

void TestResultGrid::windowShortcutsBeatEditor()
{
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(bool, enabled);

    auto *action = new QAction(m_window.get());
    action->setShortcut(QKeySequence(QKeyCombination(Qt::KeyboardModifiers(modifiers), Qt::Key(key))));
    action->setShortcutContext(Qt::WindowShortcut);
    action->setEnabled(enabled);
    m_window->addAction(action);
    QSignalSpy triggered(action, &QAction::triggered);
    QApplication::clipboard()->setText(u"XYZ"_s);

    click(2, ColName);
    type(u"Ab"_s);
    QLineEdit *line = editor();
    QVERIFY(line);
    QTRY_VERIFY(line->hasFocus());

    QTest::keyClick(line, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QCOMPARE(triggered.size(), enabled ? 1 : 0);
    QCOMPARE(line->text(), u"Ab"_s); // never pasted

    // The same key with the grid itself focused.
    QTest::keyClick(line, Qt::Key_Escape);
    QVERIFY(m_grid->hasFocus());
    QTest::keyClick(m_grid, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QCOMPARE(triggered.size(), enabled ? 2 : 0);
    QVERIFY(!editor());

    // Another text field of the window, guarded the same way.
    auto *field = new QLineEdit(u"Ab"_s, m_window.get());
    field->installEventFilter(new TWindowShortcutGuard(field));
    m_window->layout()->addWidget(field);
    field->setFocus();
    QTRY_VERIFY(field->hasFocus());
    QTest::keyClick(field, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QCOMPARE(triggered.size(), enabled ? 3 : 0);
    QCOMPARE(field->text(), u"Ab"_s);
    // Keys no window action owns still work in the field.
    QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
    QCOMPARE(field->selectedText(), u"Ab"_s);
}

void TestResultGrid::dataRowsTakeColumnColours()
{
    m_grid->selectResultRow(1);
    const QImage shot = m_grid->viewport()->grab().toImage();
    const auto colourAt = [&](int row, int column) {
        const QRect r = m_grid->visualRect(cell(row, column));
        // Above the text, whatever the font's metrics.
        return QColor(shot.pixel(r.left() + 3, r.top() + 1)).toRgb();
    };
    QCOMPARE(colourAt(2, ColStNr), QColor(192, 192, 192));
    QCOMPARE(colourAt(2, ColName), QColor(Qt::white));
    QCOMPARE(colourAt(3, ColTRPenalty), QColor(255, 224, 224));
    QCOMPARE(colourAt(3, ColRun2), QColor(255, 255, 192));
    QCOMPARE(colourAt(4, ColPlace), QColor(224, 255, 224));
    // The current row shows the selection instead.
    const QColor highlight = m_grid->palette().color(QPalette::Active, QPalette::Highlight).toRgb();
    QCOMPARE(colourAt(1, ColTR), highlight);
    QVERIFY(colourAt(1, ColStNr) != QColor(192, 192, 192));

    QCOMPARE(m_grid->rowHeight(2), ResultGrid::kRowHeight);

    const QImage header = m_grid->horizontalHeader()->grab().toImage();
    QCOMPARE(QColor(header.pixel(m_grid->columnViewportPosition(ColRun1) + 2, 3)), QColor(195, 195, 215));
}

QTEST_MAIN(TestResultGrid)
#include "test_resultgrid.moc"
