// The run state table driven by keys and mouse on the real main window.
#include "mainwindowfixture.h"

#include "display/digit.h"
#include "widgets/barrierpicture.h"
#include "widgets/commandbutton.h"

#include <QAction>
#include <QLineEdit>
#include <QClipboard>
#include <QSpinBox>

using namespace vex;

namespace {

struct Expect
{
    bool startShown, startEnabled, stopShown, abortShown, enter, next, penalty, settings;
};

const Expect kReady{true, true, false, false, false, false, false, true};
const Expect kRunning{false, false, true, true, false, false, true, false};
const Expect kStopped{true, false, false, false, true, false, true, false};
const Expect kEntered{true, false, false, false, false, true, false, true};

} // namespace

class TestFormMainRun : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void cycleByKeysWithFocusInNameField();
    void buttonsActOnPressWithAnyMouseButton();
    void finishBarrierDuringLockPhase();
    void startBarrierKeyInStoppedState();
    void menuKeysNeverReachTextFields();
    void runningDisplayFreezesOnStopTime();
    void soundsFollowTheSetting();
    void heldRunKeysDoNotRepeat_data();
    void heldRunKeysDoNotRepeat();
    void heldF5StartsOnly();
    void doubleClickOnStartNeverStops();
    void runOfAnHourIsNotEntered();
    void penaltyFieldStopsAtZero();

private:
    void expectState(const Expect &e, int line);
    QAction *action(const QString &name) const { return m_f->child<QAction>(name); }

    std::unique_ptr<MainWindowFixture> m_f;
};

#define EXPECT_STATE(e) expectState(e, __LINE__)

void TestFormMainRun::init()
{
    m_f = std::make_unique<MainWindowFixture>();
}

void TestFormMainRun::cleanup()
{
    m_f.reset();
}

void TestFormMainRun::expectState(const Expect &e, int line)
{
    const QByteArray whereText = "state checked at line " + QByteArray::number(line);
    const char *where = whereText.constData();
    auto *start = m_f->child<TLbSpeedButton>(QStringLiteral("bSTART"));
    auto *stop = m_f->child<TLbSpeedButton>(QStringLiteral("bSTOP"));
    QVERIFY2(start->isVisible() == e.startShown, where);
    QVERIFY2(start->isEnabled() == e.startEnabled, where);
    QVERIFY2(action(QStringLiteral("mStart"))->isEnabled() == e.startEnabled, where);
    QVERIFY2(stop->isVisible() == e.stopShown, where);
    QVERIFY2(action(QStringLiteral("mStop"))->isEnabled() == e.stopShown, where);
    QVERIFY2(m_f->child(QStringLiteral("bAbbruch"))->isVisible() == e.abortShown, where);
    QVERIFY2(action(QStringLiteral("mAbbruch"))->isEnabled() == e.abortShown, where);
    QVERIFY2(action(QStringLiteral("mEintragen"))->isEnabled() == e.enter, where);
    QVERIFY2(m_f->child(QStringLiteral("bEintragen"))->isEnabled() == e.enter, where);
    QVERIFY2(action(QStringLiteral("mNext"))->isEnabled() == e.next, where);
    QVERIFY2(m_f->child(QStringLiteral("bNext"))->isEnabled() == e.next, where);
    QVERIFY2(m_f->child(QStringLiteral("seStrafe"))->isEnabled() == e.penalty, where);
    QVERIFY2(m_f->child(QStringLiteral("bFehl2"))->isEnabled() == e.penalty, where);
    QVERIFY2(m_f->child(QStringLiteral("bCFG"))->isEnabled() == e.settings, where);
    QVERIFY2(action(QStringLiteral("mCFG"))->isEnabled() == e.settings, where);
    // F5 belongs to exactly one of Start and Stop.
    const bool f5OnStop = action(QStringLiteral("mStop"))->shortcut() == QKeySequence(Qt::Key_F5);
    const bool f5OnStart = action(QStringLiteral("mStart"))->shortcut() == QKeySequence(Qt::Key_F5);
    QVERIFY2(f5OnStop != f5OnStart, where);
    QVERIFY2(f5OnStop == e.stopShown, where);
}

void TestFormMainRun::cycleByKeysWithFocusInNameField()
{
    auto *name = m_f->child<QLineEdit>(QStringLiteral("txt_Name"));
    name->setFocus();
    QVERIFY(name->hasFocus());
    EXPECT_STATE(kReady);

    m_f->key(Qt::Key_F5);
    EXPECT_STATE(kRunning);
    QVERIFY(name->text().isEmpty());
    m_f->key(Qt::Key_F5);
    EXPECT_STATE(kStopped);
    m_f->key(Qt::Key_F5); // belongs to Start, which is disabled: nothing
    EXPECT_STATE(kStopped);
    m_f->key(Qt::Key_F8); // abort only while running
    EXPECT_STATE(kStopped);
    m_f->key(Qt::Key_F10); // next only after the entry
    EXPECT_STATE(kStopped);
    m_f->key(Qt::Key_F7); // a false finish: the run goes on
    EXPECT_STATE(kRunning);
    m_f->key(Qt::Key_F5);
    m_f->key(Qt::Key_F9);
    EXPECT_STATE(kEntered);
    // With nothing typed to take back, Ctrl+Z in a text field takes back the entry.
    m_f->key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_STATE(kStopped);
    m_f->key(Qt::Key_F9);
    EXPECT_STATE(kEntered);
    QTest::keyClicks(name, QStringLiteral("x"));
    m_f->key(Qt::Key_Z, Qt::ControlModifier); // typing taken back, not the entry
    EXPECT_STATE(kEntered);
    QVERIFY(name->text().isEmpty());
    m_f->child<QWidget>(QStringLiteral("SortGrid1"))->setFocus();
    m_f->key(Qt::Key_Z, Qt::ControlModifier); // the entry taken back, to be entered again
    EXPECT_STATE(kStopped);
    name->setFocus();
    m_f->key(Qt::Key_F9);
    EXPECT_STATE(kEntered);
    m_f->key(Qt::Key_F5);
    EXPECT_STATE(kEntered);
    m_f->key(Qt::Key_F10);
    EXPECT_STATE(kReady);
    m_f->key(Qt::Key_F5);
    EXPECT_STATE(kRunning);
    m_f->key(Qt::Key_F8);
    EXPECT_STATE(kReady);
}

void TestFormMainRun::buttonsActOnPressWithAnyMouseButton()
{
    auto *start = m_f->child<TLbSpeedButton>(QStringLiteral("bSTART"));
    QTest::mousePress(start, Qt::RightButton);
    EXPECT_STATE(kRunning);
    auto *stop = m_f->child<TLbSpeedButton>(QStringLiteral("bSTOP"));
    m_f->ticks.value += 5000;
    QTest::mousePress(stop, Qt::MiddleButton);
    EXPECT_STATE(kStopped);
    // Eintragen acts on an ordinary click.
    QTest::mouseClick(m_f->child(QStringLiteral("bEintragen")), Qt::LeftButton);
    EXPECT_STATE(kEntered);
    QTest::mousePress(m_f->child(QStringLiteral("bNext")), Qt::LeftButton);
    EXPECT_STATE(kReady);
    QTest::mousePress(start, Qt::LeftButton);
    QTest::mouseClick(m_f->child(QStringLiteral("bAbbruch")), Qt::LeftButton);
    EXPECT_STATE(kReady);
}

void TestFormMainRun::finishBarrierDuringLockPhase()
{
    const RunController &rc = m_f->window->race().runController();
    m_f->changeSettings([](Settings &s) { s.StartLock = 10000; });
    m_f->window->race().setPortOpen(true);
    m_f->key(Qt::Key_F5);
    auto *finish = m_f->child<TBarrierPicture>(QStringLiteral("ImageLSstop"));
    QVERIFY(finish->isVisible());
    QCOMPARE(finish->imageIndex(), int(ImageLocked));
    m_f->key(Qt::Key_F11);
    QVERIFY(rc.finishBarrierFree());
    QCOMPARE(finish->imageIndex(), int(ImageFree));
    QVERIFY(m_f->timers.fire(QStringLiteral("TimerStartLock"))); // the timer firing later leaves the flag free
    QVERIFY(rc.finishBarrierFree());
    m_f->key(Qt::Key_F5);
    QVERIFY(!rc.finishBarrierFree());
    QVERIFY(!finish->isVisible());
}

void TestFormMainRun::startBarrierKeyInStoppedState()
{
    const RunController &rc = m_f->window->race().runController();
    m_f->window->race().setPortOpen(true);
    auto *picture = m_f->child<TBarrierPicture>(QStringLiteral("ImageLSstart"));
    m_f->key(Qt::Key_F4);
    QVERIFY(rc.startBarrierFree());
    QCOMPARE(picture->imageIndex(), int(ImageFree));
    m_f->key(Qt::Key_F5); // the start locks the start barrier
    QVERIFY(!rc.startBarrierFree());
    m_f->key(Qt::Key_F5);
    QCOMPARE(picture->imageIndex(), int(ImageOutOfPlay));
    QVERIFY(!picture->isEnabled());
    m_f->key(Qt::Key_F4); // works although the picture is disabled
    QVERIFY(rc.startBarrierFree());
    QCOMPARE(picture->imageIndex(), int(ImageFree));
    m_f->key(Qt::Key_F9);
    m_f->key(Qt::Key_F10);
    QCOMPARE(picture->imageIndex(), int(ImageFree)); // the picture matches the flag
    QVERIFY(picture->isEnabled());
}

void TestFormMainRun::menuKeysNeverReachTextFields()
{
    auto *name = m_f->child<QLineEdit>(QStringLiteral("txt_Name"));
    name->setFocus();
    QApplication::clipboard()->setText(QStringLiteral("eingefügt"));
    m_f->key(Qt::Key_V, Qt::ControlModifier);
    m_f->key(Qt::Key_F, Qt::ControlModifier);
    QVERIFY(name->text().isEmpty());
    QTest::keyClicks(name, QStringLiteral("Muster"));
    QCOMPARE(name->text(), QStringLiteral("Muster"));
}

void TestFormMainRun::runningDisplayFreezesOnStopTime()
{
    m_f->ticks.value = 1000;
    m_f->key(Qt::Key_F5);
    m_f->ticks.value = 1000 + 83456;
    m_f->key(Qt::Key_F5);
    // 1:23,45 on the running row
    const QStringList names{QStringLiteral("Digit3"), QStringLiteral("Digit4"), QStringLiteral("Digit5"),
                            QStringLiteral("Digit6"), QStringLiteral("Digit7"), QStringLiteral("Digit8")};
    QList<int> shown;
    for (const QString &n : names)
        shown.append(m_f->child<TDigit>(n)->value());
    QCOMPARE(shown, (QList<int>{0, 1, 2, 3, 4, 5}));
    m_f->ticks.value += 5000;
    QVERIFY(!m_f->timers.fire(QStringLiteral("Clock")));
    QCOMPARE(m_f->child<TDigit>(QStringLiteral("Digit8"))->value(), 5);
}

void TestFormMainRun::soundsFollowTheSetting()
{
    m_f->key(Qt::Key_F5);
    m_f->key(Qt::Key_F5);
    QCOMPARE(m_f->sound.played, (QStringList{QStringLiteral("/program/start.wav"), QStringLiteral("/program/stopp.wav")}));
    m_f->changeSettings([](Settings &s) { s.Sound = false; });
    m_f->key(Qt::Key_F9);
    m_f->key(Qt::Key_F10);
    m_f->key(Qt::Key_F5);
    QCOMPARE(m_f->sound.played.size(), 2);
}

// A held key sends auto-repeated presses; none of them may repeat a command.
void TestFormMainRun::heldRunKeysDoNotRepeat_data()
{
    QTest::addColumn<QString>("actionName");
    for (const char *name : {"mStart", "mStop", "mAbbruch", "mEintragen", "mNext", "LockLS1", "LockLS21"})
        QTest::newRow(name) << QString::fromLatin1(name);
}

void TestFormMainRun::heldRunKeysDoNotRepeat()
{
    QFETCH(QString, actionName);
    QVERIFY(!action(actionName)->autoRepeat());
}

void TestFormMainRun::heldF5StartsOnly()
{
    QWidget *target = m_f->child(QStringLiteral("txt_Name"));
    target->setFocus();
    QTest::simulateEvent(target, true, Qt::Key_F5, Qt::NoModifier, QString(), false);
    EXPECT_STATE(kRunning);
    // The key held down: the presses that follow are auto-repeated.
    m_f->ticks.value += 500;
    for (int i = 0; i < 3; ++i)
        QTest::simulateEvent(target, true, Qt::Key_F5, Qt::NoModifier, QString(), true);
    QTest::simulateEvent(target, false, Qt::Key_F5, Qt::NoModifier, QString(), false);
    EXPECT_STATE(kRunning);
}

void TestFormMainRun::doubleClickOnStartNeverStops()
{
    auto *start = m_f->child<TLbSpeedButton>(QStringLiteral("bSTART"));
    auto *stop = m_f->child<TLbSpeedButton>(QStringLiteral("bSTOP"));
    m_f->ticks.value = 1000;
    QTest::mousePress(start, Qt::LeftButton);
    QTest::mouseRelease(start, Qt::LeftButton);
    EXPECT_STATE(kRunning);
    // The second press of the double click, on STOPP that now lies under the
    // pointer, as a press and as the double click Qt reports.
    m_f->ticks.value += 150;
    QTest::mousePress(stop, Qt::LeftButton);
    QTest::mouseDClick(stop, Qt::LeftButton);
    EXPECT_STATE(kRunning);
    // A press after the double-click time stops.
    m_f->ticks.value += quint32(QApplication::doubleClickInterval());
    QTest::mousePress(stop, Qt::LeftButton);
    EXPECT_STATE(kStopped);
}

void TestFormMainRun::runOfAnHourIsNotEntered()
{
    m_f->ticks.value = 1000;
    m_f->key(Qt::Key_F5);
    m_f->ticks.value += 3'605'000;
    m_f->key(Qt::Key_F5);
    QString asked;
    answerNextQuestion(Answer::No, &asked);
    m_f->key(Qt::Key_F9);
    QVERIFY(asked.contains(QStringLiteral("länger als die Uhr anzeigt")));
    // The run stays stopped; asked again, Ja throws it away. (Nothing is
    // entered either way: TestRaceFaults::runLongerThanTheClockShows.)
    EXPECT_STATE(kStopped);
    // The closed question stays the active window offscreen.
    QApplication::setActiveWindow(m_f->window.get());
    asked.clear();
    answerNextQuestion(Answer::Yes, &asked);
    m_f->key(Qt::Key_F9);
    QVERIFY(!asked.isEmpty());
    EXPECT_STATE(kReady);
}

void TestFormMainRun::penaltyFieldStopsAtZero()
{
    auto *field = m_f->child<QSpinBox>(QStringLiteral("seStrafe"));
    QCOMPARE(field->minimum(), 0);
    m_f->key(Qt::Key_F5);
    field->setFocus();
    QTest::keyClick(field, Qt::Key_Down);
    QCOMPARE(field->value(), 0);
    QCOMPARE(m_f->window->race().entry().penaltySeconds, 0);
}

QTEST_MAIN(TestFormMainRun)
#include "test_formmain_run.moc"
