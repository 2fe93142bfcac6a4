// The run keys act once per press, however the platform reports a key held
// down.

#include "app/menukeyguard.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QSignalSpy>
#include <QTest>
#include <QWidget>

class TestMenuKeyGuard : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void onePressOneCommand_data()
    {
        // p: press, r: release, R: release stamped like the press after it,
        // d: window deactivated
        QTest::addColumn<QString>("keys");
        QTest::addColumn<int>("commands");
        // Repeats Qt flags as such: TestFormMainRun::heldF5StartsOnly.
        QTest::newRow("held, repeats not flagged") << QStringLiteral("ppp") << 1;
        QTest::newRow("held, X's release and press pairs") << QStringLiteral("pRpRp") << 1;
        QTest::newRow("pressed twice") << QStringLiteral("prp") << 2;
        QTest::newRow("released elsewhere") << QStringLiteral("pdp") << 2;
    }

    void onePressOneCommand()
    {
        QFETCH(QString, keys);
        QFETCH(int, commands);
        QWidget window;
        auto *start = new QAction(&window);
        start->setShortcut(Qt::Key_F5);
        start->setAutoRepeat(false);
        window.addAction(start);
        vex::MenuKeyGuard guard(&window, {}, {QKeyCombination(Qt::Key_F5)});
        qApp->installEventFilter(&guard);
        QSignalSpy triggered(start, &QAction::triggered);
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QEvent deactivate(QEvent::WindowDeactivate);
        quint64 stamp = 1000;
        for (const QChar k : keys) {
            if (k == u'd') {
                QApplication::sendEvent(&window, &deactivate);
                continue;
            }
            QKeyEvent key(k == u'p' ? QEvent::KeyPress : QEvent::KeyRelease, Qt::Key_F5, Qt::NoModifier);
            key.setTimestamp(stamp);
            QApplication::sendEvent(&window, &key);
            if (k != u'R')
                stamp += 40;
        }
        QCOMPARE(triggered.size(), commands);
    }
};

QTEST_MAIN(TestMenuKeyGuard)
#include "test_menukeyguard.moc"
