// The result pages of the real main window, driven by keys and mouse. The
// rules behind them (recording, walking, ranking, the row commands) are the
// race's and tested there; here only that each control reaches its command
// and that what the race announces shows on the screen.
#include "../support/loadpages.h"
#include "mainwindowfixture.h"

#include "display/digit.h"
#include "results/resultpage.h"
#include "results/startnumbers.h"
#include "widgets/commandbutton.h"
#include "widgets/resultgrid.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabBar>
#include <QTabWidget>

#include <cmath>

using namespace Qt::StringLiterals;
using namespace vex;

namespace {

// Start number, name, club, TR, StS, Lauf 1, StS, Lauf 2, StS, Gesamt, Platz.
QStringList driver(const QString &stNr, const QString &name, const QString &club = {},
                   const QString &run1 = {}, const QString &pen1 = {}, const QString &run2 = {},
                   const QString &pen2 = {}, const QString &total = {}, const QString &place = {})
{
    return {stNr, name, club, {}, {}, run1, pen1, run2, pen2, total, place};
}

// A column's width for its share: halves round to the even neighbour, less
// one pixel for the grid line.
int roundedShare(int clientWidth, int percent)
{
    return int(std::nearbyint(clientWidth * percent / 100.0)) - 1;
}

// Types at the widget that has the focus, one key after the other, as the
// focus may move to the cell editor the first key opens.
void typeAtFocus(const QString &text)
{
    for (const QChar c : text)
        QTest::keyClicks(QApplication::focusWidget(), QString(c));
}

} // namespace

class TestFormMainResults : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    // Recording.
    void entryControlsReachTheRace();
    void typedStartNumberIsNotCompleted();
    void pickedListItemNamesItsOwnDriver();
    void enteredDriverStaysSelectedAndTheBestShows();
    void emptiedPenaltyFieldEntersZero();
    void automaticEntrySwitch();

    // Hand corrections and row commands.
    void handEditRanksAndTheCursorFollows_data();
    void handEditRanksAndTheCursorFollows();
    void escapeKeepsTheRowRankingTakesTheOpenEdit();
    void cellKeyFilter_data();
    void cellKeyFilter();
    void doubleClickLoadsDriver();
    void newRowProposesStartNumber_data();
    void newRowProposesStartNumber();
    void popupCommandsActOnTheClickedRow_data();
    void popupCommandsActOnTheClickedRow();
    void removeRowByKeysAsksFirst();
    void typeAheadFindsNames();

    // Class and club.
    void classSwitchByComboAndTabs();
    void clubSwitchHidesAndGivesTenPercent();

    // What the operator reads on the controls.
    void commandAreaTexts_data();
    void commandAreaTexts();
    void popupMenuEntriesInOrder();

private:
    template <typename T = QWidget>
    T *child(const QString &name) const
    {
        T *w = m_f->child<T>(name);
        if (!w)
            qFatal("no child %s", qPrintable(name));
        return w;
    }
    const ResultPage *page(int index = -1) const
    {
        return m_f->window->race().competition().page(index < 0 ? m_f->window->race().entry().page : index);
    }
    ResultGrid *grid() const { return m_f->window->activeGrid(); }
    QString cell(int row, int column) const { return page()->cell(row, column); }
    int rowOf(const QString &stNr) const { return FindRowByStartNumber(*page(), stNr); }
    QString cellOf(const QString &stNr, int column) const { return cell(rowOf(stNr), column); }
    QString status() const { return child<QLabel>(u"StatusPanel1"_s)->text(); }
    QList<int> bestDigits() const;

    // Fills pages directly, as a loader would, then chooses the first class.
    void load(const QList<QList<QStringList>> &classes, const QStringList &names);
    void chooseClass(int index);
    // The offscreen platform leaves a closed popup or dialog the active
    // window; a window manager would give the main window back its keys.
    void reactivate();
    void typeStartNumber(const QString &text);
    void typeName(const QString &text);
    void chooseRun(int run);
    // One run of that many milliseconds, started and stopped by F5.
    void drive(int ms);
    void clickCell(int row, int column);
    // A right click on the row opens the popup menu.
    QMenu *openPopup(int row);
    // Then a click on an entry of it.
    void clickPopupEntry(QMenu *menu, const QString &actionName);

    std::unique_ptr<MainWindowFixture> m_f;
};

void TestFormMainResults::init()
{
    m_f = std::make_unique<MainWindowFixture>();
}

void TestFormMainResults::cleanup()
{
    m_f.reset();
}

QList<int> TestFormMainResults::bestDigits() const
{
    QList<int> shown;
    for (int d = 3; d <= 8; ++d)
        shown.append(child<TDigit>(u"Digit%1a"_s.arg(d))->value());
    return shown;
}

void TestFormMainResults::load(const QList<QList<QStringList>> &classes, const QStringList &names)
{
    loadPages(m_f->station->files(), classes, names);
    chooseClass(0);
}

// As the operator does: open the list and click the class.
void TestFormMainResults::chooseClass(int index)
{
    auto *combo = child<QComboBox>(u"cmb_Klasse"_s);
    QVERIFY(index < combo->count());
    combo->showPopup();
    QAbstractItemView *view = combo->view();
    QTRY_VERIFY(view->isVisible());
    const QRect item = view->visualRect(combo->model()->index(index, 0));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, item.center());
    QTRY_VERIFY(!view->isVisible());
    QCOMPARE(combo->currentIndex(), index);
    reactivate();
}

void TestFormMainResults::reactivate()
{
    m_f->window->activateWindow();
    QApplication::setActiveWindow(m_f->window.get());
    QTRY_COMPARE(QApplication::activeWindow(), m_f->window.get());
    QTRY_COMPARE(QGuiApplication::focusWindow(), m_f->window->windowHandle());
}

void TestFormMainResults::typeStartNumber(const QString &text)
{
    QLineEdit *edit = child<QComboBox>(u"cmb_Nr"_s)->lineEdit();
    edit->setFocus();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Backspace);
    QTest::keyClicks(edit, text);
}

void TestFormMainResults::typeName(const QString &text)
{
    auto *edit = child<QLineEdit>(u"txt_Name"_s);
    edit->setFocus();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Backspace);
    QTest::keyClicks(edit, text);
}

void TestFormMainResults::chooseRun(int run)
{
    QTest::mouseClick(child(u"RadioButton%1"_s.arg(run)), Qt::LeftButton);
    QCOMPARE(m_f->window->race().entry().run, run);
}

void TestFormMainResults::drive(int ms)
{
    m_f->ticks.value = 1000;
    m_f->key(Qt::Key_F5);
    m_f->ticks.value = 1000 + quint32(ms);
    m_f->key(Qt::Key_F5);
    QCOMPARE(m_f->window->race().runController().state(), RunState::Stopped);
}

void TestFormMainResults::clickCell(int row, int column)
{
    const QRect r = grid()->visualRect(grid()->model()->index(row, column));
    QVERIFY(r.isValid());
    QTest::mouseClick(grid()->viewport(), Qt::LeftButton, {}, r.center());
}

QMenu *TestFormMainResults::openPopup(int row)
{
    const QRect r = grid()->visualRect(grid()->model()->index(row, ColName));
    QTest::mouseClick(grid()->viewport(), Qt::RightButton, {}, r.center());
    if (grid()->currentResultRow() != row)
        return nullptr;
    // The platform follows a right click with a context-menu event.
    QContextMenuEvent menuEvent(QContextMenuEvent::Mouse, r.center(), grid()->viewport()->mapToGlobal(r.center()));
    QApplication::sendEvent(grid()->viewport(), &menuEvent);
    auto *menu = child<QMenu>(u"PopupMenuProtokol"_s);
    return QTest::qWaitFor([menu] { return menu->isVisible(); }) ? menu : nullptr;
}

void TestFormMainResults::clickPopupEntry(QMenu *menu, const QString &actionName)
{
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(child<QAction>(actionName)).center());
    QTRY_VERIFY(!menu->isVisible());
    reactivate();
}

// ---------------------------------------------------------------- recording

// The controls of an entry reach the race: start number, name and club as
// typed, the run, the keys, the penalty buttons; the race's entry shows on
// them again. (Rows reused, appended, found and ranked:
// TestRaceEntry::recordIntoReusedNewAndFoundRows.)
void TestFormMainResults::entryControlsReachTheRace()
{
    QCOMPARE(status(), u"1:1"_s);
    typeStartNumber(u"7"_s);
    typeName(u"Muster, Max"_s);
    child<QLineEdit>(u"txt_Club"_s)->setText(u"MSC Nord"_s);
    chooseRun(1);
    drive(45120);
    QTest::mouseClick(child(u"bFehl2"_s), Qt::LeftButton);
    QTest::mouseClick(child(u"bFehl2"_s), Qt::LeftButton);
    QTest::mouseClick(child(u"bFehl10"_s), Qt::LeftButton);
    QCOMPARE(child<QSpinBox>(u"seStrafe"_s)->value(), 14);
    m_f->key(Qt::Key_F9);
    QCOMPARE(page()->row(1), driver(u"7"_s, u"Muster, Max"_s, u"MSC Nord"_s, u"45,12"_s, u"14"_s));
    QCOMPARE(status(), u"1:1"_s);
    QVERIFY(child(u"lbl_Time_error"_s)->isVisible());

    m_f->key(Qt::Key_F10);
    QCOMPARE(child<QSpinBox>(u"seStrafe"_s)->value(), 0);
    typeStartNumber(u"12"_s);
    typeName(u"Zander, Zoe"_s);
    QVERIFY(!child(u"lbl_Time_error"_s)->isVisible());
    // A typed start number of the page brings its driver's name back, and
    // the warning follows the chosen run.
    typeStartNumber(u"7"_s);
    QCOMPARE(child<QLineEdit>(u"txt_Name"_s)->text(), u"Muster, Max"_s);
    QVERIFY(child(u"lbl_Time_error"_s)->isVisible());
    chooseRun(2);
    QVERIFY(!child(u"lbl_Time_error"_s)->isVisible());
}

// The start number is what the operator typed: the field must not complete
// "1" to the "12" of the list, or the run would land in driver 12's row.
// (A typed number not on the page: TestRaceEntry::typedStartNumberIsTakenAsTyped.)
void TestFormMainResults::typedStartNumberIsNotCompleted()
{
    load({{driver(u"12"_s, u"Zwölf"_s), driver(u"13"_s, u"Dreizehn"_s)}}, {u"Bambini"_s});
    typeStartNumber(u"1x"_s); // only digits reach the field
    QCOMPARE(child<QComboBox>(u"cmb_Nr"_s)->currentText(), u"1"_s);
    typeName(u"Eins"_s);
    chooseRun(1);
    drive(42000);
    m_f->key(Qt::Key_F9);
    QCOMPARE(page()->rows(), 4);
    QCOMPARE(cellOf(u"1"_s, ColName), u"Eins"_s);
    QCOMPARE(cellOf(u"12"_s, ColRun1), QString());
}

// Start numbers 1, 2, 3, 2, 5: an item picked from the list names its own
// driver (the second "2" is Dorn, not Bauer), and his run goes into his row.
// (Walking such a list with "Nächster": TestRaceEntry::nextWalksEveryDriverOnce;
// the entry's row: entryGoesToTheChosenOfTwoSharingANumber.)
void TestFormMainResults::pickedListItemNamesItsOwnDriver()
{
    load({{driver(u"1"_s, u"Adler"_s), driver(u"2"_s, u"Bauer"_s), driver(u"3"_s, u"Cramer"_s),
           driver(u"2"_s, u"Dorn"_s), driver(u"5"_s, u"Ernst"_s)}},
         {u"Bambini"_s});
    auto *nr = child<QComboBox>(u"cmb_Nr"_s);
    QCOMPARE(nr->count(), 5);
    nr->setCurrentIndex(3);
    QCOMPARE(child<QLineEdit>(u"txt_Name"_s)->text(), u"Dorn"_s);
    drive(40030);
    m_f->key(Qt::Key_F9);
    const int dorn = page()->rowOfId(m_f->window->race().walkOrder().at(3));
    QCOMPARE(page()->cell(dorn, ColName), u"Dorn"_s);
    QCOMPARE(page()->cell(dorn, ColTR), u"40,03"_s);
    nr->setCurrentIndex(1);
    QCOMPARE(child<QLineEdit>(u"txt_Name"_s)->text(), u"Bauer"_s);
    QCOMPARE(cellOf(u"2"_s, ColTR), QString());
}

// Three drivers through the second run: the entered driver stays selected
// wherever the ranking put him, the best time shows, the start-number list
// keeps the start order and wraps round. (The cycle's rules:
// TestRaceEntry::wholeCycleOfThreeDrivers, nextKeepsStartOrderAndWraps; the
// run buttons by mouse: TestFormMainRun::buttonsActOnPressWithAnyMouseButton.)
void TestFormMainResults::enteredDriverStaysSelectedAndTheBestShows()
{
    load({{driver(u"1"_s, u"Adler, Anna"_s, u"MSC"_s, u"45,12"_s, u"2"_s),
           driver(u"2"_s, u"Bauer, Ben"_s, u"AC"_s, u"47,00"_s, u"0"_s),
           driver(u"3"_s, u"Cramer, Cem"_s, u"KC"_s, u"44,00"_s, u"10"_s)}},
         {u"Bambini"_s});
    auto *nr = child<QComboBox>(u"cmb_Nr"_s);
    QCOMPARE(nr->count(), 3);
    QCOMPARE(status(), u"1:3"_s);
    chooseRun(2);
    const QList<int> run2{50000, 46000, 40000};
    for (int d = 0; d < 3; ++d) {
        QCOMPARE(nr->currentText(), QString::number(d + 1));
        drive(run2.at(d));
        m_f->key(Qt::Key_F9);
        QCOMPARE(grid()->currentResultRow(), rowOf(QString::number(d + 1)));
        QCOMPARE(cell(grid()->currentResultRow(), ColName), child<QLabel>(u"lbl_Name2"_s)->text());
        QVERIFY(child(u"lbl_Time_error"_s)->isVisible());
        m_f->key(Qt::Key_F10);
    }
    QCOMPARE(nr->currentText(), u"1"_s);
    QCOMPARE(child<QLineEdit>(u"txt_Name"_s)->text(), u"Adler, Anna"_s);
    QCOMPARE(rowOf(u"2"_s), 1);
    QCOMPARE(bestDigits(), (QList<int>{0, 1, 3, 3, 0, 0}));
    QCOMPARE(child<QLabel>(u"lbl_Club2"_s)->text(), u"2 Bauer, Ben"_s);
    QCOMPARE(status(), u"3:3"_s); // driver 1, the current one, is last now
}

// The operator empties the penalty field: the entry takes 0, not the last
// number the field showed.
void TestFormMainResults::emptiedPenaltyFieldEntersZero()
{
    typeStartNumber(u"5"_s);
    chooseRun(1);
    m_f->ticks.value = 1000;
    m_f->key(Qt::Key_F5);
    QTest::mouseClick(child(u"bFehl10"_s), Qt::LeftButton);
    auto *penalty = child<QSpinBox>(u"seStrafe"_s);
    QCOMPARE(penalty->value(), 10);
    QLineEdit *field = penalty->findChild<QLineEdit *>();
    field->setFocus();
    field->selectAll();
    QTest::keyClick(field, Qt::Key_Backspace);
    QVERIFY(penalty->cleanText().isEmpty());
    m_f->ticks.value = 48000;
    m_f->key(Qt::Key_F5);
    m_f->key(Qt::Key_F9);
    QCOMPARE(cellOf(u"5"_s, ColRun1Penalty), u"0"_s);
    QCOMPARE(cellOf(u"5"_s, ColRun1), u"47,00"_s);
}

// The switch and the settings record show each other; what the automatic
// entry entered shows. (When it fires, and that an entry by hand or the
// switch turned off drops it: TestRaceEntry::automaticEntryFiresOnceForTheStoppedDriver.)
void TestFormMainResults::automaticEntrySwitch()
{
    auto *automatic = child<QCheckBox>(u"cbAutomatisch"_s);
    m_f->changeSettings([](Settings &s) { s.AutoEin = true; });
    QVERIFY(automatic->isChecked());
    automatic->click();
    QVERIFY(!m_f->window->race().settings().AutoEin);
    automatic->click();
    QVERIFY(m_f->window->race().settings().AutoEin);
    typeStartNumber(u"3"_s);
    chooseRun(1);
    drive(43000);
    QVERIFY(m_f->timers.fire(u"TimerEintragen"_s));
    QCOMPARE(cell(1, ColRun1), u"43,00"_s);
    QVERIFY(child(u"bNext"_s)->isEnabled());
    QVERIFY(child(u"lbl_Time_error"_s)->isVisible());
}

// ---------------------------------------------------------------- hand corrections

// A cell edited in the grid reaches the race however the edit ends; the
// corrected driver stays selected wherever the ranking puts him, also when
// loaded rows share a start number (the loader's blank " "), unless the
// operator clicked another driver. (Totals and ranking after an edit:
// TestRacePages::editedCellRecomputesAndRanks.)
void TestFormMainResults::handEditRanksAndTheCursorFollows_data()
{
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("second");
    QTest::addColumn<QString>("ending");
    QTest::addColumn<int>("cursorRow");
    QTest::newRow("own start numbers") << u"1"_s << u"2"_s << u"Enter"_s << 2;
    QTest::newRow("shared blank start number") << u" "_s << u" "_s << u"Enter"_s << 2;
    QTest::newRow("focus leaves for the name field") << u"1"_s << u"2"_s << u"focus"_s << 2;
    QTest::newRow("click on the other driver") << u"1"_s << u"2"_s << u"click"_s << 1;
}

void TestFormMainResults::handEditRanksAndTheCursorFollows()
{
    QFETCH(QString, first);
    QFETCH(QString, second);
    QFETCH(QString, ending);
    QFETCH(int, cursorRow);
    load({{driver(first, u"Bauer"_s, {}, u"45,12"_s, u"0"_s, u"50,00"_s, u"0"_s, u"1:35,12"_s, u"1"_s),
           driver(second, u"Adler"_s, {}, u"50,00"_s, u"0"_s, u"50,00"_s, u"0"_s, u"1:40,00"_s, u"2"_s)}},
         {u"Bambini"_s});
    clickCell(1, ColRun1Penalty);
    QVERIFY(grid()->isEditMode());
    typeAtFocus(u"6"_s);
    if (ending == u"Enter")
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    else if (ending == u"focus")
        QTest::mouseClick(child(u"txt_Name"_s), Qt::LeftButton);
    else
        clickCell(2, ColTR);
    QVERIFY(!grid()->isEditMode());
    QCOMPARE(page()->row(2), driver(first, u"Bauer"_s, {}, u"45,12"_s, u"6"_s, u"50,00"_s, u"0"_s, u"1:41,12"_s, u"2"_s));
    QCOMPARE(grid()->currentResultRow(), cursorRow);
    QCOMPARE(grid()->selectionModel()->selectedRows(), QModelIndexList{grid()->model()->index(cursorRow, 0)});
    QCOMPARE(status(), u"%1:2"_s.arg(cursorRow));
    QCOMPARE(bestDigits(), (QList<int>{0, 1, 4, 0, 0, 0}));
}

// Escape drops an edit and recomputes nothing; the ranking button takes an
// edit still open, then recomputes every total; an entry ends an open edit.
// (Loaded totals kept until the ranking: TestRacePages::rankingOffRanksNothing;
// Escape in row mode: TestResultGrid::escapeInRowMode.)
void TestFormMainResults::escapeKeepsTheRowRankingTakesTheOpenEdit()
{
    // Totals as loaded: the rule would give 1:40,00 for driver 1.
    load({{driver(u"1"_s, u"Adler"_s, {}, u"50,00"_s, u"0"_s, u"50,00"_s, u"0"_s, u"2:00,00"_s, u"2"_s),
           driver(u"2"_s, u"Bauer"_s, {}, u"55,00"_s, u"0"_s, u"50,00"_s, u"0"_s, u"1:45,00"_s, u"1"_s)}},
         {u"Bambini"_s});
    const QStringList before = page()->row(1);
    clickCell(1, ColRun1Penalty);
    typeAtFocus(u"3"_s);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    QVERIFY(!grid()->isEditMode());
    QCOMPARE(page()->row(1), before);
    QCOMPARE(grid()->currentResultRow(), 1);
    // Ctrl+P places the class as the button does.
    m_f->key(Qt::Key_P, Qt::ControlModifier);
    QCOMPARE(cellOf(u"1"_s, ColTotal), u"1:40,00"_s);

    clickCell(1, ColRun2Penalty);
    typeAtFocus(u"3"_s);
    QTest::mouseClick(child(u"sbPlatz"_s), Qt::LeftButton);
    QVERIFY(!grid()->isEditMode());
    QCOMPARE(cellOf(u"1"_s, ColRun2Penalty), u"3"_s);
    QCOMPARE(cellOf(u"1"_s, ColTotal), u"1:43,00"_s);
    QCOMPARE(cellOf(u"1"_s, ColPlace), u"1"_s);

    // An entry replaces the run's penalty being typed, and the closed edit
    // never writes its text back afterwards.
    chooseRun(1);
    clickCell(1, ColRun1Penalty);
    typeAtFocus(u"5"_s);
    drive(44000);
    m_f->key(Qt::Key_F9);
    QCOMPARE(cell(1, ColRun1Penalty), u"0"_s);
    QCoreApplication::processEvents();
    QCOMPARE(cell(1, ColRun1Penalty), u"0"_s);
    QCOMPARE(cell(1, ColRun1), u"44,00"_s);
}

void TestFormMainResults::cellKeyFilter_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("kept");
    QTest::newRow("start number") << int(ColStNr) << u"1a2,.x"_s << u"12,."_s;
    QTest::newRow("name") << int(ColName) << u"Ölz, Jo 2"_s << u"Ölz, Jo 2"_s;
    QTest::newRow("club") << int(ColClub) << u"MSC-Nord"_s << u"MSC-Nord"_s;
    QTest::newRow("penalty TR") << int(ColTRPenalty) << u"x45"_s << u"45"_s;
    QTest::newRow("penalty run 2") << int(ColRun2Penalty) << u"b1.-"_s << u"1."_s;
}

void TestFormMainResults::cellKeyFilter()
{
    QFETCH(int, column);
    QFETCH(QString, typed);
    QFETCH(QString, kept);
    load({{driver(u"1"_s, u"Adler"_s), driver(u"2"_s, u"Bauer"_s)}}, {u"Bambini"_s});
    clickCell(2, column);
    typeAtFocus(typed);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backspace);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    kept.chop(1);
    QCOMPARE(cell(2, column), kept);
}

// (Which rows a double click may choose: TestRacePages::pickedRowMustStillCarryItsListedNumber.)
void TestFormMainResults::doubleClickLoadsDriver()
{
    load({{driver(u"1"_s, u"Adler"_s, u"MSC"_s), driver(u"2"_s, u"Bauer"_s, u"AC"_s), driver(u"3"_s, u"Cramer"_s)}},
         {u"Bambini"_s});
    auto *nr = child<QComboBox>(u"cmb_Nr"_s);
    const QRect r = grid()->visualRect(grid()->model()->index(2, ColRun1));
    QTest::mouseDClick(grid()->viewport(), Qt::LeftButton, {}, r.center());
    QCOMPARE(nr->currentIndex(), 1);
    QCOMPARE(child<QLineEdit>(u"txt_Name"_s)->text(), u"Bauer"_s);
    QCOMPARE(status(), u"2:3"_s);
}

// Ctrl+ on either keyboard and the popup menu's "Neue Zeile" add a row and
// open its start number for editing. (The proposed number and a fresh page's
// empty row: TestRacePages::newRowJoinsTheWalkWhenTheClassIsChosenAgain.)
void TestFormMainResults::newRowProposesStartNumber_data()
{
    QTest::addColumn<int>("modifiers"); // 0: the popup menu
    QTest::newRow("main keyboard") << int(Qt::ControlModifier);
    QTest::newRow("keypad") << int(Qt::ControlModifier | Qt::KeypadModifier);
    QTest::newRow("popup menu") << 0;
}

void TestFormMainResults::newRowProposesStartNumber()
{
    QFETCH(int, modifiers);
    load({{driver(u"1"_s, u"Adler"_s), driver(u"2"_s, u"Bauer"_s), driver(u"4"_s, u"Dorn"_s)}}, {u"Bambini"_s});
    if (modifiers) {
        child<QLineEdit>(u"txt_Name"_s)->setFocus();
        m_f->key(Qt::Key_Plus, Qt::KeyboardModifiers(modifiers));
    } else {
        QMenu *menu = openPopup(1);
        QVERIFY(menu);
        clickPopupEntry(menu, u"Neuezeile1"_s);
    }
    QCOMPARE(page()->rows(), 5);
    QCOMPARE(page()->row(4), driver(u"3"_s, {}));
    QVERIFY(grid()->isEditMode());
    QCOMPARE(grid()->currentIndex(), grid()->model()->index(4, ColStNr));
    QCOMPARE(status(), u"4:4"_s);
    // The proposal is selected: typing replaces it.
    typeAtFocus(u"42"_s);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QCOMPARE(cell(4, ColStNr), u"42"_s);
    QVERIFY(!grid()->isEditMode());
}

// The popup menu was opened on the class leader; while it is open the
// automatic entry enters a faster driver and the page is ranked anew. Each
// command acts on the leader the operator clicked, not on the driver just
// entered nor on whoever now stands in the leader's old row. (The commands'
// rules: TestRacePages::disqualifyAndLift, deleteTimesRanksTheOthers,
// removeRowRanksAndLeavesTheWalk; a named row after a re-sort:
// TestRaceEntry::commandOnANamedRowAfterAutomaticEntry.)
void TestFormMainResults::popupCommandsActOnTheClickedRow_data()
{
    QTest::addColumn<QString>("action");
    QTest::newRow("Zeile entfernen") << u"mClear1"_s;
    QTest::newRow("Zeit löschen") << u"Erase1"_s;
    QTest::newRow("Disqualifizieren") << u"mDis"_s;
}

void TestFormMainResults::popupCommandsActOnTheClickedRow()
{
    QFETCH(QString, action);
    load({{driver(u"1"_s, u"Adler"_s, {}, u"45,00"_s, u"0"_s, u"50,00"_s, u"0"_s, u"1:35,00"_s, u"1"_s),
           driver(u"2"_s, u"Bauer"_s, {}, u"47,00"_s, u"0"_s, u"50,00"_s, u"0"_s, u"1:37,00"_s, u"2"_s),
           driver(u"3"_s, u"Cramer"_s, {}, u"40,00"_s, u"0"_s)}},
         {u"Bambini"_s});
    m_f->changeSettings([](Settings &s) { s.AutoEin = true; });
    typeStartNumber(u"3"_s);
    chooseRun(2);
    drive(41000); // Cramer will lead with 1:21,00

    const RowId leader = page()->rowId(1);
    QMenu *menu = openPopup(1);
    QVERIFY(menu);
    QVERIFY(m_f->timers.fire(u"TimerEintragen"_s));
    QCOMPARE(rowOf(u"3"_s), 1);
    QCOMPARE(page()->rowOfId(leader), 2);
    if (action == u"mClear1"_s)
        answerNextQuestion(Answer::Yes);
    clickPopupEntry(menu, action);
    const int adler = page()->rowOfId(leader);
    if (action == u"mClear1"_s) {
        QCOMPARE(adler, -1);
        QCOMPARE(page()->rows(), 3);
    } else if (action == u"Erase1"_s) {
        QCOMPARE(page()->row(adler), driver(u"1"_s, u"Adler"_s));
    } else {
        QCOMPARE(cell(adler, ColPlace), u"DIS"_s);
    }
    QCOMPARE(rowOf(u"3"_s), 1);
    QCOMPARE(child<QLabel>(u"lbl_Club2"_s)->text(), u"3 Cramer"_s);
}

// Ctrl+- on either keyboard asks first, and "Nein" keeps the row; with the
// last driver gone there is nothing to save. (Ranking and the walk after a
// removal: TestRacePages::removeRowRanksAndLeavesTheWalk, removingTheLastRowEmptiesIt.)
void TestFormMainResults::removeRowByKeysAsksFirst()
{
    load({{driver(u"1"_s, u"Adler"_s, {}, u"45,00"_s, u"0"_s, u"50,00"_s, u"0"_s, u"1:35,00"_s, u"1"_s)}},
         {u"Bambini"_s});
    QVERIFY(child(u"sbSave"_s)->isEnabled());
    clickCell(1, ColTotal);
    QString asked;
    answerNextQuestion(Answer::No, &asked);
    m_f->key(Qt::Key_Minus, Qt::ControlModifier);
    QCOMPARE(asked, u"Zeile entfernen?"_s);
    QCOMPARE(cell(1, ColName), u"Adler"_s);
    reactivate();

    answerNextQuestion(Answer::Yes);
    m_f->key(Qt::Key_Minus, Qt::ControlModifier | Qt::KeypadModifier);
    QCOMPARE(page()->row(1), driver({}, {}));
    QCOMPARE(child<QLabel>(u"lbl_Club2"_s)->text(), QString());
    QVERIFY(!child(u"sbSave"_s)->isEnabled());
}

void TestFormMainResults::typeAheadFindsNames()
{
    load({{driver(u"1"_s, u"Meier"_s), driver(u"2"_s, u"adler"_s), driver(u"3"_s, u"Müller"_s), driver(u"4"_s, u"Mann"_s)}},
         {u"Bambini"_s});
    grid()->setFocus();
    QTest::keyClick(grid(), Qt::Key_M);
    QCOMPARE(grid()->currentResultRow(), 3);
    typeAtFocus(u"m"_s);
    QCOMPARE(grid()->currentResultRow(), 4);
    typeAtFocus(u"m"_s);
    QCOMPARE(grid()->currentResultRow(), 1); // wrapped round
    typeAtFocus(u"A"_s);
    QCOMPARE(grid()->currentResultRow(), 2);
    QCOMPARE(status(), u"2:4"_s);
    QVERIFY(!grid()->isEditMode());
    QCOMPARE(page()->row(2), driver(u"2"_s, u"adler"_s));
}

// ---------------------------------------------------------------- class and club

// A class chosen in the list or by a tab reaches the race; the grid tells it
// its cursor; the class's walk order, driver and best time show. (Which
// driver and which best: TestRacePages::chooseClassStartsAtThePagesCursor; a
// typed number of another class: typedNumberOutsideTheClassChangesNothing.)
void TestFormMainResults::classSwitchByComboAndTabs()
{
    load({{driver(u"1"_s, u"Adler"_s, u"MSC"_s, u"45,00"_s, u"0"_s, u"50,00"_s, u"0"_s, u"1:35,00"_s, u"1"_s)},
          {driver(u"21"_s, u"Kurz"_s, u"AC"_s), driver(u"22"_s, u"Lang"_s, u"KC"_s),
           driver(u"23"_s, u"Mittel"_s, u"RC"_s, u"40,00"_s, u"0"_s, u"40,00"_s, u"1"_s, u"1:21,00"_s, u"1"_s),
           driver(u"24"_s, u"Nah"_s), driver(u"25"_s, u"Oben"_s, u"SC"_s)},
          {driver(u"31"_s, u"Quer"_s)}},
         {u"Bambini"_s, u"Junioren"_s, u"Senioren"_s});
    auto *tabs = child<QTabWidget>(u"PageControl1"_s);
    auto *klasse = child<QComboBox>(u"cmb_Klasse"_s);
    auto *nr = child<QComboBox>(u"cmb_Nr"_s);
    QVERIFY(!klasse->isEditable());
    QCOMPARE(tabs->tabText(1), u"Junioren"_s);
    QCOMPARE(child<QLabel>(u"lbl_Club2"_s)->text(), u"1 Adler"_s);

    // The page's grid remembers its current row: row 5 is the fifth driver.
    child<ResultGrid>(u"SortGrid2"_s)->selectResultRow(5);

    chooseClass(1);
    QCOMPARE(tabs->currentIndex(), 1);
    QCOMPARE(nr->count(), 5);
    QCOMPARE(nr->currentText(), u"25"_s);
    QCOMPARE(child<QLineEdit>(u"txt_Name"_s)->text(), u"Oben"_s);
    QCOMPARE(status(), u"5:5"_s);
    QCOMPARE(bestDigits(), (QList<int>{0, 1, 2, 1, 0, 0}));
    QCOMPARE(child<QLabel>(u"lbl_Club2"_s)->text(), u"23 Mittel"_s);

    // A tab click chooses the class.
    QTabBar *bar = tabs->tabBar();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(2).center());
    QTRY_COMPARE(klasse->currentIndex(), 2);
    QCOMPARE(nr->count(), 1);
    QCOMPARE(nr->currentText(), u"31"_s);
    QCOMPARE(child<QLineEdit>(u"txt_Name"_s)->text(), u"Quer"_s);
    QCOMPARE(bestDigits(), (QList<int>{0, 0, 0, 0, 0, 0}));
    QCOMPARE(child<QLabel>(u"lbl_Club2"_s)->text(), QString());
    QCOMPARE(status(), u"1:1"_s);
}

// The switch hides the club column in every grid; the race gives it its
// share again. (The share and the club recorded while hidden:
// TestRacePages::clubSwitchSetsShareAndWebPage.)
void TestFormMainResults::clubSwitchHidesAndGivesTenPercent()
{
    auto *club = child<QCheckBox>(u"cbClub"_s);
    const QList<int> before = grid()->columnWidths();
    const int client = m_f->window->activeGrid()->viewport()->width();
    QVERIFY(client > 100);
    QCOMPARE(before.at(ColClub), roundedShare(client, 12));

    QTest::mouseClick(club, Qt::LeftButton);
    QVERIFY(!club->isChecked());
    QVERIFY(!child(u"txt_Club"_s)->isEnabled());
    QVERIFY(!child(u"lbl_Club"_s)->isEnabled());
    const QList<int> hidden = grid()->columnWidths();
    QCOMPARE(hidden.at(ColClub), -1);
    QVERIFY(grid()->isColumnHidden(ColClub));
    QCOMPARE(hidden.at(ColName), before.at(ColName) + before.at(ColClub) + 1);
    // All ten grids follow the first.
    auto *grid7 = child<ResultGrid>(u"SortGrid7"_s);
    QCOMPARE(grid7->columnWidths(), hidden);

    QTest::mouseClick(club, Qt::LeftButton);
    QVERIFY(child(u"txt_Club"_s)->isEnabled());
    const QList<int> shown = grid()->columnWidths();
    QCOMPARE(shown.at(ColClub), roundedShare(client, 10));
    QVERIFY(!grid()->isColumnHidden(ColClub));
    QCOMPARE(m_f->window->race().columnWidthPercent().share(ColClub), 10);
}

// ------------------------------------------------------ texts of the controls

void TestFormMainResults::commandAreaTexts_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("hint");
    QTest::addColumn<int>("tag"); // -1: the control carries none

    QTest::newRow("run group") << u"GroupBoxLauf"_s << u" Lauf "_s << QString() << -1;
    QTest::newRow("TR") << u"RadioButton0"_s << u"TR"_s << u"Trainingslauf"_s << 0;
    QTest::newRow("run 1") << u"RadioButton1"_s << u"1."_s << u"Wertungslauf 1"_s << 1;
    QTest::newRow("run 2") << u"RadioButton2"_s << u"2."_s << u"Wertungslauf 2"_s << 2;
    QTest::newRow("class label") << u"lbl_Klasse"_s << u"Klasse:"_s << QString() << -1;
    QTest::newRow("number label") << u"lbl_Nr"_s << u"StNr.:"_s << QString() << -1;
    QTest::newRow("name label") << u"lbl_Name"_s << u"Fahrer/in:"_s << QString() << -1;
    QTest::newRow("club label") << u"lbl_Club"_s << u"Ortsclub:"_s << QString() << -1;
    QTest::newRow("name") << u"txt_Name"_s << QString() << u"Fahrername, Vorname"_s << -1;
    QTest::newRow("club") << u"txt_Club"_s << QString() << u"Club / Ort"_s << -1;
    QTest::newRow("club switch") << u"cbClub"_s << QString() << u"Spalte anzeigen"_s << -1;
    QTest::newRow("time warning") << u"lbl_Time_error"_s << u"Zeit existiert!!!"_s << QString() << -1;
    QTest::newRow("penalty field") << u"seStrafe"_s << QString() << u"StS"_s << -1;
    QTest::newRow("pylon") << u"bFehl2"_s << u"Pylonenfehler +2"_s << QString() << 2;
    QTest::newRow("gate") << u"bFehl10"_s << u"Torfehler +10"_s << QString() << 10;
    QTest::newRow("enter") << u"bEintragen"_s << u"Eintragen"_s << u"[F9] IN"_s << -1;
    QTest::newRow("next") << u"bNext"_s << u"N\u00e4chster"_s << u"[F10] NEXT"_s << -1;
    QTest::newRow("points") << u"cmb_Punkte"_s << u"Punkte berechnen:"_s << QString() << -1;
    QTest::newRow("best") << u"lbl_Best"_s << u"Best:"_s << QString() << -1;
    QTest::newRow("ranking") << u"sbPlatz"_s << QString() << u"Pl\u00e4tze zuweisen und sortieren"_s << -1;
}

void TestFormMainResults::commandAreaTexts()
{
    QFETCH(QString, name);
    QFETCH(QString, text);
    QFETCH(QString, hint);
    QFETCH(int, tag);
    QWidget *w = child(name);
    if (!text.isNull()) {
        const QVariant shown = w->property("text").isValid() ? w->property("text") : w->property("title");
        QCOMPARE(shown.toString(), text);
    }
    if (!hint.isNull())
        QCOMPARE(w->toolTip(), hint);
    if (tag >= 0)
        QCOMPARE(w->property("tag").toInt(), tag);
}

void TestFormMainResults::popupMenuEntriesInOrder()
{
    struct Entry
    {
        QString text;
        bool visible;
    };
    const QList<Entry> expected{
        {u"Disqualifizieren"_s, true},
        {u"Zeit l\u00f6schen"_s, true},
        {u"Pl\u00e4tze verteilen"_s, false},
        {u"Zeile entfernen       (Strg-)"_s, true},
        {u"Neue Zeile               (Strg+)"_s, true},
        {u"Sortieren Klassen+Zeit"_s, false},
        {u"R\u00fcckg\u00e4ngig"_s, true},
        {u"Wiederholen"_s, true},
        {u"TR verschieben zu \u2026"_s, true},
        {u"TR wiederholen lassen"_s, true},
        {u"Startreihenfolge auslosen"_s, true},
        {u"Startreihenfolge in umgekehrter Reihenfolge des Ergebnisses"_s, true},
        {u"Mannschaften \u2026"_s, true},
        {u"Urkunden drucken \u2026"_s, true},
        {u"Ergebnisliste als PDF \u2026"_s, true},
    };
    QList<QAction *> actions = child<QMenu>(u"PopupMenuProtokol"_s)->actions();
    actions.removeIf([](const QAction *a) { return a->isSeparator(); });
    QCOMPARE(actions.size(), expected.size());
    for (int i = 0; i < expected.size(); ++i) {
        QCOMPARE(actions.at(i)->text(), expected.at(i).text);
        QCOMPARE(actions.at(i)->isVisible(), expected.at(i).visible);
        // Every entry that is shown works, but undo and redo with nothing to do.
        if (expected.at(i).visible && !actions.at(i)->objectName().startsWith(u"mRueckgaengig"_s)
            && !actions.at(i)->objectName().startsWith(u"mWiederherstellen"_s))
            QCOMPARE(actions.at(i)->isEnabled(), true);
    }
    // The two captions name their keys; the menu must not add them again.
    for (QAction *a : actions)
        QVERIFY2(a->shortcut().isEmpty() || !a->isShortcutVisibleInContextMenu(), qPrintable(a->text()));
}

QTEST_MAIN(TestFormMainResults)
#include "test_formmain_results.moc"
