// The main window's wiring of the spectators' display and of the settings
// dialog, on two screens side by side.

#include "app/cfgdialog.h"
#include "display/formmonitor2.h"
#include "mainwindowfixture.h"
#include "race/race.h"

#include "../support/twoscreens.h"

#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QSpinBox>

using namespace Qt::StringLiterals;
using namespace vex;

class TestFormMainDisplay : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void offIconOnlyWithSeveralScreens();
    void ctrlTShowsAndCloses();
    void escOnTheOperatorsScreen();
    void runKeysAndCtrlTOnTheDisplay();
    void iconsShowAndClose();
    void cancelTouchesNothing();
    void okAppliesEverything();

private:
    QLabel *icon(const char *name) const { return m_f->child<QLabel>(QString::fromLatin1(name)); }
    // Opens the settings dialog (F2) and lets change() work in it while it is shown.
    template <typename Change>
    void inDialog(Change change)
    {
        QTimer::singleShot(0, m_cfg, [this, change] { change(*m_cfg); });
        m_f->key(Qt::Key_F2);
    }

    std::unique_ptr<MainWindowFixture> m_f;
    TFormMonitor2 *m_monitor = nullptr;
    TCFGDialog *m_cfg = nullptr;
};

void TestFormMainDisplay::init()
{
    m_f = std::make_unique<MainWindowFixture>();
    m_monitor = new TFormMonitor2(m_f->window.get());
    m_cfg = new TCFGDialog(m_f->window.get(), {1, 3});
    m_f->window->attachWindows(nullptr, nullptr, m_monitor, m_cfg, nullptr);
}

void TestFormMainDisplay::cleanup()
{
    m_f.reset();
}

void TestFormMainDisplay::offIconOnlyWithSeveralScreens()
{
    QVERIFY(icon("ImageTVAus")->isVisible());
    QVERIFY(!icon("ImageTVEin")->isVisible());
    QCOMPARE(icon("ImageTVEin")->pos(), icon("ImageTVAus")->pos());
}

void TestFormMainDisplay::ctrlTShowsAndCloses()
{
    m_f->changeSettings([](Settings &s) { s.Monitor = 1; });
    m_f->key(Qt::Key_T, Qt::ControlModifier);
    QVERIFY(m_monitor->isVisible());
    QCOMPARE(m_monitor->geometry(), QGuiApplication::screens().at(1)->geometry());
    QVERIFY(icon("ImageTVEin")->isVisible());
    QVERIFY(!icon("ImageTVAus")->isVisible());
    QTRY_COMPARE(QApplication::activeWindow(), m_f->window.get()); // the keys stay with the operator

    QTest::keyClick(m_monitor, Qt::Key_Escape); // another screen: Esc does nothing
    QVERIFY(m_monitor->isVisible());

    m_f->key(Qt::Key_T, Qt::ControlModifier);
    QVERIFY(!m_monitor->isVisible());
    QVERIFY(icon("ImageTVAus")->isVisible());
    QVERIFY(!icon("ImageTVEin")->isVisible());
}

void TestFormMainDisplay::escOnTheOperatorsScreen()
{
    m_f->key(Qt::Key_T, Qt::ControlModifier);
    QVERIFY(m_monitor->isVisible());
    QCOMPARE(m_monitor->geometry(), QGuiApplication::screens().at(0)->geometry());
    QTest::keyClick(m_monitor, Qt::Key_Escape);
    QVERIFY(!m_monitor->isVisible());
    QVERIFY(icon("ImageTVAus")->isVisible());
    QVERIFY(!icon("ImageTVEin")->isVisible());
}

// On the operator's screen the display has the keys: the window's commands
// take them there.
void TestFormMainDisplay::runKeysAndCtrlTOnTheDisplay()
{
    m_f->key(Qt::Key_T, Qt::ControlModifier);
    QApplication::setActiveWindow(m_monitor);
    QVERIFY(QTest::qWaitForWindowActive(m_monitor));
    QTest::keyClick(m_monitor, Qt::Key_F5);
    QCOMPARE(m_f->window->race().runController().state(), RunState::Running);
    // A false finish goes on with F7, an entry goes back with Ctrl+Z.
    m_f->ticks.value += 5000;
    QTest::keyClick(m_monitor, Qt::Key_F5);
    QTest::keyClick(m_monitor, Qt::Key_F7);
    QCOMPARE(m_f->window->race().runController().state(), RunState::Running);
    QTest::keyClick(m_monitor, Qt::Key_F5);
    QTest::keyClick(m_monitor, Qt::Key_F9);
    QCOMPARE(m_f->window->race().runController().state(), RunState::Entered);
    QTest::keyClick(m_monitor, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(m_f->window->race().runController().state(), RunState::Stopped);
    QTest::keyClick(m_monitor, Qt::Key_Y, Qt::ControlModifier);
    QCOMPARE(m_f->window->race().runController().state(), RunState::Entered);
    QTest::keyClick(m_monitor, Qt::Key_T, Qt::ControlModifier);
    QVERIFY(!m_monitor->isVisible());
    QVERIFY(icon("ImageTVAus")->isVisible());
}

void TestFormMainDisplay::iconsShowAndClose()
{
    QTest::mouseClick(icon("ImageTVAus"), Qt::LeftButton);
    QVERIFY(m_monitor->isVisible());
    QVERIFY(icon("ImageTVEin")->isVisible());
    QTest::mouseClick(icon("ImageTVEin"), Qt::LeftButton);
    QVERIFY(!m_monitor->isVisible());
    QVERIFY(icon("ImageTVAus")->isVisible());
}

void TestFormMainDisplay::cancelTouchesNothing()
{
    m_f->changeSettings([](Settings &s) { s.Port = 3; });
    const Settings before = m_f->window->race().settings();
    inDialog([](TCFGDialog &d) {
        d.eTitel->setText(u"Anders"_s);
        d.cbPort->setCurrentIndex(0);
        d.BitBtnCancel->click();
    });
    QCOMPARE(m_f->window->race().settings(), before);
    QVERIFY(m_f->lightBarriers.calls.isEmpty());
}

void TestFormMainDisplay::okAppliesEverything()
{
    m_f->changeSettings([](Settings &s) { s.Port = 1; });
    inDialog([](TCFGDialog &d) {
        d.eTitel->setText(u"Herbstslalom"_s);
        d.cbPort->setCurrentText(u"COM3"_s);
        d.seLockTime->setValue(0);
        d.cbMonitor->setCurrentIndex(1);
        d.OKBtn->click();
    });
    const Settings &s = m_f->window->race().settings();
    QCOMPARE(s.Title, u"Herbstslalom"_s);
    QCOMPARE(s.StartLock, 0);
    QCOMPARE(s.Port, 3);
    QCOMPARE(m_monitor->PanelTitle->text(), u"Herbstslalom"_s);
    QCOMPARE(m_monitor->geometry(), QGuiApplication::screens().at(1)->geometry());
    // Closed at once; the reopening: TestRaceBarriers.
    QCOMPARE(m_f->lightBarriers.calls, QStringList{u"close"_s});
    QCOMPARE(m_f->window->focusWidget(), m_f->child(u"PanelBand"_s));
}

VEX_TEST_MAIN_TWO_SCREENS(TestFormMainDisplay)
#include "test_formmain_display.moc"
