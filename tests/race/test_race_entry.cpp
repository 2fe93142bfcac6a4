// The operator's side of a race without any window: choosing drivers,
// timing, penalties, entering and walking on to the next driver.
#include "racefixture.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>

using namespace vex;
using namespace Qt::StringLiterals;

class TestRaceEntry : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void wholeCycleOfThreeDrivers();
    void recordIntoReusedNewAndFoundRows();
    void entryWithoutStartNumberNumbersTheRow();
    void typedStartNumberIsTakenAsTyped();
    void nextWalksEveryDriverOnce_data();
    void nextWalksEveryDriverOnce();
    void entryGoesToTheChosenOfTwoSharingANumber();
    void nextKeepsStartOrderAndWraps();
    void penaltyField_data();
    void penaltyField();
    void penaltyButtonsOnlyWhileTiming();
    void penaltiesKeptAfterAbort();
    void automaticEntryFiresOnceForTheStoppedDriver();
    void commandOnANamedRowAfterAutomaticEntry_data();
    void commandOnANamedRowAfterAutomaticEntry();
    void timeWarningFollowsRunAndDriver();
    void startAndStopTakeTheEventsTicks();
};

// Three drivers through both scoring runs, from the start list to the saved
// protocol, as at an event; no window takes part.
void TestRaceEntry::wholeCycleOfThreeDrivers()
{
    QTemporaryDir dir;
    const QString list = dir.filePath(u"start.txt"_s);
    QVERIFY(writeAll(list, "KLASSE: Bambini\r\nStNr\tFahrer/in\tOrtsclub\r\n"
                           "1\tAdler, Anna\tMSC\r\n2\tBauer, Ben\tAC\r\n3\tCramer, Cem\tKC\r\n"));
    RaceFixture f;
    QSignalSpy best(&f.race, &Race::bestTimeChanged);
    QSignalSpy results(&f.race.results(), &RaceResults::resultsChanged);
    const RaceLoadResult loaded = f.files.load(list);
    QVERIFY(loaded.opened);
    QVERIFY(loaded.messages.isEmpty());
    QCOMPARE(f.race.entry().name, u"Adler, Anna"_s);
    QCOMPARE(f.race.walkOrderNumbers(), (QStringList{u"1"_s, u"2"_s, u"3"_s}));

    struct Run
    {
        int ms;
        int pylons;
        int gates;
    };
    const QList<Run> run1{{45120, 1, 0}, {47000, 0, 0}, {44000, 0, 1}};
    const QList<Run> run2{{50000, 0, 0}, {46000, 0, 0}, {40000, 0, 0}};
    for (int r = 1; r <= 2; ++r) {
        f.race.chooseRun(r);
        for (int d = 0; d < 3; ++d) {
            const Run &run = (r == 1 ? run1 : run2).at(d);
            QCOMPARE(f.race.entry().startNumber, QString::number(d + 1));
            QVERIFY(!f.race.entry().timeExists);
            f.race.start(7000);
            for (int i = 0; i < run.pylons; ++i)
                f.race.addPenalty(2);
            f.race.stop(7000 + quint32(run.ms));
            for (int i = 0; i < run.gates; ++i)
                f.race.addPenalty(10);
            QSignalSpy focused(&f.race, &Race::rowFocused);
            f.race.enter();
            // The entry went to the chosen driver, wherever the ranking put him.
            QCOMPARE(focused.size(), 1);
            QCOMPARE(focused.at(0).at(1).value<RowId>(), f.idOf(QString::number(d + 1)));
            QVERIFY(f.race.entry().timeExists);
            f.race.next();
            QCOMPARE(f.race.entry().penaltySeconds, 0);
        }
        QCOMPARE(f.race.entry().startNumber, u"1"_s); // wrapped round
    }
    f.race.rank();
    QVERIFY(!best.isEmpty());
    QVERIFY(results.size() >= 7);
    QCOMPARE(f.race.bestTimeMs(), 93000);
    QCOMPARE(f.race.bestDriverLabel(), u"2 Bauer, Ben"_s);

    const QString protocol = dir.filePath(u"protokoll.txt"_s);
    QVERIFY(!f.files.save(protocol));
    QCOMPARE(readAll(protocol),
             QByteArray("KLASSE: Bambini\r\n\r\n"
                        "StNr\tFahrer/in\tOrtsclub\tTR\tStS\tLauf 1\tStS\tLauf 2\tStS\tGesamt\tPlatz\t\r\n"
                        "2\tBauer, Ben\tAC\t \t \t47,00\t0\t46,00\t0\t1:33,00\t1\t\r\n"
                        "3\tCramer, Cem\tKC\t \t \t44,00\t10\t40,00\t0\t1:34,00\t2\t\r\n"
                        "1\tAdler, Anna\tMSC\t \t \t45,12\t2\t50,00\t0\t1:37,12\t3\t\r\n"
                        "\r\n"));
}

void TestRaceEntry::recordIntoReusedNewAndFoundRows()
{
    RaceFixture f;
    Race &r = f.race;
    // A fresh page: the first entry takes its empty row.
    r.typeStartNumber(u"7"_s);
    r.setName(u"Muster, Max"_s);
    r.setClub(u"MSC Nord"_s);
    r.chooseRun(1);
    r.start(1000);
    r.stop(46120);
    r.addPenalty(2);
    r.addPenalty(2);
    r.addPenalty(10);
    r.enter();
    QCOMPARE(f.page()->rows(), 2);
    QCOMPARE(f.page()->row(1), driver(u"7"_s, u"Muster, Max"_s, u"MSC Nord"_s, u"45,12"_s, u"14"_s));
    QVERIFY(r.entry().timeExists);

    // A start number not on the page appends a row.
    r.next();
    QCOMPARE(r.entry().penaltySeconds, 0);
    r.typeStartNumber(u"12"_s);
    r.setName(u"Zander, Zoe"_s);
    f.driveAndEnter(52000);
    QCOMPARE(f.page()->rows(), 3);
    QCOMPARE(f.cellOf(u"12"_s, ColRun1), u"52,00"_s);
    QCOMPARE(f.cellOf(u"12"_s, ColRun1Penalty), u"0"_s);

    // Run 2 for 7: the row is found, the total includes the 14 penalty
    // seconds and the page is ranked with 7 in front.
    r.next();
    r.typeStartNumber(u"7"_s);
    QCOMPARE(r.entry().name, u"Muster, Max"_s);
    r.chooseRun(2);
    QVERIFY(!r.entry().timeExists);
    f.driveAndEnter(50000);
    QCOMPARE(f.page()->rows(), 3);
    QCOMPARE(f.rowOf(u"7"_s), 1);
    QCOMPARE(f.cell(1, ColTotal), u"1:49,12"_s);
    QCOMPARE(f.cell(1, ColPlace), u"1"_s);

    // Run 2 again replaces time and penalty; total and ranking follow.
    r.next();
    r.typeStartNumber(u"12"_s);
    f.driveAndEnter(40000);
    QCOMPARE(f.cellOf(u"12"_s, ColTotal), u"1:32,00"_s);
    r.next();
    r.typeStartNumber(u"12"_s);
    f.drive(60000);
    r.addPenalty(2);
    r.enter();
    QCOMPARE(f.cellOf(u"12"_s, ColRun2), u"1:00,00"_s);
    QCOMPARE(f.cellOf(u"12"_s, ColRun2Penalty), u"2"_s);
    QCOMPARE(f.cellOf(u"12"_s, ColTotal), u"1:54,00"_s);
    QCOMPARE(f.rowOf(u"7"_s), 1);
    QCOMPARE(f.cellOf(u"12"_s, ColPlace), u"2"_s);
    // The training run is entered, but never counts.
    r.next();
    r.typeStartNumber(u"7"_s);
    r.chooseRun(0);
    f.driveAndEnter(30000);
    QCOMPARE(f.cellOf(u"7"_s, ColTR), u"30,00"_s);
    QCOMPARE(f.cellOf(u"7"_s, ColTotal), u"1:49,12"_s);
}

void TestRaceEntry::entryWithoutStartNumberNumbersTheRow()
{
    RaceFixture f;
    f.load({{driver(u"1"_s, u"A"_s), driver(u"2"_s, u"B"_s), driver(u"3"_s, u"C"_s), driver(u"4"_s, u"D"_s),
             driver(u"5"_s, u"E"_s)}},
           {u"Bambini"_s});
    f.race.typeStartNumber(QString());
    f.race.setName(u"Neu, Nina"_s);
    f.race.chooseRun(1);
    f.driveAndEnter(41000);
    QCOMPARE(f.page()->rows(), 7);
    QCOMPARE(f.page()->row(6), driver(u"6"_s, u"Neu, Nina"_s, {}, u"41,00"_s, u"0"_s));
}

// "1" is not "12": a typed start number that is not on the page is a new driver.
void TestRaceEntry::typedStartNumberIsTakenAsTyped()
{
    RaceFixture f;
    f.load({{driver(u"12"_s, u"Zwölf"_s), driver(u"13"_s, u"Dreizehn"_s)}}, {u"Bambini"_s});
    f.race.typeStartNumber(u"1"_s);
    QCOMPARE(f.race.entry().row, RowId(0));
    f.race.setName(u"Eins"_s);
    f.race.chooseRun(1);
    f.driveAndEnter(42000);
    QCOMPARE(f.page()->rows(), 4);
    QCOMPARE(f.cellOf(u"1"_s, ColName), u"Eins"_s);
    QCOMPARE(f.cellOf(u"12"_s, ColRun1), QString());
}

// "Nächster" walks positions, not start-number texts: repeated or blank start
// numbers neither trap it in a cycle nor keep it on the first driver.
void TestRaceEntry::nextWalksEveryDriverOnce_data()
{
    QTest::addColumn<QStringList>("numbers");
    QTest::newRow("a start number twice") << QStringList{u"1"_s, u"2"_s, u"3"_s, u"2"_s, u"5"_s};
    QTest::newRow("two blank start numbers") << QStringList{QString(), QString(), u"3"_s};
    QTest::newRow("all blank") << QStringList{u" "_s, u" "_s};
}

void TestRaceEntry::nextWalksEveryDriverOnce()
{
    QFETCH(QStringList, numbers);
    QList<QStringList> rows;
    QStringList names;
    for (int i = 0; i < numbers.size(); ++i) {
        names.append(u"Fahrer %1"_s.arg(i + 1));
        rows.append(driver(numbers.at(i), names.constLast()));
    }
    RaceFixture f;
    f.load({rows}, {u"Bambini"_s});
    QStringList walked{f.race.entry().name};
    for (int i = 0; i < numbers.size(); ++i) {
        f.driveAndEnter(40000 + i);
        f.race.next();
        walked.append(f.race.entry().name);
    }
    names.append(names.first()); // and round to the first again
    QCOMPARE(walked, names);
}

void TestRaceEntry::entryGoesToTheChosenOfTwoSharingANumber()
{
    RaceFixture f;
    f.load({{driver(u"1"_s, u"Adler"_s), driver(u"2"_s, u"Bauer"_s), driver(u"2"_s, u"Zweite"_s)}}, {u"Bambini"_s});
    f.race.chooseRun(1);
    f.race.chooseDriver(2);
    QCOMPARE(f.race.entry().name, u"Zweite"_s);
    f.driveAndEnter(44000);
    QCOMPARE(f.page()->cell(f.page()->rowOfId(f.race.walkOrder().at(2)), ColRun1), u"44,00"_s);
    QCOMPARE(f.page()->cell(f.page()->rowOfId(f.race.walkOrder().at(1)), ColRun1), QString());
    QCOMPARE(f.page()->rows(), 4);
}

void TestRaceEntry::nextKeepsStartOrderAndWraps()
{
    RaceFixture f;
    f.load({{driver(u"1"_s, u"Adler, Anna"_s, {}, u"50,00"_s, u"0"_s),
             driver(u"2"_s, u"Bauer, Ben"_s, {}, u"51,00"_s, u"0"_s),
             driver(u"3"_s, u"Cramer, Cem"_s, {}, u"52,00"_s, u"0"_s)}},
           {u"Bambini"_s});
    QCOMPARE(f.race.entry().startNumber, u"1"_s);
    f.race.typeStartNumber(u"3"_s);
    QCOMPARE(f.race.entry().position, 2);
    f.race.chooseRun(2);
    f.driveAndEnter(30000);
    // The ranking moved 3 to the top; the walk keeps the start order.
    QCOMPARE(f.rowOf(u"3"_s), 1);
    f.race.next();
    QCOMPARE(f.race.entry().startNumber, u"1"_s);
    QCOMPARE(f.race.entry().name, u"Adler, Anna"_s);
    QCOMPARE(f.race.entry().shownNumber, u"1"_s);
    f.driveAndEnter(31000);
    f.race.next();
    QCOMPARE(f.race.entry().startNumber, u"2"_s);
}

// The penalty is what the field says: an emptied field is 0, never the last
// number it showed.
void TestRaceEntry::penaltyField_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("entered");
    QTest::newRow("number") << u"12"_s << u"12"_s;
    QTest::newRow("emptied") << QString() << u"0"_s;
    QTest::newRow("minus sign being typed") << u"-"_s << u"0"_s;
}

void TestRaceEntry::penaltyField()
{
    QFETCH(QString, text);
    QFETCH(QString, entered);
    RaceFixture f;
    f.race.typeStartNumber(u"5"_s);
    f.race.chooseRun(1);
    f.drive(47000);
    f.race.addPenalty(10);
    f.race.setPenaltyText(text);
    f.race.enter();
    QCOMPARE(f.cellOf(u"5"_s, ColRun1Penalty), entered);
}

void TestRaceEntry::penaltyButtonsOnlyWhileTiming()
{
    RaceFixture f;
    f.race.addPenalty(2); // Ready: the buttons are off
    QCOMPARE(f.race.entry().penaltySeconds, 0);
    f.race.penaltyUp(); // the menu's Straf+ is not
    f.race.penaltyDown();
    f.race.penaltyDown(); // never below 0
    QCOMPARE(f.race.entry().penaltySeconds, 0);
    f.drive(40000);
    f.race.addPenalty(2);
    QCOMPARE(f.race.entry().penaltySeconds, 2);
    f.race.enter();
    f.race.addPenalty(2); // Entered: off again
    QCOMPARE(f.race.entry().penaltySeconds, 2);
}

void TestRaceEntry::penaltiesKeptAfterAbort()
{
    RaceFixture f;
    f.race.typeStartNumber(u"5"_s);
    f.race.chooseRun(1);
    f.race.start(100);
    f.race.addPenalty(2);
    f.race.abort();
    QCOMPARE(f.race.entry().penaltySeconds, 2);
    f.drive(47000);
    f.race.addPenalty(10); // after the stop, before the entry
    f.race.enter();
    QCOMPARE(f.cellOf(u"5"_s, ColRun1Penalty), u"12"_s);
    QCOMPARE(f.cellOf(u"5"_s, ColRun1), u"47,00"_s);
    f.race.next();
    QCOMPARE(f.race.entry().penaltySeconds, 0);
}

void TestRaceEntry::automaticEntryFiresOnceForTheStoppedDriver()
{
    RaceFixture f;
    f.changeSettings([](Settings &s) {
        s.AutoEin = true;
        s.AutoEinS = 2500;
    });
    f.race.typeStartNumber(u"3"_s);
    f.race.chooseRun(1);
    f.drive(43000);
    QCOMPARE(f.timers.intervalMs(u"TimerEintragen"_s), 2500);
    QCOMPARE(f.cell(1, ColRun1), QString());
    QVERIFY(f.timers.fire(u"TimerEintragen"_s));
    QCOMPARE(f.race.runController().state(), RunState::Entered);
    QCOMPARE(f.cellOf(u"3"_s, ColRun1), u"43,00"_s);
    QVERIFY(!f.timers.fire(u"TimerEintragen"_s));

    // Entered by hand first: nothing is pending any more.
    f.race.next();
    f.race.typeStartNumber(u"4"_s);
    f.driveAndEnter(44000);
    QVERIFY(!f.timers.isActive(u"TimerEintragen"_s));
    // Switched off while pending: dropped.
    f.race.next();
    f.drive(45000);
    f.race.setAutoEntry(false);
    QVERIFY(!f.timers.fire(u"TimerEintragen"_s));
    QCOMPARE(f.race.runController().state(), RunState::Stopped);
}

// The operator names a row (the popup menu, the "Zeile entfernen?" question),
// then the automatic entry re-sorts the page before he confirms: the command
// still acts on the row he named, never on whatever lies at its old place.
void TestRaceEntry::commandOnANamedRowAfterAutomaticEntry_data()
{
    QTest::addColumn<int>("command");
    QTest::newRow("Zeile entfernen") << 0;
    QTest::newRow("Zeit löschen") << 1;
    QTest::newRow("Disqualifizieren") << 2;
}

void TestRaceEntry::commandOnANamedRowAfterAutomaticEntry()
{
    QFETCH(int, command);
    RaceFixture f;
    f.load({{driver(u"1"_s, u"Adler"_s, {}, u"45,00"_s, u"0"_s, u"50,00"_s, u"0"_s, u"1:35,00"_s, u"1"_s),
             driver(u"2"_s, u"Bauer"_s, {}, u"47,00"_s, u"0"_s, u"50,00"_s, u"0"_s, u"1:37,00"_s, u"2"_s),
             driver(u"3"_s, u"Cramer"_s, {}, u"40,00"_s, u"0"_s)}},
           {u"Bambini"_s});
    f.changeSettings([](Settings &s) { s.AutoEin = true; });
    f.race.chooseDriver(2);
    f.race.chooseRun(2);
    f.drive(41000); // Cramer will lead with 1:21,00
    const RowId named = f.idOf(u"1"_s); // row 1 when named
    QVERIFY(f.timers.fire(u"TimerEintragen"_s));
    QCOMPARE(f.rowOf(u"3"_s), 1);
    QCOMPARE(f.page()->rowOfId(named), 2);
    switch (command) {
    case 0:
        f.race.results().removeRow(named);
        QCOMPARE(f.rowOf(u"1"_s), -1);
        QCOMPARE(f.rowOf(u"3"_s), 1);
        break;
    case 1:
        f.race.results().deleteTimes(named);
        QCOMPARE(f.cellOf(u"1"_s, ColTotal), QString());
        QCOMPARE(f.cellOf(u"3"_s, ColTotal), u"1:21,00"_s);
        break;
    default:
        f.race.results().toggleDisqualified(named);
        QCOMPARE(f.cellOf(u"1"_s, ColPlace), u"DIS"_s);
        QCOMPARE(f.cellOf(u"3"_s, ColPlace), u"1"_s);
        break;
    }
    QCOMPARE(f.page()->rows(), command == 0 ? 3 : 4);
}

// "Zeit existiert!!!" warns before an entry would replace a time.
void TestRaceEntry::timeWarningFollowsRunAndDriver()
{
    RaceFixture f;
    f.load({{driver(u"1"_s, u"Adler"_s, {}, u"45,00"_s, u"0"_s), driver(u"2"_s, u"Bauer"_s, {}, {}, {}, u"50,00"_s, u"0"_s)}},
           {u"Bambini"_s});
    QVERIFY(!f.race.entry().timeExists); // run TR
    f.race.chooseRun(1);
    QVERIFY(f.race.entry().timeExists);
    f.race.chooseRun(2);
    QVERIFY(!f.race.entry().timeExists);
    f.race.typeStartNumber(u"2"_s);
    QVERIFY(f.race.entry().timeExists);
    f.race.chooseRun(1);
    QVERIFY(!f.race.entry().timeExists);
    // The warning never blocks: the entry replaces the time.
    f.race.typeStartNumber(u"1"_s);
    QVERIFY(f.race.entry().timeExists);
    f.driveAndEnter(44000);
    QCOMPARE(f.cellOf(u"1"_s, ColRun1), u"44,00"_s);
}

// A light barrier's tick is taken on its own thread: the run is the
// difference of the ticks handed in, not of the clock when they arrive.
void TestRaceEntry::startAndStopTakeTheEventsTicks()
{
    RaceFixture f;
    QSignalSpy shown(&f.race, &Race::runningTime);
    f.ticks.value = 999999;
    f.race.start(1000);
    f.ticks.value = 1500;
    QVERIFY(f.timers.fire(u"Clock"_s));
    f.ticks.value = 999999;
    f.race.stop(13340);
    QCOMPARE(f.race.runController().runTimeMs(), 12340);
    QCOMPARE(shown.size(), 2);
    QCOMPARE(shown.at(0).at(0).toInt(), 500);
    QCOMPARE(shown.at(1).at(0).toInt(), 12340);
}

QTEST_GUILESS_MAIN(TestRaceEntry)
#include "test_race_entry.moc"
