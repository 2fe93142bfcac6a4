#include "app/formmain.h"

#include "app/barriertestwindow.h"
#include "app/cfgdialog.h"
#include "app/correctionactions.h"
#include "app/desktopshell.h"
#include "app/displayswitch.h"
#include "app/eventdayactions.h"
#include "app/dlgyesno.h"
#include "app/filechooser.h"
#include "app/forminfo.h"
#include "app/helpviewer.h"
#include "app/mainview.h"
#include "app/menukeyguard.h"
#include "app/progresswindow.h"
#include "app/progressbinding.h"
#include "app/resultgridbinding.h"
#include "app/seasonwindow.h"
#include "app/runsound.h"
#include "app/windowsettings.h"
#include "display/followrace.h"
#include "display/formmonitor2.h"
#include "files/racefiles.h"
#include "station/racestation.h"
#include "text/messagetext.h"
#include "timing/tickclock.h"
#include "widgets/barrierpicture.h"
#include "widgets/commandbutton.h"
#include "widgets/resultgrid.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QRadioButton>
#include <QScopedValueRollback>
#include <QSpinBox>
#include <QTabWidget>
#include <QTime>
#include <QTimer>
#include <QToolButton>

using namespace Qt::StringLiterals;

namespace vex {

TFormMain::TFormMain(RaceStation &station, const MainWindowServices &services, QWidget *parent)
    : QMainWindow(parent)
    , m_services(services)
    , m_station(station)
    , m_race(&station.race())
    , m_files(&station.files())
{
    m_ownServices.fillIn(m_services);
    m_timeDisplay = new TimeDisplay(this);

    const AppIdentity &id = m_services.identity;
    buildMainWidgets(*this, m_race->competition(), id, m_ui);
    m_timeDisplay->addPanel(m_ui.digits);
    m_services.sound->preload(id.stopSound);
    m_services.sound->preload(id.startSound);
    bindCommands();
    bindResultPages();
    bindRace();
    const QList<QAction *> correctionKeys = bindCorrectionActions(
        *this, m_ui, *m_race, {[this] { return commandRow(); }, [this](const QString &q) { return AskYesNo(q); }});
    bindEventDayActions(*this, m_ui, *m_race, *m_files, id.title, [this](const QString &q) { return AskYesNo(q); });
    // A file that names no regulation may have to ask which applies; the
    // wait cursor of the load gives way while it asks.
    m_files->setQuestion([this](const QString &question) {
        QApplication::setOverrideCursor(Qt::ArrowCursor);
        const bool yes = AskYesNo(question);
        QApplication::restoreOverrideCursor();
        return yes;
    });

    showSettings();
    showDisplayColours(true);
    m_timeDisplay->ShowTime(0, 0);
    showBestTime();
    // The program's own folder is no place for protocols (the first save
    // would offer to overwrite the program file): files start in the
    // user's documents.
    m_saveFolder = documentsFolder();
    m_openFolder = m_saveFolder;
    m_pageFolder = QDir::currentPath();
    // A lost port says so in the status bar's middle panel until a port opens
    // again; no box, it would take the keys F5 needs.
    RaceBarriers *barriers = &m_station.barriers();
    connect(barriers, &RaceBarriers::portLost, m_ui.statusPanels[1], &QLabel::setText);
    connect(barriers, &RaceBarriers::portOpened, m_ui.statusPanels[1],
            [label = m_ui.statusPanels[1], text = m_ui.statusPanels[1]->text()] { label->setText(text); });
    connect(barriers, &RaceBarriers::portRestored, m_ui.statusPanels[1], &QLabel::setText);
    connect(barriers, &RaceBarriers::realTimeUnavailable, m_ui.statusPanels[1], &QLabel::setText);
    bindBarrierTest(findChild<QAction *>(u"LSTest1"_s), *m_race, *barriers, this);
    vex::showRunControls(m_ui, m_race->runControls());
    UpdateFileButtons();
    showFocusedRow(0, m_race->activePage()->rowId(1));

    TimerDate = new QTimer(this);
    TimerDate->setObjectName(u"TimerDate"_s);
    TimerDate->setInterval(490);
    connect(TimerDate, &QTimer::timeout, this, &TFormMain::TimerDateTimer);
    TimerDate->start();
    TimerDateTimer();

    m_ui.grids[0]->viewport()->installEventFilter(this);
    const QList<QAction *> displayKeys = m_ui.runActions + correctionKeys + QList<QAction *>{m_ui.Modus1};
    m_displaySwitch = new DisplaySwitch(this, m_ui.ImageTVAus, m_ui.ImageTVEin, displayKeys);
    qApp->installEventFilter(new MenuKeyGuard(this, m_ui.menuKeys, m_ui.runKeys,
                                              {QKeyCombination(Qt::CTRL | Qt::Key_Z), QKeyCombination(Qt::CTRL | Qt::Key_Y),
                                               QKeyCombination(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)}));
    layoutMainWidgets(*this, m_ui);
    // The operator starts with the start number, not with the date field.
    m_ui.cmb_Nr->setFocus();
}

TFormMain::~TFormMain() = default;

// Runs 3 and 4 where the class has them; the group grows downwards by one
// button each, into the free band below it.
void TFormMain::showRunButtons()
{
    const int runs = m_race->activePage()->shownRuns();
    for (int run = 3; run < int(m_ui.runButtons.size()); ++run)
        m_ui.runButtons[std::size_t(run)]->setVisible(run <= runs);
    QRect g = m_ui.runGroup->geometry();
    g.setHeight(18 + 20 * (runs + 1));
    m_ui.runGroup->setGeometry(g);
}

void TFormMain::attachWindows(ProgressWindow *progress, TFDlgYesNo *yesNo, TFormMonitor2 *monitor, TCFGDialog *cfg,
                              TFormInfo *info)
{
    m_progress = progress;
    m_yesNo = yesNo;
    m_monitor = monitor;
    m_cfg = cfg;
    m_info = info;
    bindProgressWindow(*m_files, m_progress);
    if (m_monitor) {
        // The display follows the race on its own; the window only shows and
        // hides it.
        FollowRace(*m_monitor, *m_race);
        m_displaySwitch->attach(m_monitor);
    }
}

bool TFormMain::AskYesNo(const QString &question)
{
    if (!m_yesNo)
        m_yesNo = new TFDlgYesNo(m_services.identity.title, this);
    return m_yesNo->AskYesNo(question);
}

ResultGrid *TFormMain::activeGrid() const
{
    return m_ui.grids[std::size_t(m_race->entry().page)];
}

quint32 TFormMain::tick() const
{
    return m_station.ticks().now();
}

// The row a popup command acts on: the one the menu was opened on, wherever
// the ranking has moved it since; for a key, the cursor's row.
RowId TFormMain::commandRow() const
{
    if (m_popupRow != 0)
        return m_popupRow;
    return m_race->activePage()->rowId(activeGrid()->currentResultRow());
}

// ---------------------------------------------------------------- binding

void TFormMain::bindCommands()
{
    Race *r = m_race;
    const MainWidgets &u = m_ui;
    // The clock is read first, before anything else happens.
    connect(u.mStart, &QAction::triggered, r, [this, r] { r->start(tick()); });
    connect(u.mStop, &QAction::triggered, r, [this, r] { r->stop(tick()); });
    // STOPP appears where START was: the second press of a double click on
    // START lands on it and must not stop the run just started.
    connect(u.bSTART, &TLbSpeedButton::mousePressed, this, [this] {
        m_startPressTick = tick();
        m_ui.mStart->trigger();
    });
    connect(u.bSTOP, &TLbSpeedButton::mousePressed, this, [this] {
        if (m_startPressTick && tick() - *m_startPressTick < quint32(QApplication::doubleClickInterval()))
            return;
        m_ui.mStop->trigger();
    });
    connect(u.mAbbruch, &QAction::triggered, r, &Race::abort);
    connect(u.mEintragen, &QAction::triggered, r, &Race::enter);
    // The button calls the entry directly; the menu item gates it by being
    // disabled together with the button.
    connect(u.bEintragen, &QAbstractButton::clicked, r, &Race::enter);
    connect(u.mNext, &QAction::triggered, r, &Race::next);
    connect(u.LockLS1, &QAction::triggered, r, &Race::toggleStartBarrier);
    connect(u.LockLS21, &QAction::triggered, r, &Race::toggleFinishBarrier);
    connect(u.ImageLSstart, &TBarrierPicture::clicked, r, &Race::toggleStartBarrier);
    connect(u.ImageLSstop, &TBarrierPicture::clicked, r, &Race::toggleFinishBarrier);
    connect(u.mStrafMinus, &QAction::triggered, r, &Race::penaltyDown);
    connect(u.mStrafPlus, &QAction::triggered, r, &Race::penaltyUp);
    for (TLbSpeedButton *b : {u.bFehl2, u.bFehl10})
        connect(b, &QAbstractButton::clicked, r, [r, b] { r->addPenalty(b->property("tag").toInt()); });
    // The field's text is the penalty: an emptied field counts 0, not the
    // last number it showed.
    // (The spin box itself stays silent while its text is no number.)
    connect(u.seStrafe->findChild<QLineEdit *>(), &QLineEdit::textChanged, r, [this, r](const QString &text) {
        if (m_showing)
            return;
        const QScopedValueRollback typing(m_penaltyTyped, true);
        r->setPenaltyText(text);
    });
    for (int run = 0; run < int(u.runButtons.size()); ++run)
        connect(u.runButtons[std::size_t(run)], &QRadioButton::clicked, r, [r, run] { r->chooseRun(run); });
    connect(u.cmb_Klasse, &QComboBox::activated, r, [r](int index) {
        // A typed text that names no class leaves the page as it is.
        r->chooseClass(index < r->competition().classes().size() ? index : -1);
    });
    connect(u.PageControl1, &QTabWidget::currentChanged, r, [this, r](int index) {
        if (!m_showing)
            r->chooseClass(index);
    });
    // A picked item names its driver even when two share his start number;
    // its text arrives first, with the item already current.
    connect(u.cmb_Nr, &QComboBox::editTextChanged, r, [this, r](const QString &text) {
        const int item = m_ui.cmb_Nr->currentIndex();
        if (m_showing)
            return;
        if (item >= 0 && m_ui.cmb_Nr->itemText(item) == text)
            r->chooseDriver(item);
        else
            r->typeStartNumber(text);
    });
    connect(u.cmb_Nr, &QComboBox::currentIndexChanged, r, [this, r](int index) {
        if (!m_showing)
            r->chooseDriver(index);
    });
    connect(u.txt_Name, &QLineEdit::textChanged, r, [this, r](const QString &text) {
        if (!m_showing)
            r->setName(text);
    });
    connect(u.txt_Club, &QLineEdit::textChanged, r, [this, r](const QString &text) {
        if (!m_showing)
            r->setClub(text);
    });
    connect(u.cbClub, &QCheckBox::clicked, r, &Race::setClubShown);
    connect(u.cbAutomatisch, &QCheckBox::clicked, r, &Race::setAutoEntry);

    connect(u.Neu1, &QAction::triggered, this, &TFormMain::Neuezeile1Click);
    connect(u.Neu2, &QAction::triggered, this, &TFormMain::Neuezeile1Click);
    connect(u.Neuezeile1, &QAction::triggered, this, &TFormMain::Neuezeile1Click);
    connect(u.Erase1, &QAction::triggered, r, [this, r] { r->results().deleteTimes(commandRow()); });
    connect(u.mDis, &QAction::triggered, r, [this, r] { r->results().toggleDisqualified(commandRow()); });
    connect(u.mClear1, &QAction::triggered, this, &TFormMain::mClear1Click);
    connect(u.sbPlatz, &QToolButton::clicked, r, &Race::rank);
    // Ctrl+P places the class as the button does.
    connect(u.Platzeverteilen1, &QAction::triggered, r, &Race::rank);

    connect(u.mLoad, &QAction::triggered, this, &TFormMain::sbLoadClick);
    connect(u.sbLoad, &QToolButton::clicked, this, &TFormMain::sbLoadClick);
    connect(u.mSave, &QAction::triggered, this, &TFormMain::sbSaveClick);
    connect(u.sbSave, &QToolButton::clicked, this, &TFormMain::sbSaveClick);
    connect(u.mHtml, &QAction::triggered, this, [this] { sbInetClick(0); });
    connect(u.sbInet, &QToolButton::clicked, this, [this] { sbInetClick(0); });
    connect(u.sbPrint, &QToolButton::clicked, this, [this] { sbInetClick(1); });
    connect(u.sbCLS, &QToolButton::clicked, this, &TFormMain::sbCLSClick);
    connect(u.mExcel, &QAction::triggered, this, &TFormMain::sbExcelClick);
    connect(u.sbExcel, &QToolButton::clicked, this, &TFormMain::sbExcelClick);
    connect(u.mWord, &QAction::triggered, this, &TFormMain::sbWordClick);
    connect(u.sbWord, &QToolButton::clicked, this, &TFormMain::sbWordClick);

    connect(u.mCFG, &QAction::triggered, this, &TFormMain::bCFGClick);
    connect(u.Modus1, &QAction::triggered, this, [this] { m_displaySwitch->toggle(); });
    connect(u.mHilfe, &QAction::triggered, this, &TFormMain::mHilfeClick);
    connect(u.mInfo, &QAction::triggered, this, &TFormMain::bInfoClick);
}

void TFormMain::bindResultPages()
{
    bindResultGrids(*m_race, m_ui.grids);
    for (int k = 0; k < kPageCount; ++k) {
        ResultGrid *grid = m_ui.grids[std::size_t(k)];
        const ResultPage *page = m_race->competition().page(k);
        connect(grid, &ResultGrid::editCancelled, this, [this, grid](int row) {
            grid->selectResultRow(row);
            updateStatus();
        });
        connect(grid, &ResultGrid::currentResultRowChanged, this, &TFormMain::updateStatus);
        connect(grid, &ResultGrid::contextMenuRequested, this, [this, page](int row, const QPoint &pos) {
            m_popupRow = page->rowId(row);
            m_ui.PopupMenuProtokol->popup(pos);
        });
    }
    // The menu hides before its command runs: the row is forgotten only after.
    connect(m_ui.PopupMenuProtokol, &QMenu::aboutToHide, this,
            [this] { QTimer::singleShot(0, this, [this] { m_popupRow = 0; }); });
}

void TFormMain::bindRace()
{
    Race *r = m_race;
    connect(r, &Race::entryChanged, this, &TFormMain::showEntry);
    connect(r, &Race::entryRefused, this, [this, r](const QString &question) {
        if (AskYesNo(question))
            r->discardRun();
    });
    connect(r, &Race::walkOrderChanged, this, &TFormMain::showWalkOrder);
    connect(&r->results(), &RaceResults::classListChanged, this, &TFormMain::showClassList);
    connect(r, &Race::runControlsChanged, this, [this] { vex::showRunControls(m_ui, m_race->runControls()); });
    connect(r, &Race::bestTimeChanged, this, &TFormMain::showBestTime);
    connect(r, &Race::settingsChanged, this, &TFormMain::showSettings);
    connect(r, &Race::rowFocused, this, &TFormMain::showFocusedRow);
    connect(r, &Race::runningTime, this, [this](qint32 ms) { m_timeDisplay->ShowTime(0, ms); });
    connect(r, &Race::displayReset, this, [this] {
        showDisplayColours(true);
        m_timeDisplay->ShowTime(0, 0);
        showBestTime();
    });
    connect(&r->results(), &RaceResults::resultsChanged, this, [this] {
        FormResize();
        UpdateFileButtons();
        showRunButtons();
    });
    connect(&r->results(), &RaceResults::pageRanked, this, &TFormMain::updateStatus);
    const AppIdentity &id = m_services.identity;
    connect(r, &Race::startSoundRequested, this,
            [this, &id] { PlayRunSound(*m_services.sound, m_race->settings().Sound, id.startSound); });
    connect(r, &Race::stopSoundRequested, this,
            [this, &id] { PlayRunSound(*m_services.sound, m_race->settings().Sound, id.stopSound); });
}

// ---------------------------------------------------------------- showing

void TFormMain::showEntry()
{
    const QScopedValueRollback guard(m_showing, true);
    const RaceEntry &e = m_race->entry();
    const MainWidgets &u = m_ui;
    if (u.PageControl1->currentIndex() != e.page)
        u.PageControl1->setCurrentIndex(e.page);
    if (e.page < u.cmb_Klasse->count() && u.cmb_Klasse->currentIndex() != e.page)
        u.cmb_Klasse->setCurrentIndex(e.page);
    if (e.position >= 0 && e.position < u.cmb_Nr->count() && u.cmb_Nr->currentIndex() != e.position)
        u.cmb_Nr->setCurrentIndex(e.position);
    if (u.cmb_Nr->currentText() != e.startNumber)
        u.cmb_Nr->setEditText(e.startNumber);
    if (u.txt_Name->text() != e.name)
        u.txt_Name->setText(e.name);
    if (u.txt_Club->text() != e.club)
        u.txt_Club->setText(e.club);
    // The field the operator is typing into keeps his text.
    if (!m_penaltyTyped && u.seStrafe->cleanText() != QString::number(e.penaltySeconds))
        u.seStrafe->setValue(e.penaltySeconds);
    showRunButtons();
    u.runButtons[std::size_t(e.run)]->setChecked(true);
    u.lbl_Nr2->setText(e.shownNumber);
    u.lbl_Name2->setText(e.shownName);
    u.lbl_Time_error->setVisible(e.timeExists);
    UpdateFileButtons();
    updateStatus();
}

void TFormMain::showWalkOrder()
{
    {
        const QScopedValueRollback guard(m_showing, true);
        m_ui.cmb_Nr->clear();
        m_ui.cmb_Nr->addItems(m_race->walkOrderNumbers());
    }
    showEntry();
}

// After a load the class selector is a pick-only list of the classes.
void TFormMain::showClassList()
{
    const QStringList &classes = m_race->competition().classes();
    const QScopedValueRollback guard(m_showing, true);
    m_ui.cmb_Klasse->clear();
    if (!classes.isEmpty()) {
        m_ui.cmb_Klasse->setEditable(false);
        m_ui.cmb_Klasse->addItems(classes);
    }
    m_ui.cmb_Klasse->setCurrentIndex(-1);
}


void TFormMain::showBestTime()
{
    m_ui.lbl_Club2->setText(m_race->bestDriverLabel());
    m_timeDisplay->ShowTime(1, m_race->bestTimeMs());
}

void TFormMain::showSettings()
{
    const Settings &s = m_race->settings();
    m_ui.cbAutomatisch->setChecked(s.AutoEin);
    // The operator's own decimal separator, whatever language the program speaks.
    m_ui.cbAutomatisch->setToolTip(autoEntryHint(s.AutoEinS, QLocale::system()));
    m_ui.cbClub->setChecked(s.cbClub);
    m_ui.lbl_Club->setEnabled(s.cbClub);
    m_ui.txt_Club->setEnabled(s.cbClub);
    FormResize();
    showDisplayColours(false);
}

// New colours reach both windows; unchanged ones leave the running row alone.
void TFormMain::showDisplayColours(bool force)
{
    const DisplayColours colours = DisplayColoursOf(m_race->settings());
    if (!force && m_shownColours && *m_shownColours == colours)
        return;
    m_shownColours = colours;
    m_timeDisplay->ApplyDisplayColours(colours, {m_ui.lbl_Nr2, m_ui.lbl_Name2});
}

void TFormMain::showFocusedRow(int k, RowId row)
{
    ResultGrid *grid = m_ui.grids[std::size_t(k)];
    const ResultPage *page = m_race->competition().page(k);
    const int r = page->rowOfId(row);
    if (r >= 1)
        grid->selectResultRow(r);
    updateStatus();
}

void TFormMain::updateStatus()
{
    const ResultPage *page = m_race->activePage();
    const int row = qBound(1, activeGrid()->currentResultRow(), page->rows() - 1);
    m_ui.statusPanels[0]->setText(u"%1:%2"_s.arg(row).arg(page->dataRows()));
}

void TFormMain::UpdateFileButtons()
{
    showFileButtons(m_ui, m_race->pageHoldsData(m_race->entry().page), m_files->spreadsheetAvailable(),
                    m_files->wordProcessorAvailable());
}

// Column widths follow the grid's width; the other grids copy the first.
void TFormMain::FormResize()
{
    if (!m_ui.grids[0])
        return;
    const QList<int> widths = computeColumnWidths(m_ui.grids[0]->viewport()->width(), m_race->columnWidthPercent());
    for (ResultGrid *g : m_ui.grids)
        g->setColumnWidths(widths);
}

void TFormMain::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    layoutMainWidgets(*this, m_ui);
    FormResize();
}

// ---------------------------------------------------------------- commands

void TFormMain::mClear1Click()
{
    // The row is named before the question: whatever happens while it is
    // open (an automatic entry re-sorting the page), the answer removes it.
    const RowId row = commandRow();
    if (row == 0 || !AskYesNo(u"Zeile entfernen?"_s))
        return;
    m_race->results().removeRow(row);
}

void TFormMain::Neuezeile1Click()
{
    activeGrid()->commitEdit();
    const RowId id = m_race->addRow();
    editNewRow(activeGrid(), m_race->activePage()->rowOfId(id));
}

void TFormMain::sbCLSClick()
{
    if (AskYesNo(u"Ergebnisse löschen?"_s))
        m_race->clearResults();
}

// Messages often carry texts from files: they are shown as they are, never
// as markup, and cut to a length a box can lay out at once.
void TFormMain::showError(const QString &text)
{
    QMessageBox box(QMessageBox::Critical, m_services.identity.title, cutForMessage(text), QMessageBox::Ok, this);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

// ---------------------------------------------------------------- shell

void TFormMain::SaveSettings()
{
    const AppIdentity &id = m_services.identity;
    if (const auto error = saveWindowSettings(m_race->settings(), *this, m_services.settingsBackend, id.title))
        QMessageBox::critical(this, id.title, *error);
}

void TFormMain::closeEvent(QCloseEvent *event)
{
    if (m_closing || !AskYesNo(u"Beenden?"_s)) {
        event->ignore();
        return;
    }
    // A season put together in its window and never saved would be lost.
    if (const SeasonWindow *season = findChild<SeasonWindow *>(); season && season->hasUnsavedSeason()
        && !AskYesNo(u"Die Meisterschaft ist nicht gespeichert und geht verloren. Trotzdem beenden?"_s)) {
        event->ignore();
        return;
    }
    m_closing = true;
    SaveSettings();
    m_station.shutDown();
    if (m_monitor)
        m_monitor->close();
    if (m_info)
        m_info->close();
    event->accept();
}

// The column widths follow the first grid's client width.
bool TFormMain::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Resize && m_ui.grids[0] && watched == m_ui.grids[0]->viewport())
        FormResize();
    return QMainWindow::eventFilter(watched, event);
}

void TFormMain::mHilfeClick()
{
    const QString &help = m_services.identity.helpFile;
    if (QFileInfo(help).isFile() && !m_services.help->showContents(help))
        showError(u"Die Hilfe kann nicht angezeigt werden: kein Programm öffnet die Datei "_s + help);
}

void TFormMain::bInfoClick()
{
    if (!m_info)
        m_info = new TFormInfo(this);
    m_info->showInfo();
}

// The settings dialog; on OK every value takes effect at once, on cancel
// nothing changes (the light barriers' port stays as it is).
void TFormMain::bCFGClick()
{
    if (m_cfg) {
        if (const std::optional<Settings> edited = m_cfg->edit(m_race->settingsForDialog())) {
            // The dialog leaves the screen before the work starts.
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
            // Title, colours, lock time, screen: the race tells its observers
            // (this window's labels and columns, the display); the port
            // follows.
            m_station.applySettings(*edited);
            showDisplayColours(true);
            m_timeDisplay->ShowTime(0, 0);
            showBestTime();
            // Placed again even on the same screen: the screens may have
            // changed since.
            if (m_monitor)
                m_monitor->PlaceDisplay();
            FormResize();
        }
    }
    m_ui.band->setFocus();
}

void TFormMain::TimerDateTimer()
{
    m_ui.PanelTime->setText(longTimeText(QTime::currentTime(), QLocale::system()));
    // "Hilfe" works exactly while the help file is there, also when it is put
    // beside the program or taken away while the program runs.
    m_ui.bHilfe->setEnabled(QFileInfo(m_services.identity.helpFile).isFile());
}

} // namespace vex
