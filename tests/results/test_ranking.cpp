#include "pagefixture.h"

#include "results/ranking.h"
#include "results/runcell.h"
#include "timing/timetext.h"

#include <QPersistentModelIndex>
#include <QRandomGenerator>
#include <QTest>

#include <algorithm>

using namespace Qt::StringLiterals;
using namespace vex;
using vex::testing::column;
using vex::testing::makePage;
using vex::testing::totalRow;

class TestRanking : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void compareResultTexts_data()
    {
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::addColumn<int>("order");
        QTest::newRow("shorter time first") << u"9,99"_s << u"10,00"_s << -1;
        QTest::newRow("seconds before minutes") << u"9,99"_s << u"1:00,00"_s << -1;
        QTest::newRow("59,99 before 1:00,00") << u"59,99"_s << u"1:00,00"_s << -1;
        QTest::newRow("one before ten minutes") << u"1:00,00"_s << u"10:00,00"_s << -1;
        QTest::newRow("same length by characters") << u"46,10"_s << u"45,00"_s << 1;
        QTest::newRow("equal") << u"45,00"_s << u"45,00"_s << 0;
        QTest::newRow("time before DIS") << u"10:00,00"_s << u"DIS"_s << -1;
        QTest::newRow("DIS before dash") << u"DIS"_s << u"-"_s << -1;
        QTest::newRow("dash before blank") << u"-"_s << u" "_s << -1;
        QTest::newRow("lower dis weighs as DIS") << u"dis"_s << u"-"_s << -1;
        QTest::newRow("DIS against dis by character code") << u"DIS"_s << u"dis"_s << -1;
        QTest::newRow("blank against empty by characters") << u" "_s << QString() << 1;
        // Only a bare "-" is a no-time text; with a blank in front it is just
        // a short text.
        QTest::newRow("blank dash is a text") << u" -"_s << u"9,99"_s << -1;
    }
    void compareResultTexts()
    {
        QFETCH(QString, a);
        QFETCH(QString, b);
        QFETCH(int, order);
        QCOMPARE(CompareResultTexts(a, b), order);
        QCOMPARE(CompareResultTexts(b, a), -order);
    }

    void ranksSortsAndFindsBest()
    {
        auto page = makePage({
            totalRow(u"1"_s, u"Alpha"_s, u"50,00"_s),
            totalRow(u"2"_s, u"Beta"_s, QString()),
            totalRow(u"3"_s, u"Gamma"_s, u"45,00"_s),
            totalRow(u"4"_s, u"Delta"_s, u"-"_s),
        });
        const RankResult r = RankPage(*page, true);
        QCOMPARE(column(*page, ColTotal), (QStringList{u"45,00"_s, u"50,00"_s, u"-"_s, QString()}));
        QCOMPARE(column(*page, ColPlace), (QStringList{u"1"_s, u"2"_s, u"DIS"_s, QString()}));
        QCOMPARE(column(*page, ColName), (QStringList{u"Gamma"_s, u"Alpha"_s, u"Delta"_s, u"Beta"_s}));
        QVERIFY(r.ranked);
        QCOMPARE(r.bestTimeMs, 45000);
        QCOMPARE(r.bestRow, 1);
        QCOMPARE(r.bestDriverLabel, u"3 Gamma"_s);
        QCOMPARE(page->row(0), defaultColumnTitles());
    }

    void places_data()
    {
        QTest::addColumn<QStringList>("totals");
        QTest::addColumn<QStringList>("sortedTotals");
        QTest::addColumn<QStringList>("places");
        QTest::newRow("shared place skips the next")
            << QStringList{u"46,10"_s, u"47,00"_s, u"45,00"_s, u"46,10"_s}
            << QStringList{u"45,00"_s, u"46,10"_s, u"46,10"_s, u"47,00"_s}
            << QStringList{u"1"_s, u"2"_s, u"2"_s, u"4"_s};
        QTest::newRow("two share the first")
            << QStringList{u"50,00"_s, u"45,00"_s, u"45,00"_s}
            << QStringList{u"45,00"_s, u"45,00"_s, u"50,00"_s} << QStringList{u"1"_s, u"1"_s, u"3"_s};
        QTest::newRow("short texts first")
            << QStringList{u"1:00,00"_s, u"9,99"_s, u"10:00,00"_s, u"10,00"_s}
            << QStringList{u"9,99"_s, u"10,00"_s, u"1:00,00"_s, u"10:00,00"_s}
            << QStringList{u"1"_s, u"2"_s, u"3"_s, u"4"_s};
        QTest::newRow("loaded DIS sorts before dash and takes no place")
            << QStringList{u"-"_s, u"DIS"_s, u"45,00"_s}
            << QStringList{u"45,00"_s, u"DIS"_s, u"-"_s} << QStringList{u"1"_s, u"old"_s, u"DIS"_s};
        // The weight test reads "dis" as DIS, the place test does not.
        QTest::newRow("lower-case dis is placed")
            << QStringList{u"dis"_s, u"45,00"_s}
            << QStringList{u"45,00"_s, u"dis"_s} << QStringList{u"1"_s, u"2"_s};
        QTest::newRow("unreadable total is placed by its length")
            << QStringList{u"45,00"_s, u"abc"_s}
            << QStringList{u"abc"_s, u"45,00"_s} << QStringList{u"1"_s, u"2"_s};
    }
    void places()
    {
        QFETCH(QStringList, totals);
        QFETCH(QStringList, sortedTotals);
        QFETCH(QStringList, places);
        QList<QStringList> rows;
        for (int i = 0; i < totals.size(); ++i)
            rows.append(totalRow(QString::number(i + 1), {}, totals.at(i), u"old"_s));
        auto page = makePage(rows);
        RankPage(*page, true);
        QCOMPARE(column(*page, ColTotal), sortedTotals);
        QCOMPARE(column(*page, ColPlace), places);
    }

    void tiesKeepTheirOrder()
    {
        auto page = makePage({
            totalRow(u"1"_s, u"A"_s, u"50,00"_s),
            totalRow(u"2"_s, u"B"_s, u"45,00"_s),
            totalRow(u"3"_s, u"C"_s, u"50,00"_s),
            totalRow(u"4"_s, u"D"_s, u"45,00"_s),
            totalRow(u"5"_s, u"E"_s, QString()),
            totalRow(u"6"_s, u"F"_s, u" "_s),
        });
        RankPage(*page, true);
        QCOMPARE(column(*page, ColName), (QStringList{u"B"_s, u"D"_s, u"A"_s, u"C"_s, u"E"_s, u"F"_s}));
        RankPage(*page, true);
        QCOMPARE(column(*page, ColName), (QStringList{u"B"_s, u"D"_s, u"A"_s, u"C"_s, u"E"_s, u"F"_s}));
        QCOMPARE(column(*page, ColPlace), (QStringList{u"1"_s, u"1"_s, u"3"_s, u"3"_s, {}, {}}));
    }

    // A place of a row that lost its total (a re-run) would stand there
    // stale; a total "DIS" from a file is a disqualification and keeps its.
    void placeWithoutTotalGoes()
    {
        auto page = makePage({totalRow(u"1"_s, {}, u" "_s, u"3"_s), totalRow(u"2"_s, {}, u"45,00"_s, u"1"_s),
                              totalRow(u"3"_s, {}, u"DIS"_s, u"DIS"_s)});
        RankPage(*page, true);
        RankPage(*page, true);
        QCOMPARE(column(*page, ColPlace), (QStringList{u"1"_s, u"DIS"_s, QString()}));
    }

    void noTotalsNoBest()
    {
        auto page = makePage({totalRow(u"1"_s, u"A"_s, QString()), totalRow(u"2"_s, u"B"_s, u"0,00"_s),
                              totalRow(u"3"_s, u"C"_s, u"abc"_s)});
        const RankResult r = RankPage(*page, true);
        QVERIFY(r.ranked);
        QCOMPARE(r.bestTimeMs, 0);
        QCOMPARE(r.bestRow, -1);
        QVERIFY(r.bestDriverLabel.isEmpty());
    }

    void autoRangOffChangesNothing()
    {
        auto page = makePage({totalRow(u"1"_s, u"A"_s, u"50,00"_s, u"x"_s), totalRow(u"2"_s, u"B"_s, u"-"_s),
                              totalRow(u"3"_s, u"C"_s, u"45,00"_s)});
        QList<QStringList> before;
        for (int r = 0; r < page->rows(); ++r)
            before.append(page->row(r));
        int signals_ = 0;
        const auto count = [&] { ++signals_; };
        connect(page.get(), &QAbstractItemModel::dataChanged, this, count);
        connect(page.get(), &QAbstractItemModel::layoutChanged, this, count);
        const RankResult r = RankPage(*page, false);
        QVERIFY(!r.ranked);
        QCOMPARE(r.bestRow, -1);
        QCOMPARE(signals_, 0);
        for (int row = 0; row < page->rows(); ++row)
            QCOMPARE(page->row(row), before.at(row));
    }

    // The best total wherever it stands: a start order puts the rows out of
    // result order, and "Best:" must still name the leader.
    void findPageBestTakesTheBestTotal()
    {
        auto page = makePage({totalRow(u"1"_s, u"A"_s, u"-"_s), totalRow(u"2"_s, u"B"_s, u"50,00"_s),
                              totalRow(u"3"_s, u"C"_s, u"45,00"_s)});
        const RankResult r = FindPageBest(*page);
        QVERIFY(!r.ranked);
        QCOMPARE(r.bestTimeMs, 45000);
        QCOMPARE(r.bestRow, 3);
        QCOMPARE(r.bestDriverLabel, u"3 C"_s);
        QCOMPARE(page->cell(1, ColTotal), u"-"_s);

        QCOMPARE(FindPageBest(*makePage({})).bestRow, -1);
    }

    void viewSelectionFollowsTheDriver()
    {
        auto page = makePage({totalRow(u"1"_s, u"A"_s, u"50,00"_s), totalRow(u"2"_s, u"B"_s, u"45,00"_s)});
        const QPersistentModelIndex current(page->index(1, ColName));
        RankPage(*page, true);
        QCOMPARE(current.row(), 2);
        QCOMPARE(current.data().toString(), u"A"_s);
    }

    // The ranking's order is the grid's: a stable sort by CompareResultTexts
    // of the lower-cased totals, whatever the texts are.
    void orderMatchesLowerCasedComparison()
    {
        const QStringList texts{u"45,00"_s, u"DIS"_s, u"dis"_s, u"Dis"_s, u"-"_s, u" -"_s, u""_s, u" "_s,
                                u"  "_s, u"\t"_s, u"\u00a0"_s, u"ABC"_s, u"abd"_s, u"45,00"_s, u"Zeit"_s,
                                u"zeit"_s, u"\u00c4rger"_s, u"\u00e4rger"_s, u"9,99"_s, u"1:00,00"_s,
                                u"12345678901234567"_s, u"123456789012345678"_s, u"1234567890123456789"_s,
                                u"12:34,567"_s, u"-x"_s, u"x\u0000"_s, u"x"_s, u"\u00ffx"_s, u"DI\u00df"_s};
        QList<QStringList> rows;
        for (int i = 0; i < texts.size(); ++i)
            rows.append(totalRow(QString::number(i), {}, texts.at(i)));
        QList<int> expected(texts.size());
        std::iota(expected.begin(), expected.end(), 0);
        std::stable_sort(expected.begin(), expected.end(), [&](int a, int b) {
            return CompareResultTexts(texts.at(a).toLower(), texts.at(b).toLower()) < 0;
        });

        auto page = makePage(rows);
        RankPage(*page, true);
        QList<int> actual;
        for (int row = 1; row < page->rows(); ++row)
            actual.append(page->cell(row, ColStNr).toInt());
        QCOMPARE(actual, expected);
    }

    void largePageSpotCheck()
    {
        QRandomGenerator rng(4711);
        QList<QStringList> rows;
        constexpr int n = 10000;
        for (int i = 0; i < n; ++i) {
            const quint32 kind = rng.bounded(20);
            QString total;
            if (kind == 0)
                total = u"-"_s;
            else if (kind == 1)
                total = QString();
            else // few distinct values, so there are plenty of ties
                total = MsToText(qint32(rng.bounded(30000, 200000)) / 100 * 100);
            rows.append(totalRow(QString::number(i + 1), {}, total));
        }
        auto page = makePage(rows);
        const RankResult r = RankPage(*page, true);
        QCOMPARE(page->dataRows(), n);

        qint32 minMs = std::numeric_limits<qint32>::max();
        for (const QStringList &row : rows) {
            if (!readRunCell(row.at(ColTotal)).isNoTime())
                minMs = std::min(minMs, TextToMs(row.at(ColTotal)));
        }
        QCOMPARE(r.bestTimeMs, minMs);

        // Placed rows by time, then "-", then blank rows; within equal keys
        // the start order (start number) is kept.
        int previousKind = 0;
        int previousMs = 0;
        int previousStNr = 0;
        int placed = 0;
        QString previousPlace;
        QList<bool> seen(n + 1, false);
        for (int row = 1; row <= n; ++row) {
            const QString total = page->cell(row, ColTotal);
            const QString place = page->cell(row, ColPlace);
            const int stNr = page->cell(row, ColStNr).toInt();
            QVERIFY(!seen.at(stNr));
            seen[stNr] = true;
            const int kind = readRunCell(total).isNoTime() ? (total == u"-" ? 1 : 2) : 0;
            const int ms = kind == 0 ? TextToMs(total) : 0;
            QVERIFY(kind >= previousKind);
            const bool tie = row > 1 && kind == previousKind && ms == previousMs;
            if (kind == 0) {
                QVERIFY(row == 1 || kind != previousKind || ms >= previousMs);
                ++placed;
                QCOMPARE(place, tie ? previousPlace : QString::number(placed));
            } else {
                QCOMPARE(place, kind == 1 ? u"DIS"_s : QString());
            }
            if (tie)
                QVERIFY2(stNr > previousStNr, "equal totals keep their order");
            previousKind = kind;
            previousMs = ms;
            previousStNr = stNr;
            previousPlace = place;
        }
    }
};

QTEST_GUILESS_MAIN(TestRanking)
#include "test_ranking.moc"
