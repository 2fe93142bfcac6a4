#include "pagefixture.h"

#include "results/recording.h"
#include "results/startnumbers.h"

#include <QTest>

using namespace Qt::StringLiterals;
using namespace vex;
using vex::testing::column;
using vex::testing::makePage;

namespace {

QStringList driver(const QString &stNr, const QString &name)
{
    QStringList r(kColumnCount);
    r[ColStNr] = stNr;
    r[ColName] = name;
    return r;
}

RunEntry entry(const QString &stNr, int run, qint32 ms, int penalty = 0)
{
    return RunEntry{stNr, u"Neu, Nina"_s, u"MSC"_s, run, ms, penalty};
}

QList<QStringList> numberedDrivers(int count)
{
    QList<QStringList> rows;
    for (int i = 1; i <= count; ++i)
        rows.append(driver(QString::number(i), u"Fahrer %1"_s.arg(i)));
    return rows;
}

} // namespace

class TestRecording : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void findRowByStartNumber()
    {
        auto page = makePage({driver(u"7"_s, u"A"_s), driver(u"12"_s, u"B"_s), driver(u"7"_s, u"C"_s)});
        QCOMPARE(FindRowByStartNumber(*page, u"7"_s), 1);
        QCOMPARE(FindRowByStartNumber(*page, u"12"_s), 2);
        QCOMPARE(FindRowByStartNumber(*page, u"1"_s), -1);
        QCOMPARE(FindRowByStartNumber(*page, u" 7"_s), -1);
        QCOMPARE(FindRowByStartNumber(*page, u"StNr"_s), -1);
    }

    void nextFreeStartNumber_data()
    {
        QTest::addColumn<QStringList>("numbers");
        QTest::addColumn<int>("next");
        QTest::newRow("gap") << QStringList{u"1"_s, u"2"_s, u"4"_s} << 3;
        QTest::newRow("empty page") << QStringList{QString()} << 1;
        QTest::newRow("unordered") << QStringList{u"3"_s, u"1"_s, u"2"_s} << 4;
        QTest::newRow("only the decimal text takes a number")
            << QStringList{u"01"_s, u" 1"_s, u"1,0"_s, u"+1"_s} << 1;
        QTest::newRow("numbers above 999 take nothing") << QStringList{u"1000"_s, u"1"_s} << 2;
    }
    void nextFreeStartNumber()
    {
        QFETCH(QStringList, numbers);
        QFETCH(int, next);
        QList<QStringList> rows;
        for (const QString &n : numbers)
            rows.append(driver(n, {}));
        QCOMPARE(NextFreeStartNumber(*makePage(rows)), next);
    }

    void nextFreeStartNumberLooksAtTitleRowAndEnds()
    {
        auto page = makePage(numberedDrivers(999));
        QCOMPARE(NextFreeStartNumber(*page), 1000);
        page->setCell(500, ColStNr, u"x"_s);
        QCOMPARE(NextFreeStartNumber(*page), 500);
        page->setCell(0, ColStNr, u"500"_s);
        QCOMPARE(NextFreeStartNumber(*page), 1000);
    }

    void newStartNumberAppendsRow()
    {
        auto page = makePage(numberedDrivers(3));
        const int row = enterRun(*page, entry(u"7"_s, 1, 45123, 2));
        QCOMPARE(row, 4);
        QCOMPARE(page->row(4),
                 (QStringList{u"7"_s, u"Neu, Nina"_s, u"MSC"_s, {}, {}, u"45,12"_s, u"2"_s, {}, {}, {}, {}}));
    }

    void freshPageFillsRowOne()
    {
        auto page = makePage({});
        QCOMPARE(enterRun(*page, entry(u"7"_s, 0, 30000)), 1);
        QCOMPARE(page->rows(), 2);
        QCOMPARE(page->cell(1, ColStNr), u"7"_s);
        QCOMPARE(page->cell(1, ColTR), u"30,00"_s);
        QCOMPARE(page->cell(1, ColTRPenalty), u"0"_s);
        QCOMPARE(page->cell(1, ColTotal), QString());
    }

    void missingStartNumberTakesTheRowNumber_data()
    {
        QTest::addColumn<QString>("stNr");
        QTest::newRow("empty") << QString();
        QTest::newRow("blanks") << u"  "_s;
    }
    void missingStartNumberTakesTheRowNumber()
    {
        QFETCH(QString, stNr);
        auto page = makePage(numberedDrivers(5));
        QCOMPARE(enterRun(*page, entry(stNr, 1, 45000)), 6);
        QCOMPARE(page->cell(6, ColStNr), u"6"_s);

        auto fresh = makePage({});
        QCOMPARE(enterRun(*fresh, entry(stNr, 1, 45000)), 1);
        QCOMPARE(fresh->cell(1, ColStNr), u"1"_s);
    }

    void twoRowPageWithDriverAppends()
    {
        auto page = makePage({driver(u"5"_s, u"Fünf"_s)});
        QCOMPARE(enterRun(*page, entry(u"7"_s, 1, 45000)), 2);
        QCOMPARE(page->cell(1, ColName), u"Fünf"_s);
    }

    void foundRowIsOverwrittenForTheRun()
    {
        auto page = makePage({
            driver(u"3"_s, u"Drei"_s),
            {u"7"_s, u"Alt"_s, u"Club"_s, u"30,00"_s, u"1"_s, u"45,00"_s, u"0"_s, u"50,00"_s, u"4"_s,
             u"1:39,00"_s, u"1"_s},
        });
        // Two pylon faults and a gate fault on run 2, over the old run 2.
        const int row = enterRun(*page, entry(u"7"_s, 2, 48505, 14));
        QCOMPARE(row, 2);
        QCOMPARE(page->rows(), 3);
        QCOMPARE(page->row(2), (QStringList{u"7"_s, u"Neu, Nina"_s, u"MSC"_s, u"30,00"_s, u"1"_s, u"45,00"_s,
                                            u"0"_s, u"48,50"_s, u"14"_s, u"1:47,50"_s, u"1"_s}));
    }

    void trainingRunNeverMakesATotal()
    {
        auto page = makePage({driver(u"7"_s, u"A"_s)});
        enterRun(*page, entry(u"7"_s, 0, 30000));
        enterRun(*page, entry(u"7"_s, 1, 45000));
        QCOMPARE(page->cell(1, ColTotal), QString());
        enterRun(*page, entry(u"7"_s, 2, 50000));
        QCOMPARE(page->cell(1, ColTotal), u"1:35,00"_s);
    }

    void disqualifiedDriverStaysDisqualified()
    {
        auto page = makePage({{u"7"_s, {}, {}, {}, {}, u"45,00"_s, u"0"_s, {}, {}, u"-"_s}});
        enterRun(*page, entry(u"7"_s, 2, 50000));
        QCOMPARE(page->cell(1, ColTotal), u"-"_s);
    }

    void invalidRunChangesNothing()
    {
        auto page = makePage({driver(u"7"_s, u"A"_s)});
        QCOMPARE(enterRun(*page, entry(u"7"_s, 3, 1000)), -1);
        QCOMPARE(enterRun(*page, entry(u"8"_s, -1, 1000)), -1);
        QCOMPARE(page->rows(), 2);
        QCOMPARE(page->row(1), driver(u"7"_s, u"A"_s));
    }

    void addProposedRow()
    {
        auto page = makePage({driver(u"1"_s, {}), driver(u"2"_s, {}), driver(u"4"_s, {})});
        QCOMPARE(vex::addProposedRow(*page), 4);
        QCOMPARE(column(*page, ColStNr), (QStringList{u"1"_s, u"2"_s, u"4"_s, u"3"_s}));
        page->appendRow();
        QCOMPARE(vex::addProposedRow(*page), 5);
        QCOMPARE(page->rows(), 6);
        QCOMPARE(page->cell(5, ColStNr), u"5"_s);
    }

    void addProposedRowOnFreshPage()
    {
        auto page = makePage({});
        QCOMPARE(vex::addProposedRow(*page), 1);
        QCOMPARE(page->rows(), 2);
        QCOMPARE(page->row(1), driver(u"1"_s, {}));
    }

    void addProposedRowKeepsALastRowWithAnyText()
    {
        // A name typed into a row without start number is not thrown away.
        QStringList row(kColumnCount);
        row[ColName] = u"Ohne Nummer"_s;
        auto page = makePage({row});
        QCOMPARE(vex::addProposedRow(*page), 2);
        QCOMPARE(page->cell(1, ColName), u"Ohne Nummer"_s);
        QCOMPARE(page->cell(2, ColStNr), u"1"_s);
    }
};

QTEST_GUILESS_MAIN(TestRecording)
#include "test_recording.moc"
