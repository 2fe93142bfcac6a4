// The file commands of the real main window: opening, saving in every file
// type, the web page, printing and clearing, driven through keys and buttons
// with the file dialogs and the shell faked. What the files hold and what
// loading does to the pages are tested with the formats and the race; here
// the dialogs, the questions, the messages and what the window shows.
#include "mainwindowfixture.h"

#include "text/messagetext.h"
#include "../office/fakeautomation.h"
#include "../support/filesizelimit.h"
#include "app/progresswindow.h"
#include "results/competition.h"
#include "results/resultpage.h"

#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QRegularExpression>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>

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
            formats.append(box->textFormat());
            box->done(QMessageBox::Ok);
        });
        m_timer.start();
    }
    QStringList texts;
    QList<Qt::TextFormat> formats;

private:
    QTimer m_timer;
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

// A main window whose machine has the spreadsheet and word processor, with
// its progress window.
struct OfficeWindow
{
    vex::testing::FakeServers office;
    MainWindowFixture f{nullptr, {}, [this](StationServices &s) { s.office = &office; }};
    TFormMain *window = f.window.get();
    FakeFileChooser &files = f.files;
    ProgressWindow *progress = new ProgressWindow(window);

    OfficeWindow() { window->attachWindows(progress, nullptr, nullptr, nullptr, nullptr); }
    template <typename T = QWidget>
    T *child(const QString &name) const { return f.child<T>(name); }
    void trigger(const QString &action) const { f.child<QAction>(action)->trigger(); }
};

} // namespace

class TestFormMainFiles : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void openStartList();
    void saveAndReopenByKeys();
    void loadAsksBeforeOverwriting_data();
    void loadAsksBeforeOverwriting();
    void reloadHidesTabsNotInTheFile();
    void loadFailureIsReported_data();
    void loadFailureIsReported();
    void clearAsksAndKeepsDrivers();
    void webPageByKeyAndPrintButton();
    void failedSaveIsReported_data();
    void failedSaveIsReported();
    void failedPagePrintsOlderPage();
    void officeEntriesDispatchByFileType();
    void workbookImportEndsLikeLoading();
    void failedWorkbookImportIsReported();
    void officeButtonsFollowRegisteredServers();
    void showInSpreadsheetAndWordProcessorByKeys();
    void fileTypeChoicesAreKept();
    void handEnteredDriversAreSaved();
    void protocolBarHints_data();
    void protocolBarHints();
    void typedExtensionDecidesTheFileType();
    void printerErrorIsReported();
    void messagesShowFileTextsPlainAndCut();

private:
    QString path(const QString &name) const { return m_dir->filePath(name); }
    QString writeFile(const QString &name, const QByteArray &bytes);
    void open(const QString &file, Answer overwrite = Answer::Yes);
    void save(const QString &file, int filterIndex = 1);
    void focusNameField();
    template <typename T = QWidget>
    T *child(const QString &name) const { return m_f->child<T>(name); }
    const ResultPage *page(int k) const { return m_f->window->race().competition().page(k); }
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

// Ctrl+O asks for a start list; the classes, tabs, start numbers and the
// first driver show. (Separators, encodings and line ends:
// TestProtocolText::fieldSplitting, encodingOfStartLists, lineEndsBlankLinesAndCtrlZ.)
void TestFormMainFiles::openStartList()
{
    const QString file = writeFile(u"start.txt"_s, kTwoClasses.toLatin1());
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

    for (const QString &name : {u"sbSave"_s, u"sbCLS"_s, u"sbPrint"_s, u"sbInet"_s})
        QVERIFY2(child(name)->isEnabled(), qPrintable(name));
}

// Ctrl+S writes the protocol the dialog names; Ctrl+O over results asks, and
// "Ja" loads it again. (A run from the start list to the saved protocol:
// TestRaceEntry::wholeCycleOfThreeDrivers; saving what was loaded gives the
// same bytes: TestProtocolFile::saveLoadSaveThroughFiles.)
void TestFormMainFiles::saveAndReopenByKeys()
{
    const QString list = writeFile(u"p.txt"_s, kProtocolWithResults.toLatin1());
    open(list);
    QCOMPARE(m_f->window->race().bestTimeMs(), 49450);

    const QString saved = path(u"protokoll.txt"_s);
    save(saved);
    QCOMPARE(m_f->files.saveRequests.constLast().filters, (QStringList{kTextFilter, kWordFilter, kWebFilter}));
    // The day's first save offers the documents, never the program's folder
    // and name (the program file itself).
    QCOMPARE(m_f->files.saveRequests.constFirst().folder, documentsFolder());
    QCOMPARE(m_f->files.saveRequests.constFirst().fileName,
             firstSaveName(m_f->window->race().settings().Title, QDate::currentDate()));
    QCOMPARE(firstSaveName(u" Kart/Slalom: \"Süd\" "_s, QDate(2026, 5, 17)), u"Kart_Slalom_ _Süd_ 2026-05-17"_s);
    QCOMPARE(readAll(saved), readAll(list));

    QString asked;
    answerNextQuestion(Answer::Yes, &asked);
    m_f->files.answerOpen(saved);
    m_f->key(Qt::Key_O, Qt::ControlModifier);
    QCOMPARE(asked, u"Protokoll überschreiben?"_s);
    QCOMPARE(m_f->files.openRequests.size(), 2);
    QCOMPARE(child(u"cmb_Klasse"_s)->toolTip(), saved);
    QVERIFY(child<QLabel>(u"lbl_Club2"_s)->text().contains(u"Jörg"_s));
}

// Loading replaces every page: it asks while any page holds drivers, a full
// page behind an empty one too, and "Nein" or Esc keep everything. (Which
// pages hold data: TestRacePages::anyPageHoldsDataLooksAtEveryPage.)
void TestFormMainFiles::loadAsksBeforeOverwriting_data()
{
    QTest::addColumn<bool>("loaded");
    QTest::addColumn<int>("tab");
    QTest::addColumn<int>("answer");
    QTest::newRow("nothing to lose: not asked") << false << 0 << int(Answer::No);
    QTest::newRow("Nein") << true << 0 << int(Answer::No);
    QTest::newRow("Esc") << true << 0 << int(Answer::Escape);
    QTest::newRow("another page holds data") << true << 1 << int(Answer::No);
}

void TestFormMainFiles::loadAsksBeforeOverwriting()
{
    QFETCH(bool, loaded);
    QFETCH(int, tab);
    QFETCH(int, answer);
    const QString file = writeFile(u"p.txt"_s, "KLASSE: A\r\nStNr\tFahrer/in\r\n1\tAnna\r\nKLASSE: B\r\nStNr\tFahrer/in\r\n");
    if (loaded)
        open(file);
    if (tab > 0) {
        QTabBar *bar = tabs()->tabBar();
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(tab).center());
        QTRY_COMPARE(tabs()->currentIndex(), tab);
    }
    focusNameField();
    const qsizetype dialogs = m_f->files.openRequests.size();

    QString asked;
    answerNextQuestion(Answer(answer), &asked);
    m_f->files.answerOpen(writeFile(u"other.txt"_s, kTwoClasses.toLatin1()));
    QTest::mouseClick(child(u"sbLoad"_s), Qt::LeftButton);
    QCoreApplication::processEvents();
    if (!loaded) {
        QVERIFY(asked.isEmpty());
        QCOMPARE(m_f->files.openRequests.size(), dialogs + 1);
        return;
    }
    QCOMPARE(asked, u"Protokoll überschreiben?"_s);
    QCOMPARE(m_f->files.openRequests.size(), dialogs);
    QCOMPARE(page(0)->cell(1, ColName), u"Anna"_s);
    QCOMPARE(m_f->window->race().competition().classes(), (QStringList{u"A"_s, u"B"_s}));
    QCOMPARE(child(u"cmb_Klasse"_s)->toolTip(), file);
}

// Tabs of classes the new file doesn't have go. (The pages emptied:
// TestRacePages::loadReplacesAllPagesAndChoosesFirstDriver.)
void TestFormMainFiles::reloadHidesTabsNotInTheFile()
{
    open(writeFile(u"three.txt"_s, "KLASSE: A\nStNr;Name\n1;Anna\nKLASSE: B\nStNr;Name\n2;Bea\n"
                                   "KLASSE: C\nStNr;Name\n3;Cem\n"));
    QVERIFY(tabs()->isTabVisible(2));
    open(writeFile(u"one.txt"_s, "KLASSE: Z\nStNr;Name\n9;Zoe\n"));
    QCOMPARE(child<QComboBox>(u"cmb_Klasse"_s)->count(), 1);
    QCOMPARE(tabs()->tabText(0), u"Z"_s);
    QVERIFY(!tabs()->isTabVisible(1));
    QVERIFY(!tabs()->isTabVisible(2));
}

// A file that can't be read or is no text file is reported in a box. (What
// either leaves of the pages: TestRacePages::unreadableFileLeavesAnEmptyFirstPage,
// TestProtocolFile::refusedFileLoadsNothing.)
void TestFormMainFiles::loadFailureIsReported_data()
{
    QTest::addColumn<bool>("missing");
    QTest::addColumn<QString>("message");
    QTest::newRow("missing") << true << u"Der Lesefehler der Datei: "_s;
    QTest::newRow("not a text file") << false
                                     << u"Die Datei ist keine Textdatei (Steuerzeichen in Zeile 1) und wird nicht geladen: "_s;
}

void TestFormMainFiles::loadFailureIsReported()
{
    QFETCH(bool, missing);
    QFETCH(QString, message);
    const QString loaded = writeFile(u"p.txt"_s, kProtocolWithResults.toLatin1());
    open(loaded);
    MessageCatcher messages;
    const QString file = missing ? path(u"fehlt/p.txt"_s)
                                 : writeFile(u"zufall.bin"_s, QByteArray::fromHex("ef69200000000000c3bc4b4c415353453a"));
    open(file);
    QCOMPARE(messages.texts, QStringList{message + file});
    // A missing file empties the first page: nothing is left to save.
    QCOMPARE(child<QComboBox>(u"cmb_Nr"_s)->findText(u"1"_s) >= 0, !missing);
    QCOMPARE(child(u"sbSave"_s)->isEnabled(), !missing);
    // The class selector still names the list that stays loaded.
    QCOMPARE(child(u"cmb_Klasse"_s)->toolTip(), missing ? QString() : loaded);
}

// F8's button asks; "Nein" keeps the results. (What clearing keeps:
// TestRacePages::clearKeepsDriversAndBestTimeGoes.)
void TestFormMainFiles::clearAsksAndKeepsDrivers()
{
    open(writeFile(u"p.txt"_s, kProtocolWithResults.toLatin1()));
    const QList<QStringList> before{page(0)->row(1), page(0)->row(2)};
    auto *clear = child(u"sbCLS"_s);

    QString asked;
    answerNextQuestion(Answer::No, &asked);
    QTest::mouseClick(clear, Qt::LeftButton);
    QCOMPARE(asked, u"Ergebnisse löschen?"_s);
    QCOMPARE((QList<QStringList>{page(0)->row(1), page(0)->row(2)}), before);

    answerNextQuestion(Answer::Yes);
    QTest::mouseClick(clear, Qt::LeftButton);
    QCOMPARE(page(0)->cell(1, ColName), before[0][ColName]);
    QVERIFY(page(0)->cell(1, ColTotal).trimmed().isEmpty());
    QCOMPARE(child<QLabel>(u"lbl_Club2"_s)->text(), QString());
    QVERIFY(clear->isEnabled());
}

// The page goes to the folder the program was started in, then beside the
// file chosen last. (What the page holds: TestHtmlReport.)
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
    QVERIFY(readAll(written).contains("49,45"));

    QTest::mouseClick(child(u"sbPrint"_s), Qt::LeftButton);
    QCOMPARE(m_f->shell.printed, QStringList{written});
    QTest::mouseClick(child(u"sbInet"_s), Qt::LeftButton);
    QCOMPARE(m_f->shell.opened.size(), 3);
}

// A protocol or page that can't be written is reported in a box. The word
// processor is optional: without it the Word entry writes no document and
// has nothing to tell. (The older file kept, nothing half-written left:
// TestRacePages::failedSaveKeepsTheOldFile.)
void TestFormMainFiles::failedSaveIsReported_data()
{
    QTest::addColumn<int>("filterIndex");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("message");
    QTest::newRow("text") << 1 << u"fehlt/p.txt"_s << u"Der Schreibfehler der Datei: "_s;
    QTest::newRow("web page") << 3 << u"fehlt/p.html"_s << u"Der Schreibfehler der Datei: "_s;
    QTest::newRow("Word without a word processor") << 2 << u"bericht.doc"_s << QString();
}

void TestFormMainFiles::failedSaveIsReported()
{
    QFETCH(int, filterIndex);
    QFETCH(QString, name);
    QFETCH(QString, message);
    open(writeFile(u"p.txt"_s, kProtocolWithResults.toLatin1()));
    const QString target = path(name);
    MessageCatcher messages;
    save(target, filterIndex);
    QCOMPARE(messages.texts, message.isNull() ? QStringList() : QStringList{message + target});
    QVERIFY(!QFile::exists(target));
}

// The page can't be written: the operator is told, and an older page of
// the same name is still printed.
void TestFormMainFiles::failedPagePrintsOlderPage()
{
    VEX_REQUIRE_FILE_SIZE_LIMIT();
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

void TestFormMainFiles::officeEntriesDispatchByFileType()
{
    OfficeWindow w;
    w.office.sheets = {workbookSheet(u"Bambini"_s, {u"Jörg Müller"_s})};
    w.files.answerOpen(path(u"start.xlsx"_s), 2);
    QTest::mouseClick(w.child<QWidget>(u"sbLoad"_s), Qt::LeftButton);
    QCOMPARE(w.files.openRequests.constLast().filters, (QStringList{kTextFilter, kExcelOpenFilter}));
    QVERIFY(w.office.log.calls.contains(u"WorkBooks.Open("_s + path(u"start.xlsx"_s) + u")"_s));

    // A name without an extension gets the entry's.
    w.office.log.calls.clear();
    w.files.answerSave(path(u"a"_s), 2);
    w.trigger(u"Save"_s);
    QCOMPARE(w.files.saveRequests.constLast().filters, (QStringList{kTextFilter, kExcelSaveFilter, kWordFilter, kWebFilter}));
    QCOMPARE(w.office.log.calls.mid(w.office.log.calls.size() - 2), (QStringList{u"SaveAs("_s + path(u"a.xlsx"_s) + u")"_s, u"Quit"_s}));
    w.files.answerSave(path(u"b"_s), 3);
    w.trigger(u"Save"_s);
    QCOMPARE(w.office.log.calls.mid(w.office.log.calls.size() - 2),
             (QStringList{u"FileSaveAs("_s + path(u"b.doc"_s) + u")"_s, u"AppClose"_s}));

    const qsizetype calls = w.office.log.calls.size();
    w.files.answerSave(path(u"seite"_s), 4);
    w.trigger(u"Save"_s);
    QVERIFY(readAll(path(u"seite.html"_s)).startsWith("<HTML>"));
    QCOMPARE(w.office.log.calls.size(), calls);
    QVERIFY(!QFile::exists(path(u"seite"_s)));
}

// A workbook's start list reaches the window like a text file's (what that
// shows: openStartList), with the progress window shown while it is read.
// (The class and driver chosen: TestRaceOffice::importChoosesFirstClassAndDriver.)
void TestFormMainFiles::workbookImportEndsLikeLoading()
{
    OfficeWindow w;
    w.office.sheets = {workbookSheet(u"Bambini"_s, {u"Jörg Müller"_s, u"Anna Weiß"_s}),
                       workbookSheet(u"Junioren"_s, {u"Ina Kurz"_s})};
    QStringList progress;
    const auto seen = [&](const QString &what) {
        progress.append(what + (w.progress->isVisible() ? u" shown "_s : u" hidden "_s) + w.progress->windowTitle());
    };
    connect(&w.f.station->files(), &RaceFiles::progressChanged, this, [&](int value) { seen(QString::number(value)); });
    connect(&w.f.station->files(), &RaceFiles::progressClosed, this, [&] { seen(u"closed"_s); });

    w.files.answerOpen(path(u"start.xlsx"_s), 2);
    w.trigger(u"Load"_s);

    QCOMPARE(progress, (QStringList{u"0 hidden "_s, u"1 shown öffnen: start.xlsx"_s, u"2 shown öffnen: start.xlsx"_s,
                                    u"2 shown öffnen: start.xlsx"_s, u"closed hidden öffnen: start.xlsx"_s}));
    QCOMPARE(w.child<QComboBox>(u"cmb_Klasse"_s)->count(), 2);
    QCOMPARE(w.child(u"cmb_Klasse"_s)->toolTip(), path(u"start.xlsx"_s));
}

// (The competition left as it was: TestExcelExchange::importFailureLeavesCompetition.)
void TestFormMainFiles::failedWorkbookImportIsReported()
{
    OfficeWindow w;
    w.office.sheets = {workbookSheet(u"A"_s, {u"X"_s}), workbookSheet(u"B"_s, {u"Y"_s})};
    w.office.log.failOn = u"WorkSheets(2).Range"_s;
    MessageCatcher messages;
    w.files.answerOpen(path(u"start.xlsx"_s), 2);
    w.trigger(u"Load"_s);
    QCOMPARE(messages.texts.size(), 1);
    QVERIFY(messages.texts[0].contains(u"unverändert"_s));
    QVERIFY(!w.progress->isVisible());
    QVERIFY(w.child<QComboBox>(u"cmb_Klasse"_s)->toolTip().isEmpty());
}

void TestFormMainFiles::officeButtonsFollowRegisteredServers()
{
    for (bool registered : {true, false}) {
        OfficeWindow w;
        w.office.registered = registered;
        w.files.answerOpen(writeFile(u"p.txt"_s, kProtocolWithResults.toLatin1()), 1);
        w.trigger(u"Load"_s);
        QVERIFY(w.child<QWidget>(u"sbSave"_s)->isEnabled());
        QCOMPARE(w.child<QWidget>(u"sbExcel"_s)->isEnabled(), registered);
        QCOMPARE(w.child<QWidget>(u"sbWord"_s)->isEnabled(), registered);
        QCOMPARE(w.child<QWidget>(u"sbExcel"_s)->toolTip(), u"[Ctrl+E] Datei in MS Excel"_s);
        QCOMPARE(w.child<QWidget>(u"sbWord"_s)->toolTip(), u"[Ctrl+W] Datei in MS Word"_s);
    }
}

// Ctrl+E and the Word button reach the office servers; the report lands
// beside the last file chosen. (What is sent: TestExcelExchange::showInSpreadsheet,
// TestWordReport::modes.)
void TestFormMainFiles::showInSpreadsheetAndWordProcessorByKeys()
{
    OfficeWindow w;
    w.files.answerOpen(writeFile(u"p.txt"_s, kProtocolWithResults.toLatin1()), 1);
    w.trigger(u"Load"_s);

    w.office.log.calls.clear();
    w.window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(w.window));
    QWidget *target = QApplication::focusWidget() ? QApplication::focusWidget() : w.window;
    QTest::keyClick(target, Qt::Key_E, Qt::ControlModifier);
    QCOMPARE(w.office.log.calls.constLast(), u"Visible:=true"_s);
    QVERIFY(!w.progress->isVisible());

    w.office.log.calls.clear();
    QTest::mouseClick(w.child<QWidget>(u"sbWord"_s), Qt::LeftButton);
    QCOMPARE(w.office.log.calls.value(1), u"AppMaximize"_s);
    // Saved under the date stamp beside the last file chosen.
    static const QRegularExpression stamp(u"/\\d{4}-\\d\\d-\\d\\d-\\d\\d-\\d\\d\\.doc\\)$"_s);
    const QString saved = w.office.log.calls.constLast();
    QVERIFY2(saved.startsWith(u"FileSaveAs("_s + m_dir->path()) && stamp.match(saved).hasMatch(), qPrintable(saved));
}

// The entries chosen in the dialogs go to the settings record, and the
// dialogs start with them; a cancelled dialog keeps them. (The record saved
// at the end and read at the start: TestFormMainShell::closeWithYesSavesEveryValue,
// storedSettingsReachTheControls; the values themselves:
// TestSettingsStore::carriedValuesComeBackUnchanged.)
void TestFormMainFiles::fileTypeChoicesAreKept()
{
    OfficeWindow w;
    QCOMPARE(w.window->race().settings().FilterInd, 1);
    w.files.answerSave(path(u"a.html"_s), 4);
    w.trigger(u"Save"_s);
    w.files.answerOpen(path(u"s.xls"_s), 2);
    w.trigger(u"Load"_s);
    w.trigger(u"Save"_s); // cancelled
    QCOMPARE(w.window->race().settings().FilterInd, 4);
    QCOMPARE(w.window->race().settings().FilterIndO, 2);
    w.trigger(u"Save"_s);
    w.trigger(u"Load"_s);
    QCOMPARE(w.files.saveRequests.constLast().filterIndex, 4);
    QCOMPARE(w.files.openRequests.constLast().filterIndex, 2);
}

// Drivers recorded without a start list are saved, and the class selector
// stays a field to type into. (The file under the page's caption:
// TestRacePages::handEnteredDriversAreSavedUnderThePageCaption.)
void TestFormMainFiles::handEnteredDriversAreSaved()
{
    child<QComboBox>(u"cmb_Nr"_s)->setEditText(u"7"_s);
    child<QLineEdit>(u"txt_Name"_s)->setText(u"Hans Öller"_s);
    m_f->ticks.value = 0;
    m_f->key(Qt::Key_F5);
    m_f->ticks.value = 31000;
    m_f->key(Qt::Key_F5);
    m_f->key(Qt::Key_F9);

    const QString file = path(u"hand.txt"_s);
    save(file);
    const QByteArray bytes = readAll(file);
    QVERIFY(bytes.startsWith("KLASSE: Fahrer\r\n\r\n"));
    QVERIFY(bytes.contains("7\tHans \xd6ller\t"));
    QVERIFY(child<QComboBox>(u"cmb_Klasse"_s)->isEditable());
    QCOMPARE(child<QComboBox>(u"cmb_Klasse"_s)->count(), 0);
}

void TestFormMainFiles::protocolBarHints_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("hint");
    QTest::addColumn<int>("tag"); // -1: none

    QTest::newRow("save") << u"sbSave"_s << u"[Ctrl+S] Speichern unter..."_s << -1;
    QTest::newRow("open") << u"sbLoad"_s << u"[Ctrl+O] Starterliste oder gespeichertes Protokoll \u00f6ffnen"_s << -1;
    // F8 is "Abbruch": the clear button names no key.
    QTest::newRow("clear") << u"sbCLS"_s << u"Ergebnisse l\u00f6schen"_s << -1;
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

// The typed extension beats the chosen entry. (The rule for every name:
// TestFileDialogs::typedExtensionDecidesTheFileType.)
void TestFormMainFiles::typedExtensionDecidesTheFileType()
{
    open(writeFile(u"p.txt"_s, kProtocolWithResults.toLatin1()));
    save(path(u"ergebnis.html"_s), 1);
    QVERIFY(readAll(path(u"ergebnis.html"_s)).startsWith("<HTML>"));
    QVERIFY(!QFile::exists(path(u"ergebnis.html.txt"_s)));
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
// as markup, and no longer than it can lay out at once. Ten classes are
// loaded, one box tells of the rest. (Which classes are named:
// TestRacePages::moreThanTenClassesAreNamed.)
void TestFormMainFiles::messagesShowFileTextsPlainAndCut()
{
    QByteArray bytes;
    for (int k = 1; k <= 10; ++k)
        bytes += "KLASSE: K" + QByteArray::number(k) + "\r\nStNr\tFahrer/in\r\n1\tA\r\n";
    bytes += "KLASSE: <b>Fett</b>" + QByteArray(15000, 'x') + "\r\nStNr\r\n";
    MessageCatcher messages;
    open(writeFile(u"lang.txt"_s, bytes));
    QTRY_COMPARE(messages.formats.size(), 1);
    QCOMPARE(messages.formats[0], Qt::PlainText);
    QVERIFY(messages.texts[0].size() <= kMessageTextLimit);
    QCOMPARE(child<QComboBox>(u"cmb_Klasse"_s)->count(), 10);
    QCOMPARE(tabs()->tabText(9), u"K10"_s);
}

QTEST_MAIN(TestFormMainFiles)
#include "test_formmain_files.moc"
