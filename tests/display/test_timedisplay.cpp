#include "display/designedlayout.h"
#include "display/digit.h"
#include "display/digitpanel.h"
#include "display/formmonitor2.h"
#include "display/timedisplay.h"
#include "timing/timetext.h"

#include <QLabel>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;
using namespace vex;

namespace {

const DisplayColours kColours{QColor(250, 250, 250), QColor(0, 255, 0), QColor(222, 222, 66), QColor(53, 113, 202)};

// A row written as text: its six digit values as "mm:ss,hh" ...
QString shownDigits(const DigitPanel &panel, int row)
{
    const auto &d = panel.rowDigits(row);
    return u"%1%2:%3%4,%5%6"_s.arg(d[0]->value()).arg(d[1]->value()).arg(d[2]->value()).arg(d[3]->value())
        .arg(d[4]->value()).arg(d[5]->value());
}

// ... and its colours in the same places: L lit, D dim, ? anything else.
QString shownShades(const DigitPanel &panel, int row)
{
    const QColor lit = row == 0 ? kColours.zeit : kColours.bzeit;
    auto shade = [&](const QColor &c) { return c == lit ? u'L' : c == kColours.fon ? u'D' : u'?'; };
    auto text = [](const QLabel *l) { return l->palette().color(QPalette::WindowText); };
    const auto &d = panel.rowDigits(row);
    QString s;
    s += shade(d[0]->colorOn());
    s += shade(d[1]->colorOn());
    s += shade(text(panel.colonOf(row)));
    s += shade(d[2]->colorOn());
    s += shade(d[3]->colorOn());
    s += shade(text(panel.commaOf(row)));
    s += shade(d[4]->colorOn());
    s += shade(d[5]->colorOn());
    return s;
}

} // namespace

class TestTimeDisplay : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void coloursReset();
    void showTime_data();
    void showTime();
    void bestRowFollowsItsTime();
    void negativeTimeShowsZeros();
    void writesEveryPanel();
    void runningClockRepaintsOnlyChangedDigits();
    void designedPlacement();

private:
    std::unique_ptr<QWidget> m_window;
    DigitPanel *m_panel = nullptr;
    std::unique_ptr<TimeDisplay> m_display;
};

void TestTimeDisplay::init()
{
    m_window = std::make_unique<QWidget>();
    m_window->resize(kDisplayAreaWidth, 324);
    m_panel = new DigitPanel(m_window.get());
    m_panel->placeAsDesigned();
    m_display = std::make_unique<TimeDisplay>();
    m_display->addPanel(m_panel);
    m_display->ApplyDisplayColours(kColours);
}

void TestTimeDisplay::cleanup()
{
    m_display.reset();
    m_window.reset();
}

void TestTimeDisplay::coloursReset()
{
    QLabel number, name;
    m_display->ShowTime(0, 754560);
    m_display->ApplyDisplayColours(kColours, {&number, &name});
    QCOMPARE(shownDigits(*m_panel, 0), u"00:00,00"_s);
    QCOMPARE(shownShades(*m_panel, 0), u"DDDDLLLL"_s);
    QCOMPARE(number.palette().color(QPalette::WindowText), kColours.text);
    QCOMPARE(name.palette().color(QPalette::WindowText), kColours.text);
}

void TestTimeDisplay::showTime_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<qint32>("ms");
    QTest::addColumn<QString>("digits");
    QTest::addColumn<QString>("shades");
    QTest::newRow("running zero") << 0 << 0 << u"00:00,00"_s << u"DDDDLLLL"_s;
    QTest::newRow("running 65430") << 0 << 65430 << u"01:05,43"_s << u"DLLLLLLL"_s;
    QTest::newRow("running 5 s") << 0 << 5329 << u"00:05,32"_s << u"DDDDLLLL"_s;
    QTest::newRow("running 34 s") << 0 << 34560 << u"00:34,56"_s << u"DDDLLLLL"_s;
    QTest::newRow("running 12 min") << 0 << 754560 << u"12:34,56"_s << u"LLLLLLLL"_s;
    QTest::newRow("running hour lights all") << 0 << 3725000 << u"02:05,00"_s << u"LLLLLLLL"_s;
    QTest::newRow("best none") << 1 << kNoBestTime << u"00:00,00"_s << u"DDDDDDDD"_s;
    QTest::newRow("best zero") << 1 << 0 << u"00:00,00"_s << u"DDDDDDDD"_s;
    QTest::newRow("best hundredths") << 1 << 50 << u"00:00,05"_s << u"DDDDLLLL"_s;
    QTest::newRow("best seconds") << 1 << 5320 << u"00:05,32"_s << u"DDDDLLLL"_s;
    QTest::newRow("best minutes") << 1 << 83450 << u"01:23,45"_s << u"DLLLLLLL"_s;
    QTest::newRow("any row but 0 is best") << 7 << 83450 << u"01:23,45"_s << u"DLLLLLLL"_s;
}

void TestTimeDisplay::showTime()
{
    QFETCH(int, row);
    QFETCH(qint32, ms);
    QFETCH(QString, digits);
    QFETCH(QString, shades);
    m_display->ShowTime(row, ms);
    QCOMPARE(shownDigits(*m_panel, row), digits);
    QCOMPARE(shownShades(*m_panel, row), shades);
}

void TestTimeDisplay::bestRowFollowsItsTime()
{
    // The best-time row takes all its colours from each call, both ways.
    m_display->ShowTime(1, 754560);
    QCOMPARE(shownShades(*m_panel, 1), u"LLLLLLLL"_s);
    m_display->ShowTime(1, kNoBestTime);
    QCOMPARE(shownShades(*m_panel, 1), u"DDDDDDDD"_s);
    // ... and leaves the running row alone.
    QCOMPARE(shownShades(*m_panel, 0), u"DDDDLLLL"_s);
}

void TestTimeDisplay::negativeTimeShowsZeros()
{
    m_display->ShowTime(0, 65430);
    m_display->ShowTime(0, -65430);
    QCOMPARE(shownDigits(*m_panel, 0), u"00:00,00"_s);
    m_display->ShowTime(1, -2147483647 - 1);
    QCOMPARE(shownDigits(*m_panel, 1), u"00:00,00"_s);
}

void TestTimeDisplay::writesEveryPanel()
{
    auto second = std::make_unique<TFormMonitor2>();
    m_display->addPanel(second->digitPanel());
    m_display->addPanel(second->digitPanel()); // once only
    QCOMPARE(m_display->panels().size(), 2);

    m_display->ApplyDisplayColours(kColours);
    m_display->ShowTime(0, 83450);
    m_display->ShowTime(1, 50);
    for (const DigitPanel *panel : m_display->panels()) {
        QCOMPARE(shownDigits(*panel, 0), u"01:23,45"_s);
        QCOMPARE(shownShades(*panel, 0), u"DLLLLLLL"_s);
        QCOMPARE(shownDigits(*panel, 1), u"00:00,05"_s);
        QCOMPARE(shownShades(*panel, 1), u"DDDDLLLL"_s);
    }

    // A closed-down second window drops out; the main window is still written.
    second.reset();
    QCOMPARE(m_display->panels().size(), 1);
    m_display->ShowTime(0, 5320);
    QCOMPARE(shownDigits(*m_panel, 0), u"00:05,32"_s);

    m_display->removePanel(m_panel);
    QVERIFY(m_display->panels().isEmpty());
}

void TestTimeDisplay::runningClockRepaintsOnlyChangedDigits()
{
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    m_display->ShowTime(0, 0);
    QCoreApplication::processEvents();
    for (TDigit *digit : m_panel->allDigits())
        digit->resetPaintCount();

    // One second of a running clock, one tick per 10 ms.
    for (qint32 ms = 10; ms <= 1000; ms += 10)
        m_display->ShowTime(0, ms);
    QCoreApplication::processEvents();

    QCOMPARE(m_panel->Digit8->paintCount(), 100);
    QCOMPARE(m_panel->Digit7->paintCount(), 10);
    QCOMPARE(m_panel->Digit6->paintCount(), 1);
    for (TDigit *digit : {m_panel->Digit3, m_panel->Digit4, m_panel->Digit5, m_panel->Digit3a, m_panel->Digit4a,
                          m_panel->Digit5a, m_panel->Digit6a, m_panel->Digit7a, m_panel->Digit8a})
        QCOMPARE(digit->paintCount(), 0);
}

void TestTimeDisplay::designedPlacement()
{
    QCOMPARE(m_panel->Digit3->geometry(), QRect(33, 52, 45, 98));
    QCOMPARE(m_panel->Digit8a->geometry(), QRect(321, 198, 45, 78));
    QCOMPARE(m_panel->LabSec->geometry(), QRect(249, 89, 25, 81));
    QCOMPARE(m_panel->LabMin->text(), u":"_s);
    QCOMPARE(m_panel->LabSec2->text(), u","_s);
    for (TDigit *digit : m_panel->allDigits()) {
        QCOMPARE(digit->thickness(), 5);
        QCOMPARE(digit->separation(), 1);
        QCOMPARE(digit->color(), QColor(Qt::black));
        QCOMPARE(digit->colorOff(), QColor(Qt::black));
        QCOMPARE(m_window->findChild<TDigit *>(digit->objectName()), digit);
    }
    QCOMPARE(m_panel->LabMin->font().pixelSize(), 64);
    QVERIFY(m_panel->LabMin->font().bold());

    // Offset by the band's position.
    m_panel->placeAsDesigned(QPoint(10, 20));
    QCOMPARE(m_panel->Digit3->geometry(), QRect(43, 72, 45, 98));
}

QTEST_MAIN(TestTimeDisplay)
#include "test_timedisplay.moc"
