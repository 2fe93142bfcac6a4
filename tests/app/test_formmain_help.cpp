// The manual from the program: F1 opens the page of the window in front, and
// the key and settings tables name everything the program has. The lists
// come from the windows themselves, so a new key or setting without its row
// in the manual fails here by name.
#include "app/cfgdialog.h"
#include "app/help/helptopics.h"
#include "app/help/helpwindow.h"
#include "app/help/manual.h"
#include "app/seasonwindow.h"
#include "mainwindowfixture.h"

#include <QAbstractSpinBox>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMetaMethod>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTest>
#include <QTextDocumentFragment>
#include <QVBoxLayout>
#include <QWindow>

using namespace Qt::StringLiterals;
using namespace vex;

class TestFormMainHelp : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void f1OpensThePageOfTheWindowInFront_data();
    void f1OpensThePageOfTheWindowInFront();
    void everyKeyIsInTheKeyTable();
    void everySettingIsInTheSettingsTable();
    void helpStaysUsableBesideAModalDialog();
};

namespace {

QString pageText(const QString &file)
{
    QFile f(manual::folder() + file);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

QString normalized(QString caption)
{
    caption.remove(u'&');
    caption = caption.simplified();
    while (caption.endsWith(u':'))
        caption.chop(1);
    return caption.trimmed();
}

// The texts of an element on a page, as the reader sees them.
QSet<QString> elementTexts(const QString &html, const QString &pattern)
{
    QSet<QString> texts;
    const QRegularExpression re(pattern, QRegularExpression::DotMatchesEverythingOption);
    for (const QRegularExpressionMatch &m : re.globalMatch(html))
        texts.insert(normalized(QTextDocumentFragment::fromHtml(m.captured(1)).toPlainText()));
    return texts;
}

// A key as the manual writes it: German modifier names.
QString germanKey(const QKeySequence &key)
{
    QString text = key.toString(QKeySequence::PortableText);
    text.replace(u"Ctrl+"_s, u"Strg+"_s);
    text.replace(u"Shift+"_s, u"Umschalt+"_s);
    text.replace(u"Num+"_s, u"Ziffernblock "_s);
    return text;
}

// A command whose key does something: its trigger reaches more than the
// menus that list it.
struct SignalPeek : QObject
{
    using QObject::receivers;
};
bool doesSomething(const QAction *a)
{
    qsizetype menus = 0;
    for (const QObject *o : a->associatedObjects())
        menus += qobject_cast<const QMenu *>(o) ? 1 : 0;
    return (a->*(&SignalPeek::receivers))(SIGNAL(triggered(bool))) > menus;
}

QWidget *windowNamed(const QString &name)
{
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->objectName() == name && w->isVisible())
            return w;
    return nullptr;
}

void pressF1In(QWidget *window)
{
    QWidget *target = window->focusWidget() ? window->focusWidget() : window;
    QTest::keyClick(target, Qt::Key_F1);
}

// The name a setting has in the dialog: its label, its own caption, or the
// name given for those that have neither.
QString settingName(QWidget *control, const QWidget *dialog)
{
    for (QLabel *label : dialog->findChildren<QLabel *>())
        if (label->buddy() == control)
            return normalized(label->text());
    if (auto *button = qobject_cast<QAbstractButton *>(control))
        return normalized(button->text());
    return normalized(control->accessibleName());
}

bool isSettingControl(const QWidget *w)
{
    const QWidget *parent = w->parentWidget();
    if (qobject_cast<const QComboBox *>(parent) || qobject_cast<const QAbstractSpinBox *>(parent))
        return false; // a part of another control
    return qobject_cast<const QLineEdit *>(w) || qobject_cast<const QPlainTextEdit *>(w)
           || qobject_cast<const QComboBox *>(w) || qobject_cast<const QAbstractSpinBox *>(w)
           || qobject_cast<const QCheckBox *>(w) || qobject_cast<const QRadioButton *>(w);
}

} // namespace

void TestFormMainHelp::f1OpensThePageOfTheWindowInFront_data()
{
    QTest::addColumn<QString>("command"); // the main window's action that opens it; empty: the main window
    QTest::addColumn<QString>("window");
    QTest::addColumn<int>("part");        // the settings dialog's part in front
    QTest::addColumn<QString>("page");

    QTest::newRow("main window") << QString() << u"FormMain"_s << -1 << u"hauptfenster.html"_s;
    QTest::newRow("settings, Allgemein") << u"mCFG"_s << u"CFGDialog"_s << 0 << u"einstellungen.html#allgemein"_s;
    QTest::newRow("settings, Wertung") << u"mCFG"_s << u"CFGDialog"_s << 1 << u"einstellungen.html#wertung"_s;
    QTest::newRow("barrier test") << u"LSTest1"_s << u"BarrierTestWindow"_s << -1 << u"lichtschranken.html#test"_s;
    QTest::newRow("team window") << u"mMannschaften"_s << u"FormMannschaften"_s << -1
                                 << u"auswertung.html#mannschaften"_s;
    QTest::newRow("season window") << u"mMeisterschaft"_s << u"SeasonWindow"_s << -1 << u"meisterschaft.html"_s;
    QTest::newRow("certificates") << u"mUrkunden"_s << u"CertificateDialog"_s << -1 << u"auswertung.html#urkunden"_s;
    QTest::newRow("result list") << u"mErgebnislistePdf"_s << u"ResultListPdfDialog"_s << -1
                                 << u"auswertung.html#ergebnisliste"_s;
}

void TestFormMainHelp::f1OpensThePageOfTheWindowInFront()
{
    QFETCH(QString, command);
    QFETCH(QString, window);
    QFETCH(int, part);
    QFETCH(QString, page);

    MainWindowFixture f;
    auto *cfg = new TCFGDialog(f.window.get(), {});
    f.window->attachWindows(nullptr, nullptr, nullptr, cfg, nullptr);
    installSeasonCommand(*f.window, &f.files, &f.shell, {});
    if (command.isEmpty()) {
        f.key(Qt::Key_F1);
        f.key(Qt::Key_I, Qt::AltModifier);
        QCOMPARE(f.help.shown, QStringList({page, page}));
        return;
    }
    // A modal dialog runs its own loop: F1 is pressed from inside it.
    bool pressed = false;
    QTimer::singleShot(0, [&] {
        auto *modal = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        if (!modal || modal->objectName() != window)
            return;
        if (part >= 0)
            modal->findChild<QTabWidget *>()->setCurrentIndex(part);
        pressF1In(modal);
        pressed = true;
        modal->reject();
    });
    auto *action = f.window->findChild<QAction *>(command);
    QVERIFY(action);
    action->trigger();
    if (!pressed) {
        QWidget *w = windowNamed(window);
        QVERIFY2(w, qPrintable(window));
        pressF1In(w);
    }
    QCOMPARE(f.help.shown, QStringList{page});
}

void TestFormMainHelp::everyKeyIsInTheKeyTable()
{
    MainWindowFixture f;
    installSeasonCommand(*f.window, &f.files, &f.shell, {});
    const QSet<QString> listed = elementTexts(pageText(u"tasten.html"_s), u"<kbd>(.*?)</kbd>"_s);
    QStringList missing;
    for (const QAction *a : f.window->findChildren<QAction *>()) {
        if (!doesSomething(a))
            continue;
        for (const QKeySequence &key : a->shortcuts())
            if (!listed.contains(germanKey(key)))
                missing << germanKey(key) + u" ("_s + normalized(a->text()) + u')';
    }
    missing.removeDuplicates();
    QVERIFY2(missing.isEmpty(), qPrintable(u"keys missing in tasten.html: "_s + missing.join(u", "_s)));
}

void TestFormMainHelp::everySettingIsInTheSettingsTable()
{
    TCFGDialog dialog(nullptr, {1, 3});
    const QString page = pageText(u"einstellungen.html"_s);
    const QSet<QString> listed = elementTexts(page, u"<tr>\\s*<td>(.*?)</td>"_s);
    QStringList missing;
    auto *tabs = dialog.findChild<QTabWidget *>();
    QVERIFY(tabs);
    for (int i = 0; i < tabs->count(); ++i) {
        const QString anchor = partAnchor(tabs->tabText(i).remove(u'&'));
        if (!page.contains(u"id=\""_s + anchor + u'"'))
            missing << u"the part \""_s + tabs->tabText(i) + u"\" (#"_s + anchor + u')';
    }
    for (QWidget *control : dialog.findChildren<QWidget *>()) {
        if (!isSettingControl(control))
            continue;
        const QString name = settingName(control, &dialog);
        if (name.isEmpty())
            missing << control->objectName() + u" (no caption in the dialog)"_s;
        else if (!listed.contains(name))
            missing << name;
    }
    missing.removeDuplicates();
    QVERIFY2(missing.isEmpty(), qPrintable(u"settings missing in einstellungen.html: "_s + missing.join(u", "_s)));
}

// A window that the dialog blocks drops the keys; the manual takes them.
void TestFormMainHelp::helpStaysUsableBesideAModalDialog()
{
    HelpWindow help;
    QWidget other;
    auto *otherField = new QLineEdit(&other);
    (new QVBoxLayout(&other))->addWidget(otherField);
    QDialog dialog;
    dialog.setObjectName(u"CFGDialog"_s);
    QString helpTyped = u"-"_s;
    QString otherTyped = u"-"_s;
    QTimer::singleShot(0, [&] {
        other.show();
        help.showPage(u"lichtschranken.html#test"_s);
        QTest::qWait(20);
        auto *query = help.findChild<QLineEdit *>(u"helpQuery"_s);
        help.findChild<QTabWidget *>(u"helpSide"_s)->setCurrentIndex(1);
        query->setFocus();
        QTest::keyClick(help.windowHandle(), Qt::Key_L);
        helpTyped = query->text();
        otherField->setFocus();
        QTest::keyClick(other.windowHandle(), Qt::Key_L);
        otherTyped = otherField->text();
        dialog.reject();
    });
    dialog.exec();
    QCOMPARE(otherTyped, QString());
    QCOMPARE(helpTyped, u"l"_s);
    QCOMPARE(help.currentPage(), u"lichtschranken.html#test"_s);
    // The manual stays open once the dialog has gone.
    QVERIFY(help.isVisible());
}

QTEST_MAIN(TestFormMainHelp)
#include "test_formmain_help.moc"
