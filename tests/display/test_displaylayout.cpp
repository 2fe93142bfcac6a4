#include "display/designedlayout.h"
#include "display/displaylayout.h"

#include <QTest>

using namespace vex;

class TestDisplayLayout : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void roundHalfEven_data();
    void roundHalfEven();
    void mapFromMainRoundsEdges_data();
    void mapFromMainRoundsEdges();
    void exampleScreen();
    void wholeNumberScaleKeepsEdges_data();
    void wholeNumberScaleKeepsEdges();
    void lowWindowGetsNoInvertedDigits();
    void higherResolutionGrowsTheTexts();
    void screenIndex_data();
    void screenIndex();
};

void TestDisplayLayout::roundHalfEven_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("rounded");
    QTest::newRow("half down to even") << 2.5 << 2;
    QTest::newRow("half up to even") << 3.5 << 4;
    QTest::newRow("zero and a half") << 0.5 << 0;
    QTest::newRow("negative half") << -2.5 << -2;
    QTest::newRow("negative odd half") << -3.5 << -4;
    QTest::newRow("below half") << 64.4 << 64;
    QTest::newRow("above half") << 10.51 << 11;
    QTest::newRow("whole") << 144.0 << 144;
}

void TestDisplayLayout::roundHalfEven()
{
    QFETCH(double, value);
    QFETCH(int, rounded);
    QCOMPARE(RoundHalfEven(value), rounded);
}

void TestDisplayLayout::mapFromMainRoundsEdges_data()
{
    QTest::addColumn<QRect>("main");
    QTest::addColumn<double>("scale");
    QTest::addColumn<QRect>("mapped");
    // Edges are mapped, not sizes: 33..78 at 0.5 is 1.5..24 -> 2..24.
    QTest::newRow("halves to even") << QRect(33, 52, 45, 98) << 0.5 << QRect(2, 26, 22, 49);
    QTest::newRow("even half stays") << QRect(35, 53, 10, 10) << 0.5 << QRect(2, 26, 6, 6);
    QTest::newRow("from the line's left edge") << QRect(30, 0, 343, 1) << 2.0 << QRect(0, 0, 686, 2);
}

void TestDisplayLayout::mapFromMainRoundsEdges()
{
    QFETCH(QRect, main);
    QFETCH(double, scale);
    QFETCH(QRect, mapped);
    QCOMPARE(MapFromMain(main, scale), mapped);
}

void TestDisplayLayout::exampleScreen()
{
    const double s = DisplayScale(1029);
    QCOMPARE(s, 3.0);
    const MonitorLayout m = LayoutDisplay(QSize(1029, 800), s, 96);
    QCOMPARE(m.labelPanelHeight, 56);
    QCOMPARE(m.titleHeight, 64);
    QCOMPARE(m.digitHeight, 284);
    QCOMPARE(m.labelPanel1Top, 64);
    QCOMPARE(m.runningTop, 120);
    QCOMPARE(m.labelPanel2Top, 432);
    QCOMPARE(m.bestTop, 488);
    QCOMPARE(m.bestTop + m.digitHeight, 772);
    QCOMPARE(m.thickness, 15);
    QCOMPARE(m.separatorPointSize, 144);
    QCOMPARE(m.separatorPixels, 192);

    const QRect digit3 = m.elements[0];
    QCOMPARE(digit3.left(), 9);
    QCOMPARE(digit3.left() + digit3.width(), 144);
    QCOMPARE(digit3.top(), 120);
    QCOMPARE(digit3.height(), 284);
    const QRect labSec2 = m.elements[13];
    QCOMPARE(labSec2.top(), 488);
    QCOMPARE(labSec2.height(), 243); // a separator keeps its mapped height
}

void TestDisplayLayout::wholeNumberScaleKeepsEdges_data()
{
    QTest::addColumn<int>("factor");
    for (int k : {1, 2, 3, 5})
        QTest::addRow("%d x 343", k) << k;
}

void TestDisplayLayout::wholeNumberScaleKeepsEdges()
{
    QFETCH(int, factor);
    const MonitorLayout m = LayoutDisplay(QSize(343 * factor, 1000), DisplayScale(343 * factor), 96);
    for (std::size_t i = 0; i < kDesignedDisplay.size(); ++i) {
        const QRect main = kDesignedDisplay[i].rect;
        const QRect shown = m.elements[i];
        QCOMPARE(shown.left(), (main.left() - 30) * factor);
        QCOMPARE(shown.left() + shown.width(), (main.left() + main.width() - 30) * factor);
    }
}

void TestDisplayLayout::lowWindowGetsNoInvertedDigits()
{
    const MonitorLayout m = LayoutDisplay(QSize(1029, 200), 3.0, 96);
    QCOMPARE(m.digitHeight, 0);
    QCOMPARE(m.elements[0].height(), 0);
}

void TestDisplayLayout::higherResolutionGrowsTheTexts()
{
    // 42 points at 120 dpi are 70 pixels; the title round(70 x 1.15) = 80.
    const MonitorLayout m = LayoutDisplay(QSize(1029, 800), 3.0, 120);
    QCOMPARE(m.labelPanelHeight, 70);
    QCOMPARE(m.titleHeight, 80);
    QCOMPARE(m.digitHeight, (800 - 70 - 80 - 140) / 2);
}

void TestDisplayLayout::screenIndex_data()
{
    QTest::addColumn<int>("wanted");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("index");
    QTest::newRow("second of two") << 1 << 2 << 1;
    QTest::newRow("beyond the screens") << 2 << 2 << 0;
    QTest::newRow("negative") << -1 << 2 << 0;
    QTest::newRow("no screen") << 0 << 0 << -1;
}

void TestDisplayLayout::screenIndex()
{
    QFETCH(int, wanted);
    QFETCH(int, count);
    QFETCH(int, index);
    QCOMPARE(DisplayScreenIndex(wanted, count), index);
}

QTEST_APPLESS_MAIN(TestDisplayLayout)
#include "test_displaylayout.moc"
