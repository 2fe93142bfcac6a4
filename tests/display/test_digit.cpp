#include "display/digit.h"
#include "display/digitgeometry.h"

#include <QPainter>
#include <QSignalSpy>
#include <QTest>

using namespace vex;

// Pixels well inside some shapes of a 45x98 digit (thickness 5, separation 1)
// and one between the segments.
static const QPoint kInTop(22, 5);
static const QPoint kInMiddle(22, 48);
static const QPoint kInDecimalPoint(42, 95);
static const QPoint kBetweenSegments(22, 25);

class TestDigit : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void startsAsDesigned();
    void valueOutOfRangeShowsZero_data();
    void valueOutOfRangeShowsZero();
    void equalValuesDoNotRepaint();
    void changesRepaintAtOnce();
    void valueBinarySurvivesEqualValue();
    void thicknessMustFitTheSize();
    void paintsSegmentsInTheirColours();
    void picturePixelExactAfterChanges_data();
    void picturePixelExactAfterChanges();

private:
    QImage picture();
    // The digit sits in a window as in the program: a window of its own
    // could not be made as narrow as a digit on every system.
    QWidget *m_window = nullptr;
    TDigit *m_digit = nullptr;
};

void TestDigit::init()
{
    m_window = new QWidget;
    m_window->resize(200, 200);
    m_digit = new TDigit(m_window);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window));
    QCoreApplication::processEvents();
    m_digit->resetPaintCount();
}

void TestDigit::cleanup()
{
    delete m_window;
    m_window = nullptr;
    m_digit = nullptr;
}

QImage TestDigit::picture()
{
    return m_digit->grab().toImage();
}

void TestDigit::startsAsDesigned()
{
    TDigit digit;
    QCOMPARE(digit.size(), QSize(16, 32));
    QCOMPARE(digit.value(), 0);
    QCOMPARE(digit.valueBinary(), quint8(125));
    QCOMPARE(digit.colorOn(), QColor(255, 255, 0));
    QCOMPARE(digit.colorOff(), QColor(0, 0, 0));
    QCOMPARE(digit.color(), QColor(0, 0, 0));
    QCOMPARE(digit.thickness(), 2);
    QCOMPARE(digit.separation(), 1);
    QVERIFY(digit.testAttribute(Qt::WA_OpaquePaintEvent));
}

void TestDigit::valueOutOfRangeShowsZero_data()
{
    QTest::addColumn<int>("value");
    QTest::newRow("10") << 10;
    QTest::newRow("-1") << -1;
    QTest::newRow("huge") << 2147483647;
}

void TestDigit::valueOutOfRangeShowsZero()
{
    QFETCH(int, value);
    m_digit->setValue(4);
    QSignalSpy overflow(m_digit, &TDigit::OnOverflow);
    m_digit->setValue(value);
    QCOMPARE(m_digit->value(), 0);
    QCOMPARE(m_digit->valueBinary(), quint8(125));
    QCOMPARE(overflow.size(), 1);
}

void TestDigit::equalValuesDoNotRepaint()
{
    m_digit->setValue(0);
    m_digit->setColorOn(m_digit->colorOn());
    m_digit->setColorOff(m_digit->colorOff());
    m_digit->setColor(m_digit->color());
    m_digit->setValueBinary(m_digit->valueBinary());
    m_digit->setThickness(m_digit->thickness());
    m_digit->setSeparation(m_digit->separation());
    QCoreApplication::processEvents();
    QCOMPARE(m_digit->paintCount(), 0);
}

void TestDigit::changesRepaintAtOnce()
{
    // The clock sets a digit and expects it on the screen without a trip
    // through the event loop.
    m_digit->setValue(7);
    QCOMPARE(m_digit->paintCount(), 1);
    m_digit->setColorOn(Qt::green);
    QCOMPARE(m_digit->paintCount(), 2);
    m_digit->setColorOff(Qt::darkGray);
    QCOMPARE(m_digit->paintCount(), 3);
    m_digit->setValueBinary(0x80);
    QCOMPARE(m_digit->paintCount(), 4);

    // Thickness and separation only ask for a later repaint.
    m_digit->setThickness(3);
    m_digit->setSeparation(2);
    QCOMPARE(m_digit->paintCount(), 4);
    QTRY_COMPARE(m_digit->paintCount(), 5);
}

void TestDigit::valueBinarySurvivesEqualValue()
{
    m_digit->setValue(3);
    m_digit->setValueBinary(255);
    const int painted = m_digit->paintCount();
    m_digit->setValue(3);
    QCOMPARE(m_digit->valueBinary(), quint8(255));
    QCOMPARE(m_digit->paintCount(), painted);
    m_digit->setValue(4);
    QCOMPARE(m_digit->valueBinary(), quint8(90));
}

void TestDigit::thicknessMustFitTheSize()
{
    QCOMPARE(m_digit->size(), QSize(16, 32));
    m_digit->setThickness(9);
    QCOMPARE(m_digit->thickness(), 2);
    m_digit->setThickness(8);
    QCOMPARE(m_digit->thickness(), 8);

    // The check is against the size at the time of setting.
    m_digit->resize(45, 14);
    m_digit->setThickness(8);
    m_digit->setThickness(7);
    QCOMPARE(m_digit->thickness(), 7);
    m_digit->setThickness(8);
    QCOMPARE(m_digit->thickness(), 7);
}

void TestDigit::paintsSegmentsInTheirColours()
{
    m_digit->resize(45, 98);
    m_digit->setThickness(5);
    const QColor on(0, 255, 0), off(40, 40, 40), background(0, 0, 80);
    m_digit->setColorOn(on);
    m_digit->setColorOff(off);
    m_digit->setColor(background);

    m_digit->setValueBinary(SegDecimalPoint);
    QImage image = picture();
    QCOMPARE(image.pixelColor(kInDecimalPoint), on);
    QCOMPARE(image.pixelColor(kInTop), off);
    QCOMPARE(image.pixelColor(kInMiddle), off);
    QCOMPARE(image.pixelColor(kBetweenSegments), background);

    m_digit->setValue(7); // top, upper right, lower right
    image = picture();
    QCOMPARE(image.pixelColor(kInTop), on);
    QCOMPARE(image.pixelColor(kInMiddle), off);
    QCOMPARE(image.pixelColor(kInDecimalPoint), off);
    // Segments are edged in the background colour.
    QCOMPARE(image.pixelColor(11, 0), background);
}

void TestDigit::picturePixelExactAfterChanges_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<int>("thickness");
    QTest::addColumn<int>("separation");
    QTest::newRow("main window") << QSize(45, 98) << 5 << 1;
    QTest::newRow("best-time row") << QSize(45, 78) << 5 << 1;
    QTest::newRow("display, 1029 wide") << QSize(135, 284) << 15 << 1;
    QTest::newRow("no gap") << QSize(40, 60) << 4 << 0;
    QTest::newRow("small") << QSize(16, 32) << 2 << 1;
}

// The digit recolours only the shapes that change; its picture must still be
// exactly the full painting: background, then each shape filled and edged in
// the background colour, in segment order.
void TestDigit::picturePixelExactAfterChanges()
{
    QFETCH(QSize, size);
    QFETCH(int, thickness);
    QFETCH(int, separation);
    const QColor on(0, 255, 0), off(20, 20, 60), background(0, 0, 0);
    m_digit->resize(size);
    m_digit->setThickness(thickness);
    m_digit->setSeparation(separation);
    m_digit->setColor(background);
    m_digit->setColorOff(off);
    m_digit->setColorOn(on);
    QCoreApplication::processEvents();

    const QList<QPolygon> shapes = DigitShapes(size.width(), size.height(), thickness, separation);
    for (int bits : {125, 80, 55, 87, 90, 79, 111, 81, 127, 95, 128, 255, 0, 125}) {
        m_digit->setValueBinary(bits);
        QImage expected(size, QImage::Format_RGB32);
        expected.fill(background);
        {
            QPainter p(&expected);
            p.setPen(QPen(background, 0));
            for (int k = 0; k < shapes.size(); ++k) {
                p.setBrush((bits >> k) & 1 ? on : off);
                p.drawPolygon(shapes.at(k));
            }
        }
        QCOMPARE(picture().convertToFormat(QImage::Format_RGB32), expected);
    }
}

QTEST_MAIN(TestDigit)
#include "test_digit.moc"
