// Start-up and shutdown of the main window.
#include "mainwindowfixture.h"

#include "settings/regfilebackend.h"
#include "settings/settingsstore.h"

#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QScreen>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTimer>

using namespace vex;

class TestFormMainShell : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void startUpState();
    void closeWithNoKeepsRunningAndSavesNothing_data();
    void closeWithNoKeepsRunningAndSavesNothing();
    void closeWithYesSavesEveryValue();
    void windowPositionSurvivesARestart();
    void storedSettingsReachTheControls();
    void storedBoundsAreClampedToAScreen_data();
    void storedBoundsAreClampedToAScreen();
};

void TestFormMainShell::startUpState()
{
    MainWindowFixture f;
    QCOMPARE(f.window->windowTitle(), QStringLiteral("Vexilor 1.2"));
    QCOMPARE(f.window->minimumSize(), QSize(808, 522));
    QCOMPARE(f.child<QLabel>(QStringLiteral("StatusPanel1"))->text(), QStringLiteral("1:1"));
    QVERIFY(!f.child(QStringLiteral("sbSave"))->isEnabled());
    QVERIFY(!f.child(QStringLiteral("lbl_Time_error"))->isVisible());
    QCOMPARE(f.window->race().competition().page(0)->cell(0, 1), QStringLiteral("Fahrer/in"));
    QVERIFY(!f.child<QLabel>(QStringLiteral("PanelTime"))->text().isEmpty());
    QVERIFY(!f.child(QStringLiteral("ImageLSstart"))->isVisible()); // no port open
    auto *clock = f.window->findChild<QTimer *>(QStringLiteral("TimerDate"));
    QVERIFY(clock);
    QVERIFY(clock->isActive());
    QCOMPARE(clock->interval(), 490);
    QVERIFY(f.window->findChild<QMenu *>(QStringLiteral("HideMenu")));
    QVERIFY(f.window->findChild<QMenu *>(QStringLiteral("Files")));
}

void TestFormMainShell::closeWithNoKeepsRunningAndSavesNothing_data()
{
    QTest::addColumn<int>("answer");
    QTest::newRow("Nein") << int(Answer::No);
    QTest::newRow("Esc") << int(Answer::Escape);
}

void TestFormMainShell::closeWithNoKeepsRunningAndSavesNothing()
{
    QFETCH(int, answer);
    QTemporaryDir dir;
    RegFileBackend backend(dir.filePath(QStringLiteral("Vexilor.reg")));
    MainWindowFixture f(&backend);
    QString asked;
    answerNextQuestion(Answer(answer), &asked);
    QVERIFY(!f.window->close());
    QCOMPARE(asked, QStringLiteral("Beenden?"));
    QVERIFY(f.window->isVisible());
    QVERIFY(!QFile::exists(backend.filePath()));
}

void TestFormMainShell::closeWithYesSavesEveryValue()
{
    QTemporaryDir dir;
    RegFileBackend backend(dir.filePath(QStringLiteral("Vexilor.reg")));
    MainWindowFixture f(&backend);
    f.changeSettings([](Settings &s) { s.Title = QStringLiteral("Kart-Slalom Süd"); });
    answerNextQuestion(Answer::Yes);
    QVERIFY(f.window->close());
    QVERIFY(QFile::exists(backend.filePath()));

    Settings back;
    SettingsStore store(backend, settingsKeyPath(QStringLiteral("Vexilor")));
    const LoadResult r = store.load(back);
    QVERIFY(r.complete());
    QCOMPARE(r.valuesRead, 68); // the 39 of old, the live page's three, the minimum run time, the regulation's eight, publishing's eight, the officials' three and the timer's and board's six
    QCOMPARE(back.Title, QStringLiteral("Kart-Slalom Süd"));
}

// The stored edges are the frame's: a window that was not moved comes back at
// the same place, start after start.
void TestFormMainShell::windowPositionSurvivesARestart()
{
    QTemporaryDir dir;
    RegFileBackend backend(dir.filePath(QStringLiteral("Vexilor.reg")));
    Settings stored;
    stored.Left = 40;
    stored.Top = 30;
    QVERIFY(!SettingsStore(backend, settingsKeyPath(QStringLiteral("Vexilor"))).save(stored));

    for (int start = 0; start < 2; ++start) {
        MainWindowFixture f(&backend);
        QCOMPARE(f.window->pos(), QPoint(40, 30));
        answerNextQuestion(Answer::Yes);
        QVERIFY(f.window->close());
        Settings back;
        QVERIFY(SettingsStore(backend, settingsKeyPath(QStringLiteral("Vexilor"))).load(back).complete());
        QCOMPARE(QPoint(back.Left, back.Top), QPoint(40, 30));
    }
}

void TestFormMainShell::storedSettingsReachTheControls()
{
    QTemporaryDir dir;
    RegFileBackend backend(dir.filePath(QStringLiteral("Test.reg")));
    Settings stored;
    stored.StartLock = 3000;
    stored.cbClub = false;
    stored.AutoEin = true;
    stored.AutoEinS = 2500;
    stored.Height = 560;
    QVERIFY(!SettingsStore(backend, settingsKeyPath(QStringLiteral("Test"))).save(stored));

    AppIdentity id;
    id.title = QStringLiteral("Test");
    id.caption = QStringLiteral("Test 1.2");
    MainWindowFixture f(&backend, id);
    QCOMPARE(f.window->windowTitle(), QStringLiteral("Test 1.2"));
    QCOMPARE(f.window->race().runController().lockTimeMs(), 3000);
    QVERIFY(f.window->race().runController().autoEntry());
    QCOMPARE(f.window->race().runController().autoEntryDelayMs(), 2500);
    QVERIFY(!f.child<QCheckBox>(QStringLiteral("cbClub"))->isChecked());
    QVERIFY(!f.child(QStringLiteral("txt_Club"))->isEnabled());
    QCOMPARE(f.window->race().columnWidthPercent().share(2), 0);
    QCOMPARE(f.window->height(), 560);
    QCOMPARE(f.child(QStringLiteral("cbAutomatisch"))->toolTip(),
             QStringLiteral("Automatische Eintragung in 2.5 Sekunden"));
}

// Stored bounds far off every screen or larger than it: the window lands on
// a screen, no larger than it, and only those bounds are written back.
void TestFormMainShell::storedBoundsAreClampedToAScreen_data()
{
    QTest::addColumn<int>("left");
    QTest::addColumn<int>("top");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::newRow("largest size") << 0 << 0 << 0x7fffffff << 0x7fffffff;
    QTest::newRow("far outside") << -50000 << 90000 << 808 << 544;
    QTest::newRow("largest position") << 0x7fffffff << 0x7fffffff << 900 << 600;
}

void TestFormMainShell::storedBoundsAreClampedToAScreen()
{
    QFETCH(int, left);
    QFETCH(int, top);
    QFETCH(int, width);
    QFETCH(int, height);
    QTemporaryDir dir;
    RegFileBackend backend(dir.filePath(QStringLiteral("Vexilor.reg")));
    Settings stored;
    stored.Left = left;
    stored.Top = top;
    stored.Width = width;
    stored.Height = height;
    QVERIFY(!SettingsStore(backend, settingsKeyPath(QStringLiteral("Vexilor"))).save(stored));

    MainWindowFixture f(&backend);
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    const QSize allowed = screen.size().expandedTo(QSize(kMinWindowWidth, kMinWindowHeight));
    QVERIFY(f.window->width() <= allowed.width());
    QVERIFY(f.window->height() <= allowed.height());
    QVERIFY(screen.contains(f.window->pos()));
    answerNextQuestion(Answer::Yes);
    QVERIFY(f.window->close());
    Settings back;
    SettingsStore(backend, settingsKeyPath(QStringLiteral("Vexilor"))).load(back);
    QVERIFY(back.Width <= allowed.width() && back.Height <= allowed.height());
    QVERIFY(screen.contains(QPoint(back.Left, back.Top)));
}

QTEST_MAIN(TestFormMainShell)
#include "test_formmain_shell.moc"
