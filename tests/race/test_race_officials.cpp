// The officials' commands: a time from the stopwatch, a disqualified run,
// girls and boys, each a step that can be taken back.
#include "racefixture.h"

#include "reports/htmlreport.h"
#include "reports/textcodec.h"
#include "results/genderbest.h"

#include <QSignalSpy>
#include <QTemporaryDir>

using namespace vex;
using namespace Qt::StringLiterals;

namespace {

// A driver of three scoring runs: start number, name, runs 1 to 3 without penalties.
QStringList threeRuns(const QString &stNr, const QString &name, const QString &r1, const QString &r2,
                      const QString &r3)
{
    QStringList cells = driver(stNr, name, {}, r1, r1.isEmpty() ? QString() : u"0"_s, r2,
                               r2.isEmpty() ? QString() : u"0"_s);
    cells.resize(kAllColumnCount);
    cells[ColRun3] = r3;
    cells[ColRun3Penalty] = r3.isEmpty() ? QString() : u"0"_s;
    return cells;
}

} // namespace

class TestRaceOfficials : public QObject
{
    Q_OBJECT
    std::unique_ptr<RaceFixture> m_f;

private Q_SLOTS:
    void init()
    {
        m_f = std::make_unique<RaceFixture>();
        m_f->load({{driver(u"1"_s, u"Berg, Anna"_s, u"MSC"_s, u"40,00"_s, u"0"_s), driver(u"2"_s, u"Kurz, Kai"_s)}},
                  {u"K1"_s});
    }

    void handTimePlan_data()
    {
        QTest::addColumn<QString>("driver");
        QTest::addColumn<int>("run");
        QTest::addColumn<QString>("time");
        QTest::addColumn<QString>("penalty");
        QTest::addColumn<int>("minimum");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<int>("ms");
        QTest::addColumn<QString>("text");
        QTest::newRow("seconds") << u"2"_s << 1 << u"45,12"_s << u"2"_s << 0 << true << 45120 << QString();
        QTest::newRow("minutes, a point for the comma")
            << u"2"_s << 2 << u" 1:05.37"_s << QString() << 0 << true << 65370 << QString();
        QTest::newRow("over a time asks first") << u"1"_s << 1 << u"41,00"_s << u"0"_s << 0 << true << 41000
                                                << u"Lauf 1 von Nr. 1 Berg, Anna hat schon 40,00 StS 0. Durch die Handzeit 41,00 StS 0 ersetzen?"_s;
        QTest::newRow("no time") << u"2"_s << 1 << u"45"_s << u"0"_s << 0 << false << 0
                                 << u"„45“ ist keine Zeit; bitte als m:ss,hh oder ss,hh eingeben, z. B. 1:05,37 oder 45,12."_s;
        QTest::newRow("seconds past 59") << u"2"_s << 1 << u"1:75,00"_s << u"0"_s << 0 << false << 0
                                         << u"„1:75,00“ ist keine Zeit; bitte als m:ss,hh oder ss,hh eingeben, z. B. 1:05,37 oder 45,12."_s;
        QTest::newRow("an hour") << u"2"_s << 1 << u"60:00,00"_s << u"0"_s << 0 << false << 0
                                 << u"„60:00,00“ ist keine Zeit; bitte als m:ss,hh oder ss,hh eingeben, z. B. 1:05,37 oder 45,12."_s;
        QTest::newRow("zero") << u"2"_s << 1 << u"0,00"_s << u"0"_s << 0 << false << 0
                              << u"Eine Laufzeit von 0,00 gibt es nicht."_s;
        QTest::newRow("below the minimum") << u"2"_s << 1 << u"9,99"_s << u"0"_s << 10 << false << 0
                                           << u"9,99 ist kürzer als die Mindestlaufzeit von 10 s."_s;
        QTest::newRow("at the minimum") << u"2"_s << 1 << u"10,00"_s << u"0"_s << 10 << true << 10000 << QString();
        QTest::newRow("penalty no number") << u"2"_s << 1 << u"45,12"_s << u"2,5"_s << 0 << false << 0
                                           << u"„2,5“ sind keine Strafsekunden; bitte eine ganze Zahl eingeben."_s;
        QTest::newRow("a run the class has not") << u"2"_s << 3 << u"45,12"_s << u"0"_s << 0 << false << 0
                                                 << u"Lauf 3 wird in dieser Klasse nicht gefahren."_s;
    }
    void handTimePlan()
    {
        QFETCH(QString, driver);
        QFETCH(int, run);
        QFETCH(QString, time);
        QFETCH(QString, penalty);
        QFETCH(int, minimum);
        QFETCH(bool, ok);
        QFETCH(int, ms);
        QFETCH(QString, text);
        const RaceResults::HandTimePlan plan =
            m_f->race.results().planHandTime(m_f->idOf(driver), run, time, penalty, minimum);
        QCOMPARE(plan.ok, ok);
        QCOMPARE(plan.ms, ms);
        QCOMPARE(plan.text, text);
    }

    // One step with its line; the mark shows where people read results and
    // goes with the time, by undo or by another time in the cell.
    void handTimeIsMarkedAndTakenBack()
    {
        RaceResults &results = m_f->race.results();
        QSignalSpy journal(&results, &RaceResults::journalLine);
        results.enterHandTime(m_f->idOf(u"2"_s), 1, 45120, 2);
        const int row = m_f->rowOf(u"2"_s);
        QCOMPARE(m_f->cell(row, ColRun1), u"45,12"_s);
        QCOMPARE(m_f->cell(row, ColRun1Penalty), u"2"_s);
        QCOMPARE(m_f->page()->displayText(row, ColRun1), u"45,12 H"_s);
        QCOMPARE(m_f->page()->displayText(m_f->rowOf(u"1"_s), ColRun1), u"40,00"_s);
        QCOMPARE(journal.last().at(0).toString(), u"Handzeit: Lauf 1 von Nr. 2 Kurz, Kai: 45,12 StS 2 (vorher leer)"_s);
        HtmlReportInfo info;
        QVERIFY(decodeWindows1252(buildHtmlReport(m_f->race.competition(), info)).contains(u"<td>45,12 H<td>2"_s));

        m_f->race.undo();
        QCOMPARE(m_f->cellOf(u"2"_s, ColRun1), QString());
        QVERIFY(!m_f->page()->marks(m_f->rowOf(u"2"_s)).isHandTime(1));
        m_f->race.redo();
        QCOMPARE(m_f->page()->displayText(m_f->rowOf(u"2"_s), ColRun1), u"45,12 H"_s);
        results.grantReRun(m_f->idOf(u"2"_s), 1);
        QVERIFY(m_f->page()->marks(m_f->rowOf(u"2"_s)).isEmpty());
        m_f->race.undo();
        QCOMPARE(m_f->page()->displayText(m_f->rowOf(u"2"_s), ColRun1), u"45,12 H"_s);

        // Saved and opened again, the mark is still there.
        QTemporaryDir dir;
        const QString path = dir.filePath(u"protokoll.txt"_s);
        QCOMPARE(m_f->files.save(path), std::nullopt);
        results.grantReRun(m_f->idOf(u"2"_s), 1);
        QVERIFY(m_f->files.load(path).opened);
        QCOMPARE(m_f->page()->displayText(m_f->rowOf(u"2"_s), ColRun1), u"45,12 H"_s);
    }

    // "DIS" in place of a run's time: the run no longer counts, the total and
    // the struck run follow the regulation, and lifting it brings the time back.
    void runDisqualification_data()
    {
        QTest::addColumn<int>("runs");
        QTest::addColumn<int>("run");
        QTest::addColumn<QString>("totalBefore");
        QTest::addColumn<int>("struckBefore");
        QTest::addColumn<QString>("totalAfter");
        QTest::addColumn<int>("struckAfter");
        QTest::newRow("2 runs: no total") << 2 << 2 << u"1:21,00"_s << 0 << QString() << 0;
        QTest::newRow("3 runs, best 2: the struck run counts again") << 3 << 1 << u"1:21,00"_s << 3 << u"1:23,00"_s << 0;
        QTest::newRow("3 runs, best 2: the struck run itself") << 3 << 3 << u"1:21,00"_s << 3 << u"1:21,00"_s << 0;
    }
    void runDisqualification()
    {
        QFETCH(int, runs);
        QFETCH(int, run);
        QFETCH(QString, totalBefore);
        QFETCH(int, struckBefore);
        QFETCH(QString, totalAfter);
        QFETCH(int, struckAfter);
        m_f->changeSettings([runs](Settings &s) {
            s.WertLaeufe = runs;
            s.WertZaehlt = 2;
        });
        m_f->load({{threeRuns(u"7"_s, u"Mia"_s, u"40,00"_s, u"41,00"_s, runs > 2 ? u"42,00"_s : QString())}},
                  {u"K1"_s});
        RaceResults &results = m_f->race.results();
        results.rank(0);
        const auto struck = [this] {
            for (int r = 1; r <= kMaxScoringRuns; ++r) {
                if (m_f->page()->isStruckRun(m_f->rowOf(u"7"_s), r))
                    return r;
            }
            return 0;
        };
        QCOMPARE(m_f->cellOf(u"7"_s, ColTotal), totalBefore);
        QCOMPARE(struck(), struckBefore);
        const QString time = m_f->cellOf(u"7"_s, timeColumn(run));

        results.setRunDisqualified(m_f->idOf(u"7"_s), run, true);
        QCOMPARE(m_f->cellOf(u"7"_s, timeColumn(run)), u"DIS"_s);
        QCOMPARE(m_f->cellOf(u"7"_s, ColTotal), totalAfter);
        QCOMPARE(struck(), struckAfter);
        QVERIFY(m_f->page()->marks(m_f->rowOf(u"7"_s)).isDisqualifiedRun(run));

        results.setRunDisqualified(m_f->idOf(u"7"_s), run, false);
        QCOMPARE(m_f->cellOf(u"7"_s, timeColumn(run)), time);
        QCOMPARE(m_f->cellOf(u"7"_s, ColTotal), totalBefore);
        m_f->race.undo();
        QCOMPARE(m_f->cellOf(u"7"_s, timeColumn(run)), u"DIS"_s);
        m_f->race.undo();
        QCOMPARE(m_f->cellOf(u"7"_s, timeColumn(run)), time);
        QCOMPARE(m_f->cellOf(u"7"_s, ColTotal), totalBefore);
        QVERIFY(m_f->page()->marks(m_f->rowOf(u"7"_s)).isEmpty());
    }

    // The fastest counted scoring run of each, as the day's best; a
    // disqualified driver is none, and without the column there is nobody.
    void fastestGirlAndBoy_data()
    {
        QTest::addColumn<QStringList>("genders"); // of drivers 1 to 4
        QTest::addColumn<QString>("girl");
        QTest::addColumn<QString>("boy");
        QTest::newRow("no column") << QStringList{{}, {}, {}, {}} << QString() << QString();
        QTest::newRow("each") << QStringList{u"w"_s, u"m"_s, u"w"_s, u"m"_s} << u"Anna"_s << u"Ben"_s;
        QTest::newRow("penalty counted") << QStringList{u"m"_s, u"m"_s, u"w"_s, u"m"_s} << u"Cleo"_s << u"Ben"_s;
        QTest::newRow("disqualified is none") << QStringList{{}, {}, {}, u"w"_s} << QString() << QString();
    }
    void fastestGirlAndBoy()
    {
        QFETCH(QStringList, genders);
        QFETCH(QString, girl);
        QFETCH(QString, boy);
        m_f->load({{driver(u"1"_s, u"Anna"_s, {}, u"39,00"_s, u"3"_s, u"45,00"_s, u"0"_s),
                    driver(u"2"_s, u"Ben"_s, {}, u"41,00"_s, u"0"_s, u"44,00"_s, u"0"_s),
                    driver(u"3"_s, u"Cleo"_s, {}, u"43,00"_s, u"0"_s, u"46,00"_s, u"0"_s)},
                   {driver(u"4"_s, u"Dirk"_s, {}, u"40,00"_s, u"1"_s, u"35,00"_s, u"0"_s)}},
                  {u"K1"_s, u"K2"_s});
        RaceResults &results = m_f->race.results();
        results.toggleDisqualified(m_f->race.competition().page(1)->rowId(1));
        for (int i = 0; i < 4; ++i) {
            const ResultPage &p = *m_f->race.competition().page(i < 3 ? 0 : 1);
            const int row = i < 3 ? p.rowOfId(m_f->idOf(QString::number(i + 1))) : 1;
            results.setGender(p.rowId(row), readGender(genders.at(i)));
        }
        QCOMPARE(findFastest(m_f->race.competition(), Gender::Girl).name, girl);
        QCOMPARE(findFastest(m_f->race.competition(), Gender::Boy).name, boy);
    }

    void genderIsAStep()
    {
        RaceResults &results = m_f->race.results();
        QSignalSpy journal(&results, &RaceResults::journalLine);
        results.setGender(m_f->idOf(u"1"_s), Gender::Girl);
        QCOMPARE(journal.last().at(0).toString(), u"Nr. 1 Berg, Anna: m/w auf „w“ gesetzt (vorher „keine Angabe“)"_s);
        results.rank(0);
        QCOMPARE(m_f->page()->gender(m_f->rowOf(u"1"_s)), Gender::Girl);
        m_f->race.undo();
        m_f->race.undo();
        QCOMPARE(m_f->page()->gender(m_f->rowOf(u"1"_s)), Gender::None);
        QVERIFY(!m_f->page()->hasGenders());
    }
};

QTEST_MAIN(TestRaceOfficials)
#include "test_race_officials.moc"
