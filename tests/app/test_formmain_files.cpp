// The file commands of the real main window: opening start lists and
// protocols, saving in every file type, the web page, printing and clearing,
// driven through keys and buttons with the file dialogs and the shell faked.
#include "mainwindowfixture.h"

#include "settings/regfilebackend.h"
#include "text/messagetext.h"
#include "../office/fakeautomation.h"
#include "app/formsplash.h"
#include "results/competition.h"
#include "results/resultpage.h"

#include <QAction>
#include <QComboBox>
#include <QFileDialog>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>

#include <csignal>
#include <sys/resource.h>

using namespace vex;
using namespace Qt::StringLiterals;

namespace {

const QString kTextFilter = u"Textdatei (*.txt)"_s;
const QString kExcelOpenFilter = u"MS Excel (*.xlsx *.xls)"_s;
const QString kExcelSaveFilter = u"MS Excel (*.xlsx)"_s;
const QString kWordFilter = u"MS Word (*.doc)"_s;
const QString kWebFilter = u"Webseite (*.html)"_s;

const QString kTwoClasses = u"KLASSE: Bambini\n"
                            "StNr\tFahrer/in\tOrtsclub\n"
                            "1\tJörg Müller\tMSC Öhringen\n"
                            "2\tAnna Weiß\tAC Süd\n"
                            "\n"
                            "KLASSE: Junioren\n"
                            "StNr\tFahrer/in\tOrtsclub\n"
                            "11\tLena Groß\tMSC Öhringen\n"_s;

// A saved protocol with results: Jörg leads with 49,45.
const QString kProtocolWithResults =
    u"KLASSE: Bambini\r\n\r\n"
    "StNr\tFahrer/in\tOrtsclub\tTR\tStS\tLauf 1\tStS\tLauf 2\tStS\tGesamt\tPlatz\t\r\n"
    "1\tJörg Müller\tMSC\t25,00\t \t23,45\t2\t24,00\t \t49,45\t1\t\r\n"
    "2\tAnna Weiß\tAC\t \t \t26,00\t \t25,00\t10\t1:01,00\t2\t\r\n"
    "\r\n"_s;

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(bytes), bytes.size());
}

// Reads and closes every message box that comes up while it lives.
class MessageCatcher
{
public:
    MessageCatcher()
    {
        m_timer.setInterval(10);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box)
                return;
            texts.append(box->text());
            box->done(QMessageBox::Ok);
        });
        m_timer.start();
    }
    QStringList texts;

private:
    QTimer m_timer;
};

// Lets no file grow beyond a few bytes, for root too: a write that would
// replace an existing file fails halfway.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &m_old);
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limited = m_old;
        limited.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limited);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }

private:
    rlimit m_old{};
    void (*m_oldHandler)(int) = nullptr;
};

// A workbook the recording spreadsheet opens: one sheet per class, the block
// at the default start cell A6.
vex::testing::FakeSheetData workbookSheet(const QString &name, const QStringList &drivers)
{
    vex::testing::FakeSheetData sheet{name, QList<QVariantList>(5), 0};
    QVariantList titles;
    for (const QString &t : defaultColumnTitles())
        titles.append(t);
    sheet.cells.append(titles);
    for (int i = 0; i < drivers.size(); ++i)
        sheet.cells.append(QVariantList{double(10 + i), drivers.at(i), u"MSC"_s});
    sheet.usedRows = int(sheet.cells.size());
    return sheet;
}

// A main window whose machine has the spreadsheet and word processor.
struct OfficeWindow
{
    FakeTicks ticks;
    FakeSound sound;
    FakeHelp help;
    FakeShell shell;
    FakeFileChooser files;
    vex::testing::FakeServers office;
    std::unique_ptr<TFormMain> window;
    TFormSplash *splash = nullptr;

    explicit OfficeWindow(SettingsBackend *settings = nullptr)
    {
        MainWindowServices services;
        services.ticks = &ticks;
        services.sound = &sound;
        services.help = &help;
        services.shell = &shell;
        services.files = &files;
        services.office = &office;
        services.settingsBackend = settings;
        services.identity.title = u"Vexilor"_s;
        services.identity.caption = u"Vexilor 1.2"_s;
        window = std::make_unique<TFormMain>(services);
        splash = new TFormSplash(window.get());
        window->attachWindows(splash, nullptr, nullptr, nullptr, nullptr);
        window->show();
    }
};

} // namespace

class TestFormMainFiles : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void openStartList_data();
    void openStartList();
    void runSaveReopenSaveGivesSameBytes();
    void overwriteQuestionOnlyWithData();
    void overwriteNoKeepsEverything_data();
    void overwriteNoKeepsEverything();
    void overwriteAskedWhenAnotherPageHoldsData();
    void reloadEmptiesAndHidesPagesNotInTheFile();
    void moreThanTenClasses();
    void unreadableFileIsReported();
    void clearAsksAndKeepsDrivers();
    void webPageByKeyAndPrintButton();
    void failedSaveKeepsOldFileAndSaysSo_data();
    void failedSaveKeepsOldFileAndSaysSo();
    void failedPagePrintsOlderPage();
    void wordEntryWithoutWordProcessorWritesNothing();
    void officeEntriesDispatchByFileType();
    void workbookImportEndsLikeLoading();
    void failedWorkbookImportIsReported();
    void officeButtonsFollowRegisteredServers();
    void showInSpreadsheetAndWordProcessorByKeys();
    void filterIndexesSurviveRestart();
    void handEnteredDriversAreSaved();
    void protocolBarHints_data();
    void protocolBarHints();
    void realFileDialogs();
    void typedExtensionDecidesTheFileType_data();
    void typedExtensionDecidesTheFileType();
    void printerErrorIsReported();
    void messagesShowFileTextsPlainAndCut();
    void hostileFileIsRefusedAndLoadsNothing();

private:
    QString path(const QString &name) const { return m_dir->filePath(name); }
    QString writeFile(const QString &name, const QByteArray &bytes);
    void open(const QString &file, Answer overwrite = Answer::Yes);
    void save(const QString &file, int filterIndex = 1);
    void focusNameField();
    template <typename T = QWidget>
    T *child(const QString &name) const { return m_f->child<T>(name); }
    ResultPage *page(int k) const { return m_f->window->race().competition().page(k); }
    QTabWidget *tabs() const { return child<QTabWidget>(u"PageControl1"_s); }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<MainWindowFixture> m_f;
    QString m_oldCurrent;
};

void TestFormMainFiles::init()
{
    m_oldCurrent = QDir::currentPath();
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    QDir::setCurrent(m_dir->path());
    m_f = std::make_unique<MainWindowFixture>();
}

void TestFormMainFiles::cleanup()
{
    m_f.reset();
    QDir::setCurrent(m_oldCurrent);
    m_dir.reset();
}

QString TestFormMainFiles::writeFile(const QString &name, const QByteArray &bytes)
{
    writeBytes(path(name), bytes);
    return path(name);
}

// Ctrl+O as the operator presses it, with the focus in the name field.
void TestFormMainFiles::open(const QString &file, Answer overwrite)
{
    const qsizetype before = m_f->files.openRequests.size();
    answerNextQuestion(overwrite);
    m_f->files.answerOpen(file);
    focusNameField();
    m_f->key(Qt::Key_O, Qt::ControlModifier);
    QCoreApplication::processEvents();
    QCOMPARE(m_f->files.openRequests.size(), before + 1);
}

void TestFormMainFiles::save(const QString &file, int filterIndex)
{
    const qsizetype before = m_f->files.saveRequests.size();
    m_f->files.answerSave(file, filterIndex);
    focusNameField();
    m_f->key(Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(m_f->files.saveRequests.size(), before + 1);
}

// The offscreen platform leaves a closed dialog the active window; the
// operator's keys go to the main window again.
void TestFormMainFiles::focusNameField()
{
    if (QApplication::activeWindow() != m_f->window.get())
        QApplication::setActiveWindow(m_f->window.get());
    child(u"txt_Name"_s)->setFocus();
    QVERIFY(child(u"txt_Name"_s)->hasFocus());
}

void TestFormMainFiles::openStartList_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("TAB, Windows-1252") << kTwoClasses.toLatin1();
    QTest::newRow("semicolon, Windows-1252") << QString(kTwoClasses).replace(u'\t', u';').toLatin1();
    QTest::newRow("TAB, UTF-8") << kTwoClasses.toUtf8();
    QTest::newRow("semicolon, UTF-8, CR LF")
        << QString(kTwoClasses).replace(u'\t', u';').replace(u"\n"_s, u"\r\n"_s).toUtf8();
}

void TestFormMainFiles::openStartList()
{
    QFETCH(QByteArray, bytes);
    const QString file = writeFile(u"start.txt"_s, bytes);
    open(file);

    const FileDialogRequest &asked = m_f->files.openRequests.constLast();
    QCOMPARE(asked.filters, QStringList{kTextFilter});
    QCOMPARE(asked.defaultSuffix, u"txt"_s);

    auto *classes = child<QComboBox>(u"cmb_Klasse"_s);
    QVERIFY(!classes->isEditable());
    QCOMPARE(classes->count(), 2);
    QCOMPARE(classes->itemText(1), u"Junioren"_s);
    QCOMPARE(classes->currentIndex(), 0);
    QCOMPARE(classes->toolTip(), file);

    QCOMPARE(tabs()->currentIndex(), 0);
    QCOMPARE(tabs()->tabText(0), u"Bambini"_s);
    QCOMPARE(tabs()->tabText(1), u"Junioren"_s);
    QVERIFY(tabs()->isTabVisible(1));
    QVERIFY(!tabs()->isTabVisible(2));

    auto *numbers = child<QComboBox>(u"cmb_Nr"_s);
    QCOMPARE(numbers->count(), 2);
    QCOMPARE(numbers->currentText(), u"1"_s);
    QCOMPARE(child<QLineEdit>(u"txt_Name"_s)->text(), u"Jörg Müller"_s);
    QCOMPARE(child<QLineEdit>(u"txt_Club"_s)->text(), u"MSC Öhringen"_s);
    QCOMPARE(child<QLabel>(u"lbl_Nr2"_s)->text(), u"1"_s);
    QCOMPARE(child<QLabel>(u"lbl_Name2"_s)->text(), u"Jörg Müller"_s);
    QCOMPARE(page(1)->cell(1, ColName), u"Lena Groß"_s);

    for (const QString &name : {u"sbSave"_s, u"sbCLS"_s, u"sbPrint"_s, u"sbInet"_s})
        QVERIFY2(child(name)->isEnabled(), qPrintable(name));
}

void TestFormMainFiles::runSaveReopenSaveGivesSameBytes()
{
    open(writeFile(u"start.txt"_s, kTwoClasses.toLatin1()));

    // Jörg drives run 1 in 23,45 with a pylon down, then run 2 in 24,00.
    QTest::mouseClick(child(u"RadioButton1"_s), Qt::LeftButton);
    child(u"txt_Name"_s)->setFocus();
    m_f->ticks.value = 1000;
    m_f->key(Qt::Key_F5);
    QTest::mouseClick(child(u"bFehl2"_s), Qt::LeftButton);
    m_f->ticks.value = 24450;
    m_f->key(Qt::Key_F5);
    m_f->key(Qt::Key_F9);
    QCOMPARE(page(0)->cell(1, ColRun1), u"23,45"_s);
    m_f->key(Qt::Key_F10);
    QCOMPARE(child<QComboBox>(u"cmb_Nr"_s)->currentText(), u"2"_s);
    child<QComboBox>(u"cmb_Nr"_s)->setCurrentIndex(0);
    QTest::mouseClick(child(u"RadioButton2"_s), Qt::LeftButton);
    m_f->ticks.value = 30000;
    m_f->key(Qt::Key_F5);
    m_f->ticks.value = 54000;
    m_f->key(Qt::Key_F5);
    m_f->key(Qt::Key_F9);
    QCOMPARE(page(0)->cell(1, ColTotal), u"49,45"_s);
    QCOMPARE(m_f->window->race().bestTimeMs(), 49450);

    const QString first = path(u"protokoll.txt"_s);
    save(first);
    const FileDialogRequest &asked = m_f->files.saveRequests.constLast();
    QCOMPARE(asked.filters, (QStringList{kTextFilter, kWordFilter, kWebFilter}));
    const QByteArray written = readAll(first);
    QVERIFY(written.startsWith("KLASSE: Bambini\r\n\r\n"));
    QVERIFY2(written.contains("\t23,45\t2\t24,00\t0\t49,45\t1\t\r\n"), written.constData());
    QVERIFY(written.contains("J\xf6rg M\xfcller"));

    QString asked2;
    answerNextQuestion(Answer::Yes, &asked2);
    m_f->files.answerOpen(first);
    m_f->key(Qt::Key_O, Qt::ControlModifier);
    QCOMPARE(asked2, u"Protokoll überschreiben?"_s);
    QCOMPARE(m_f->files.openRequests.size(), 2);
    QCOMPARE(m_f->window->race().bestTimeMs(), 49450);
    QVERIFY(child<QLabel>(u"lbl_Club2"_s)->text().contains(u"Jörg"_s));

    const QString second = path(u"wieder.txt"_s);
    save(second);
    QCOMPARE(readAll(second), written);
}

void TestFormMainFiles::overwriteQuestionOnlyWithData()
{
    QString asked;
    answerNextQuestion(Answer::No, &asked);
    m_f->key(Qt::Key_O, Qt::ControlModifier);
    QCoreApplication::processEvents();
    QVERIFY(asked.isEmpty());
    QCOMPARE(m_f->files.openRequests.size(), 1);
}

void TestFormMainFiles::overwriteNoKeepsEverything_data()
{
    QTest::addColumn<int>("answer");
    QTest::newRow("Nein") << int(Answer::No);
    QTest::newRow("Esc") << int(Answer::Escape);
}

void TestFormMainFiles::overwriteNoKeepsEverything()
{
    QFETCH(int, answer);
    const QString file = writeFile(u"p.txt"_s, kProtocolWithResults.toLatin1());
    open(file);
    const QList<QStringList> before{page(0)->row(1), page(0)->row(2)};

    QString asked;
    answerNextQuestion(Answer(answer), &asked);
    m_f->files.answerOpen(writeFile(u"other.txt"_s, kTwoClasses.toLatin1()));
    QTest::mouseClick(child(u"sbLoad"_s), Qt::LeftButton);
    QCOMPARE(asked, u"Protokoll überschreiben?"_s);
    QCOMPARE(m_f->files.openRequests.size(), 1);
    QCOMPARE((QList<QStringList>{page(0)->row(1), page(0)->row(2)}), before);
    QCOMPARE(m_f->window->race().competition().classes(), QStringList{u"Bambini"_s});
    QCOMPARE(child(u"cmb_Klasse"_s)->toolTip(), file);
}

// Loading replaces every page: a full page behind an empty one is asked for.
void TestFormMainFiles::overwriteAskedWhenAnotherPageHoldsData()
{
    open(writeFile(u"p.txt"_s, "KLASSE: A\r\nStNr\tFahrer/in\r\n1\tAnna\r\nKLASSE: B\r\nStNr\tFahrer/in\r\n"));
    QTabBar *bar = tabs()->tabBar();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(1).center());
    QTRY_COMPARE(tabs()->currentIndex(), 1);
    QVERIFY(page(1)->cell(1, ColStNr).isEmpty());

    QString asked;
    answerNextQuestion(Answer::No, &asked);
    m_f->key(Qt::Key_O, Qt::ControlModifier);
    QCOMPARE(asked, u"Protokoll überschreiben?"_s);
    QCOMPARE(page(0)->cell(1, ColName), u"Anna"_s);
}

void TestFormMainFiles::reloadEmptiesAndHidesPagesNotInTheFile()
{
    open(writeFile(u"three.txt"_s, "KLASSE: A\nStNr;Name\n1;Anna\nKLASSE: B\nStNr;Name\n2;Bea\n"
                                   "KLASSE: C\nStNr;Name\n3;Cem\n4;Dora\n5;Emil\n"));
    QVERIFY(tabs()->isTabVisible(2));
    open(writeFile(u"one.txt"_s, "KLASSE: Z\nStNr;Name\n9;Zoe\n"));

    QCOMPARE(child<QComboBox>(u"cmb_Klasse"_s)->count(), 1);
    QCOMPARE(tabs()->tabText(0), u"Z"_s);
    for (int k = 1; k < 3; ++k) {
        QVERIFY(!tabs()->isTabVisible(k));
        QCOMPARE(page(k)->rows(), 2);
        QVERIFY(page(k)->cell(1, ColName).isEmpty());
        QVERIFY(page(k)->caption().isEmpty());
    }
    // What is saved now is the new file only.
    save(path(u"out.txt"_s));
    QVERIFY(!readAll(path(u"out.txt"_s)).contains("Cem"));
}

void TestFormMainFiles::moreThanTenClasses()
{
    QByteArray bytes;
    for (int k = 1; k <= 12; ++k)
        bytes += "KLASSE: K" + QByteArray::number(k) + "\r\nStNr\tFahrer/in\r\n" + QByteArray::number(k)
                 + "\tFahrer " + QByteArray::number(k) + "\r\n";
    MessageCatcher messages;
    open(writeFile(u"many.txt"_s, bytes));

    QCOMPARE(messages.texts.size(), 1);
    QVERIFY(messages.texts[0].contains(u"K11, K12"_s));
    QVERIFY(!messages.texts[0].contains(u"K10"_s));
    QCOMPARE(child<QComboBox>(u"cmb_Klasse"_s)->count(), 10);
    QCOMPARE(m_f->window->race().competition().classes().size(), 10);
    QCOMPARE(tabs()->tabText(9), u"K10"_s);
    QCOMPARE(page(9)->cell(1, ColName), u"Fahrer 10"_s);
}

void TestFormMainFiles::unreadableFileIsReported()
{
    open(writeFile(u"p.txt"_s, kProtocolWithResults.toLatin1()));
    MessageCatcher messages;
    const QString missing = path(u"fehlt/p.txt"_s);
    open(missing);
    QCOMPARE(messages.texts, QStringList{u"Der Lesefehler der Datei: "_s + missing});
    QVERIFY(page(0)->cell(1, ColStNr).isEmpty());
    QCOMPARE(child<QComboBox>(u"cmb_Nr"_s)->findText(u"1"_s), -1);
    QVERIFY(!child(u"sbSave"_s)->isEnabled());
    QVERIFY(child(u"cmb_Klasse"_s)->toolTip().isEmpty());
}

void TestFormMainFiles::clearAsksAndKeepsDrivers()
{
    open(writeFile(u"p.txt"_s, kProtocolWithResults.toLatin1()));
    QCOMPARE(m_f->window->race().bestTimeMs(), 49450);
    const QList<QStringList> before{page(0)->row(1), page(0)->row(2)};
    auto *clear = child(u"sbCLS"_s);

    QString asked;
    answerNextQuestion(Answer::No, &asked);
    QTest::mouseClick(clear, Qt::LeftButton);
    QCOMPARE(asked, u"Ergebnisse löschen?"_s);
    QCOMPARE((QList<QStringList>{page(0)->row(1), page(0)->row(2)}), before);

    answerNextQuestion(Answer::Yes);
    QTest::mouseClick(clear, Qt::LeftButton);
    for (int r = 1; r <= 2; ++r) {
        for (int c = ColStNr; c <= ColClub; ++c)
            QCOMPARE(page(0)->cell(r, c), before[r - 1][c]);
        for (int c = ColTR; c <= ColPlace; ++c)
            QVERIFY2(page(0)->cell(r, c).trimmed().isEmpty(), qPrintable(u"row %1 column %2"_s.arg(r).arg(c)));
    }
    QCOMPARE(m_f->window->race().bestTimeMs(), 0);
    QVERIFY(clear->isEnabled());
}

void TestFormMainFiles::webPageByKeyAndPrintButton()
{
    // The key works before anything is loaded, while the button is disabled.
    QVERIFY(!child(u"sbInet"_s)->isEnabled());
    child(u"txt_Name"_s)->setFocus();
    m_f->key(Qt::Key_H, Qt::ControlModifier);
    // Before any file was chosen the page goes to the folder the program was
    // started in.
    QCOMPARE(m_f->shell.opened, QStringList{path(u"Vexilor.html"_s)});
    QVERIFY(child<QLineEdit>(u"txt_Name"_s)->text().isEmpty());

    // Then beside the file chosen last; the working folder stays as it is.
    QTemporaryDir other;
    const QString list = other.filePath(u"p.txt"_s);
    writeBytes(list, kProtocolWithResults.toLatin1());
    open(list);
    QCOMPARE(QDir::currentPath(), m_dir->path());
    child(u"txt_Name"_s)->setFocus();
    m_f->key(Qt::Key_H, Qt::ControlModifier);
    const QString written = other.filePath(u"Vexilor.html"_s);
    QVERIFY(QFile::exists(written));
    QCOMPARE(m_f->shell.opened.size(), 2);
    QCOMPARE(m_f->shell.opened.constLast(), written);
    const QByteArray html = readAll(written);
    QVERIFY(html.contains("KLASSE: Bambini"));
    QVERIFY(html.contains("49,45"));

    QTest::mouseClick(child(u"sbPrint"_s), Qt::LeftButton);
    QCOMPARE(m_f->shell.printed, QStringList{written});
    QTest::mouseClick(child(u"sbInet"_s), Qt::LeftButton);
    QCOMPARE(m_f->shell.opened.size(), 3);
}

void TestFormMainFiles::failedSaveKeepsOldFileAndSaysSo_data()
{
    QTest::addColumn<int>("filterIndex");
    QTest::addColumn<bool>("oldFile");
    QTest::newRow("text, missing folder") << 1 << false;
    QTest::newRow("text, old file") << 1 << true;
    QTest::newRow("web page, missing folder") << 3 << false;
    QTest::newRow("web page, old file") << 3 << true;
}

void TestFormMainFiles::failedSaveKeepsOldFileAndSaysSo()
{
    QFETCH(int, filterIndex);
    QFETCH(bool, oldFile);
    open(writeFile(u"p.txt"_s, kProtocolWithResults.toLatin1()));
    const QByteArray old = "alt";
    // The typed extension decides the type: the name fits the entry.
    const QString extension = filterIndex == 3 ? u"html"_s : u"txt"_s;
    const QString target = oldFile ? writeFile(u"alt."_s + extension, old) : path(u"fehlt/p."_s + extension);

    MessageCatcher messages;
    {
        std::optional<FileSizeLimit> limit;
        if (oldFile)
            limit.emplace(16);
        save(target, filterIndex);
    }
    QCOMPARE(messages.texts, QStringList{u"Der Schreibfehler der Datei: "_s + target});
    if (oldFile)
        QCOMPARE(readAll(target), old);
    else
        QVERIFY(!QFile::exists(target));
    // No half-written file is left behind either.
    const QStringList files = QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden);
    QCOMPARE(files, (oldFile ? QStringList{u"alt."_s + extension, u"p.txt"_s} : QStringList{u"p.txt"_s}));
}

// The page can't be written: the operator is told, and an older page of
// the same name is still printed.
void TestFormMainFiles::failedPagePrintsOlderPage()
{
    open(writeFile(u"p.txt"_s, kProtocolWithResults.toLatin1()));
    const QByteArray older = "<html>alt</html>";
    writeFile(u"Vexilor.html"_s, older);
    MessageCatcher messages;
    {
        FileSizeLimit limit(32);
        QTest::mouseClick(child(u"sbPrint"_s), Qt::LeftButton);
    }
    QCOMPARE(messages.texts, QStringList{u"Der Schreibfehler der Datei: "_s + path(u"Vexilor.html"_s)});
    QCOMPARE(m_f->shell.printed, QStringList{path(u"Vexilor.html"_s)});
    QCOMPARE(readAll(path(u"Vexilor.html"_s)), older);
}

void TestFormMainFiles::wordEntryWithoutWordProcessorWritesNothing()
{
    open(writeFile(u"p.txt"_s, kProtocolWithResults.toLatin1()));
    MessageCatcher messages;
    const QString target = path(u"bericht.doc"_s);
    save(target, 2);
    QCOMPARE(m_f->files.saveRequests.constLast().filters, (QStringList{kTextFilter, kWordFilter, kWebFilter}));
    // The word processor is optional: without it there is no document and
    // nothing to tell.
    QVERIFY(messages.texts.isEmpty());
    QVERIFY(!QFile::exists(target));
    QCOMPARE(m_f->window->race().settings().FilterInd, 2);
}

void TestFormMainFiles::officeEntriesDispatchByFileType()
{
    OfficeWindow w;
    w.office.sheets = {workbookSheet(u"Bambini"_s, {u"Jörg Müller"_s})};
    w.files.answerOpen(path(u"start.xlsx"_s), 2);
    QTest::mouseClick(w.window->findChild<QWidget *>(u"sbLoad"_s), Qt::LeftButton);
    QCOMPARE(w.files.openRequests.constLast().filters, (QStringList{kTextFilter, kExcelOpenFilter}));
    QVERIFY(w.office.log.calls.contains(u"WorkBooks.Open("_s + path(u"start.xlsx"_s) + u")"_s));

    // A name without an extension gets the entry's.
    w.office.log.calls.clear();
    w.files.answerSave(path(u"a"_s), 2);
    w.window->findChild<QAction *>(u"Save"_s)->trigger();
    QCOMPARE(w.files.saveRequests.constLast().filters, (QStringList{kTextFilter, kExcelSaveFilter, kWordFilter, kWebFilter}));
    QCOMPARE(w.office.log.calls.mid(w.office.log.calls.size() - 2), (QStringList{u"SaveAs("_s + path(u"a.xlsx"_s) + u")"_s, u"Quit"_s}));
    w.files.answerSave(path(u"b"_s), 3);
    w.window->findChild<QAction *>(u"Save"_s)->trigger();
    QCOMPARE(w.office.log.calls.mid(w.office.log.calls.size() - 2),
             (QStringList{u"FileSaveAs("_s + path(u"b.doc"_s) + u")"_s, u"AppClose"_s}));

    const qsizetype calls = w.office.log.calls.size();
    w.files.answerSave(path(u"seite"_s), 4);
    w.window->findChild<QAction *>(u"Save"_s)->trigger();
    QVERIFY(readAll(path(u"seite.html"_s)).startsWith("<HTML>"));
    QCOMPARE(w.office.log.calls.size(), calls);
    QVERIFY(!QFile::exists(path(u"seite"_s)));
}

void TestFormMainFiles::workbookImportEndsLikeLoading()
{
    OfficeWindow w;
    w.office.sheets = {workbookSheet(u"Bambini"_s, {u"Jörg Müller"_s, u"Anna Weiß"_s}),
                       workbookSheet(u"Junioren"_s, {u"Ina Kurz"_s})};
    QStringList progress;
    const auto seen = [&](const QString &what) {
        progress.append(what + (w.splash->isVisible() ? u" shown "_s : u" hidden "_s) + w.splash->windowTitle());
    };
    connect(&w.window->race(), &Race::progressChanged, this, [&](int value) { seen(QString::number(value)); });
    connect(&w.window->race(), &Race::progressClosed, this, [&] { seen(u"closed"_s); });

    w.files.answerOpen(path(u"start.xlsx"_s), 2);
    w.window->findChild<QAction *>(u"Load"_s)->trigger();

    QCOMPARE(progress, (QStringList{u"0 hidden "_s, u"1 shown öffnen: start.xlsx"_s, u"2 shown öffnen: start.xlsx"_s,
                                    u"2 shown öffnen: start.xlsx"_s, u"closed hidden öffnen: start.xlsx"_s}));
    auto *classes = w.window->findChild<QComboBox *>(u"cmb_Klasse"_s);
    QCOMPARE(classes->count(), 2);
    QCOMPARE(classes->currentText(), u"Bambini"_s);
    QVERIFY(!classes->isEditable());
    QCOMPARE(classes->toolTip(), path(u"start.xlsx"_s));
    QCOMPARE(w.window->findChild<QComboBox *>(u"cmb_Nr"_s)->currentText(), u"10"_s);
    QCOMPARE(w.window->findChild<QLineEdit *>(u"txt_Name"_s)->text(), u"Jörg Müller"_s);
    QVERIFY(w.window->findChild<QWidget *>(u"sbSave"_s)->isEnabled());
    QVERIFY(w.window->findChild<QWidget *>(u"sbExcel"_s)->isEnabled());
}

void TestFormMainFiles::failedWorkbookImportIsReported()
{
    OfficeWindow w;
    w.office.sheets = {workbookSheet(u"A"_s, {u"X"_s}), workbookSheet(u"B"_s, {u"Y"_s})};
    w.office.log.failOn = u"WorkSheets(2).Range"_s;
    MessageCatcher messages;
    w.files.answerOpen(path(u"start.xlsx"_s), 2);
    w.window->findChild<QAction *>(u"Load"_s)->trigger();
    QCOMPARE(messages.texts.size(), 1);
    QVERIFY(messages.texts[0].contains(u"unverändert"_s));
    QVERIFY(!w.splash->isVisible());
    QVERIFY(w.window->race().competition().classes().isEmpty());
    QVERIFY(w.window->findChild<QComboBox *>(u"cmb_Klasse"_s)->toolTip().isEmpty());
}

void TestFormMainFiles::officeButtonsFollowRegisteredServers()
{
    for (bool registered : {true, false}) {
        OfficeWindow w;
        w.office.registered = registered;
        w.files.answerOpen(writeFile(u"p.txt"_s, kProtocolWithResults.toLatin1()), 1);
        w.window->findChild<QAction *>(u"Load"_s)->trigger();
        QVERIFY(w.window->findChild<QWidget *>(u"sbSave"_s)->isEnabled());
        QCOMPARE(w.window->findChild<QWidget *>(u"sbExcel"_s)->isEnabled(), registered);
        QCOMPARE(w.window->findChild<QWidget *>(u"sbWord"_s)->isEnabled(), registered);
        QCOMPARE(w.window->findChild<QWidget *>(u"sbExcel"_s)->toolTip(), u"[Ctrl+E] Datei in MS Excel"_s);
        QCOMPARE(w.window->findChild<QWidget *>(u"sbWord"_s)->toolTip(), u"[Ctrl+W] Datei in MS Word"_s);
    }
}

void TestFormMainFiles::showInSpreadsheetAndWordProcessorByKeys()
{
    OfficeWindow w;
    w.files.answerOpen(writeFile(u"p.txt"_s, kProtocolWithResults.toLatin1()), 1);
    w.window->findChild<QAction *>(u"Load"_s)->trigger();

    w.office.log.calls.clear();
    w.window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(w.window.get()));
    QWidget *target = QApplication::focusWidget() ? QApplication::focusWidget() : w.window.get();
    QTest::keyClick(target, Qt::Key_E, Qt::ControlModifier);
    QVERIFY(!w.office.log.calls.isEmpty());
    QVERIFY(!w.office.log.calls.filter(u"SaveAs"_s).size());
    QCOMPARE(w.office.log.calls.constLast(), u"Visible:=true"_s);
    QVERIFY(!w.splash->isVisible());

    w.office.log.calls.clear();
    QTest::mouseClick(w.window->findChild<QWidget *>(u"sbWord"_s), Qt::LeftButton);
    QCOMPARE(w.office.log.calls.value(1), u"AppMaximize"_s);
    // Saved under the date stamp beside the last file chosen.
    static const QRegularExpression stamp(u"/\\d{4}-\\d\\d-\\d\\d-\\d\\d-\\d\\d\\.doc\\)$"_s);
    const QString saved = w.office.log.calls.constLast();
    QVERIFY2(saved.startsWith(u"FileSaveAs("_s + m_dir->path()) && stamp.match(saved).hasMatch(), qPrintable(saved));
}

void TestFormMainFiles::filterIndexesSurviveRestart()
{
    RegFileBackend backend(path(u"Vexilor.reg"_s));
    {
        OfficeWindow w(&backend);
        QCOMPARE(w.window->race().settings().FilterInd, 1);
        w.files.answerSave(path(u"a.html"_s), 4);
        w.window->findChild<QAction *>(u"Save"_s)->trigger();
        w.files.answerOpen(path(u"s.xls"_s), 2);
        w.window->findChild<QAction *>(u"Load"_s)->trigger();
        // A cancelled dialog keeps the entry.
        w.window->findChild<QAction *>(u"Save"_s)->trigger();
        answerNextQuestion(Answer::Yes);
        QVERIFY(w.window->close());
    }
    OfficeWindow again(&backend);
    QCOMPARE(again.window->race().settings().FilterInd, 4);
    QCOMPARE(again.window->race().settings().FilterIndO, 2);
    again.window->findChild<QAction *>(u"Save"_s)->trigger();
    again.window->findChild<QAction *>(u"Load"_s)->trigger();
    QCOMPARE(again.files.saveRequests.constLast().filterIndex, 4);
    QCOMPARE(again.files.openRequests.constLast().filterIndex, 2);
}

// Drivers recorded without a start list belong to the first page, which has
// no class-list entry; saving must keep them all the same.
void TestFormMainFiles::handEnteredDriversAreSaved()
{
    child<QComboBox>(u"cmb_Nr"_s)->setEditText(u"7"_s);
    child<QLineEdit>(u"txt_Name"_s)->setText(u"Hans Öller"_s);
    m_f->ticks.value = 0;
    m_f->key(Qt::Key_F5);
    m_f->ticks.value = 31000;
    m_f->key(Qt::Key_F5);
    m_f->key(Qt::Key_F9);
    QCOMPARE(page(0)->cell(1, ColName), u"Hans Öller"_s);

    const QString file = path(u"hand.txt"_s);
    save(file);
    const QByteArray bytes = readAll(file);
    QVERIFY(bytes.startsWith("KLASSE: Fahrer\r\n\r\n"));
    QVERIFY(bytes.contains("7\tHans \xd6ller\t"));
    QVERIFY(m_f->window->race().competition().classes().isEmpty());
    QVERIFY(child<QComboBox>(u"cmb_Klasse"_s)->isEditable());
    QCOMPARE(child<QComboBox>(u"cmb_Klasse"_s)->count(), 0);

    open(file);
    QCOMPARE(m_f->window->race().competition().classes(), QStringList{u"Fahrer"_s});
    QCOMPARE(page(0)->cell(1, ColTR), u"31,00"_s);
}

void TestFormMainFiles::typedExtensionDecidesTheFileType_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("filterIndex");  // without a spreadsheet: 1 text, 2 Word, 3 web page
    QTest::addColumn<QString>("written");
    QTest::addColumn<QByteArray>("begins");
    QTest::newRow("web page typed, text chosen") << u"ergebnis.html"_s << 1 << u"ergebnis.html"_s << QByteArray("<HTML>");
    QTest::newRow("text typed, web page chosen") << u"protokoll.txt"_s << 3 << u"protokoll.txt"_s << QByteArray("KLASSE:");
    QTest::newRow("capitals") << u"PROTOKOLL.TXT"_s << 3 << u"PROTOKOLL.TXT"_s << QByteArray("KLASSE:");
    QTest::newRow("no extension: the chosen one") << u"ergebnis"_s << 3 << u"ergebnis.html"_s << QByteArray("<HTML>");
    QTest::newRow("foreign extension kept, chosen one added")
        << u"lauf.v2"_s << 1 << u"lauf.v2.txt"_s << QByteArray("KLASSE:");
}

void TestFormMainFiles::typedExtensionDecidesTheFileType()
{
    QFETCH(QString, typed);
    QFETCH(int, filterIndex);
    QFETCH(QString, written);
    QFETCH(QByteArray, begins);
    open(writeFile(u"p.txt"_s, kProtocolWithResults.toLatin1()));
    save(path(typed), filterIndex);
    QCOMPARE(m_f->files.saveRequests.last().filters.size(), 3);
    QVERIFY2(readAll(path(written)).startsWith(begins), qPrintable(written));
    if (written != typed)
        QVERIFY(!QFile::exists(path(typed)));
}

void TestFormMainFiles::printerErrorIsReported()
{
    open(writeFile(u"p.txt"_s, kProtocolWithResults.toLatin1()));
    m_f->shell.printError = u"Der Drucker meldet einen Fehler: Büro"_s;
    MessageCatcher messages;
    QTest::mouseClick(child(u"sbPrint"_s), Qt::LeftButton);
    QCOMPARE(m_f->shell.printed.size(), 1);
    QTRY_COMPARE(messages.texts, QStringList{*m_f->shell.printError});
}

// Class names and paths come from files: a box shows them as they are, never
// as markup, and no longer than it can lay out at once.
void TestFormMainFiles::messagesShowFileTextsPlainAndCut()
{
    QByteArray bytes;
    for (int k = 1; k <= 10; ++k)
        bytes += "KLASSE: K" + QByteArray::number(k) + "\r\nStNr\tFahrer/in\r\n1\tA\r\n";
    bytes += "KLASSE: <b>Fett</b>" + QByteArray(15000, 'x') + "\r\nStNr\r\n";
    QList<Qt::TextFormat> formats;
    QList<qsizetype> lengths;
    QTimer catcher;
    catcher.setInterval(10);
    QObject::connect(&catcher, &QTimer::timeout, [&] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            formats.append(box->textFormat());
            lengths.append(box->text().size());
            box->done(QMessageBox::Ok);
        }
    });
    catcher.start();
    open(writeFile(u"lang.txt"_s, bytes));
    QTRY_COMPARE(formats.size(), 1);
    QCOMPARE(formats[0], Qt::PlainText);
    QVERIFY(lengths[0] <= kMessageTextLimit);
}

void TestFormMainFiles::hostileFileIsRefusedAndLoadsNothing()
{
    open(writeFile(u"p.txt"_s, kProtocolWithResults.toLatin1()));
    const QStringList classes = m_f->window->race().competition().classes();
    MessageCatcher messages;
    const QString hostile = writeFile(u"zufall.bin"_s, QByteArray::fromHex("ef69200000000000c3bc4b4c415353453a"));
    open(hostile);
    QCOMPARE(messages.texts,
             QStringList{u"Die Datei ist keine Textdatei (Steuerzeichen in Zeile 1) und wird nicht geladen: "_s + hostile});
    QCOMPARE(m_f->window->race().competition().classes(), classes);
    QVERIFY(!page(0)->cell(1, ColStNr).isEmpty());
}

QTEST_MAIN(TestFormMainFiles)
void TestFormMainFiles::protocolBarHints_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("hint");
    QTest::addColumn<int>("tag"); // -1: none

    QTest::newRow("save") << u"sbSave"_s << u"[Ctrl+S] Speichern unter..."_s << -1;
    QTest::newRow("open") << u"sbLoad"_s << u"[Ctrl+O] Starterliste oder gespeichertes Protokoll \u00f6ffnen"_s << -1;
    QTest::newRow("clear") << u"sbCLS"_s << u"[F8] Ergebnisse l\u00f6schen"_s << -1;
    QTest::newRow("web page") << u"sbInet"_s << u"[Ctrl+H] Als Webseite"_s << 0;
    QTest::newRow("print") << u"sbPrint"_s << u"Drucken"_s << 1;
}

void TestFormMainFiles::protocolBarHints()
{
    QFETCH(QString, name);
    QFETCH(QString, hint);
    QFETCH(int, tag);
    QWidget *button = child(name);
    QVERIFY(button);
    QCOMPARE(button->toolTip(), hint);
    if (tag >= 0)
        QCOMPARE(button->property("tag").toInt(), tag);
    QCOMPARE(child<QLabel>(u"lbl_Protokoll"_s)->text(), u"PROTOKOLL"_s);
}

// Qt's own dialogs, answered the way an operator would: the entry chosen from
// the filter list comes back as its number, whatever the start entry was.
void TestFormMainFiles::realFileDialogs()
{
    DialogFileChooser chooser;
    const QStringList filters{kTextFilter, kWordFilter, kWebFilter};

    FileDialogRequest save;
    save.caption = u"Speichern unter"_s;
    save.folder = m_dir->path();
    save.fileName = u"Vexilor"_s;
    save.filters = filters;
    save.filterIndex = 3;
    QString seen;
    QTimer::singleShot(0, this, [&] {
        auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        // Asserting here would leave the dialog open; the answer is read
        // after it has closed.
        seen = dialog->objectName() + u' ' + dialog->selectedNameFilter() + u' ' + dialog->defaultSuffix()
               + (dialog->acceptMode() == QFileDialog::AcceptSave ? u" save"_s : u" open"_s)
               + (dialog->testOption(QFileDialog::DontConfirmOverwrite) ? u""_s : u" asks"_s);
        dialog->selectNameFilter(kWordFilter);
        dialog->selectFile(path(u"bericht.doc"_s));
        QMetaObject::invokeMethod(dialog, "accept");
    });
    std::optional<FileChoice> chosen = chooser.chooseSave(nullptr, save);
    QCOMPARE(seen, u"SaveDialog1 "_s + kWebFilter + u"  save asks"_s);
    QVERIFY(chosen);
    QCOMPARE(chosen->filterIndex, 2);
    QCOMPARE(QFileInfo(chosen->path).fileName(), u"bericht.doc"_s);

    const QString existing = writeFile(u"start.txt"_s, "KLASSE: A\r\n");
    FileDialogRequest open = save;
    open.caption = u"\u00d6ffnen"_s;
    open.filters = {kTextFilter};
    open.filterIndex = 7; // stored when the list was longer
    open.defaultSuffix = u"txt"_s;
    seen.clear();
    QTimer::singleShot(0, this, [&] {
        auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        seen = dialog->objectName() + u' ' + dialog->selectedNameFilter() + u' ' + dialog->defaultSuffix()
               + (dialog->fileMode() == QFileDialog::ExistingFile ? u" existing"_s : u" any"_s);
        dialog->selectFile(existing);
        QMetaObject::invokeMethod(dialog, "accept");
    });
    chosen = chooser.chooseOpen(nullptr, open);
    QCOMPARE(seen, u"OpenDialog1 "_s + kTextFilter + u" txt existing"_s);
    QVERIFY(chosen);
    QCOMPARE(chosen->filterIndex, 1);
    QCOMPARE(QFileInfo(chosen->path).canonicalFilePath(), QFileInfo(existing).canonicalFilePath());

    // Cancelled: no choice.
    QTimer::singleShot(0, this, [] {
        if (QWidget *dialog = QApplication::activeModalWidget())
            QMetaObject::invokeMethod(dialog, "reject");
    });
    QVERIFY(!chooser.chooseOpen(nullptr, open));
}

#include "test_formmain_files.moc"
