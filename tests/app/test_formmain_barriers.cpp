// The light barriers on the real main window: the port of the settings is
// opened at start-up, contacts come through the real waiting thread and
// hand-over from a fake line device, the time is entered into the driver's
// row, and shutdown closes the port.

#include "app/algcombo.h"
#include "app/barriertestwindow.h"
#include "app/cfgdialog.h"
#include "mainwindowfixture.h"
#include "serialfixture.h"

#include "race/race.h"
#include "results/resultpage.h"
#include "serial/comport.h"
#include "serial/modemstatus.h"
#include "settings/regfilebackend.h"
#include "settings/settingsstore.h"
#include "results/startnumbers.h"
#include "widgets/barrierpicture.h"
#include "widgets/resultgrid.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>

using namespace vex;
using namespace Qt::StringLiterals;

class TestFormMainBarriers : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void startUpOpensThePortAndShutdownClosesIt();
    void aRunTimedByTheBarriersIsEntered();
    void finishContactWithAutomaticEntryAndAPopupOpen();
    void aLostPortHidesThePicturesAndSaysSo();
    void settingsReopenThePort();
    void theBarrierTestWindow();

private:
    // A main window whose settings file names COM2 for the barriers.
    void makeWindow(const std::function<void(Settings &)> &change = {});
    void contact(quint32 status, ContactStamp stamp);
    QString cell(const QString &stNr, int column) const;

    std::unique_ptr<QTemporaryDir> m_dirPtr;
    QTemporaryDir &dir() { return *m_dirPtr; }
    std::unique_ptr<RegFileBackend> m_backend;
    std::unique_ptr<FakeLineDevice> m_devicePtr;
    FakeLineDevice &m_device() { return *m_devicePtr; }
    FixedClock m_clock;
    std::unique_ptr<MainWindowFixture> m_f;
};

void TestFormMainBarriers::init()
{
    m_dirPtr = std::make_unique<QTemporaryDir>();
    m_devicePtr = std::make_unique<FakeLineDevice>();
    m_device().setPresentPorts({2, 5});
}

void TestFormMainBarriers::cleanup()
{
    m_f.reset();
    m_backend.reset();
    m_devicePtr.reset();
    m_dirPtr.reset();
}

void TestFormMainBarriers::makeWindow(const std::function<void(Settings &)> &change)
{
    m_backend = std::make_unique<RegFileBackend>(dir().filePath(u"Vexilor.reg"_s));
    Settings s;
    s.Port = 2;
    s.Alg = 0;
    if (change)
        change(s);
    QVERIFY(!SettingsStore(*m_backend, settingsKeyPath(u"Vexilor"_s)).save(s));
    const QString log = dir().filePath(u"Lichtschranke.log"_s);
    m_f = std::make_unique<MainWindowFixture>(m_backend.get(), AppIdentity{}, [&](StationServices &services) {
        services.barriers.port = nullptr; // the window's own serial port
        services.barriers.lineDevice = &m_device();
        services.barriers.contactClock = &m_clock;
        services.barriers.logPath = log;
    });
}

void TestFormMainBarriers::contact(quint32 status, ContactStamp stamp)
{
    m_device().setStatus(status, stamp);
    QVERIFY(serveUntilSettled(m_device()));
}

QString TestFormMainBarriers::cell(const QString &stNr, int column) const
{
    const ResultPage *page = m_f->window->race().activePage();
    return page->cell(FindRowByStartNumber(*page, stNr), column);
}

void TestFormMainBarriers::startUpOpensThePortAndShutdownClosesIt()
{
    makeWindow();
    QVERIFY(m_device().isOpen());
    QCOMPARE(m_device().openedPort(), 2);
    QCOMPARE(m_f->station->barriers().portList(), 0x00050012u);
    QCOMPARE(m_f->station->barriers().comPortNumbers(), (QList<int>{2, 5}));
    QVERIFY(m_f->window->race().runController().portOpen());
    QVERIFY(m_f->child<TBarrierPicture>(u"ImageLSstart"_s)->isVisible());

    answerNextQuestion(Answer::Yes);
    QVERIFY(m_f->window->close());
    QVERIFY(!m_device().isOpen());
}

void TestFormMainBarriers::aRunTimedByTheBarriersIsEntered()
{
    makeWindow([](Settings &s) { s.StartLock = 10000; });
    Race &race = m_f->window->race();
    race.typeStartNumber(u"7"_s);
    race.setName(u"Muster, Max"_s);
    race.chooseRun(1);
    m_f->key(Qt::Key_F4); // the operator frees the start barrier
    QVERIFY(serveUntilSettled(m_device()));
    contact(MsCtsOn, {1000, 1'000'900});
    QCOMPARE(race.runController().state(), RunState::Running);
    QVERIFY(m_f->child<TBarrierPicture>(u"ImageLSstop"_s)->isVisible());
    // During the lock time the finish contact does nothing.
    contact(MsCtsOn | MsRlsdOn, {3000, 3'000'000});
    QCOMPARE(race.runController().state(), RunState::Running);
    QVERIFY(m_f->timers.fire(u"TimerStartLock"_s));
    contact(MsCtsOn, {40000, 40'000'000});
    // 45,349.8 ms between the contacts: 45,34 although the ticks say 45,350.
    contact(MsCtsOn | MsRlsdOn, {46350, 46'350'700});
    QCOMPARE(race.runController().state(), RunState::Stopped);
    m_f->key(Qt::Key_F9);
    QCOMPARE(cell(u"7"_s, 5), u"45,34"_s);

    QFile log(dir().filePath(u"Lichtschranke.log"_s));
    QVERIFY(log.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = log.readAll().split('\n');
    QCOMPARE(lines.size(), 5); // four contacts and the final line end
    QVERIFY(lines[0].endsWith("\tstarted"));
    QVERIFY(lines[1].endsWith("\tignored: locked"));
    QVERIFY(lines[3].endsWith("\tstopped"));
}

// The automatic entry fires while the popup menu is open on another driver's
// row: the time goes to the driver who drove.
void TestFormMainBarriers::finishContactWithAutomaticEntryAndAPopupOpen()
{
    makeWindow([](Settings &s) {
        s.AutoEin = true;
        s.StartLock = 0;
    });
    Race &race = m_f->window->race();
    m_f->station->files().importWith([](Competition &c) {
        ResultPage *p = c.page(0);
        p->setRowCount(3);
        p->setRow(1, {u"1"_s, u"Erster, Anna"_s, u"MSC"_s});
        p->setRow(2, {u"2"_s, u"Zweiter, Ben"_s, u"MSC"_s});
        return std::optional<QString>();
    });
    const ResultPage *page = race.activePage();
    race.chooseClass(0);
    race.chooseRun(1);
    race.typeStartNumber(u"2"_s);
    race.toggleStartBarrier();
    contact(MsCtsOn, {1000, 1'000'000});
    // No lock time: the finish barrier is free from the start.
    contact(MsCtsOn | MsRlsdOn, {31000, 31'000'000});
    QVERIFY(race.runController().autoEntryPending());

    // The operator opens the popup on the first driver's row.
    auto *grid = m_f->window->activeGrid();
    const int row1 = FindRowByStartNumber(*page, u"1"_s);
    const QRect r = grid->visualRect(grid->model()->index(row1, 1));
    QTest::mouseClick(grid->viewport(), Qt::RightButton, {}, r.center());
    QContextMenuEvent menuEvent(QContextMenuEvent::Mouse, r.center(), grid->viewport()->mapToGlobal(r.center()));
    QApplication::sendEvent(grid->viewport(), &menuEvent);
    auto *menu = m_f->child<QMenu>(u"PopupMenuProtokol"_s);
    QTRY_VERIFY(menu->isVisible());
    QVERIFY(m_f->timers.fire(u"TimerEintragen"_s));
    menu->close();

    QCOMPARE(cell(u"2"_s, 5), u"30,00"_s);
    QCOMPARE(cell(u"1"_s, 5), QString());
}

void TestFormMainBarriers::aLostPortHidesThePicturesAndSaysSo()
{
    makeWindow();
    QVERIFY(m_f->child<TBarrierPicture>(u"ImageLSstart"_s)->isVisible());
    m_device().failWait(EIO);
    QTRY_VERIFY(!m_f->window->race().runController().portOpen());
    QVERIFY(!m_f->child<TBarrierPicture>(u"ImageLSstart"_s)->isVisible());
    QVERIFY(m_f->child<QLabel>(u"StatusPanel2"_s)->text().startsWith(u"Verbindung zu COM2 verloren"_s));
    QFile log(dir().filePath(u"Lichtschranke.log"_s));
    QVERIFY(log.open(QIODevice::ReadOnly));
    QVERIFY(QString::fromUtf8(log.readAll()).contains(u"\tVerbindung zu COM2 verloren"_s));
    // Hand timing goes on.
    m_f->key(Qt::Key_F5);
    QCOMPARE(m_f->window->race().runController().state(), RunState::Running);
}

// The settings dialog closes the port, and opens the chosen one a moment later.
void TestFormMainBarriers::settingsReopenThePort()
{
    makeWindow();
    auto *cfg = new TCFGDialog(m_f->window.get(), m_f->station->barriers().comPortNumbers());
    m_f->window->attachWindows(nullptr, nullptr, nullptr, cfg, nullptr);
    QCOMPARE(cfg->cbPort->count(), 3); // "Kein", COM2, COM5
    auto *start = m_f->child<TBarrierPicture>(u"ImageLSstart"_s);
    auto inDialog = [&](const std::function<void(TCFGDialog &)> &change) {
        QTimer::singleShot(0, cfg, [cfg, change] { change(*cfg); });
        m_f->child<QAction>(u"mCFG"_s)->trigger();
    };
    inDialog([](TCFGDialog &d) {
        d.cbPort->setCurrentText(u"COM5"_s);
        d.cbAlg->setCurrentIndex(1);
        d.OKBtn->click();
    });
    QVERIFY(!m_device().isOpen());
    QVERIFY(!start->isVisible());
    QVERIFY(m_f->timers.fire(u"TimerPortOpen"_s));
    QCOMPARE(m_device().openedPort(), 5);
    QVERIFY(start->isVisible());
    // Alg 1: the start contact acts when it opens.
    Race &race = m_f->window->race();
    race.toggleStartBarrier();
    contact(MsCtsOn, {100, 100'000});
    QCOMPARE(race.runController().state(), RunState::Ready);
    contact(0, {200, 200'000});
    QCOMPARE(race.runController().state(), RunState::Running);

    // "Kein": closed, and nothing is opened again.
    race.abort();
    inDialog([](TCFGDialog &d) {
        d.cbPort->setCurrentIndex(0);
        d.OKBtn->click();
    });
    QVERIFY(!m_device().isOpen());
    QVERIFY(!m_f->timers.fire(u"TimerPortOpen"_s));
    QVERIFY(!start->isVisible());
}

// "LS Test": the contacts go to the test window instead of the run, and its
// test run is timed from a start to a finish contact.
void TestFormMainBarriers::theBarrierTestWindow()
{
    makeWindow();
    Race &race = m_f->window->race();
    race.toggleStartBarrier(); // a start contact would start a run
    m_f->key(Qt::Key_L, Qt::ControlModifier);
    auto *window = m_f->window->findChild<BarrierTestWindow *>();
    QVERIFY(window && window->isVisible());
    window->findChild<QPushButton *>(u"bTestLauf"_s)->click();
    contact(MsCtsOn, {1000, 1'000'000});
    contact(MsCtsOn | MsRlsdOn, {13345, 13'345'600});
    QCOMPARE(race.runController().state(), RunState::Ready);
    QCOMPARE(window->findChild<QLabel *>(u"lbl_TestLauf"_s)->text(), u"Test-Lauf: 12,34 (12,345 s)"_s);
    QCOMPARE(window->findChild<QLabel *>(u"lbl_CountZiel"_s)->text(), u"Kontakte: 1"_s);
    auto *table = window->findChild<QTableWidget *>(u"tbl_Kontakte"_s);
    QCOMPARE(table->rowCount(), 2);
    QCOMPARE((QStringList{table->item(0, 1)->text(), table->item(0, 3)->text(), table->item(0, 4)->text()}),
             (QStringList{u"Ziel"_s, u"12,345 s"_s, u"stoppt den Lauf"_s}));
    window->close();
    // Closed, the contacts act on the run again; while it is timed there is no test.
    contact(0, {20000, 20'000'000});
    contact(MsCtsOn, {21000, 21'000'000});
    QCOMPARE(race.runController().state(), RunState::Running);
    QVERIFY(!m_f->child<QAction>(u"LSTest1"_s)->isEnabled());
}

QTEST_MAIN(TestFormMainBarriers)
#include "test_formmain_barriers.moc"
