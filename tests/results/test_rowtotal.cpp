#include "pagefixture.h"

#include "results/rowtotal.h"
#include "timing/timetext.h"

#include <QTest>

using namespace Qt::StringLiterals;
using namespace vex;
using vex::testing::makePage;

class TestRowTotal : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void penaltyValue_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("seconds");
        QTest::newRow("whole") << u"14"_s << 14;
        QTest::newRow("zero") << u"0"_s << 0;
        QTest::newRow("leading zeros") << u"007"_s << 7;
        QTest::newRow("blanks around") << u" 7 "_s << 7;
        QTest::newRow("empty") << QString() << 0;
        QTest::newRow("loader blank") << u" "_s << 0;
        QTest::newRow("comma") << u"2,5"_s << 0;
        QTest::newRow("point") << u"1.5"_s << 0;
        QTest::newRow("letters") << u"2x"_s << 0;
        QTest::newRow("negative counts nothing") << u"-3"_s << 0;
        QTest::newRow("too large for a number") << u"99999999999"_s << 0;
    }
    void penaltyValue()
    {
        QFETCH(QString, text);
        QFETCH(int, seconds);
        QCOMPARE(vex::penaltyValue(text), seconds);
    }

    void rule_data()
    {
        QTest::addColumn<QStringList>("runs"); // TR, StS, Lauf 1, StS, Lauf 2, StS
        QTest::addColumn<QString>("oldTotal");
        QTest::addColumn<QString>("total");
        QTest::newRow("both runs with penalties")
            << QStringList{{}, {}, u"45,12"_s, u"2"_s, u"50,00"_s, u"0"_s} << QString() << u"1:37,12"_s;
        QTest::newRow("training run never counts")
            << QStringList{u"30,00"_s, u"10"_s, u"45,12"_s, u"2"_s, u"50,00"_s, u"0"_s} << QString()
            << u"1:37,12"_s;
        QTest::newRow("run 1 only")
            << QStringList{{}, {}, u"45,12"_s, u"2"_s, {}, u"4"_s} << u"old"_s << QString();
        QTest::newRow("training and run 1 only")
            << QStringList{u"30,00"_s, u"0"_s, u"45,12"_s, u"0"_s, {}, {}} << QString() << QString();
        QTest::newRow("run 2 only") << QStringList{{}, {}, {}, {}, u"50,00"_s, u"0"_s} << QString() << QString();
        QTest::newRow("loader blank counts as no time")
            << QStringList{{}, {}, u" "_s, u"0"_s, u"50,00"_s, u"0"_s} << QString() << QString();
        QTest::newRow("penalty with comma counts 0")
            << QStringList{{}, {}, u"45,00"_s, u"2,5"_s, u"50,00"_s, {}} << QString() << u"1:35,00"_s;
        QTest::newRow("penalties of both runs")
            << QStringList{{}, {}, u"45,00"_s, u"14"_s, u"50,00"_s, u"2"_s} << QString() << u"1:51,00"_s;
        QTest::newRow("zero sum empties")
            << QStringList{{}, {}, u"0,00"_s, u"0"_s, u"0,00"_s, u"0"_s} << u"1:00,00"_s << QString();
        QTest::newRow("penalty alone makes a total")
            << QStringList{{}, {}, u"0,00"_s, u"1"_s, u"0,00"_s, u"0"_s} << QString() << u"1,00"_s;
        QTest::newRow("letters are no time")
            << QStringList{{}, {}, u"abc"_s, u"0"_s, u"50,00"_s, u"0"_s} << QString() << QString();
        QTest::newRow("hyphen from a file is no time")
            << QStringList{{}, {}, u"-"_s, u"0"_s, u"50,00"_s, u"0"_s} << u"old"_s << QString();
        QTest::newRow("DIS from a file is no time")
            << QStringList{{}, {}, u"45,12"_s, u"0"_s, u"DIS"_s, u"0"_s} << QString() << QString();
        QTest::newRow("negative time is no time")
            << QStringList{{}, {}, u"-1:00,00"_s, u"0"_s, u"50,00"_s, u"0"_s} << QString() << QString();
        QTest::newRow("negative penalty counts 0")
            << QStringList{{}, {}, u"45,00"_s, u"-40"_s, u"50,00"_s, u"-99"_s} << QString() << u"1:35,00"_s;
        QTest::newRow("negative penalties never make a negative total")
            << QStringList{{}, {}, u"0,00"_s, u"-40"_s, u"0,00"_s, u"0"_s} << u"old"_s << QString();
        QTest::newRow("sum of an hour has no time text")
            << QStringList{{}, {}, u"59:59,99"_s, u"0"_s, u"0,01"_s, u"0"_s} << QString() << QString();
        QTest::newRow("just under an hour")
            << QStringList{{}, {}, u"59:59,98"_s, u"0"_s, u"0,01"_s, u"0"_s} << QString() << u"59:59,99"_s;
        QTest::newRow("disqualified stays")
            << QStringList{{}, {}, u"45,12"_s, u"2"_s, u"50,00"_s, u"0"_s} << u"-"_s << u"-"_s;
        QTest::newRow("loaded DIS is recomputed")
            << QStringList{{}, {}, u"45,12"_s, u"2"_s, u"50,00"_s, u"0"_s} << u"DIS"_s << u"1:37,12"_s;
    }
    void rule()
    {
        QFETCH(QStringList, runs);
        QFETCH(QString, oldTotal);
        QFETCH(QString, total);
        QStringList row{u"7"_s, u"Name"_s, u"Club"_s};
        row << runs << oldTotal << u"3"_s;
        auto page = makePage({row});
        applyRowTotalRule(*page, 1);
        QCOMPARE(page->cell(1, ColTotal), total);
        for (int c = 0; c < kColumnCount; ++c) {
            if (c != ColTotal)
                QCOMPARE(page->cell(1, c), row.at(c));
        }
    }

    void hugePenaltyGivesNoTotal()
    {
        // Formerly the hours were dropped and the driver led with 34:55,00.
        auto page = makePage({{u"1"_s, {}, {}, {}, {}, u"45,00"_s, u"2000000000"_s, u"50,00"_s, u"0"_s}});
        applyRowTotalRule(*page, 1);
        QCOMPARE(page->cell(1, ColTotal), QString());
    }

    void outOfRangeRowsAreIgnored()
    {
        auto page = makePage({{u"1"_s}});
        page->setCell(0, ColTotal, u"Gesamt"_s);
        applyRowTotalRule(*page, 0);
        applyRowTotalRule(*page, 5);
        vex::toggleDisqualified(*page, 0);
        deleteTimes(*page, -1);
        QCOMPARE(page->cell(0, ColTotal), u"Gesamt"_s);
    }

    void recalcAllRowTotals()
    {
        auto page = makePage({
            {u"1"_s, {}, {}, {}, {}, u"45,00"_s, u"0"_s, u"50,00"_s, u"0"_s, u"stale"_s},
            {u"2"_s, {}, {}, {}, {}, u"45,00"_s, u"0"_s, {}, {}, u"stale"_s},
            {u"3"_s, {}, {}, {}, {}, u"45,00"_s, u"0"_s, u"50,00"_s, u"0"_s, u"-"_s},
        });
        vex::recalcAllRowTotals(*page);
        QCOMPARE(vex::testing::column(*page, ColTotal), (QStringList{u"1:35,00"_s, QString(), u"-"_s}));
    }

    void deleteTimesKeepsTheDriver()
    {
        const QStringList full{u"7"_s, u"Name"_s, u"Club"_s, u"30,00"_s, u"0"_s, u"45,00"_s, u"2"_s,
                               u"50,00"_s, u"0"_s, u"-"_s, u"DIS"_s};
        auto page = makePage({full, full});
        deleteTimes(*page, 1);
        QCOMPARE(page->row(1), (QStringList{u"7"_s, u"Name"_s, u"Club"_s, {}, {}, {}, {}, {}, {}, {}, {}}));
        QCOMPARE(page->row(2), full);

        clearResults(*page);
        QCOMPARE(page->row(2), page->row(1));
        QCOMPARE(page->row(0), defaultColumnTitles());
    }

    void toggleDisqualified()
    {
        auto page = makePage({{u"7"_s, {}, {}, {}, {}, u"45,00"_s, u"0"_s, u"50,00"_s, u"1"_s, u"1:36,00"_s}});
        vex::toggleDisqualified(*page, 1);
        QCOMPARE(page->cell(1, ColTotal), u"-"_s);
        applyRowTotalRule(*page, 1);
        QCOMPARE(page->cell(1, ColTotal), u"-"_s);
        vex::toggleDisqualified(*page, 1);
        QCOMPARE(page->cell(1, ColTotal), u"1:36,00"_s);

        // A driver without a total can be disqualified too; lifting the mark
        // leaves him without a total again.
        page->setCell(1, timeColumn(2), QString());
        applyRowTotalRule(*page, 1);
        vex::toggleDisqualified(*page, 1);
        QCOMPARE(page->cell(1, ColTotal), u"-"_s);
        page->setCell(1, ColPlace, u"DIS"_s); // as the ranking wrote it
        vex::toggleDisqualified(*page, 1);
        QCOMPARE(page->cell(1, ColTotal), QString());
        QCOMPARE(page->cell(1, ColPlace), QString());
        // A place number stays for the ranking to renew.
        page->setCell(1, ColPlace, u"3"_s);
        vex::toggleDisqualified(*page, 1);
        vex::toggleDisqualified(*page, 1);
        QCOMPARE(page->cell(1, ColPlace), u"3"_s);
    }
};

QTEST_GUILESS_MAIN(TestRowTotal)
#include "test_rowtotal.moc"
