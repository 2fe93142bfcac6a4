#include "widgets/commandbutton.h"

#include <QApplication>
#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace vex;

Q_DECLARE_METATYPE(Qt::MouseButton)

class TestCommandButton : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void pressActsOnAnyButton_data();
    void pressActsOnAnyButton();
    void disabledButtonStaysSilent();
    void setCommandButtonColours_data();
    void setCommandButtonColours();
    void otherButtonsOnlyChangeState();
    void paintsFaceAndBevel();
};

void TestCommandButton::pressActsOnAnyButton_data()
{
    QTest::addColumn<Qt::MouseButton>("button");
    QTest::addColumn<bool>("clicks");
    QTest::newRow("left") << Qt::LeftButton << true;
    QTest::newRow("right") << Qt::RightButton << false;
    QTest::newRow("middle") << Qt::MiddleButton << false;
}

void TestCommandButton::pressActsOnAnyButton()
{
    QFETCH(Qt::MouseButton, button);
    QFETCH(bool, clicks);

    TLbSpeedButton b(u"START"_s);
    b.resize(120, 36);
    b.show();
    QSignalSpy pressed(&b, &TLbSpeedButton::mousePressed);
    QSignalSpy clicked(&b, &TLbSpeedButton::clicked);

    QTest::mousePress(&b, button, {}, QPoint(60, 18));
    QCOMPARE(pressed.size(), 1); // on the way down, before any release
    QCOMPARE(clicked.size(), 0);
    QTest::mouseRelease(&b, button, {}, QPoint(60, 18));
    QCOMPARE(pressed.size(), 1);
    QCOMPARE(clicked.size(), clicks ? 1 : 0);
}

void TestCommandButton::disabledButtonStaysSilent()
{
    TLbSpeedButton b(u"STOPP"_s);
    b.resize(120, 36);
    b.show();
    b.setEnabled(false);
    QSignalSpy pressed(&b, &TLbSpeedButton::mousePressed);
    QSignalSpy clicked(&b, &TLbSpeedButton::clicked);
    QTest::mouseClick(&b, Qt::LeftButton, {}, QPoint(60, 18));
    QTest::mouseClick(&b, Qt::RightButton, {}, QPoint(60, 18));
    QCOMPARE(pressed.size(), 0);
    QCOMPARE(clicked.size(), 0);
    QCOMPARE(b.focusPolicy(), Qt::NoFocus);
}

void TestCommandButton::setCommandButtonColours_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QColor>("face");
    QTest::addColumn<QColor>("highlight");
    QTest::addColumn<QColor>("shadow"); // invalid: the shadow set before stays

    QTest::newRow("START") << u"bSTART"_s << QColor(0, 128, 0) << QColor(192, 255, 192) << QColor(0, 192, 0);
    QTest::newRow("STOP") << u"bSTOP"_s << QColor(255, 0, 0) << QColor(255, 144, 144) << QColor(192, 0, 0);
    QTest::newRow("Eintragen") << u"bEintragen"_s << QColor(0, 128, 128) << QColor(0, 255, 255) << QColor();
    QTest::newRow("Next") << u"bNext"_s << QColor(0, 128, 128) << QColor(0, 0, 0) << QColor();
}

void TestCommandButton::setCommandButtonColours()
{
    QFETCH(QString, name);
    QFETCH(QColor, face);
    QFETCH(QColor, highlight);
    QFETCH(QColor, shadow);

    TLbSpeedButton b;
    b.setObjectName(name);
    const QColor earlierShadow(1, 2, 3);
    b.setShadowColor(earlierShadow);

    SetCommandButton(&b, true);
    QVERIFY(b.isEnabled());
    QCOMPARE(b.faceColor(), face);
    QCOMPARE(b.highlightColor(), highlight);
    QCOMPARE(b.shadowColor(), shadow.isValid() ? shadow : earlierShadow);

    SetCommandButton(&b, false);
    QVERIFY(!b.isEnabled());
    QCOMPARE(b.faceColor(), b.palette().color(QPalette::Active, QPalette::Button));
    QCOMPARE(b.highlightColor(), b.palette().color(QPalette::Active, QPalette::Dark));
    QVERIFY(!b.shadowColor().isValid());

    // Enabled again: the table's shadow, or none for the buttons that keep it.
    SetCommandButton(&b, true);
    QCOMPARE(b.faceColor(), face);
    QCOMPARE(b.shadowColor(), shadow);
}

void TestCommandButton::otherButtonsOnlyChangeState()
{
    TLbSpeedButton b;
    b.setObjectName(u"bCFG"_s);
    b.setFaceColor(QColor(10, 20, 30));
    b.setHighlightColor(QColor(40, 50, 60));
    b.setShadowColor(QColor(70, 80, 90));
    SetCommandButton(&b, false);
    QVERIFY(!b.isEnabled());
    QCOMPARE(b.faceColor(), QColor(10, 20, 30));
    QCOMPARE(b.highlightColor(), QColor(40, 50, 60));
    QCOMPARE(b.shadowColor(), QColor(70, 80, 90));
    SetCommandButton(&b, true);
    QVERIFY(b.isEnabled());
    SetCommandButton(nullptr, true); // no button, no crash
}

void TestCommandButton::paintsFaceAndBevel()
{
    TLbSpeedButton b(u"START"_s);
    b.setObjectName(u"bSTART"_s);
    b.resize(120, 36);
    SetCommandButton(&b, true);
    QImage shot = b.grab().toImage();
    QCOMPARE(QColor(shot.pixel(0, 0)), QColor(192, 255, 192));
    QCOMPARE(QColor(shot.pixel(1, 20)), QColor(192, 255, 192));
    QCOMPARE(QColor(shot.pixel(119, 35)), QColor(0, 192, 0));
    QCOMPARE(QColor(shot.pixel(60, 34)), QColor(0, 192, 0));
    QCOMPARE(QColor(shot.pixel(5, 18)), QColor(0, 128, 0));

    // Without a shadow colour the face reaches the bottom-right edge.
    SetCommandButton(&b, false);
    shot = b.grab().toImage();
    QCOMPARE(shot.pixel(119, 35), b.palette().color(QPalette::Active, QPalette::Button).rgb());
    QCOMPARE(shot.pixel(0, 0), b.palette().color(QPalette::Active, QPalette::Dark).rgb());

    // The flat picture button draws a red cross of its own.
    TLbSpeedButton abort;
    abort.setFlat(true);
    abort.resize(36, 36);
    shot = abort.grab().toImage();
    const QColor centre(shot.pixel(18, 18));
    QVERIFY(centre.red() > 150 && centre.green() < 80 && centre.blue() < 80);
}

QTEST_MAIN(TestCommandButton)
#include "test_commandbutton.moc"
