#include "pagefixture.h"

#include "results/columnwidths.h"

#include <QSignalSpy>
#include <QTest>

#include <numeric>

using namespace Qt::StringLiterals;
using namespace vex;
using vex::testing::column;
using vex::testing::makePage;

// Column widths and the page model's bulk operations the ranking relies on.
class TestPageLayout : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void columnWidths_data()
    {
        QTest::addColumn<int>("clientWidth");
        QTest::addColumn<int>("clubShare"); // -1: start-up share
        QTest::addColumn<QList<int>>("widths");
        QTest::newRow("1000 at start-up")
            << 1000 << -1 << QList<int>{49, 279, 119, 79, 59, 79, 59, 79, 59, 79, 49};
        QTest::newRow("1000 club shown")
            << 1000 << 10 << QList<int>{49, 299, 99, 79, 59, 79, 59, 79, 59, 79, 49};
        QTest::newRow("1000 club hidden")
            << 1000 << 0 << QList<int>{49, 399, -1, 79, 59, 79, 59, 79, 59, 79, 49};
        // 6.5 rounds down to 6 and 7.5 up to 8: halves go to the even pixel.
        QTest::newRow("130, half to even down")
            << 130 << -1 << QList<int>{5, 130 - (5 + 15 + 9 + 7 + 9 + 7 + 9 + 7 + 9 + 5) - 11, 15, 9, 7, 9, 7, 9, 7,
                                       9, 5};
        QTest::newRow("150, half to even up")
            << 150 << -1 << QList<int>{7, 150 - (7 + 17 + 11 + 8 + 11 + 8 + 11 + 8 + 11 + 7) - 11, 17, 11, 8, 11, 8,
                                       11, 8, 11, 7};
        // A column with nothing left of it is hidden and counts -1.
        QTest::newRow("20, narrow columns hidden")
            << 20 << -1 << QList<int>{-1, 9, 1, 1, -1, 1, -1, 1, -1, 1, -1};
    }
    void columnWidths()
    {
        QFETCH(int, clientWidth);
        QFETCH(int, clubShare);
        QFETCH(QList<int>, widths);
        ColumnWidthPercent percent;
        if (clubShare == 10)
            percent.setClubShown(true);
        else if (clubShare == 0)
            percent.setClubShown(false);
        QCOMPARE(computeColumnWidths(clientWidth, percent), widths);
    }

    void columnWidthPercentTable()
    {
        ColumnWidthPercent percent;
        const auto &shares = percent.shares();
        QCOMPARE(std::accumulate(shares.begin(), shares.end(), 0), 92);
        QCOMPARE(percent.share(ColClub), 12);
        percent.setClubShown(false);
        QCOMPARE(percent.share(ColClub), 0);
        percent.setClubShown(true);
        QCOMPARE(percent.share(ColClub), 10);
        QCOMPARE(percent.share(11), 0);
        percent.setShare(-1, 50);
        QCOMPARE(percent.share(0), 5);
    }

    void reorderDataRowsRejectsNonPermutations_data()
    {
        QTest::addColumn<QList<int>>("order");
        QTest::newRow("too short") << QList<int>{2, 1};
        QTest::newRow("duplicate") << QList<int>{2, 2, 1};
        QTest::newRow("title row") << QList<int>{0, 1, 2};
        QTest::newRow("beyond the end") << QList<int>{4, 1, 2};
        QTest::newRow("identity") << QList<int>{1, 2, 3};
    }
    void reorderDataRowsRejectsNonPermutations()
    {
        QFETCH(QList<int>, order);
        auto page = makePage({{u"1"_s}, {u"2"_s}, {u"3"_s}});
        QSignalSpy layout(page.get(), &QAbstractItemModel::layoutChanged);
        QVERIFY(!page->reorderDataRows(order));
        QCOMPARE(layout.count(), 0);
        QCOMPARE(column(*page, ColStNr), (QStringList{u"1"_s, u"2"_s, u"3"_s}));
    }

    void reorderDataRowsMovesRowsAndIndexes()
    {
        auto page = makePage({{u"1"_s}, {u"2"_s}, {u"3"_s}});
        const QPersistentModelIndex title(page->index(0, 0));
        const QPersistentModelIndex second(page->index(2, 5));
        QVERIFY(page->reorderDataRows({3, 1, 2}));
        QCOMPARE(column(*page, ColStNr), (QStringList{u"3"_s, u"1"_s, u"2"_s}));
        QCOMPARE(page->cell(0, ColStNr), u"StNr"_s);
        QCOMPARE(title.row(), 0);
        QCOMPARE(second.row(), 3);
        QCOMPARE(second.column(), 5);
    }

    // A row keeps its identity through sorting and the removal of others;
    // a removed row's identity names nothing, on this page or another.
    void rowIdsFollowTheirRows()
    {
        auto page = makePage({{u"1"_s}, {u"2"_s}, {u"3"_s}});
        auto other = makePage({{u"9"_s}});
        const RowId first = page->rowId(1);
        const RowId third = page->rowId(3);
        QVERIFY(first != 0 && first != third && first != other->rowId(1));
        QCOMPARE(page->rowId(0) == 0, false);
        QCOMPARE(page->rowId(4), RowId(0));
        QVERIFY(page->reorderDataRows({3, 1, 2}));
        QCOMPARE(page->rowOfId(third), 1);
        QCOMPARE(page->rowOfId(first), 2);
        page->removeDataRow(2);
        QCOMPARE(page->rowOfId(first), -1);
        QCOMPARE(page->rowOfId(third), 1);
        QCOMPARE(other->rowOfId(third), -1);
        const int added = page->appendRow();
        QVERIFY(page->rowId(added) != first);
        page->reset();
        QCOMPARE(page->rowOfId(third), -1);
        QCOMPARE(page->rowOfId(0), -1);
    }

    void stableSortDataRows()
    {
        auto page = makePage({{u"b"_s, u"1"_s}, {u"a"_s, u"2"_s}, {u"b"_s, u"3"_s}, {u"a"_s, u"4"_s}});
        page->stableSortDataRows([](const QStringList &x, const QStringList &y) { return x.at(0) < y.at(0); });
        QCOMPARE(column(*page, ColName), (QStringList{u"2"_s, u"4"_s, u"1"_s, u"3"_s}));
    }

    void setColumnCellsNotifiesOnceForChangedRange()
    {
        auto page = makePage({{u"1"_s}, {u"2"_s}, {u"3"_s}, {u"4"_s}});
        page->setCell(1, ColPlace, u"1"_s);
        QSignalSpy changed(page.get(), &QAbstractItemModel::dataChanged);
        page->setColumnCells(ColPlace, 1, {u"1"_s, u"2"_s, QString(), u"4"_s, u"beyond"_s});
        QCOMPARE(changed.count(), 1);
        QCOMPARE(changed.at(0).at(0).toModelIndex(), page->index(2, ColPlace));
        QCOMPARE(changed.at(0).at(1).toModelIndex(), page->index(4, ColPlace));
        QCOMPARE(column(*page, ColPlace), (QStringList{u"1"_s, u"2"_s, QString(), u"4"_s}));
        QCOMPARE(page->rows(), 5);

        page->setColumnCells(ColPlace, 1, {u"1"_s});
        QCOMPARE(changed.count(), 1);
    }

    void setCellsNotifiesOnceForTheChangedSpan()
    {
        auto page = makePage({{u"1"_s}, {u"2"_s}, {u"3"_s}, {u"4"_s}});
        page->setCell(2, ColPlace, u"2"_s);
        QSignalSpy changed(page.get(), &QAbstractItemModel::dataChanged);
        page->setCells(ColPlace, {{1, u"1"_s}, {2, u"2"_s}, {4, u"DIS"_s}, {9, u"9"_s}});
        QCOMPARE(changed.count(), 1);
        QCOMPARE(changed.at(0).at(0).toModelIndex(), page->index(1, ColPlace));
        QCOMPARE(changed.at(0).at(1).toModelIndex(), page->index(4, ColPlace));
        QCOMPARE(column(*page, ColPlace), (QStringList{u"1"_s, u"2"_s, QString(), u"DIS"_s}));
        page->setCells(ColPlace, {{2, u"2"_s}});
        QCOMPARE(changed.count(), 1);
    }
};

QTEST_GUILESS_MAIN(TestPageLayout)
#include "test_pagelayout.moc"
