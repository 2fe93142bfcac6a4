// The result pages of a race without any window: classes, hand corrections,
// removing and disqualifying, ranking, the best time, settings and files.
#include "racefixture.h"
#include "../support/filesizelimit.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>

using namespace vex;
using namespace Qt::StringLiterals;

namespace {

// Two ranked drivers and one without a time.
const QList<QStringList> kRanked{
    driver(u"1"_s, u"Adler"_s, {}, u"45,00"_s, u"0"_s, u"50,00"_s, u"0"_s, u"1:35,00"_s, u"1"_s),
    driver(u"2"_s, u"Bauer"_s, {}, u"47,00"_s, u"0"_s, u"50,00"_s, u"0"_s, u"1:37,00"_s, u"2"_s),
    driver(u"3"_s, u"Cramer"_s, {}, u"48,00"_s, u"0"_s)};

} // namespace

class TestRacePages : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void chooseClassStartsAtThePagesCursor();
    void typedNumberOutsideTheClassChangesNothing();
    void editedCellRecomputesAndRanks_data();
    void editedCellRecomputesAndRanks();
    void disqualifyAndLift();
    void deleteTimesRanksTheOthers();
    void removeRowRanksAndLeavesTheWalk();
    void removingTheLastRowEmptiesIt();
    void newRowJoinsTheWalkWhenTheClassIsChosenAgain();
    void pickedRowMustStillCarryItsListedNumber();
    void rankingOffRanksNothing();
    void clearKeepsDriversAndBestTimeGoes();
    void anyPageHoldsDataLooksAtEveryPage();
    void clubSwitchSetsShareAndWebPage();
    void loadReplacesAllPagesAndChoosesFirstDriver();
    void unreadableFileLeavesAnEmptyFirstPage();
    void refusedFileChangesNothing();
    void moreThanTenClassesAreNamed();
    void handEnteredDriversAreSavedUnderThePageCaption();
    void failedSaveKeepsTheOldFile_data();
    void failedSaveKeepsTheOldFile();
    void openedFileIsScoredByItsEventsRules_data();
    void openedFileIsScoredByItsEventsRules();
    void startOrderIsTheClasssOwn();
};

void TestRacePages::chooseClassStartsAtThePagesCursor()
{
    RaceFixture f;
    f.load({{driver(u"1"_s, u"Adler"_s, u"MSC"_s, u"45,00"_s, u"0"_s, u"50,00"_s, u"0"_s, u"1:35,00"_s, u"1"_s)},
            {driver(u"21"_s, u"Kurz"_s, u"AC"_s), driver(u"22"_s, u"Lang"_s, u"KC"_s),
             driver(u"23"_s, u"Mittel"_s, u"RC"_s, u"40,00"_s, u"0"_s, u"40,00"_s, u"1"_s, u"1:21,00"_s, u"1"_s),
             driver(u"24"_s, u"Nah"_s), driver(u"25"_s, u"Oben"_s, u"SC"_s)},
            {driver(u"31"_s, u"Quer"_s)}},
           {u"Bambini"_s, u"Junioren"_s, u"Senioren"_s});
    QCOMPARE(f.race.bestTimeMs(), 95000);
    QCOMPARE(f.race.bestDriverLabel(), u"1 Adler"_s);

    // The cursor of the second page was put on its fifth driver.
    f.race.setCursorRow(f.page(1)->rowId(5));
    QSignalSpy walk(&f.race, &Race::walkOrderChanged);
    f.race.chooseClass(1);
    QCOMPARE(walk.size(), 1);
    QCOMPARE(f.race.walkOrderNumbers(), (QStringList{u"21"_s, u"22"_s, u"23"_s, u"24"_s, u"25"_s}));
    const RaceEntry &e = f.race.entry();
    QCOMPARE(e.page, 1);
    QCOMPARE(e.position, 4);
    QCOMPARE(e.startNumber, u"25"_s);
    QCOMPARE(e.name, u"Oben"_s);
    QCOMPARE(e.club, u"SC"_s);
    QCOMPARE(e.shownNumber, u"25"_s);
    // The best total is found in row order, without sorting.
    QCOMPARE(f.race.bestTimeMs(), 81000);
    QCOMPARE(f.race.bestDriverLabel(), u"23 Mittel"_s);
    QCOMPARE(f.page(1)->cell(1, ColStNr), u"21"_s);

    // A page never looked at starts with its first driver.
    f.race.chooseClass(2);
    QCOMPARE(f.race.entry().name, u"Quer"_s);
    QCOMPARE(f.race.bestTimeMs(), 0);
    QCOMPARE(f.race.bestDriverLabel(), QString());

    // An entry goes to the active class only.
    f.race.chooseClass(0);
    f.race.typeStartNumber(u"22"_s);
    f.race.setName(u"Lang"_s);
    f.race.chooseRun(1);
    f.driveAndEnter(41000);
    QCOMPARE(f.page(0)->rows(), 3);
    QCOMPARE(f.page(0)->cell(2, ColRun1), u"41,00"_s);
    QCOMPARE(f.page(1)->cell(2, ColRun1), QString());
}

void TestRacePages::typedNumberOutsideTheClassChangesNothing()
{
    RaceFixture f;
    f.load({{driver(u"21"_s, u"Kurz"_s), driver(u"22"_s, u"Lang"_s)}}, {u"Junioren"_s});
    f.race.typeStartNumber(u"22"_s);
    QCOMPARE(f.race.entry().name, u"Lang"_s);
    QCOMPARE(f.race.entry().position, 1);
    f.race.typeStartNumber(u"99"_s);
    QCOMPARE(f.race.entry().startNumber, u"99"_s);
    QCOMPARE(f.race.entry().name, u"Lang"_s);
    QCOMPARE(f.race.entry().shownNumber, u"22"_s);
    QCOMPARE(f.race.entry().position, 1);
}

// However the operator's edit ended, the cell reaches the race as one
// correction under the keys' rules, and the driver's total, place and the
// best time follow at once.
void TestRacePages::editedCellRecomputesAndRanks_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("kept");
    QTest::addColumn<QString>("total");
    QTest::addColumn<QString>("place");
    QTest::addColumn<qint32>("bestMs");
    QTest::newRow("penalty 5 puts the leader second")
        << int(ColRun1Penalty) << u"5"_s << u"5"_s << u"1:40,00"_s << u"2"_s << 97000;
    QTest::newRow("penalty with a comma counts 0")
        << int(ColRun2Penalty) << u"2,5"_s << u"2,5"_s << u"1:35,00"_s << u"1"_s << 95000;
    QTest::newRow("penalty takes only its keys")
        << int(ColRun1Penalty) << u"x3-"_s << u"3"_s << u"1:38,00"_s << u"2"_s << 97000;
    QTest::newRow("name takes any key")
        << int(ColName) << u"Adler-Ost 2"_s << u"Adler-Ost 2"_s << u"1:35,00"_s << u"1"_s << 95000;
    QTest::newRow("time is never edited by hand")
        << int(ColRun1) << u"40,00"_s << u"45,00"_s << u"1:35,00"_s << u"1"_s << 95000;
}

void TestRacePages::editedCellRecomputesAndRanks()
{
    QFETCH(int, column);
    QFETCH(QString, text);
    QFETCH(QString, kept);
    QFETCH(QString, total);
    QFETCH(QString, place);
    QFETCH(qint32, bestMs);
    RaceFixture f;
    f.load({kRanked}, {u"Bambini"_s});
    f.race.results().editCell(f.idOf(u"1"_s), column, text);
    const int adler = f.page()->rowOfId(f.idOf(u"1"_s));
    QCOMPARE(f.cell(adler, column), kept);
    QCOMPARE(f.cell(adler, ColTotal), total);
    QCOMPARE(f.cell(adler, ColPlace), place);
    QCOMPARE(f.race.bestTimeMs(), bestMs);
}

void TestRacePages::disqualifyAndLift()
{
    RaceFixture f;
    f.load({kRanked}, {u"Bambini"_s});
    f.race.results().toggleDisqualified(f.idOf(u"1"_s));
    QCOMPARE(f.page()->row(1).mid(ColStNr, 2), (QStringList{u"2"_s, u"Bauer"_s}));
    QCOMPARE(f.page()->row(1).mid(ColTotal), (QStringList{u"1:37,00"_s, u"1"_s}));
    QCOMPARE(f.page()->row(2).mid(ColTotal), (QStringList{u"-"_s, u"DIS"_s}));
    QCOMPARE(f.race.bestDriverLabel(), u"2 Bauer"_s);

    // Recomputing the row by hand keeps the mark.
    f.race.results().editCell(f.idOf(u"1"_s), ColRun2Penalty, u"1"_s);
    QCOMPARE(f.cellOf(u"1"_s, ColTotal), u"-"_s);

    // A second time lifts it: the total is recomputed and ranked.
    f.race.results().toggleDisqualified(f.idOf(u"1"_s));
    QCOMPARE(f.rowOf(u"1"_s), 1);
    QCOMPARE(f.page()->row(1).mid(ColTotal), (QStringList{u"1:36,00"_s, u"1"_s}));
    QCOMPARE(f.cellOf(u"2"_s, ColPlace), u"2"_s);

    // A driver without a total: the mark and its "DIS" go together.
    f.race.results().toggleDisqualified(f.idOf(u"3"_s));
    QCOMPARE(f.cellOf(u"3"_s, ColPlace), u"DIS"_s);
    f.race.results().toggleDisqualified(f.idOf(u"3"_s));
    QCOMPARE(f.cellOf(u"3"_s, ColTotal), QString());
    QCOMPARE(f.cellOf(u"3"_s, ColPlace), QString());

    // "Zeit löschen" lifts a mark too.
    f.race.results().toggleDisqualified(f.idOf(u"2"_s));
    f.race.results().deleteTimes(f.idOf(u"2"_s));
    QCOMPARE(f.page()->row(f.rowOf(u"2"_s)), driver(u"2"_s, u"Bauer"_s));
}

// "Zeit löschen" on the leader: the others move up, the best time and the
// time warning follow.
void TestRacePages::deleteTimesRanksTheOthers()
{
    RaceFixture f;
    f.load({kRanked}, {u"Bambini"_s});
    f.race.chooseRun(1);
    QVERIFY(f.race.entry().timeExists);
    QCOMPARE(f.race.bestTimeMs(), 95000);
    f.race.results().deleteTimes(f.idOf(u"1"_s));
    QCOMPARE(f.page()->row(1), driver(u"2"_s, u"Bauer"_s, {}, u"47,00"_s, u"0"_s, u"50,00"_s, u"0"_s, u"1:37,00"_s, u"1"_s));
    QCOMPARE(f.page()->row(2), driver(u"1"_s, u"Adler"_s));
    QCOMPARE(f.race.bestTimeMs(), 97000);
    QCOMPARE(f.race.bestDriverLabel(), u"2 Bauer"_s);
    QVERIFY(!f.race.entry().timeExists);
}

void TestRacePages::removeRowRanksAndLeavesTheWalk()
{
    RaceFixture f;
    f.load({kRanked}, {u"Bambini"_s});
    QCOMPARE(f.race.bestTimeMs(), 95000);
    QSignalSpy focused(&f.race, &Race::rowFocused);
    const RowId bauer = f.idOf(u"2"_s);
    f.race.results().removeRow(f.idOf(u"1"_s));
    QCOMPARE(f.page()->rows(), 3);
    QCOMPARE(f.page()->row(1), driver(u"2"_s, u"Bauer"_s, {}, u"47,00"_s, u"0"_s, u"50,00"_s, u"0"_s, u"1:37,00"_s, u"1"_s));
    QCOMPARE(f.race.bestTimeMs(), 97000);
    QCOMPARE(f.race.bestDriverLabel(), u"2 Bauer"_s);
    // The cursor goes to the row that took the removed one's place.
    QCOMPARE(focused.constLast().at(1).value<RowId>(), bauer);
    // "Nächster" goes on without him.
    QCOMPARE(f.race.walkOrderNumbers(), (QStringList{u"2"_s, u"3"_s}));
    f.driveAndEnter(40000);
    f.race.next();
    QCOMPARE(f.race.entry().startNumber, u"2"_s);
    // A row that is gone already: nothing happens.
    f.race.results().removeRow(f.idOf(u"1"_s));
    QCOMPARE(f.page()->rows(), 3);
}

void TestRacePages::removingTheLastRowEmptiesIt()
{
    RaceFixture f;
    f.load({{kRanked.first()}}, {u"Bambini"_s});
    QVERIFY(f.race.pageHoldsData(0));
    f.race.results().removeRow(f.idOf(u"1"_s));
    QCOMPARE(f.page()->rows(), 2);
    QCOMPARE(f.page()->row(1), driver({}, {}));
    QCOMPARE(f.race.bestTimeMs(), 0);
    QCOMPARE(f.race.bestDriverLabel(), QString());
    QVERIFY(!f.race.pageHoldsData(0));
}

void TestRacePages::newRowJoinsTheWalkWhenTheClassIsChosenAgain()
{
    RaceFixture f;
    f.load({{driver(u"1"_s, u"Adler"_s), driver(u"2"_s, u"Bauer"_s), driver(u"4"_s, u"Dorn"_s)}}, {u"Bambini"_s});
    const RowId added = f.race.addRow();
    QCOMPARE(f.page()->rowOfId(added), 4);
    QCOMPARE(f.page()->row(4), driver(u"3"_s, {}));
    QCOMPARE(f.race.walkOrderNumbers().size(), 3);
    f.race.chooseClass(0);
    QCOMPARE(f.race.walkOrderNumbers().indexOf(u"3"_s), 3);

    // A fresh page's empty row takes the proposal; then rows are appended.
    RaceFixture fresh;
    QCOMPARE(fresh.page()->rowOfId(fresh.race.addRow()), 1);
    QCOMPARE(fresh.page()->rowOfId(fresh.race.addRow()), 2);
    QCOMPARE(fresh.cell(2, ColStNr), u"2"_s);
}

// A start number changed by hand takes the row out of the list until the
// class is chosen again: picking the row on screen chooses nothing.
void TestRacePages::pickedRowMustStillCarryItsListedNumber()
{
    RaceFixture f;
    f.load({{driver(u"1"_s, u"Adler"_s, u"MSC"_s), driver(u"2"_s, u"Bauer"_s, u"AC"_s), driver(u"3"_s, u"Cramer"_s)}},
           {u"Bambini"_s});
    f.race.chooseDriverRow(f.page()->rowId(2));
    QCOMPARE(f.race.entry().position, 1);
    QCOMPARE(f.race.entry().club, u"AC"_s);
    f.race.results().editCell(f.page()->rowId(3), ColStNr, u"9"_s);
    f.race.chooseDriverRow(f.page()->rowId(3));
    QCOMPARE(f.race.entry().startNumber, u"2"_s);
    QCOMPARE(f.race.entry().name, u"Bauer"_s);
}

void TestRacePages::rankingOffRanksNothing()
{
    RaceFixture f;
    // Adler's total as a file brought it: his runs give 1:40,00.
    f.load({{driver(u"1"_s, u"Adler"_s, {}, u"45,00"_s, u"5"_s, u"50,00"_s, u"0"_s, u"1:35,00"_s, u"1"_s),
             driver(u"2"_s, u"Bauer"_s, {}, u"40,00"_s, u"0"_s, u"50,00"_s, u"3"_s)}},
           {u"Bambini"_s});
    f.changeSettings([](Settings &s) { s.AutoRang = false; });
    QSignalSpy ranked(&f.race.results(), &RaceResults::pageRanked);
    f.race.typeStartNumber(u"2"_s);
    f.race.chooseRun(2);
    f.driveAndEnter(41000);
    QCOMPARE(f.page()->row(2), driver(u"2"_s, u"Bauer"_s, {}, u"40,00"_s, u"0"_s, u"41,00"_s, u"0"_s, u"1:21,00"_s));
    QCOMPARE(f.race.bestTimeMs(), 95000);

    // The ranking command recomputes every total and ranks nothing.
    f.race.rank();
    QCOMPARE(f.cell(1, ColTotal), u"1:40,00"_s);
    QCOMPARE(f.cell(1, ColPlace), u"1"_s);
    QCOMPARE(f.cell(2, ColPlace), QString());
    QCOMPARE(f.race.bestTimeMs(), 95000);
    QVERIFY(ranked.isEmpty());
    // Choosing the class finds the best total, ranked or not.
    f.race.chooseClass(0);
    QCOMPARE(f.race.bestTimeMs(), 81000);
}

void TestRacePages::clearKeepsDriversAndBestTimeGoes()
{
    RaceFixture f;
    f.load({kRanked}, {u"Bambini"_s});
    f.race.clearResults();
    for (int r = 1; r <= 3; ++r) {
        QCOMPARE(f.page()->row(r).mid(ColStNr, 3), kRanked.at(r - 1).mid(ColStNr, 3));
        for (int c = ColTR; c <= ColPlace; ++c)
            QVERIFY(f.cell(r, c).trimmed().isEmpty());
    }
    QCOMPARE(f.race.bestTimeMs(), 0);
    QCOMPARE(f.race.bestDriverLabel(), QString());
    QVERIFY(f.race.pageHoldsData(0));
}

// Loading replaces all pages: a full page behind the empty one in front
// counts as well.
void TestRacePages::anyPageHoldsDataLooksAtEveryPage()
{
    RaceFixture f;
    QVERIFY(!f.race.anyPageHoldsData());
    f.load({{driver(u"1"_s, u"Anna"_s)}, {driver({}, {})}}, {u"A"_s, u"B"_s});
    f.race.chooseClass(1);
    QVERIFY(!f.race.pageHoldsData(1));
    QVERIFY(f.race.anyPageHoldsData());
}

// The club switch is a setting: it sets the club column's share, and the web
// page leaves the club out while it is off.
void TestRacePages::clubSwitchSetsShareAndWebPage()
{
    QTemporaryDir dir;
    RaceFixture f;
    f.load({{driver(u"1"_s, u"Adler"_s, u"Clubname"_s)}}, {u"Bambini"_s});
    QCOMPARE(f.race.columnWidthPercent().share(ColClub), 12);
    QSignalSpy settings(&f.race, &Race::settingsChanged);
    f.race.setClubShown(false);
    QCOMPARE(settings.size(), 1);
    QVERIFY(!f.race.settings().cbClub);
    QCOMPARE(f.race.columnWidthPercent().share(ColClub), 0);
    const QString page = dir.filePath(u"p.html"_s);
    QVERIFY(!f.files.writeHtml(page, u"Vexilor"_s));
    QVERIFY(!readAll(page).contains("Clubname"));
    // A club typed while the column is hidden is recorded all the same.
    f.race.typeStartNumber(u"8"_s);
    f.race.setClub(u"MSC"_s);
    f.race.chooseRun(1);
    f.driveAndEnter(40000);
    QCOMPARE(f.cellOf(u"8"_s, ColClub), u"MSC"_s);
    f.race.setClubShown(true);
    QCOMPARE(f.race.columnWidthPercent().share(ColClub), 10);
    QVERIFY(!f.files.writeHtml(page, u"Vexilor"_s));
    QVERIFY(readAll(page).contains("Clubname"));
}

void TestRacePages::loadReplacesAllPagesAndChoosesFirstDriver()
{
    QTemporaryDir dir;
    const QString three = dir.filePath(u"three.txt"_s);
    const QString one = dir.filePath(u"one.txt"_s);
    QVERIFY(writeAll(three, "KLASSE: A\nStNr;Name\n1;Anna\nKLASSE: B\nStNr;Name\n2;Bea\n"
                            "KLASSE: C\nStNr;Name\n3;Cem\n4;Dora\n"));
    QVERIFY(writeAll(one, "KLASSE: Z\nStNr;Name\n9;Zoe\n8;Yves\n"));
    RaceFixture f;
    QSignalSpy classes(&f.race.results(), &RaceResults::classListChanged);
    QVERIFY(f.files.load(three).opened);
    f.race.chooseClass(2);
    f.race.chooseDriver(1);
    QVERIFY(f.files.load(one).opened);
    QCOMPARE(classes.size(), 2);
    QCOMPARE(f.race.competition().classes(), QStringList{u"Z"_s});
    QCOMPARE(f.files.loadedPath(), one);
    QCOMPARE(f.race.entry().page, 0);
    QCOMPARE(f.race.entry().position, 0);
    QCOMPARE(f.race.entry().name, u"Zoe"_s);
    for (int k = 1; k < 3; ++k) {
        QCOMPARE(f.page(k)->rows(), 2);
        QVERIFY(!f.page(k)->tabVisible());
    }
}

void TestRacePages::unreadableFileLeavesAnEmptyFirstPage()
{
    QTemporaryDir dir;
    RaceFixture f;
    f.load({kRanked}, {u"Bambini"_s});
    const QString missing = dir.filePath(u"fehlt/p.txt"_s);
    const RaceLoadResult result = f.files.load(missing);
    QVERIFY(!result.opened);
    QCOMPARE(result.messages, QStringList{u"Der Lesefehler der Datei: "_s + missing});
    QVERIFY(f.cell(1, ColStNr).isEmpty());
    QCOMPARE(f.race.walkOrderNumbers(), QStringList{QString()});
    QVERIFY(f.files.loadedPath().isEmpty());
    QVERIFY(!f.race.pageHoldsData(0));
}

// A file refused for what it holds loads nothing: the list loaded before
// stays named, and the driver being timed stays chosen.
void TestRacePages::refusedFileChangesNothing()
{
    QTemporaryDir dir;
    const QString list = dir.filePath(u"liste.txt"_s);
    QVERIFY(writeAll(list, "KLASSE: Bambini\r\nStNr\tFahrer/in\r\n1\tErster\r\n2\tZweiter\r\n"));
    const QString binary = dir.filePath(u"bild.txt"_s);
    QVERIFY(writeAll(binary, QByteArray("KLASSE: X\r\n\x01\x02\x03", 15)));
    RaceFixture f;
    QVERIFY(f.files.load(list).opened);
    f.race.chooseDriver(1);
    f.race.setPenaltyText(u"2"_s);
    const RaceEntry before = f.race.entry();
    QSignalSpy results(&f.race.results(), &RaceResults::resultsChanged);

    const RaceLoadResult result = f.files.load(binary);
    QVERIFY(!result.opened);
    QCOMPARE(result.messages.size(), 1);
    QCOMPARE(f.files.loadedPath(), list);
    QCOMPARE(f.race.entry().name, before.name);
    QCOMPARE(f.race.entry().penaltySeconds, 2);
    QCOMPARE(f.cell(2, ColName), u"Zweiter"_s);
    QCOMPARE(results.size(), 0);
}

void TestRacePages::moreThanTenClassesAreNamed()
{
    QTemporaryDir dir;
    QByteArray bytes;
    for (int k = 1; k <= 12; ++k)
        bytes += "KLASSE: K" + QByteArray::number(k) + "\r\nStNr\tFahrer/in\r\n" + QByteArray::number(k) + "\tFahrer "
                 + QByteArray::number(k) + "\r\n";
    const QString file = dir.filePath(u"many.txt"_s);
    QVERIFY(writeAll(file, bytes));
    RaceFixture f;
    const RaceLoadResult result = f.files.load(file);
    QVERIFY(result.opened);
    QCOMPARE(result.messages,
             QStringList{u"Die Datei enthält mehr als zehn Klassen. Nicht geladen wurden: K11, K12"_s});
    QCOMPARE(f.race.competition().classes().size(), 10);
    QCOMPARE(f.page(9)->cell(1, ColName), u"Fahrer 10"_s);
}

// Drivers typed into the first page without a class list are saved under the
// page's caption; nobody hears of the stand-in class.
void TestRacePages::handEnteredDriversAreSavedUnderThePageCaption()
{
    QTemporaryDir dir;
    RaceFixture f;
    f.race.typeStartNumber(u"7"_s);
    f.race.setName(u"Hans Öller"_s);
    f.driveAndEnter(31000);
    QSignalSpy classes(&f.race.results(), &RaceResults::classListChanged);
    const QString file = dir.filePath(u"hand.txt"_s);
    QVERIFY(!f.files.save(file));
    const QByteArray bytes = readAll(file);
    QVERIFY(bytes.startsWith("KLASSE: Fahrer\r\n\r\n"));
    QVERIFY(bytes.contains("7\tHans \xd6ller\t"));
    QVERIFY(classes.isEmpty());
    QVERIFY(f.race.competition().classes().isEmpty());

    QVERIFY(f.files.load(file).opened);
    QCOMPARE(f.race.competition().classes(), QStringList{u"Fahrer"_s});
    QCOMPARE(f.cell(1, ColTR), u"31,00"_s);
}

// A protocol or web page that can't be written leaves an older file of the
// name as it was, and nothing half-written beside it.
void TestRacePages::failedSaveKeepsTheOldFile_data()
{
    QTest::addColumn<bool>("web");
    QTest::addColumn<bool>("oldFile");
    QTest::newRow("text, missing folder") << false << false;
    QTest::newRow("text, old file") << false << true;
    QTest::newRow("web page, missing folder") << true << false;
    QTest::newRow("web page, old file") << true << true;
}

void TestRacePages::failedSaveKeepsTheOldFile()
{
    QFETCH(bool, web);
    QFETCH(bool, oldFile);
    QTemporaryDir dir;
    RaceFixture f;
    f.load({kRanked}, {u"Bambini"_s});
    const QString extension = web ? u"html"_s : u"txt"_s;
    const QString target = oldFile ? dir.filePath(u"alt."_s + extension) : dir.filePath(u"fehlt/p."_s + extension);
    const QByteArray old = "alt";
    if (oldFile) {
        VEX_REQUIRE_FILE_SIZE_LIMIT();
        QVERIFY(writeAll(target, old));
    }
    std::optional<QString> error;
    {
        std::optional<FileSizeLimit> limit;
        if (oldFile)
            limit.emplace(16);
        error = web ? f.files.writeHtml(target, u"Vexilor"_s) : f.files.save(target);
    }
    QCOMPARE(error, std::optional<QString>(u"Der Schreibfehler der Datei: "_s + target));
    if (oldFile)
        QCOMPARE(readAll(target), old);
    else
        QVERIFY(!QFile::exists(target));
    const QStringList files = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);
    QCOMPARE(files, oldFile ? QStringList{u"alt."_s + extension} : QStringList());
}

// Which rules an opened file is scored by: its own where it names them; the
// settings' where it names none and agrees with them; the operator's answer
// where they disagree. Every class is then scored anew (the files hold totals
// of another rule), and "Speichern" writes the golden file. The backup is
// such a file, so "recovery" opens what the first row saved.
void TestRacePages::openedFileIsScoredByItsEventsRules_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("settingsRuns");
    QTest::addColumn<int>("answer"); // -1: no question may come; 0 "Nein", 1 "Ja"
    QTest::addColumn<QString>("golden");

    QTest::newRow("names its rules") << u"three_best_two_stale.txt"_s << 2 << -1 << u"three_best_two.txt"_s;
    QTest::newRow("recovery") << u"three_best_two.txt"_s << 2 << -1 << u"three_best_two.txt"_s;
    QTest::newRow("agrees with the settings") << u"three_runs_unnamed.txt"_s << 3 << -1 << u"three_best_two.txt"_s;
    QTest::newRow("asks: the file's") << u"three_runs_unnamed.txt"_s << 2 << 1 << u"three_runs_all_count.txt"_s;
    QTest::newRow("asks: the settings'") << u"three_runs_unnamed.txt"_s << 2 << 0 << u"three_runs_two_count.txt"_s;
}

void TestRacePages::openedFileIsScoredByItsEventsRules()
{
    QFETCH(QString, file);
    QFETCH(int, settingsRuns);
    QFETCH(int, answer);
    QFETCH(QString, golden);
    RaceFixture f;
    f.changeSettings([&](Settings &s) {
        s.WertLaeufe = settingsRuns;
        s.WertGleich = 1;
    });
    QStringList asked;
    f.files.setQuestion([&](const QString &question) {
        asked.append(question);
        return answer == 1;
    });
    QVERIFY(f.files.load(QStringLiteral(VEX_TEST_DATA "/") + file).opened);
    QCOMPARE(asked.size(), answer < 0 ? 0 : 1);
    QTemporaryDir dir;
    const QString saved = dir.filePath(u"p.txt"_s);
    QVERIFY(!f.files.save(saved));
    QCOMPARE(readAll(saved), readAll(QStringLiteral(VEX_TEST_DATA "/") + golden));
}

// A drawn order holds while entries re-sort the page and the class is chosen
// again, travels in the file, and goes back with Ctrl+Z together with the
// driver chosen before it.
void TestRacePages::startOrderIsTheClasssOwn()
{
    RaceFixture f;
    f.load({{driver(u"1"_s, u"A"_s), driver(u"2"_s, u"B"_s), driver(u"3"_s, u"C"_s), driver(u"4"_s, u"D"_s),
             driver(u"5"_s, u"E"_s)}},
           {u"K"_s});
    f.race.chooseDriver(2);
    f.race.drawStartOrder(7);
    const QStringList drawn = f.race.walkOrderNumbers();
    QVERIFY(drawn != (QStringList{u"1"_s, u"2"_s, u"3"_s, u"4"_s, u"5"_s}));
    QCOMPARE(f.race.entry().startNumber, drawn.first());
    // The last of the order drives fastest: the page re-sorts, the walk doesn't.
    for (const int run : {1, 2}) {
        f.race.chooseRun(run);
        f.race.chooseDriver(4);
        f.driveAndEnter(30'000);
        f.race.next();
    }
    QCOMPARE(f.cell(1, ColStNr), drawn.last());
    f.race.chooseClass(0);
    QCOMPARE(f.race.walkOrderNumbers(), drawn);

    QTemporaryDir dir;
    const QString path = dir.filePath(u"p.txt"_s);
    QVERIFY(!f.files.save(path));
    RaceFixture again;
    QVERIFY(again.files.load(path).opened);
    QCOMPARE(again.race.walkOrderNumbers(), drawn);

    f.race.undo();
    f.race.undo();
    f.race.undo();
    QCOMPARE(f.race.walkOrderNumbers(), (QStringList{u"1"_s, u"2"_s, u"3"_s, u"4"_s, u"5"_s}));
    QCOMPARE(f.race.entry().startNumber, u"3"_s);
    f.race.redo();
    QCOMPARE(f.race.walkOrderNumbers(), drawn);
    QCOMPARE(f.race.entry().startNumber, drawn.first());
}

QTEST_GUILESS_MAIN(TestRacePages)
#include "test_race_pages.moc"
