// The shortcut for a ranking after one entry must give exactly what a stable
// sort gives, equal keys in their old order included, for whatever order it
// is handed.

#include "results/nearlysorted.h"

#include <QRandomGenerator>
#include <QTest>

#include <utility>
#include <vector>

using namespace vex;

namespace {

using Item = std::pair<int, int>; // key, original position

bool byKey(const Item &a, const Item &b)
{
    return a.first < b.first;
}

} // namespace

class TestNearlySorted : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Sorted lists with one, two or more items moved, and shuffled ones, of
    // few distinct keys so that equal keys are common.
    void sameAsStableSort_data()
    {
        QTest::addColumn<int>("moved");
        QTest::newRow("in order") << 0;
        QTest::newRow("one moved") << 1;
        QTest::newRow("two moved") << 2;
        QTest::newRow("five moved") << 5;
        QTest::newRow("shuffled") << -1;
    }

    void sameAsStableSort()
    {
        QFETCH(int, moved);
        QRandomGenerator rng(7);
        for (int round = 0; round < 2000; ++round) {
            const int n = int(rng.bounded(1, 40));
            std::vector<Item> items;
            for (int i = 0; i < n; ++i)
                items.push_back({int(rng.bounded(8)), 0});
            if (moved >= 0) {
                std::sort(items.begin(), items.end(), byKey);
                for (int m = 0; m < moved; ++m)
                    items[rng.bounded(n)].first = int(rng.bounded(8));
            }
            for (int i = 0; i < n; ++i)
                items[std::size_t(i)].second = i;
            std::vector<Item> expected = items;
            std::stable_sort(expected.begin(), expected.end(), byKey);
            stableSortNearlySorted(items.begin(), items.end(), byKey);
            QCOMPARE(items, expected);
        }
    }
};

QTEST_GUILESS_MAIN(TestNearlySorted)
#include "test_nearlysorted.moc"
