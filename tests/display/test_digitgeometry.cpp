#include "display/digitgeometry.h"
#include "display/wincolor.h"

#include <QTest>

#include <bit>

using namespace vex;

using Points = QList<QPoint>;

class TestDigitGeometry : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void shapes_data();
    void shapes();
    void shapesStayInsideTheDigit();
    void segmentTable();
    void winColour();
};

void TestDigitGeometry::shapes_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<int>("thickness");
    QTest::addColumn<int>("separation");
    QTest::addColumn<int>("shape");
    QTest::addColumn<Points>("points");

    // The running-row digit of the main window.
    const QSize big(45, 98);
    QTest::newRow("45x98 top") << big << 5 << 1 << 0
                               << Points{{6, 5}, {11, 0}, {33, 0}, {38, 5}, {33, 10}, {11, 10}};
    QTest::newRow("45x98 middle") << big << 5 << 1 << 1
                                  << Points{{6, 48}, {11, 43}, {33, 43}, {38, 48}, {33, 53}, {11, 53}};
    QTest::newRow("45x98 bottom") << big << 5 << 1 << 2
                                  << Points{{6, 92}, {11, 87}, {33, 87}, {38, 92}, {33, 97}, {11, 97}};
    QTest::newRow("45x98 upper left") << big << 5 << 1 << 3
                                      << Points{{0, 11}, {5, 6}, {10, 11}, {10, 42}, {5, 47}, {0, 42}};
    QTest::newRow("45x98 upper right") << big << 5 << 1 << 4
                                       << Points{{34, 11}, {39, 6}, {44, 11}, {44, 42}, {39, 47}, {34, 42}};
    QTest::newRow("45x98 lower left") << big << 5 << 1 << 5
                                      << Points{{0, 54}, {5, 49}, {10, 54}, {10, 85}, {5, 90}, {0, 85}};
    QTest::newRow("45x98 lower right") << big << 5 << 1 << 6
                                       << Points{{34, 54}, {39, 49}, {44, 54}, {44, 85}, {39, 90}, {34, 85}};
    QTest::newRow("45x98 decimal point") << big << 5 << 1 << 7 << Points{{44, 97}, {35, 97}, {44, 88}};

    // A fresh control: 16x32, thickness 2, separation 1 (W 15, H 31, m 15).
    const QSize small(16, 32);
    QTest::newRow("16x32 middle") << small << 2 << 1 << 1
                                  << Points{{3, 15}, {5, 13}, {10, 13}, {12, 15}, {10, 17}, {5, 17}};
    QTest::newRow("16x32 lower right") << small << 2 << 1 << 6
                                       << Points{{11, 18}, {13, 16}, {15, 18}, {15, 25}, {13, 27}, {11, 25}};
    QTest::newRow("16x32 decimal point") << small << 2 << 1 << 7 << Points{{15, 31}, {12, 31}, {15, 28}};
    // No separation: segments meet.
    QTest::newRow("16x32 s0 top") << small << 2 << 0 << 0
                                  << Points{{2, 2}, {4, 0}, {11, 0}, {13, 2}, {11, 4}, {4, 4}};
}

void TestDigitGeometry::shapes()
{
    QFETCH(QSize, size);
    QFETCH(int, thickness);
    QFETCH(int, separation);
    QFETCH(int, shape);
    QFETCH(Points, points);

    const QList<QPolygon> shapes = DigitShapes(size.width(), size.height(), thickness, separation);
    QCOMPARE(shapes.size(), kSegmentShapeCount);
    QCOMPARE(Points(shapes.at(shape)), points);
}

void TestDigitGeometry::shapesStayInsideTheDigit()
{
    for (int w = 8; w <= 120; w += 7) {
        for (int h = 16; h <= 300; h += 11) {
            // Realistic proportions; thicker segments overlap and get clipped.
            for (int t = 1; t <= std::min(w, h) / 4; ++t) {
                const QRect area(0, 0, w, h);
                const QList<QPolygon> shapes = DigitShapes(w, h, t, 1);
                for (const QPolygon &shape : shapes) {
                    if (!area.contains(shape.boundingRect()))
                        QFAIL(qPrintable(QStringLiteral("shape outside %1x%2 t=%3").arg(w).arg(h).arg(t)));
                }
            }
        }
    }
}

void TestDigitGeometry::segmentTable()
{
    // Lit segment counts of the usual seven-segment digits 0..9.
    const int litCount[10] = {6, 2, 5, 5, 4, 5, 6, 3, 7, 6};
    for (int v = 0; v <= 9; ++v) {
        QCOMPARE(std::popcount(unsigned(SegmentsOfDigit(v))), litCount[v]);
        QVERIFY(!(SegmentsOfDigit(v) & SegDecimalPoint));
    }
    QCOMPARE(SegmentsOfDigit(1), quint8(SegUpperRight | SegLowerRight));
    QCOMPARE(SegmentsOfDigit(7), quint8(SegTop | SegUpperRight | SegLowerRight));
    QCOMPARE(SegmentsOfDigit(8) | SegDecimalPoint, 0xFF);
    QCOMPARE(SegmentsOfDigit(-1), SegmentsOfDigit(0));
    QCOMPARE(SegmentsOfDigit(10), SegmentsOfDigit(0));
}

void TestDigitGeometry::winColour()
{
    QCOMPARE(toWinColor(QColor(222, 222, 66)), 0x42DEDEu);
    QCOMPARE(toWinColor(QColor(53, 113, 202)), 0xCA7135u);
    QCOMPARE(fromWinColor(0x0000FFu), QColor(255, 0, 0));
    QCOMPARE(fromWinColor(0xFF0000u), QColor(0, 0, 255));
    QCOMPARE(fromWinColor(0x42DEDEu), QColor(222, 222, 66));
    QCOMPARE(fromWinColor(0xFF00FF00u), QColor(0, 255, 0)); // the high byte is no colour
    QCOMPARE(toWinColor(QColor(Qt::white)), 0xFFFFFFu);
}

QTEST_GUILESS_MAIN(TestDigitGeometry)
#include "test_digitgeometry.moc"
