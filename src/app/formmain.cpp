#include "app/formmain.h"

#include "app/cfgdialog.h"
#include "app/desktopshell.h"
#include "app/dlgyesno.h"
#include "app/filechooser.h"
#include "reports/officereports.h"
#include "app/forminfo.h"
#include "app/formsplash.h"
#include "app/helpviewer.h"
#include "app/runsound.h"
#include "settings/settingsstore.h"
#include "app/toolicons.h"
#include "display/designedlayout.h"
#include "display/digitpanel.h"
#include "display/formmonitor2.h"
#include "display/timedisplay.h"
#include "display/wincolor.h"
#include "widgets/barrierpicture.h"
#include "widgets/commandbutton.h"
#include "widgets/sortgrid.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDateEdit>
#include <QFileInfo>
#include <QGroupBox>
#include <QImageReader>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QScreen>
#include <QSpinBox>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTime>
#include <QTimer>
#include <QVBoxLayout>
#include <QToolButton>

using namespace Qt::StringLiterals;

namespace vex {

namespace {

constexpr int kTopBarHeight = 38;
constexpr int kBandHeight = 324;
const QColor kWindowGrey(223, 223, 223);
const QColor kSkyBlue(166, 202, 240);

QLabel *makeLabel(QWidget *parent, const QString &objectName, const QString &text, const QRect &bounds)
{
    auto *l = new QLabel(text, parent);
    l->setObjectName(objectName);
    l->setGeometry(bounds);
    return l;
}

QFont arial(int pixelSize, bool bold = false)
{
    QFont f(u"Arial"_s);
    f.setPixelSize(pixelSize);
    f.setBold(bold);
    return f;
}

// A service the caller didn't hand in is the real one, owned by the window.
template <typename Real, typename Interface, typename Owned>
void useOrOwn(Interface *&service, std::unique_ptr<Owned> &owned)
{
    if (!service) {
        auto real = std::make_unique<Real>();
        service = real.get();
        owned = std::move(real);
    }
}

// Fills a panel's background; the text role gets the colour that reads on it.
void setBackground(QWidget *panel, const QBrush &brush, QPalette::ColorRole textRole = QPalette::WindowText,
                   const QColor &text = {})
{
    panel->setAutoFillBackground(true);
    QPalette p = panel->palette();
    p.setBrush(QPalette::Window, brush);
    if (text.isValid())
        p.setColor(textRole, text);
    panel->setPalette(p);
}

QLinearGradient verticalGradient(int height, const QColor &top, const QColor &bottom)
{
    QLinearGradient g(0, 0, 0, height);
    g.setColorAt(0, top);
    g.setColorAt(1, bottom);
    return g;
}

} // namespace

TFormMain::TFormMain(const MainWindowServices &services, QWidget *parent)
    : QMainWindow(parent)
    , m_services(services)
{
    useOrOwn<SteadyTickSource>(m_services.ticks, m_ownTicks);
    useOrOwn<DesktopHelpViewer>(m_services.help, m_ownHelp);
    useOrOwn<SoundEffectPlayer>(m_services.sound, m_ownSound);
    useOrOwn<SystemDesktopShell>(m_services.shell, m_ownShell);
    useOrOwn<DialogFileChooser>(m_services.files, m_ownFiles);
    useOrOwn<NoOfficeReports>(m_services.office, m_ownOffice);
    m_competition = new Competition(this);
    // Whoever fills the class list, the class selector shows it.
    connect(m_competition, &Competition::classesChanged, this, &TFormMain::fillClassSelector);
    m_run = new RunController(*m_services.ticks, this);
    m_timeDisplay = new TimeDisplay(this);
    FormCreate();
}

TFormMain::~TFormMain()
{
    qApp->removeEventFilter(this);
}

void TFormMain::attachWindows(TFormSplash *splash, TFDlgYesNo *yesNo, TFormMonitor2 *monitor, TCFGDialog *cfg,
                              TFormInfo *info)
{
    m_splash = splash;
    m_yesNo = yesNo;
    m_monitor = monitor;
    m_cfg = cfg;
    m_info = info;
    if (m_monitor) {
        m_timeDisplay->addPanel(m_monitor->digitPanel());
        m_monitor->PanelTitle->setText(m_settings.Title);
        ApplyDisplayColours();
        FindPageBest();
    }
}

bool TFormMain::AskYesNo(const QString &question)
{
    if (!m_yesNo)
        m_yesNo = new TFDlgYesNo(m_services.identity.title, this);
    return m_yesNo->AskYesNo(question);
}

// The creation steps of the window, in the order the program has always
// followed: names, pictures, settings, then the pages and the run controls.
void TFormMain::FormCreate()
{
    const AppIdentity &id = m_services.identity;
    setObjectName(u"FormMain"_s);
    setMinimumSize(kMinWindowWidth, kMinWindowHeight);
    resize(kMinWindowWidth, 544);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, kWindowGrey);
    setPalette(pal);
    setAutoFillBackground(true);

    auto *central = new QWidget(this);
    central->setObjectName(u"MainArea"_s);
    setCentralWidget(central);

    createActions();
    createTopBar(central);
    createUpperBand(central);
    createResultPages(central);
    createStatusBar();

    // START takes the place of STOPP, the start picture that of the finish
    // picture: each pair is shown alternately.
    bSTART->setGeometry(bSTOP->geometry());
    ImageLSstart->setGeometry(ImageLSstop->geometry());
    DateTimePicker1->setDate(QDate::currentDate());
    lbl_Nr2->clear();
    lbl_Name2->clear();

    // The logo is looked for in the current directory; a missing or broken
    // file leaves the area empty without a word.
    ImageTitle->setToolTip(u"logo.jpg"_s);
    if (!id.logoFile.isEmpty()) {
        QImageReader reader(id.logoFile);
        const QImage logo = reader.read();
        if (!logo.isNull())
            ImageTitle->setPixmap(QPixmap::fromImage(logo));
    }

    setWindowTitle(id.caption);
    m_services.sound->preload(id.stopSound);
    sbPlatz->setToolTip(u"Plätze zuweisen und sortieren"_s);
    m_services.sound->preload(id.startSound);

    LoadSettings();

    for (int i = 1; i < kPageCount; ++i)
        PageControl1->setTabVisible(i, false);

    // The operator's own decimal separator, whatever language the program speaks.
    cbAutomatisch->setToolTip(autoEntryHint(m_settings.AutoEinS, QLocale::system()));

    const int screens = int(QGuiApplication::screens().size());
    checkMonitorIndex(m_settings, screens);
    ImageTVEin->move(ImageTVAus->pos());
    ImageTVAus->setVisible(screens > 1);
    ImageTVEin->setVisible(false);

    sbCLS->setToolTip(u"[F8] Ergebnisse löschen"_s);
    Erase1->setText(u"Zeit löschen"_s);
    sbLoad->setToolTip(u"[Ctrl+O] Starterliste oder gespeichertes Protokoll öffnen"_s);
    bNext->setText(u"Nächster"_s);
    mPlatz->setText(u"Plätze verteilen"_s);

    bHilfe->setEnabled(QFileInfo(id.helpFile).isFile());

    ApplyDisplayColours();
    ShowTime(0, 0);
    ShowTime(1, m_bestTime);

    m_saveFolder = id.programFolder;
    m_openFolder = id.programFolder;
    m_saveFileName = id.title;

    m_competition->resetPages();
    UpdateFileButtons();
    applyRunControls();
    ImageLSstart->setImageIndex(ImageLocked);
    ImageLSstop->setImageIndex(ImageLocked);
    SelectResultRow(m_grids[0]->currentResultRow() > 0 ? m_grids[0]->currentResultRow() : 1);

    TimerDate = new QTimer(this);
    TimerDate->setObjectName(u"TimerDate"_s);
    TimerDate->setInterval(490);
    connect(TimerDate, &QTimer::timeout, this, &TFormMain::TimerDateTimer);
    TimerDate->start();
    TimerDateTimer();

    qApp->installEventFilter(this);
    layoutCentral();
    // The operator starts with the start number, not with the date field.
    cmb_Nr->setFocus();
}

void TFormMain::createActions()
{
    m_hideMenu = new QMenu(u"HideMenu"_s, this);
    m_hideMenu->setObjectName(u"HideMenu"_s);
    m_filesMenu = new QMenu(u"Files"_s, this);
    m_filesMenu->setObjectName(u"Files"_s);
    menuBar()->addMenu(m_hideMenu)->setVisible(false);
    menuBar()->addMenu(m_filesMenu)->setVisible(false);
    menuBar()->setVisible(false);

    QMenu *h = m_hideMenu;
    mStart = addMenuAction(h, u"mStart"_s, u"Start"_s, {Qt::Key_F5});
    mStop = addMenuAction(h, u"mStop"_s, u"Stopp"_s);
    mAbbruch = addMenuAction(h, u"mAbbruch"_s, u"Abbruch"_s, {Qt::Key_F8});
    mEintragen = addMenuAction(h, u"mEintragen"_s, u"Eintragen"_s, {Qt::Key_F9});
    mNext = addMenuAction(h, u"mNext"_s, u"Next"_s, {Qt::Key_F10});
    LockLS1 = addMenuAction(h, u"LockLS1"_s, u"Lock LS Start"_s, {Qt::Key_F4});
    LockLS21 = addMenuAction(h, u"LockLS21"_s, u"Lock LS2"_s, {Qt::Key_F11});
    mCFG = addMenuAction(h, u"mCFG"_s, u"Einstellungen"_s, {Qt::Key_F2});
    mHilfe = addMenuAction(h, u"mHilfe"_s, u"Hilfe"_s, {Qt::Key_F1, QKeySequence(Qt::ALT | Qt::Key_I)});
    mInfo = addMenuAction(h, u"mInfo"_s, u"Info"_s, {Qt::Key_F3});
    Modus1 = addMenuAction(h, u"Modus1"_s, u"TV Modus"_s, {QKeySequence(Qt::CTRL | Qt::Key_T)});
    mStrafMinus = addMenuAction(h, u"mStrafMinus"_s, u"Straf-"_s);
    mStrafPlus = addMenuAction(h, u"mStrafPlus"_s, u"Straf+"_s);
    Neu1 = addMenuAction(h, u"Neu1"_s, u"Neue zeile"_s);
    Neu2 = addMenuAction(h, u"Neu2"_s, u"Neue zeile"_s);
    Platzeverteilen1 = addMenuAction(h, u"Platzeverteilen1"_s, u"Platze verteilen"_s, {QKeySequence(Qt::CTRL | Qt::Key_P)});
    addMenuAction(h, u"LSTest1"_s, u"LS Test"_s, {QKeySequence(Qt::CTRL | Qt::Key_L)});
    addMenuAction(h, u"Bonus1"_s, u"Bonus"_s, {QKeySequence(Qt::CTRL | Qt::Key_B)});
    // These two have no action and stay disabled; their keys are still the
    // menu's, so they never reach a text field.
    addMenuAction(h, u"Fehler1"_s, u"Fehler"_s, {QKeySequence(Qt::CTRL | Qt::Key_F)})->setEnabled(false);
    addMenuAction(h, u"Weigerungen1"_s, u"Weigerungen"_s, {QKeySequence(Qt::CTRL | Qt::Key_V)})->setEnabled(false);

    QMenu *f = m_filesMenu;
    mLoad = addMenuAction(f, u"Load"_s, u"Load"_s, {QKeySequence(Qt::CTRL | Qt::Key_O)});
    mSave = addMenuAction(f, u"Save"_s, u"Save"_s, {QKeySequence(Qt::CTRL | Qt::Key_S)});
    mHtml = addMenuAction(f, u"Html"_s, u"Html"_s, {QKeySequence(Qt::CTRL | Qt::Key_H)});
    mExcel = addMenuAction(f, u"Excel"_s, u"Excel"_s, {QKeySequence(Qt::CTRL | Qt::Key_E)});
    mWord = addMenuAction(f, u"Word"_s, u"Word"_s, {QKeySequence(Qt::CTRL | Qt::Key_W)});

    // Neither the stop nor the three following commands work at start-up.
    mStop->setEnabled(false);
    mAbbruch->setEnabled(false);
    mEintragen->setEnabled(false);
    mNext->setEnabled(false);

    // The popup menu of the result grids.
    PopupMenuProtokol = new QMenu(this);
    PopupMenuProtokol->setObjectName(u"PopupMenuProtokol"_s);
    mDis = PopupMenuProtokol->addAction(u"Disqualifizieren"_s);
    mDis->setObjectName(u"mDis"_s);
    Erase1 = PopupMenuProtokol->addAction(u"Zeit loeschen"_s);
    Erase1->setObjectName(u"Erase1"_s);
    mPlatz = PopupMenuProtokol->addAction(u"Platze verteilen"_s);
    mPlatz->setObjectName(u"mPlatz"_s);
    mPlatz->setVisible(false);
    mClear1 = PopupMenuProtokol->addAction(u"Zeile entfernen       (Strg-)"_s);
    mClear1->setObjectName(u"mClear1"_s);
    Neuezeile1 = PopupMenuProtokol->addAction(u"Neue Zeile               (Strg+)"_s);
    Neuezeile1->setObjectName(u"Neuezeile1"_s);
    QAction *sortClasses = PopupMenuProtokol->addAction(u"Sortieren Klassen+Zeit"_s);
    sortClasses->setObjectName(u"Sortieren1"_s);
    sortClasses->setVisible(false);
    sortClasses->setEnabled(false);
    // Removing a row has keys of its own: Ctrl with either minus key.
    mClear1->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Minus), QKeySequence(Qt::ControlModifier | Qt::KeypadModifier | Qt::Key_Minus)});
    mClear1->setShortcutContext(Qt::WindowShortcut);
    // The caption names the key already; the menu must not list it twice.
    mClear1->setShortcutVisibleInContextMenu(false);
    addAction(mClear1);
    for (const QKeySequence &k : mClear1->shortcuts())
        m_menuKeys.insert(k[0]);

    // New row: Ctrl with the plus key of the keypad and of the main keyboard.
    Neu1->setShortcut(QKeySequence(Qt::ControlModifier | Qt::KeypadModifier | Qt::Key_Plus));
    Neu2->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Plus));
    m_menuKeys.insert(Neu1->shortcut()[0]);
    m_menuKeys.insert(Neu2->shortcut()[0]);
    m_menuKeys.insert(QKeyCombination(Qt::Key_F5));

    connect(mStart, &QAction::triggered, this, &TFormMain::mStartClick);
    connect(mStop, &QAction::triggered, this, &TFormMain::mStopClick);
    connect(mAbbruch, &QAction::triggered, this, &TFormMain::mAbbruchClick);
    connect(mEintragen, &QAction::triggered, this, &TFormMain::EnterRun);
    connect(mNext, &QAction::triggered, this, &TFormMain::PrepareNextDriver);
    connect(LockLS1, &QAction::triggered, m_run, &RunController::toggleStartBarrier);
    connect(LockLS21, &QAction::triggered, m_run, &RunController::toggleFinishBarrier);
    connect(mCFG, &QAction::triggered, this, &TFormMain::bCFGClick);
    connect(mHilfe, &QAction::triggered, this, &TFormMain::mHilfeClick);
    connect(mInfo, &QAction::triggered, this, &TFormMain::bInfoClick);
    connect(mStrafMinus, &QAction::triggered, this, &TFormMain::mStrafMinusClick);
    connect(mStrafPlus, &QAction::triggered, this, &TFormMain::mStrafPlusClick);
    connect(Neu1, &QAction::triggered, this, &TFormMain::Neuezeile1Click);
    connect(Neu2, &QAction::triggered, this, &TFormMain::Neuezeile1Click);
    connect(Neuezeile1, &QAction::triggered, this, &TFormMain::Neuezeile1Click);
    connect(Erase1, &QAction::triggered, this, &TFormMain::DelResultClick);
    connect(mDis, &QAction::triggered, this, &TFormMain::mDisClick);
    connect(mClear1, &QAction::triggered, this, &TFormMain::mClear1Click);
    connect(mLoad, &QAction::triggered, this, &TFormMain::sbLoadClick);
    connect(mSave, &QAction::triggered, this, &TFormMain::sbSaveClick);
    connect(mHtml, &QAction::triggered, this, [this] { sbInetClick(0); });
}

QAction *TFormMain::addMenuAction(QMenu *menu, const QString &objectName, const QString &caption,
                                  const QList<QKeySequence> &keys)
{
    auto *a = menu->addAction(caption);
    a->setObjectName(objectName);
    a->setShortcuts(keys);
    // The menu is never shown: the window itself carries the shortcuts, so
    // they work wherever the focus is inside it.
    a->setShortcutContext(Qt::WindowShortcut);
    addAction(a);
    for (const QKeySequence &k : keys)
        m_menuKeys.insert(k[0]);
    return a;
}

void TFormMain::createTopBar(QWidget *central)
{
    m_topBar = new QWidget(central);
    m_topBar->setObjectName(u"PanelTop"_s);
    setBackground(m_topBar, verticalGradient(kTopBarHeight, QColor(70, 90, 130), QColor(30, 40, 70)),
                  QPalette::ButtonText, Qt::white);

    auto makeTopButton = [this](const QString &name, const QString &caption, const QString &hint, ToolGlyph glyph,
                                int left) {
        auto *b = new QToolButton(m_topBar);
        b->setObjectName(name);
        b->setText(caption);
        b->setToolTip(hint);
        b->setIcon(toolIcon(glyph, 22));
        b->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        b->setAutoRaise(true);
        b->setFocusPolicy(Qt::NoFocus);
        b->setGeometry(left, 3, 124, 32);
        return b;
    };
    bHilfe = makeTopButton(u"bHilfe"_s, u"Hilfe"_s, u"[F1]"_s, ToolGlyph::Help, 4);
    bHilfe->setCursor(Qt::WhatsThisCursor);
    bCFG = makeTopButton(u"bCFG"_s, u"Einstellungen"_s, u"[F2]"_s, ToolGlyph::Settings, 132);
    bInfo = makeTopButton(u"bInfo"_s, u"Info"_s, u"[F3]"_s, ToolGlyph::Info, 260);
    connect(bHilfe, &QToolButton::clicked, mHilfe, &QAction::trigger);
    connect(bCFG, &QToolButton::clicked, mCFG, &QAction::trigger);
    connect(bInfo, &QToolButton::clicked, mInfo, &QAction::trigger);

    PanelTime = new QLabel(m_topBar);
    PanelTime->setObjectName(u"PanelTime"_s);
    PanelTime->setFont(arial(19, true));
    PanelTime->setStyleSheet(u"color: rgb(0,255,0);"_s);
    PanelTime->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    DateTimePicker1 = new QDateEdit(m_topBar);
    DateTimePicker1->setObjectName(u"DateTimePicker1"_s);
    DateTimePicker1->setCalendarPopup(true);
    DateTimePicker1->setFocusPolicy(Qt::ClickFocus);
    DateTimePicker1->setDisplayFormat(u"dd.MM.yyyy"_s);
}

void TFormMain::createUpperBand(QWidget *central)
{
    m_band = new QWidget(central);
    m_band->setObjectName(u"PanelBand"_s);
    setBackground(m_band, kSkyBlue);

    createDisplayArea(m_band);
    createCommandArea(m_band);
    createProtocolBar(m_band);

    ImageTitle = new QLabel(m_band);
    ImageTitle->setObjectName(u"ImageTitle"_s);
    ImageTitle->setAlignment(Qt::AlignCenter);
    ImageTitle->setAttribute(Qt::WA_TranslucentBackground);
}

void TFormMain::createDisplayArea(QWidget *band)
{
    m_displayArea = new QWidget(band);
    m_displayArea->setObjectName(u"PanelDisplay"_s);
    m_displayArea->setGeometry(0, 0, kDisplayAreaWidth, kBandHeight);
    setBackground(m_displayArea, verticalGradient(kBandHeight, QColor(20, 20, 30), Qt::black),
                  QPalette::WindowText, Qt::white);

    m_digits = new DigitPanel(m_displayArea);
    m_digits->placeAsDesigned(QPoint(0, 0));
    m_timeDisplay->addPanel(m_digits);

    Bevel1 = new QFrame(m_displayArea);
    Bevel1->setObjectName(u"Bevel1"_s);
    Bevel1->setFrameShape(QFrame::HLine);
    Bevel1->setFrameShadow(QFrame::Sunken);
    Bevel1->setGeometry(30, 165, 343, 1);

    lbl_Nr2 = makeLabel(m_displayArea, u"lbl_Nr2"_s, {}, {33, 10, 70, 34});
    lbl_Nr2->setFont(arial(26, true));
    lbl_Name2 = makeLabel(m_displayArea, u"lbl_Name2"_s, {}, {105, 14, 268, 28});
    QFont nameFont = arial(19, true);
    nameFont.setPointSize(14);
    lbl_Name2->setFont(nameFont);
    lbl_Best = makeLabel(m_displayArea, u"lbl_Best"_s, u"Best:"_s, {33, 170, 60, 24});
    lbl_Best->setFont(arial(19, true));
    lbl_Best->setStyleSheet(u"color: rgb(222,222,66);"_s);
    lbl_Club2 = makeLabel(m_displayArea, u"lbl_Club2"_s, {}, {95, 170, 278, 24});
    lbl_Club2->setFont(arial(17, true));
    lbl_Club2->setStyleSheet(u"color: rgb(222,222,66);"_s);

    ImageTVAus = makeLabel(m_displayArea, u"ImageTVAus"_s, {}, {374, 4, 24, 24});
    ImageTVAus->setPixmap(toolIcon(ToolGlyph::TvOff, 24).pixmap(24, 24));
    ImageTVAus->setToolTip(u"TV ist nicht angeschlossen"_s);
    ImageTVAus->setCursor(Qt::PointingHandCursor);
    ImageTVEin = makeLabel(m_displayArea, u"ImageTVEin"_s, {}, {374, 30, 24, 24});
    ImageTVEin->setPixmap(toolIcon(ToolGlyph::TvOn, 24).pixmap(24, 24));
    ImageTVEin->setToolTip(u"TV Modus"_s);
    ImageTVEin->setCursor(Qt::PointingHandCursor);
}

void TFormMain::createCommandArea(QWidget *band)
{
    m_runGroup = new QGroupBox(u" Lauf "_s, band);
    m_runGroup->setObjectName(u"GroupBoxLauf"_s);
    m_runGroup->setGeometry(405, 5, 54, 78);
    const std::array<QString, 3> runCaptions{u"TR"_s, u"1."_s, u"2."_s};
    const std::array<QString, 3> runHints{u"Trainingslauf"_s, u"Wertungslauf 1"_s, u"Wertungslauf 2"_s};
    for (int r = 0; r < 3; ++r) {
        auto *rb = new QRadioButton(runCaptions[std::size_t(r)], m_runGroup);
        rb->setObjectName(u"RadioButton%1"_s.arg(r));
        rb->setToolTip(runHints[std::size_t(r)]);
        rb->setProperty("tag", r);
        rb->setGeometry(6, 16 + 20 * r, 46, 19);
        rb->setFocusPolicy(Qt::NoFocus);
        connect(rb, &QRadioButton::clicked, this, [this, r] { RadioButton0Click(r); });
        m_runButtons[std::size_t(r)] = rb;
    }
    m_runButtons[0]->setChecked(true);

    sbLoad = new QToolButton(band);
    sbLoad->setObjectName(u"sbLoad"_s);
    sbLoad->setGeometry(465, 6, 39, 40);
    sbLoad->setIcon(toolIcon(ToolGlyph::Open));
    sbLoad->setIconSize(QSize(30, 30));
    sbLoad->setAutoRaise(true);
    sbLoad->setFocusPolicy(Qt::NoFocus);
    connect(sbLoad, &QToolButton::clicked, this, &TFormMain::sbLoadClick);

    auto rightLabel = [band](const QString &name, const QString &text, int top) {
        QLabel *l = makeLabel(band, name, text, {480, top, 85, 27});
        l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        l->setFont(arial(15, true));
        return l;
    };
    rightLabel(u"lbl_Klasse"_s, u"Klasse:"_s, 6);
    cmb_Klasse = new QComboBox(band);
    cmb_Klasse->setObjectName(u"cmb_Klasse"_s);
    cmb_Klasse->setGeometry(567, 6, 220, 27);
    cmb_Klasse->setEditable(true);
    cmb_Klasse->setInsertPolicy(QComboBox::NoInsert);
    connect(cmb_Klasse, &QComboBox::activated, this, [this] { cmb_KlasseChange(); });

    rightLabel(u"lbl_Nr"_s, u"StNr.:"_s, 36);
    cmb_Nr = new QComboBox(band);
    cmb_Nr->setObjectName(u"cmb_Nr"_s);
    cmb_Nr->setGeometry(567, 36, 74, 27);
    cmb_Nr->setEditable(true);
    cmb_Nr->setInsertPolicy(QComboBox::NoInsert);
    cmb_Nr->setMaxVisibleItems(10);
    cmb_Nr->lineEdit()->setMaxLength(5);
    // The start number is what the operator typed: completing "1" to a listed
    // "12" would put the run into another driver's row.
    cmb_Nr->setCompleter(nullptr);
    // Only digits reach the start number; every other character is swallowed.
    cmb_Nr->lineEdit()->setValidator(
        new QRegularExpressionValidator(QRegularExpression(u"[0-9]{0,5}"_s), cmb_Nr));
    connect(cmb_Nr, &QComboBox::currentTextChanged, this, [this] { cmb_NrChange(); });

    rightLabel(u"lbl_Name"_s, u"Fahrer/in:"_s, 68);
    txt_Name = new QLineEdit(band);
    txt_Name->setObjectName(u"txt_Name"_s);
    txt_Name->setGeometry(567, 68, 220, 27);
    txt_Name->setToolTip(u"Fahrername, Vorname"_s);

    cbClub = new QCheckBox(band);
    cbClub->setObjectName(u"cbClub"_s);
    cbClub->setGeometry(475, 104, 17, 17);
    cbClub->setToolTip(u"Spalte anzeigen"_s);
    cbClub->setChecked(true);
    cbClub->setFocusPolicy(Qt::NoFocus);
    connect(cbClub, &QCheckBox::clicked, this, &TFormMain::cbClubClick);
    lbl_Club = rightLabel(u"lbl_Club"_s, u"Ortsclub:"_s, 100);
    lbl_Club->setGeometry(494, 100, 71, 27);
    txt_Club = new QLineEdit(band);
    txt_Club->setObjectName(u"txt_Club"_s);
    txt_Club->setGeometry(567, 100, 220, 27);
    txt_Club->setToolTip(u"Club / Ort"_s);

    lbl_Time_error = makeLabel(band, u"lbl_Time_error"_s, u"Zeit existiert!!!"_s, {410, 148, 103, 19});
    lbl_Time_error->setFont(arial(15, true));
    lbl_Time_error->setStyleSheet(u"color: red;"_s);
    lbl_Time_error->hide();

    cmb_Punkte = new QCheckBox(u"Punkte berechnen:"_s, band);
    cmb_Punkte->setObjectName(u"cmb_Punkte"_s);
    cmb_Punkte->setGeometry(621, 148, 164, 17);
    cmb_Punkte->setLayoutDirection(Qt::RightToLeft);
    cmb_Punkte->setChecked(true);
    cmb_Punkte->setEnabled(false);

    cbAutomatisch = new QCheckBox(band);
    cbAutomatisch->setObjectName(u"cbAutomatisch"_s);
    cbAutomatisch->hide();
    connect(cbAutomatisch, &QCheckBox::clicked, this, &TFormMain::cbAutomatischClick);

    bSTOP = new TLbSpeedButton(u"STOPP"_s, band);
    bSTOP->setObjectName(u"bSTOP"_s);
    bSTOP->setGeometry(404, 171, 120, 36);
    bSTOP->setToolTip(u"[F5] Handzeitnahme"_s);
    bSTART = new TLbSpeedButton(u"START"_s, band);
    bSTART->setObjectName(u"bSTART"_s);
    bSTART->setGeometry(404, 171, 120, 36);
    bSTART->setToolTip(u"[F5] Handzeitnahme"_s);
    connect(bSTART, &TLbSpeedButton::mousePressed, mStart, &QAction::trigger);
    connect(bSTOP, &TLbSpeedButton::mousePressed, mStop, &QAction::trigger);

    ImageLSstop = new TBarrierPicture(band);
    ImageLSstop->setObjectName(u"ImageLSstop"_s);
    ImageLSstop->setGeometry(528, 173, 32, 32);
    ImageLSstop->setToolTip(u"[F11] = Ziel-LS frei/gesperrt"_s);
    ImageLSstart = new TBarrierPicture(band);
    ImageLSstart->setObjectName(u"ImageLSstart"_s);
    ImageLSstart->setGeometry(528, 173, 32, 32);
    ImageLSstart->setToolTip(u"[F4] Lichtschranke Ein / Aus"_s);
    ImageLSstop->hide();
    ImageLSstart->hide();
    connect(ImageLSstart, &TBarrierPicture::clicked, m_run, &RunController::toggleStartBarrier);
    connect(ImageLSstop, &TBarrierPicture::clicked, m_run, &RunController::toggleFinishBarrier);

    // Each press adds the button's tag in seconds; the colours follow the
    // run state (applyRunControls).
    auto makePenaltyButton = [this, band](const QString &name, const QString &caption, int top, int seconds) {
        auto *b = new TLbSpeedButton(caption, band);
        b->setObjectName(name);
        b->setGeometry(567, top, 158, 32);
        b->setProperty("tag", seconds);
        connect(b, &QAbstractButton::clicked, this, [this, seconds] { bFehlClick(seconds); });
        return b;
    };
    bFehl2 = makePenaltyButton(u"bFehl2"_s, u"Pylonenfehler +2"_s, 171, 2);
    bFehl10 = makePenaltyButton(u"bFehl10"_s, u"Torfehler +10"_s, 207, 10);

    seStrafe = new QSpinBox(band);
    seStrafe->setObjectName(u"seStrafe"_s);
    seStrafe->setGeometry(729, 189, 58, 32);
    seStrafe->setToolTip(u"StS"_s);
    seStrafe->setRange(-99999, 99999);
    seStrafe->setValue(0);
    seStrafe->setFont(arial(17, true));

    bAbbruch = new TLbSpeedButton(band);
    bAbbruch->setObjectName(u"bAbbruch"_s);
    bAbbruch->setFlat(true);
    bAbbruch->setGeometry(448, 207, 36, 36);
    bAbbruch->setToolTip(u"[F8] Abbruch"_s);
    connect(bAbbruch, &QAbstractButton::clicked, mAbbruch, &QAction::trigger);

    bEintragen = new TLbSpeedButton(u"Eintragen"_s, band);
    bEintragen->setObjectName(u"bEintragen"_s);
    bEintragen->setGeometry(404, 243, 120, 36);
    bEintragen->setToolTip(u"[F9] IN"_s);
    // The button calls the entry directly; the menu item gates it by being
    // disabled together with the button.
    connect(bEintragen, &QAbstractButton::clicked, this, &TFormMain::EnterRun);

    bNext = new TLbSpeedButton(u"Next"_s, band);
    bNext->setObjectName(u"bNext"_s);
    bNext->setGeometry(567, 243, 158, 36);
    bNext->setToolTip(u"[F10] NEXT"_s);
    connect(bNext, &TLbSpeedButton::mousePressed, mNext, &QAction::trigger);

    for (QWidget *w : std::initializer_list<QWidget *>{bSTART, bSTOP, bAbbruch, bEintragen, bNext, bFehl2, bFehl10})
        w->setFocusPolicy(Qt::NoFocus);

    connect(m_run, &RunController::controlsChanged, this, &TFormMain::applyRunControls);
    connect(m_run, &RunController::runningTime, this, [this](qint32 ms) { ShowTime(0, ms); });
    connect(m_run, &RunController::displayReset, this, [this] {
        ApplyDisplayColours();
        ShowTime(0, 0);
    });
    connect(m_run, &RunController::startSoundRequested, this, [this] { PlayRunSound(m_services.identity.startSound); });
    connect(m_run, &RunController::stopSoundRequested, this, [this] { PlayRunSound(m_services.identity.stopSound); });
    connect(m_run, &RunController::autoEntryDue, this, [this] {
        // The timer presses the enter button.
        if (bEintragen->isEnabled())
            EnterRun();
    });
}

void TFormMain::createProtocolBar(QWidget *band)
{
    Panel4 = new QWidget(band);
    Panel4->setObjectName(u"Panel4"_s);
    Panel4->setGeometry(400, 281, 392, 43);
    setBackground(Panel4, QColor(40, 60, 110), QPalette::WindowText, Qt::white);
    QLabel *title = makeLabel(Panel4, u"lbl_Protokoll"_s, u"PROTOKOLL"_s, {8, 2, 128, 39});
    title->setFont(arial(19, true));

    auto makeBarButton = [this](const QString &name, ToolGlyph glyph, const QString &hint, int index) {
        auto *b = new QToolButton(Panel4);
        b->setObjectName(name);
        b->setIcon(toolIcon(glyph));
        b->setIconSize(QSize(28, 28));
        b->setToolTip(hint);
        b->setAutoRaise(true);
        b->setFocusPolicy(Qt::NoFocus);
        b->setGeometry(138 + 36 * index, 2, 36, 39);
        return b;
    };
    sbPlatz = makeBarButton(u"sbPlatz"_s, ToolGlyph::Rank, {}, 0);
    sbSave = makeBarButton(u"sbSave"_s, ToolGlyph::Save, u"[Ctrl+S] Speichern unter..."_s, 1);
    sbPrint = makeBarButton(u"sbPrint"_s, ToolGlyph::Print, u"Drucken"_s, 2);
    sbExcel = makeBarButton(u"sbExcel"_s, ToolGlyph::Excel, u"[Ctrl+E] Excel"_s, 3);
    sbWord = makeBarButton(u"sbWord"_s, ToolGlyph::Word, u"[Ctrl+W] Word"_s, 4);
    sbInet = makeBarButton(u"sbInet"_s, ToolGlyph::Web, u"[Ctrl+H] Als Webseite"_s, 5);
    sbCLS = makeBarButton(u"sbCLS"_s, ToolGlyph::Clear, {}, 6);
    sbPrint->setProperty("tag", 1);
    sbInet->setProperty("tag", 0);
    connect(sbPlatz, &QToolButton::clicked, this, &TFormMain::sbPlatzClick);
    connect(sbSave, &QToolButton::clicked, this, &TFormMain::sbSaveClick);
    connect(sbPrint, &QToolButton::clicked, this, [this] { sbInetClick(1); });
    connect(sbInet, &QToolButton::clicked, this, [this] { sbInetClick(0); });
    connect(sbCLS, &QToolButton::clicked, this, &TFormMain::sbCLSClick);
}

void TFormMain::createResultPages(QWidget *central)
{
    PageControl1 = new QTabWidget(central);
    PageControl1->setObjectName(u"PageControl1"_s);
    PageControl1->setDocumentMode(true);
    for (int i = 0; i < kPageCount; ++i) {
        auto *sheet = new QWidget;
        sheet->setObjectName(u"TabSheet%1"_s.arg(i + 1));
        auto *grid = new TSortGrid(m_competition->page(i), sheet);
        grid->setObjectName(u"SortGrid%1"_s.arg(i + 1));
        auto *layout = new QVBoxLayout(sheet);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(grid);
        m_grids[std::size_t(i)] = grid;
        PageControl1->addTab(sheet, m_competition->page(i)->caption());

        ResultPage *page = m_competition->page(i);
        connect(page, &ResultPage::captionChanged, this, [this, i, page] { PageControl1->setTabText(i, page->caption()); });
        connect(page, &ResultPage::tabVisibleChanged, this, [this, i, page] { PageControl1->setTabVisible(i, page->tabVisible()); });
        connect(grid, &TSortGrid::editFinished, this, &TFormMain::SortGrid1EditFinished);
        connect(grid, &TSortGrid::editCancelled, this, &TFormMain::SortGrid1EditCancelled);
        connect(grid, &TSortGrid::rowDoubleClicked, this, &TFormMain::SortGrid1DblClick);
        connect(grid, &TSortGrid::currentResultRowChanged, this, [this, grid](int row) {
            if (grid == activeGrid())
                m_statusPanels[0]->setText(u"%1:%2"_s.arg(row).arg(activePage()->dataRows()));
        });
        connect(grid, &TSortGrid::contextMenuRequested, this, [this](int, const QPoint &pos) { PopupMenuProtokol->popup(pos); });
    }
    // Whatever brings a page to the front (a click on its tab, the keyboard),
    // its class becomes the current class.
    connect(PageControl1, &QTabWidget::currentChanged, this, [this](int index) {
        if (!m_choosingClass)
            PageControl1Change(index);
    });
}

void TFormMain::createStatusBar()
{
    QStatusBar *bar = statusBar();
    bar->setObjectName(u"StatusBar1"_s);
    bar->setSizeGripEnabled(true);
    const std::array<int, 3> widths{50, 230, 50};
    const std::array<QString, 3> texts{QString(), u"Vexilor \u2013 Zeitnahme und Ergebnisse f\u00fcr Kart-Slalom"_s,
                                       u"Version 1.2"_s};
    for (int i = 0; i < 3; ++i) {
        auto *l = new QLabel(texts[std::size_t(i)], bar);
        l->setObjectName(u"StatusPanel%1"_s.arg(i + 1));
        l->setMinimumWidth(widths[std::size_t(i)]);
        l->setFrameShape(QFrame::StyledPanel);
        bar->addWidget(l, i == 1 ? 1 : 0);
        m_statusPanels[std::size_t(i)] = l;
    }
}

void TFormMain::layoutCentral()
{
    QWidget *central = centralWidget();
    if (!central || !m_band)
        return;
    const int w = central->width();
    m_topBar->setGeometry(0, 0, w, kTopBarHeight);
    DateTimePicker1->setGeometry(w - 118, 7, 110, 24);
    PanelTime->setGeometry(w - 230, 3, 106, 32);
    m_band->setGeometry(0, kTopBarHeight, w, kBandHeight);
    ImageTitle->setGeometry(792, 1, qMax(0, w - 792 - 4), 322);
    PageControl1->setGeometry(0, kTopBarHeight + kBandHeight, w, qMax(0, central->height() - kTopBarHeight - kBandHeight));
}

void TFormMain::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    layoutCentral();
    FormResize();
}

// Column widths follow the grid's width; the other grids copy the first.
void TFormMain::FormResize()
{
    if (!m_grids[0])
        return;
    const QList<int> widths = computeColumnWidths(m_grids[0]->viewport()->width(), m_widthPercent);
    for (TSortGrid *g : m_grids)
        g->setColumnWidths(widths);
}

void TFormMain::LoadSettings()
{
    if (m_services.settingsBackend) {
        SettingsStore store(*m_services.settingsBackend, settingsKeyPath(m_services.identity.title));
        store.load(m_settings);
    }
    applySettingsToControls();
}

// Each loaded value reaches the control that uses it.
void TFormMain::applySettingsToControls()
{
    const Settings &s = m_settings;
    resize(qMax(s.Width, kMinWindowWidth), qMax(s.Height, kMinWindowHeight));
    move(s.Left, s.Top);
    m_run->setLockTimeMs(s.StartLock);
    m_run->setAutoEntry(s.AutoEin, s.AutoEinS);
    if (cbAutomatisch->isChecked() != s.AutoEin) {
        cbAutomatisch->setChecked(s.AutoEin);
        cbAutomatischClick();
    }
    if (cbClub->isChecked() != s.cbClub) {
        cbClub->setChecked(s.cbClub);
        cbClubClick();
    }
}

void TFormMain::SaveSettings()
{
    Settings &s = m_settings;
    const QRect bounds = normalGeometry().isValid() ? normalGeometry() : geometry();
    // Left and Top are the frame's edges, as move() takes them at start-up;
    // the client area lies inside by the border and the title bar, and
    // storing its corner would creep the window down at every start.
    const QPoint frameOffset = geometry().topLeft() - frameGeometry().topLeft();
    s.Left = bounds.x() - frameOffset.x();
    s.Top = bounds.y() - frameOffset.y();
    s.Width = qMax(bounds.width(), kMinWindowWidth);
    s.Height = qMax(bounds.height(), kMinWindowHeight);
    s.StartLock = m_run->lockTimeMs();
    s.AutoEinS = m_run->autoEntryDelayMs();
    s.AutoEin = cbAutomatisch->isChecked();
    s.cbClub = cbClub->isChecked();
    if (!m_services.settingsBackend)
        return;
    SettingsStore store(*m_services.settingsBackend, settingsKeyPath(m_services.identity.title));
    if (const std::optional<QString> error = store.save(s))
        QMessageBox::critical(this, m_services.identity.title, *error);
}

void TFormMain::closeEvent(QCloseEvent *event)
{
    if (m_closing || !AskYesNo(u"Beenden?"_s)) {
        event->ignore();
        return;
    }
    m_closing = true;
    SaveSettings();
    // The serial port of the light barriers closes here once it exists.
    if (m_monitor)
        m_monitor->close();
    if (m_info)
        m_info->close();
    event->accept();
}

// Every shortcut of the hidden menu belongs to the window, wherever the focus
// is: a text field must not take Ctrl+V or Ctrl+F for itself, even though
// their menu items do nothing.
bool TFormMain::eventFilter(QObject *watched, QEvent *event)
{
    // The column widths follow the first grid's client width.
    if (event->type() == QEvent::Resize && m_grids[0] && watched == m_grids[0]->viewport()) {
        FormResize();
        return false;
    }
    if (event->type() == QEvent::ShortcutOverride || event->type() == QEvent::KeyPress) {
        auto *w = qobject_cast<QWidget *>(watched);
        if (w && w->window() == this) {
            const auto *key = static_cast<QKeyEvent *>(event);
            if (m_menuKeys.contains(key->keyCombination())) {
                if (event->type() == QEvent::ShortcutOverride)
                    event->ignore();
                return true;
            }
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void TFormMain::mHilfeClick()
{
    const QString &help = m_services.identity.helpFile;
    if (QFileInfo(help).isFile())
        m_services.help->showContents(help);
}

void TFormMain::bInfoClick()
{
    if (!m_info)
        m_info = new TFormInfo(this);
    m_info->showInfo();
}

void TFormMain::bCFGClick()
{
    if (!m_cfg)
        return;
    m_cfg->exec();
}

void TFormMain::TimerDateTimer()
{
    PanelTime->setText(longTimeText(QTime::currentTime(), QLocale::system()));
    // "Hilfe" works exactly while the help file is there, also when it is put
    // beside the program or taken away while the program runs.
    bHilfe->setEnabled(QFileInfo(m_services.identity.helpFile).isFile());
}

void TFormMain::showError(const QString &text)
{
    QMessageBox::critical(this, m_services.identity.title, text);
}

ResultPage *TFormMain::activePage() const
{
    return m_competition->page(activePageIndex());
}

TSortGrid *TFormMain::activeGrid() const
{
    return m_grids[std::size_t(activePageIndex())];
}

int TFormMain::activePageIndex() const
{
    const int i = PageControl1 ? PageControl1->currentIndex() : 0;
    return i < 0 ? 0 : i;
}

} // namespace vex
