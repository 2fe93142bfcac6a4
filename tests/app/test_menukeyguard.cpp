// The run keys act once per press, however the platform reports a key held
// down; the undo keys go to a text field only while it has typing to take back.

#include "app/menukeyguard.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
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

    // Ctrl+Z belongs to a text field only while it has typing to take back;
    // otherwise it takes back the last command, from an editable combo box
    // (the start number) too.
    void undoKeyInATextField_data()
    {
        QTest::addColumn<bool>("combo");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("commands");
        QTest::newRow("line edit, nothing typed") << false << QString() << 1;
        QTest::newRow("line edit, typed") << false << QStringLiteral("12") << 0;
        QTest::newRow("combo box, nothing typed") << true << QString() << 1;
        QTest::newRow("combo box, typed") << true << QStringLiteral("7") << 0;
    }
    void undoKeyInATextField()
    {
        QFETCH(bool, combo);
        QFETCH(QString, typed);
        QFETCH(int, commands);
        QWidget window;
        auto *undo = new QAction(&window);
        undo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
        window.addAction(undo);
        QWidget *field = combo ? static_cast<QWidget *>(new QComboBox(&window)) : new QLineEdit(&window);
        if (auto *box = qobject_cast<QComboBox *>(field))
            box->setEditable(true);
        vex::MenuKeyGuard guard(&window, {}, {}, {QKeyCombination(Qt::CTRL | Qt::Key_Z)});
        qApp->installEventFilter(&guard);
        QSignalSpy triggered(undo, &QAction::triggered);
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        field->setFocus();
        QTest::keyClicks(QApplication::focusWidget(), typed);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(triggered.size(), commands);
    }
};

QTEST_MAIN(TestMenuKeyGuard)
#include "test_menukeyguard.moc"
