// A false contact or a wrong key must not cost a driver his run: resuming,
// a minimum run time, moving a run, a re-run, and undo and redo of entries
// where they were made.
#include "racefixture.h"

#include <QSignalSpy>

using namespace vex;
using namespace Qt::StringLiterals;

class TestRaceCorrections : public QObject
{
    Q_OBJECT
    std::unique_ptr<RaceFixture> m_f;
    std::unique_ptr<QSignalSpy> m_log;
    QString logged() const { return m_log->isEmpty() ? QString() : m_log->last().at(0).toString(); }

private Q_SLOTS:
    void init()
    {
        m_f = std::make_unique<RaceFixture>();
        m_f->load({{driver(u"1"_s, u"A"_s, {}, u"40,00"_s, u"0"_s, u"40,00"_s, u"0"_s),
                    driver(u"2"_s, u"B"_s, {}, u"45,00"_s, u"2"_s, u"40,00"_s, u"0"_s), driver(u"3"_s, u"C"_s)},
                   {driver(u"9"_s, u"Z"_s), driver({}, u"Y"_s)}},
                  {u"Bambini"_s, u"Junioren"_s});
        m_f->race.rank();
        m_f->race.chooseRun(1);
        m_log = std::make_unique<QSignalSpy>(&m_f->race, &Race::correctionLogged);
    }

    void resumeGoesOnFromTheStart()
    {
        Race &r = m_f->race;
        r.start(5000);
        m_f->timers.fire(u"TimerStartLock"_s);
        r.stop(17000); // a marshal in the finish barrier
        r.resumeRun();
        QCOMPARE(r.runController().state(), RunState::Running);
        QVERIFY(r.runController().finishBarrierFree());
        QVERIFY(logged().contains(u"12,00"_s));
        r.stop(48000);
        r.enter();
        QCOMPARE(m_f->cellOf(u"1"_s, ColRun1), u"43,00"_s);
        r.resumeRun(); // entered: refused
        QCOMPARE(r.runController().state(), RunState::Entered);
    }

    void stopSoonerThanTheMinimumIsIgnored()
    {
        // A double tap of F5 is a bounce, whatever the minimum says.
        m_f->drive(29);
        QCOMPARE(m_f->race.runController().state(), RunState::Running);
        m_f->race.abort();
        m_f->changeSettings([](Settings &s) { s.MinLauf = 5; });
        m_f->drive(4990);
        QCOMPARE(m_f->race.runController().state(), RunState::Running);
        QCOMPARE(m_log->size(), 2);
        m_f->race.stop(10000); // 5,00 after the start
        QCOMPARE(m_f->race.runController().state(), RunState::Stopped);
    }

    void moveRun_data()
    {
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");
        QTest::addColumn<bool>("moved");
        QTest::newRow("onto a time") << u"2"_s << u"1"_s << true;
        QTest::newRow("onto no time") << u"1"_s << u" 3 "_s << true;
        QTest::newRow("nothing to move") << u"3"_s << u"1"_s << false;
        QTest::newRow("unknown number") << u"1"_s << u"7"_s << false;
        QTest::newRow("same driver") << u"1"_s << u"1"_s << false;
        QTest::newRow("other class") << u"1"_s << u"9"_s << false;
        QTest::newRow("no number") << u"1"_s << u"  "_s << false;
    }
    void moveRun()
    {
        QFETCH(QString, from);
        QFETCH(QString, to);
        QFETCH(bool, moved);
        const QString time = m_f->cellOf(from, ColRun1), replaced = m_f->cellOf(to.trimmed(), ColRun1);
        RaceResults &results = m_f->race.results();
        QSignalSpy journal(&results, &RaceResults::journalLine);
        const RaceResults::RunMovePlan plan = results.planRunMove(m_f->idOf(from), 1, to);
        QCOMPARE(plan.target != 0, moved);
        // A target from another class is refused by the command too.
        results.moveRun(m_f->idOf(from), 1, moved ? plan.target : m_f->page(1)->rowId(1));
        QCOMPARE(m_f->cellOf(from, ColRun1), moved ? QString() : time);
        if (moved) {
            QCOMPARE(m_f->cellOf(to.trimmed(), ColRun1) + m_f->cellOf(from, ColTotal), time);
            QCOMPARE(journal.last().at(0).toString().contains(u"ersetzt: "_s + replaced), !replaced.isEmpty());
        }
    }

    void reRunEmptiesTheRunOnly()
    {
        Race &r = m_f->race;
        QSignalSpy journal(&r.results(), &RaceResults::journalLine);
        r.results().grantReRun(m_f->idOf(u"3"_s), 1); // no time: nothing to grant
        r.chooseDriverRow(m_f->idOf(u"2"_s));
        r.results().grantReRun(m_f->idOf(u"2"_s), 1);
        QVERIFY(!r.entry().timeExists);
        QCOMPARE(m_f->page()->row(m_f->rowOf(u"2"_s)).mid(0, ColPlace),
                 driver(u"2"_s, u"B"_s, {}, {}, {}, u"40,00"_s, u"0"_s).mid(0, ColPlace));
        QCOMPARE(journal.size(), 1);
        QVERIFY(journal.last().at(0).toString().contains(u"45,00 StS 2"_s));
    }

    // An entry is taken back where it was made, whatever class is shown
    // since, and its driver is up again with the run waiting to be entered.
    void undoActsWhereTheEntryWasMade()
    {
        Race &r = m_f->race;
        const QStringList before = m_f->page()->row(m_f->rowOf(u"3"_s));
        r.undo(); // the rank of init() is taken back: nothing else to undo
        r.redo();
        QSignalSpy journal(&r.results(), &RaceResults::journalLine);
        r.typeStartNumber(u"3"_s);
        m_f->driveAndEnter(50000);
        QCOMPARE(m_f->cellOf(u"3"_s, ColRun1), u"50,00"_s);
        QCOMPARE(journal.last().at(0).toString(), u"Lauf 1 von Nr. 3 C: 50,00 eingetragen (vorher leer)"_s);
        r.chooseClass(1);
        r.undo();
        QCOMPARE(r.entry().page, 0);
        QCOMPARE(r.entry().startNumber, u"3"_s);
        QCOMPARE(m_f->page()->row(m_f->rowOf(u"3"_s)), before);
        QCOMPARE(r.runController().state(), RunState::Stopped);
        r.enter();
        QCOMPARE(m_f->cellOf(u"3"_s, ColRun1), u"50,00"_s);
        QCOMPARE(m_f->page(1)->cell(1, ColRun1), QString());

        // After "Nächster" the previous driver's entry goes back without
        // touching the run state; never while a run is timed.
        r.next();
        r.start(1000);
        QSignalSpy refused(&r, &Race::stepReported);
        r.undo();
        QCOMPARE(m_f->cellOf(u"3"_s, ColRun1), u"50,00"_s);
        QCOMPARE(refused.size(), 1);
        r.abort();
        r.undo();
        QCOMPARE(m_f->cellOf(u"3"_s, ColRun1), QString());
        QCOMPARE(r.entry().startNumber, u"3"_s);
        QCOMPARE(r.runController().state(), RunState::Ready);
        QVERIFY(logged().startsWith(u"Rückgängig: Lauf 1 von Nr. 3 C: 50,00"_s));
        r.redo();
        QCOMPARE(m_f->cellOf(u"3"_s, ColRun1), u"50,00"_s);
        // A time written over another keeps the one it replaced in its line.
        r.typeStartNumber(u"3"_s);
        m_f->driveAndEnter(51000);
        QVERIFY(journal.last().at(0).toString().endsWith(u"51,00 eingetragen (vorher 50,00 StS 0)"_s));
    }

    // Under three scoring runs the third can be chosen and entered. A new
    // regulation is a command like any other: its line says what changed
    // and whose total moved, the status bar says it, and Ctrl+Z takes it
    // back with the history standing.
    void thirdRunUnderItsRegulation()
    {
        Race &r = m_f->race;
        r.chooseRun(3);
        QCOMPARE(r.entry().run, 1);
        QSignalSpy journal(&r.results(), &RaceResults::journalLine);
        QSignalSpy status(&r, &Race::stepReported);
        m_f->changeSettings([](Settings &s) {
            s.WertLaeufe = 3;
            s.WertStrafMax = 1;
        });
        QCOMPARE(journal.last().at(0).toString(),
                 u"Wertung geändert: 3 Wertungsläufe (vorher 2), davon zählen 2, bei Gleichstand gleicher Platz, "
                 u"Strafsekunden je Lauf höchstens 1 (vorher Strafsekunden unbegrenzt); "
                 u"geändert: Nr. 2 B Gesamt 1:27,00 \u2192 1:26,00"_s);
        QVERIFY(status.last().at(0).toString().startsWith(u"Wertung geändert: 3 Wertungsläufe"_s));
        r.typeStartNumber(u"3"_s);
        r.chooseRun(3);
        m_f->driveAndEnter(41000);
        QCOMPARE(m_f->cellOf(u"3"_s, timeColumn(3)), u"41,00"_s);
        r.next();
        r.undo();
        QCOMPARE(m_f->cellOf(u"3"_s, timeColumn(3)), QString());
        r.undo();
        QCOMPARE(r.results().regulation(), Regulation{});
        QCOMPARE(m_f->cellOf(u"2"_s, ColTotal), u"1:27,00"_s);
        r.redo();
        r.redo();
        QCOMPARE(m_f->cellOf(u"3"_s, timeColumn(3)), u"41,00"_s);
        QCOMPARE(r.results().regulation().scoringRuns, 3);
    }

    // A new list or a cleared page ends the run of the old one.
    void loadingEndsTheRunInProgress()
    {
        Race &r = m_f->race;
        m_f->drive(12000);
        m_f->load({{driver(u"5"_s, u"E"_s)}}, {u"Neu"_s});
        QCOMPARE(r.runController().state(), RunState::Ready);
        r.enter();
        QCOMPARE(m_f->cellOf(u"5"_s, ColRun1), QString());
        r.start(1000);
        r.clearResults();
        QCOMPARE(r.runController().state(), RunState::Ready);
        QVERIFY(!r.runController().clockRunning());
    }
};

QTEST_GUILESS_MAIN(TestRaceCorrections)
#include "test_race_corrections.moc"
