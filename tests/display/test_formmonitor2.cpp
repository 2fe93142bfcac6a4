#include "display/digit.h"
#include "display/digitpanel.h"
#include "display/formmonitor2.h"

#include "../support/twoscreens.h"

#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace vex;

class TestFormMonitor2 : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void madeHiddenBorderlessAndBlind();
    void placement_data();
    void placement();
    void layoutOnlyOnPlacementAndResize();
    void writtenWhileHidden();
    void escClosesOnlyOnTheOperatorsScreen_data();
    void escClosesOnlyOnTheOperatorsScreen();
    void removedScreenSendsTheDisplayToScreenZero();
};

void TestFormMonitor2::initTestCase()
{
    QCOMPARE(QGuiApplication::screens().size(), 2);
    QCOMPARE(QGuiApplication::screens().at(1)->geometry(), QRect(1280, 0, 1024, 768));
}

void TestFormMonitor2::madeHiddenBorderlessAndBlind()
{
    TFormMonitor2 form;
    QVERIFY(!form.isVisible());
    QVERIFY(form.isWindow());
    QCOMPARE(form.windowTitle(), u"Monitor 2"_s);
    QVERIFY(form.windowFlags() & Qt::FramelessWindowHint);
    QCOMPARE(form.cursor().shape(), Qt::BlankCursor);
    QCOMPARE(form.palette().color(QPalette::Window), QColor(Qt::black));
    QCOMPARE(form.LabStart2->text(), u" Best:"_s);
    QCOMPARE(form.findChildren<TDigit *>().size(), 12);
    // Placed at creation, on the operator's screen.
    QCOMPARE(form.geometry(), QGuiApplication::screens().at(0)->geometry());
}

void TestFormMonitor2::placement_data()
{
    QTest::addColumn<int>("shownOn"); // the screen it shows on before; -1: hidden
    QTest::addColumn<int>("monitor");
    QTest::addColumn<int>("screen");
    QTest::newRow("second screen") << -1 << 1 << 1;
    QTest::newRow("operator's screen") << -1 << 0 << 0;
    QTest::newRow("screen not there") << -1 << 5 << 0;
    QTest::newRow("moved while shown") << 0 << 1 << 1;
}

void TestFormMonitor2::placement()
{
    QFETCH(int, shownOn);
    QFETCH(int, monitor);
    QFETCH(int, screen);
    QScreen *target = QGuiApplication::screens().at(screen);
    TFormMonitor2 form;
    if (shownOn >= 0) {
        form.setMonitor(shownOn);
        form.showDisplay();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
    }
    form.setMonitor(monitor);
    if (shownOn < 0)
        form.showDisplay();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QVERIFY(form.isVisible());
    QVERIFY(form.windowHandle()->isVisible());
    QCOMPARE(form.windowHandle()->screen(), target);
    QCOMPARE(form.placedScreenIndex(), screen);
    QCOMPARE(form.screen(), target);
    QCOMPARE(form.geometry(), target->geometry());
    QCOMPARE(form.scale(), target->geometry().width() / 343.0);
    // The computed layout reaches the widgets.
    const MonitorLayout &m = form.currentLayout();
    QCOMPARE(form.digitPanel()->Digit3->geometry(), m.elements[0]);
    QCOMPARE(form.digitPanel()->Digit3->thickness(), m.thickness);
    QCOMPARE(form.digitPanel()->LabSec2->geometry(), m.elements[13]);
    QCOMPARE(form.digitPanel()->LabSec2->font().pixelSize(), m.separatorPixels);
    QCOMPARE(form.PanelTitle->geometry(), QRect(0, 0, target->geometry().width(), m.titleHeight));
    QCOMPARE(form.PanelLab2->geometry().top(), m.labelPanel2Top);
    QCOMPARE(form.LabStart1->font().pixelSize(), m.labelPixels);
}

void TestFormMonitor2::layoutOnlyOnPlacementAndResize()
{
    TFormMonitor2 form;
    form.setMonitor(1);
    form.showDisplay();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    const int laidOut = form.layoutCount();
    for (qint32 ms = 0; ms < 2000; ms += 10)
        form.showRunningTime(ms);
    QCoreApplication::processEvents();
    QCOMPARE(form.layoutCount(), laidOut);

    // A resize keeps the placement's scale and fits the heights.
    const double scale = form.scale();
    form.resize(1024, 600);
    QTRY_COMPARE(form.layoutCount(), laidOut + 1);
    QCOMPARE(form.scale(), scale);
    QCOMPARE(form.currentLayout().digitHeight, (600 - 64 - 3 * 56) / 2);
}

void TestFormMonitor2::writtenWhileHidden()
{
    TFormMonitor2 form;
    DisplayColours colours;
    colours.text = QColor(1, 2, 3);
    colours.zeit = QColor(10, 200, 10);
    colours.bzeit = QColor(200, 200, 10);
    form.setColours(colours);
    form.setTitle(u"Clubmeisterschaft"_s);
    form.setStartNumber(u"17"_s);
    form.setBestDriver(u"Anna Beispiel (MSC Nord)"_s);
    form.showRunningTime(83450);
    form.showBestTime(65320);
    QVERIFY(!form.isVisible());

    QCOMPARE(form.PanelTitle->text(), u"Clubmeisterschaft"_s);
    QCOMPARE(form.LabStart1->text(), u" Start-Nr.:17"_s);
    QCOMPARE(form.LabBestzeit->text(), u"Anna Beispiel (MSC Nord)"_s);
    QCOMPARE(form.PanelTitle->palette().color(QPalette::WindowText), colours.text);
    QCOMPARE(form.LabStart1->palette().color(QPalette::WindowText), colours.zeit);
    QCOMPARE(form.LabStart2->palette().color(QPalette::WindowText), colours.bzeit);
    const DigitPanel &p = *form.digitPanel();
    QCOMPARE(p.Digit4->value(), 1);
    QCOMPARE(p.Digit5->value(), 2);
    QCOMPARE(p.Digit8->value(), 5);
    QCOMPARE(p.Digit4a->value(), 1);
    QCOMPARE(p.Digit6a->value(), 5);
    QCOMPARE(p.Digit8->colorOn(), colours.zeit);
}

void TestFormMonitor2::escClosesOnlyOnTheOperatorsScreen_data()
{
    QTest::addColumn<int>("monitor");
    QTest::addColumn<bool>("closes");
    QTest::addColumn<bool>("focusBack");
    QTest::newRow("operator's screen") << 0 << true << false;
    QTest::newRow("second screen") << 1 << false << true;
}

void TestFormMonitor2::escClosesOnlyOnTheOperatorsScreen()
{
    QFETCH(int, monitor);
    QFETCH(bool, closes);
    QFETCH(bool, focusBack);
    TFormMonitor2 form;
    form.setMonitor(monitor);
    QSignalSpy closed(&form, &TFormMonitor2::displayClosed);
    QSignalSpy focus(&form, &TFormMonitor2::focusBackToMain);
    form.showDisplay();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QCOMPARE(focus.size(), focusBack ? 1 : 0);

    QTest::keyClick(&form, Qt::Key_Escape);
    QCOMPARE(form.isVisible(), !closes);
    QCOMPARE(closed.size(), closes ? 1 : 0);
}

void TestFormMonitor2::removedScreenSendsTheDisplayToScreenZero()
{
    TFormMonitor2 form;
    form.setMonitor(1);
    QScreen *second = QGuiApplication::screens().at(1);
    QCOMPARE(form.screen(), second);

    // The platform announces the screen's removal before it deletes it.
    Q_EMIT qGuiApp->screenRemoved(second);
    QCOMPARE(form.geometry(), QGuiApplication::screens().at(0)->geometry());
    QCOMPARE(form.placedScreenIndex(), 0);
    QCOMPARE(form.monitor(), 1); // the setting stays for the screen's return

    // Showing looks for the screen again.
    form.showDisplay();
    QCOMPARE(form.geometry(), second->geometry());
    form.close();

    // Another screen going away leaves the display where it is.
    form.setMonitor(0);
    Q_EMIT qGuiApp->screenRemoved(second);
    QCOMPARE(form.placedScreenIndex(), 0);
}

VEX_TEST_MAIN_TWO_SCREENS(TestFormMonitor2)
#include "test_formmonitor2.moc"
