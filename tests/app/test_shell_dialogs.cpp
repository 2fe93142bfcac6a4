#include "app/cfgdialog.h"
#include "app/dlgyesno.h"
#include "app/forminfo.h"
#include "app/progresswindow.h"

#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include <functional>

using namespace Qt::StringLiterals;
using namespace vex;

namespace {

// Runs `answer` on the modal dialog once it is up. If no modal dialog turns up
// the test would hang in exec(), so after a few seconds whatever is active is
// rejected and the test fails on its result instead.
void whenModal(std::function<void(QWidget *)> answer, int triesLeft = 500)
{
    QTimer::singleShot(10, qApp, [answer = std::move(answer), triesLeft] {
        if (QWidget *modal = QApplication::activeModalWidget())
            answer(modal);
        else if (triesLeft > 0)
            whenModal(answer, triesLeft - 1);
    });
}

} // namespace

class TestShellDialogs : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void askYesNo_data();
    void askYesNo();
    void yesNoLooksTheSameEveryTime();
    void yesNoSitsOnTheMainWindow();
    void infoShowsTheProductText();
    void infoDoesNotBlockAndComesForward();
    void infoClosesByButtonAndEsc();
    void progressWindowIsPlain();
    void settingsDialogFrame();
};

void TestShellDialogs::askYesNo_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<bool>("answer");

    QTest::newRow("Ja") << u"bJa"_s << true;
    QTest::newRow("Nein") << u"bNein"_s << false;
    QTest::newRow("Esc") << u"Esc"_s << false;
    QTest::newRow("Return") << u"Return"_s << false;
    QTest::newRow("window closed") << u"close"_s << false;
}

void TestShellDialogs::askYesNo()
{
    QFETCH(QString, how);
    QFETCH(bool, answer);

    TFDlgYesNo dialog(u"Vexilor"_s);
    QString askedText;
    whenModal([&](QWidget *modal) {
        askedText = modal->findChild<QLabel *>(u"lblQuestion"_s)->text();
        if (how == u"Esc"_s)
            QTest::keyClick(modal, Qt::Key_Escape);
        else if (how == u"Return"_s)
            QTest::keyClick(modal, Qt::Key_Return);
        else if (how == u"close"_s)
            modal->close();
        else
            QTest::mouseClick(modal->findChild<QPushButton *>(how), Qt::LeftButton);
        // Whatever happened, don't leave the test hanging in exec().
        QTimer::singleShot(2000, modal, [modal] { static_cast<QDialog *>(modal)->done(-1); });
    });
    QCOMPARE(dialog.AskYesNo(u"Beenden?"_s), answer);
    QCOMPARE(askedText, u"Beenden?"_s);
    QVERIFY(dialog.result() != -1);
    QVERIFY(!dialog.isVisible());
}

void TestShellDialogs::yesNoLooksTheSameEveryTime()
{
    TFDlgYesNo dialog(u"Test"_s);
    QCOMPARE(dialog.windowTitle(), u"Test"_s);
    QCOMPARE(dialog.question(), u"?"_s);
    QVERIFY(dialog.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    QCOMPARE(dialog.minimumSize(), QSize(273, 116));
    QCOMPARE(dialog.maximumSize(), QSize(273, 116));

    // The second question replaces the first; the caption stays.
    whenModal([](QWidget *modal) { QTest::keyClick(modal, Qt::Key_Escape); });
    QVERIFY(!dialog.AskYesNo(u"Ergebnisse löschen?"_s));
    whenModal([](QWidget *modal) { QTest::mouseClick(modal->findChild<QPushButton *>(u"bJa"_s), Qt::LeftButton); });
    QVERIFY(dialog.AskYesNo(u"Protokoll überschreiben?"_s));
    QCOMPARE(dialog.question(), u"Protokoll überschreiben?"_s);
    QCOMPARE(dialog.windowTitle(), u"Test"_s);
}

void TestShellDialogs::yesNoSitsOnTheMainWindow()
{
    QWidget main;
    main.setGeometry(100, 100, 808, 544);
    main.show();
    QVERIFY(QTest::qWaitForWindowExposed(&main));

    TFDlgYesNo dialog(u"Vexilor"_s, &main);
    QPoint centre;
    whenModal([&](QWidget *modal) {
        centre = modal->frameGeometry().center();
        QTest::keyClick(modal, Qt::Key_Escape);
    });
    QVERIFY(!dialog.AskYesNo(u"Beenden?"_s));
    const QPoint offset = centre - main.frameGeometry().center();
    QVERIFY2(offset.manhattanLength() <= 40, qPrintable(u"off by %1,%2"_s.arg(offset.x()).arg(offset.y())));
}

void TestShellDialogs::infoShowsTheProductText()
{
    TFormInfo info;
    QCOMPARE(info.windowTitle(), u"Information"_s);

    QStringList texts;
    const auto labels = info.findChildren<QLabel *>();
    for (const QLabel *label : labels)
        if (!label->text().isEmpty())
            texts << label->text();
    QVERIFY(texts.contains(u"Vexilor"_s));
    QVERIFY(texts.contains(u"Version 1.2 (9.06.2008)"_s));
    const int praise = texts.indexOf(u"Lob und Kritik, Verbesserungsvorschläge,"_s);
    const int orders = texts.indexOf(u"Fragen und Bestellungen bitte schriftlich über"_s);
    QVERIFY(praise >= 0);
    QCOMPARE(orders, praise + 1);
    QVERIFY(orders + 1 < texts.size());
    const auto *licence = info.findChild<QLabel *>(u"lblLicence"_s);
    QVERIFY(licence && licence->text().contains(u"GNU General Public License"_s) && licence->text().contains(u"Quelltext"_s));

    auto *ok = info.findChild<QPushButton *>(u"bEinverstanden"_s);
    QVERIFY(ok);
    QCOMPARE(ok->text(), u"Einverstanden"_s);
}

void TestShellDialogs::infoDoesNotBlockAndComesForward()
{
    QWidget main;
    main.setGeometry(50, 50, 808, 544);
    main.show();
    QVERIFY(QTest::qWaitForWindowExposed(&main));

    auto *info = new TFormInfo(&main);
    info->showInfo();
    QVERIFY(QTest::qWaitForWindowExposed(info));
    QVERIFY(info->isVisible());
    QVERIFY(!info->isModal());
    QCOMPARE(QApplication::activeModalWidget(), nullptr);
    const QSize size = info->size();
    QCOMPARE(info->minimumSize(), info->maximumSize());
    const QPoint offset = info->frameGeometry().center() - main.frameGeometry().center();
    QVERIFY(offset.manhattanLength() <= 40);

    // Asking again while it is open keeps the one window where the operator
    // may have moved it.
    info->move(info->pos() + QPoint(30, 20));
    const QPoint moved = info->pos();
    main.activateWindow();
    info->showInfo();
    QCOMPARE(main.findChildren<TFormInfo *>().size(), 1);
    QVERIFY(info->isVisible());
    QCOMPARE(info->pos(), moved);
    QCOMPARE(info->size(), size);
    QTRY_COMPARE(QApplication::activeWindow(), info);
}

void TestShellDialogs::infoClosesByButtonAndEsc()
{
    TFormInfo info;
    info.showInfo();
    QVERIFY(QTest::qWaitForWindowExposed(&info));
    QTest::keyClick(&info, Qt::Key_Escape);
    QVERIFY(!info.isVisible());

    info.showInfo();
    QVERIFY(info.isVisible());
    QTest::mouseClick(info.findChild<QPushButton *>(u"bEinverstanden"_s), Qt::LeftButton);
    QVERIFY(!info.isVisible());

    // It opens again after having been closed.
    info.showInfo();
    QVERIFY(info.isVisible());
}

void TestShellDialogs::progressWindowIsPlain()
{
    ProgressWindow progress;
    QVERIFY(!progress.isVisible());
    QCOMPARE(progress.size(), QSize(415, 44));
    const Qt::WindowFlags flags = progress.windowFlags();
    QVERIFY(flags.testFlag(Qt::CustomizeWindowHint));
    QVERIFY(!flags.testFlag(Qt::WindowCloseButtonHint));
    QVERIFY(!flags.testFlag(Qt::WindowMinimizeButtonHint));
    QVERIFY(!flags.testFlag(Qt::WindowMaximizeButtonHint));

    progress.show();
    QVERIFY(QTest::qWaitForWindowExposed(&progress));
    const QPoint offset = progress.frameGeometry().center() - progress.screen()->availableGeometry().center();
    QVERIFY(offset.manhattanLength() <= 40);

    progress.setRange(0, 7);
    progress.setValue(3);
    QCOMPARE(progress.value(), 3);
    QCOMPARE(progress.maximum(), 7);
    progress.setMaximum(12);
    QCOMPARE(progress.progressBar()->maximum(), 12);
    QCOMPARE(progress.value(), 3);
}

void TestShellDialogs::settingsDialogFrame()
{
    TCFGDialog dialog;
    QVERIFY(!dialog.isVisible());
    QCOMPARE(dialog.windowTitle(), u"Einstellungen"_s);
    QCOMPARE(dialog.okButton()->text(), u"OK"_s);
    QCOMPARE(dialog.cancelButton()->text(), u"Abbrechen"_s);
}

QTEST_MAIN(TestShellDialogs)
#include "test_shell_dialogs.moc"
