// The manual as the program carries it and opens it. The lists of keys,
// settings and windows come from the program itself, so a new key, setting
// or part of the settings dialog without its row in the manual fails by name.
#include "app/cfgdialog.h"
#include "app/help/helptopics.h"
#include "app/help/helpwindow.h"
#include "app/help/manual.h"
#include "app/seasonwindow.h"
#include "mainwindowfixture.h"

#include <QAbstractSpinBox>
#include <QCheckBox>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProcess>
#include <QRadioButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextDocumentFragment>
#include <QVBoxLayout>
#include <QWindow>

using namespace Qt::StringLiterals;
using namespace vex;

class TestManual : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void linksAndPicturesResolve();
    void searchFindsSections_data();
    void searchFindsSections();
    void partAnchors_data();
    void partAnchors();
    void printedManualHoldsEveryPageAndPicture();
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
    caption = caption.remove(u'&').simplified();
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
    return key.toString(QKeySequence::PortableText)
        .replace(u"Ctrl+"_s, u"Strg+"_s)
        .replace(u"Shift+"_s, u"Umschalt+"_s)
        .replace(u"Num+"_s, u"Ziffernblock "_s);
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

void pressF1In(QWidget *window)
{
    QTest::keyClick(window->focusWidget() ? window->focusWidget() : window, Qt::Key_F1);
}

// The name a setting has in the dialog: its label, its own caption, or the
// name given to one that has neither.
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

// Every page is in the contents; every link, picture and style sheet is a
// file in the resources, every anchor one that its page has.
void TestManual::linksAndPicturesResolve()
{
    const QStringList files = QDir(manual::folder()).entryList({u"*.html"_s}, QDir::Files, QDir::Name);
    QStringList listed;
    for (const manual::Page &page : manual::pages())
        listed << page.file;
    listed.sort();
    QCOMPARE(listed, files);
    static const QRegularExpression refs(u"(?:href|src)=\"([^\"]*)\""_s);
    QStringList missing;
    for (const QString &file : files) {
        for (const QRegularExpressionMatch &m : refs.globalMatch(pageText(file))) {
            const QString ref = m.captured(1);
            if (ref.startsWith(u"http"_s))
                continue;
            const QString target = ref.section(u'#', 0, 0).isEmpty() ? file : ref.section(u'#', 0, 0);
            const QString anchor = ref.section(u'#', 1);
            if (!QFile::exists(manual::folder() + target)
                || (!anchor.isEmpty() && !pageText(target).contains(u"id=\""_s + anchor + u'"')))
                missing << file + u": "_s + ref;
        }
    }
    QVERIFY2(missing.isEmpty(), qPrintable(u"not in the resources: "_s + missing.join(u", "_s)));
}

void TestManual::searchFindsSections_data()
{
    QTest::addColumn<QString>("query");
    QTest::addColumn<QString>("first"); // empty: nothing found

    QTest::newRow("the subject's own page first, any case") << u"lichtschranke"_s << u"lichtschranken.html"_s;
    QTest::newRow("every word must stand there") << u"Lichtschranke Quorbelwutz"_s << QString();
    QTest::newRow("only blanks") << u"   "_s << QString();
}

void TestManual::searchFindsSections()
{
    QFETCH(QString, query);
    QFETCH(QString, first);
    const QList<manual::SearchHit> hits = manual::search(query);
    QCOMPARE(hits.isEmpty() ? QString() : hits.first().file, first);
    for (qsizetype i = 1; i < hits.size(); ++i)
        QVERIFY(hits[i - 1].score >= hits[i].score);
}

void TestManual::partAnchors_data()
{
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("anchor");
    QTest::newRow("plain") << u"Allgemein"_s << u"allgemein"_s;
    QTest::newRow("umlaut and brackets") << u"Zeitmessgerät (RS-232)"_s << u"zeitmessgeraet-rs-232"_s;
    QTest::newRow("blanks around, sharp s") << u"  Große Anzeige "_s << u"grosse-anzeige"_s;
}

void TestManual::partAnchors()
{
    QFETCH(QString, caption);
    QFETCH(QString, anchor);
    QCOMPARE(partAnchor(caption), anchor);
}

// The printer lays out a copy of the document, whose pictures must load as in
// the window; an old file in the PDF's place is replaced, and pdftotext (where
// installed) reads every page's title back.
void TestManual::printedManualHoldsEveryPageAndPicture()
{
    std::unique_ptr<QTextDocument> copy(manual::printDocument()->clone());
    int pictures = 0;
    for (QTextBlock b = copy->begin(); b.isValid(); b = b.next()) {
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextImageFormat image = it.fragment().charFormat().toImageFormat();
            if (!image.isValid())
                continue;
            ++pictures;
            const QVariant loaded = copy->resource(QTextDocument::ImageResource, QUrl(image.name()));
            QVERIFY2(!loaded.value<QImage>().isNull(), qPrintable(image.name()));
        }
    }
    QVERIFY(pictures > 0);

    QTemporaryDir dir;
    const QString path = dir.filePath(u"handbuch.pdf"_s);
    QFile old(path);
    QVERIFY(old.open(QIODevice::WriteOnly) && old.write("not a pdf") > 0);
    old.close();
    QVERIFY(manual::writePdf(path));
    QVERIFY(old.open(QIODevice::ReadOnly) && old.read(5) == "%PDF-");
    const QString tool = QStandardPaths::findExecutable(u"pdftotext"_s);
    if (tool.isEmpty())
        QSKIP("pdftotext is not installed");
    QProcess p;
    p.start(tool, {path, u"-"_s});
    QVERIFY(p.waitForFinished(30000));
    const QString text = QString::fromUtf8(p.readAllStandardOutput()).simplified();
    for (const manual::Page &page : manual::pages())
        QVERIFY2(text.contains(page.title.simplified()), qPrintable(page.title));
}

void TestManual::f1OpensThePageOfTheWindowInFront_data()
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

void TestManual::f1OpensThePageOfTheWindowInFront()
{
    QFETCH(QString, command);
    QFETCH(QString, window);
    QFETCH(int, part);
    QFETCH(QString, page);

    MainWindowFixture f;
    f.window->attachWindows(nullptr, nullptr, nullptr, new TCFGDialog(f.window.get(), {}), nullptr);
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
    f.window->findChild<QAction *>(command)->trigger();
    for (QWidget *w : QApplication::topLevelWidgets())
        if (!pressed && w->objectName() == window && w->isVisible())
            pressF1In(w);
    QCOMPARE(f.help.shown, QStringList{page});
}

void TestManual::everyKeyIsInTheKeyTable()
{
    MainWindowFixture f;
    installSeasonCommand(*f.window, &f.files, &f.shell, {});
    const QSet<QString> listed = elementTexts(pageText(u"tasten.html"_s), u"<kbd>(.*?)</kbd>"_s);
    QStringList missing;
    for (const QAction *a : f.window->findChildren<QAction *>())
        for (const QKeySequence &key : a->shortcuts())
            if (doesSomething(a) && !listed.contains(germanKey(key)))
                missing << germanKey(key) + u" ("_s + normalized(a->text()) + u')';
    missing.removeDuplicates();
    QVERIFY2(missing.isEmpty(), qPrintable(u"keys missing in tasten.html: "_s + missing.join(u", "_s)));
}

void TestManual::everySettingIsInTheSettingsTable()
{
    TCFGDialog dialog(nullptr, {1, 3});
    const QString page = pageText(u"einstellungen.html"_s);
    const QSet<QString> listed = elementTexts(page, u"<tr>\\s*<td>(.*?)</td>"_s);
    QStringList missing;
    auto *tabs = dialog.findChild<QTabWidget *>();
    for (int i = 0; i < tabs->count(); ++i) {
        const QString anchor = partAnchor(tabs->tabText(i).remove(u'&'));
        if (!page.contains(u"id=\""_s + anchor + u'"'))
            missing << u"the part \""_s + tabs->tabText(i) + u"\" (#"_s + anchor + u')';
    }
    for (QWidget *control : dialog.findChildren<QWidget *>()) {
        const QString name = isSettingControl(control) ? settingName(control, &dialog) : u"-"_s;
        if (name.isEmpty())
            missing << control->objectName() + u" (no caption in the dialog)"_s;
        else if (name != u"-"_s && !listed.contains(name))
            missing << name;
    }
    missing.removeDuplicates();
    QVERIFY2(missing.isEmpty(), qPrintable(u"settings missing in einstellungen.html: "_s + missing.join(u", "_s)));
}

// A window that the dialog blocks drops the keys; the manual takes them.
void TestManual::helpStaysUsableBesideAModalDialog()
{
    HelpWindow help;
    QWidget other;
    auto *otherField = new QLineEdit(&other);
    (new QVBoxLayout(&other))->addWidget(otherField);
    QDialog dialog;
    QString helpTyped = u"-"_s;
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
        dialog.reject();
    });
    dialog.exec();
    QCOMPARE(otherField->text(), QString());
    QCOMPARE(helpTyped, u"l"_s);
    QCOMPARE(help.currentPage(), u"lichtschranken.html#test"_s);
    // It stays open once the dialog has gone, no longer its window.
    QVERIFY(help.isVisible());
    QCOMPARE(help.windowHandle()->transientParent(), nullptr);
}

QTEST_MAIN(TestManual)
#include "test_manual.moc"
