// The controls of the operator's window: what they are, say and look like.
#include "app/mainwidgets.h"

#include "app/appidentity.h"
#include "app/toolicons.h"
#include "display/designedlayout.h"
#include "display/digitpanel.h"
#include "results/competition.h"
#include "settings/settings.h"
#include "timing/runcontroller.h"
#include "widgets/barrierpicture.h"
#include "widgets/commandbutton.h"
#include "widgets/resultgrid.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QGroupBox>
#include <QGuiApplication>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QScreen>
#include <QSpinBox>
#include <QStatusBar>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

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

struct Builder
{
    QMainWindow &win;
    const Competition &competition;
    MainWidgets &w;

    void createActions();
    QAction *addMenuAction(QMenu *menu, const QString &objectName, const QString &caption,
                           const QList<QKeySequence> &keys = {});
    void createTopBar(QWidget *central);
    void createUpperBand(QWidget *central);
    void createDisplayArea();
    void createCommandArea();
    void createProtocolBar();
    void createResultPages(QWidget *central);
    void createStatusBar();
};

void Builder::createActions()
{
    w.hideMenu = new QMenu(u"HideMenu"_s, &win);
    w.hideMenu->setObjectName(u"HideMenu"_s);
    w.filesMenu = new QMenu(u"Files"_s, &win);
    w.filesMenu->setObjectName(u"Files"_s);
    win.menuBar()->addMenu(w.hideMenu)->setVisible(false);
    win.menuBar()->addMenu(w.filesMenu)->setVisible(false);
    win.menuBar()->setVisible(false);

    QMenu *h = w.hideMenu;
    w.mStart = addMenuAction(h, u"mStart"_s, u"Start"_s, {Qt::Key_F5});
    w.mStop = addMenuAction(h, u"mStop"_s, u"Stopp"_s);
    w.mAbbruch = addMenuAction(h, u"mAbbruch"_s, u"Abbruch"_s, {Qt::Key_F8});
    w.mEintragen = addMenuAction(h, u"mEintragen"_s, u"Eintragen"_s, {Qt::Key_F9});
    w.mNext = addMenuAction(h, u"mNext"_s, u"Next"_s, {Qt::Key_F10});
    w.LockLS1 = addMenuAction(h, u"LockLS1"_s, u"Lock LS Start"_s, {Qt::Key_F4});
    w.LockLS21 = addMenuAction(h, u"LockLS21"_s, u"Lock LS2"_s, {Qt::Key_F11});
    w.mCFG = addMenuAction(h, u"mCFG"_s, u"Einstellungen"_s, {Qt::Key_F2});
    w.mHilfe = addMenuAction(h, u"mHilfe"_s, u"Hilfe"_s, {Qt::Key_F1, QKeySequence(Qt::ALT | Qt::Key_I)});
    w.mInfo = addMenuAction(h, u"mInfo"_s, u"Info"_s, {Qt::Key_F3});
    w.Modus1 = addMenuAction(h, u"Modus1"_s, u"TV Modus"_s, {QKeySequence(Qt::CTRL | Qt::Key_T)});
    w.mStrafMinus = addMenuAction(h, u"mStrafMinus"_s, u"Straf-"_s);
    w.mStrafPlus = addMenuAction(h, u"mStrafPlus"_s, u"Straf+"_s);
    w.Neu1 = addMenuAction(h, u"Neu1"_s, u"Neue zeile"_s);
    w.Neu2 = addMenuAction(h, u"Neu2"_s, u"Neue zeile"_s);
    w.Platzeverteilen1 = addMenuAction(h, u"Platzeverteilen1"_s, u"Platze verteilen"_s, {QKeySequence(Qt::CTRL | Qt::Key_P)});
    addMenuAction(h, u"LSTest1"_s, u"LS Test"_s, {QKeySequence(Qt::CTRL | Qt::Key_L)});
    addMenuAction(h, u"Bonus1"_s, u"Bonus"_s, {QKeySequence(Qt::CTRL | Qt::Key_B)});
    // These two have no action and stay disabled; their keys are still the
    // menu's, so they never reach a text field.
    addMenuAction(h, u"Fehler1"_s, u"Fehler"_s, {QKeySequence(Qt::CTRL | Qt::Key_F)})->setEnabled(false);
    addMenuAction(h, u"Weigerungen1"_s, u"Weigerungen"_s, {QKeySequence(Qt::CTRL | Qt::Key_V)})->setEnabled(false);

    QMenu *f = w.filesMenu;
    w.mLoad = addMenuAction(f, u"Load"_s, u"Load"_s, {QKeySequence(Qt::CTRL | Qt::Key_O)});
    w.mSave = addMenuAction(f, u"Save"_s, u"Save"_s, {QKeySequence(Qt::CTRL | Qt::Key_S)});
    w.mHtml = addMenuAction(f, u"Html"_s, u"Html"_s, {QKeySequence(Qt::CTRL | Qt::Key_H)});
    w.mExcel = addMenuAction(f, u"Excel"_s, u"Excel"_s, {QKeySequence(Qt::CTRL | Qt::Key_E)});
    w.mWord = addMenuAction(f, u"Word"_s, u"Word"_s, {QKeySequence(Qt::CTRL | Qt::Key_W)});

    // Holding a run key down must not repeat its command: F5 held would start
    // and, a moment later, stop the run.
    // Qt doesn't flag every repeated press, so the window's key guard watches
    // these keys as well.
    w.runActions = {w.mStart, w.mStop, w.mAbbruch, w.mEintragen, w.mNext, w.LockLS1, w.LockLS21};
    for (QAction *a : std::as_const(w.runActions)) {
        a->setAutoRepeat(false);
        for (const QKeySequence &k : a->shortcuts())
            w.runKeys.insert(k[0]);
    }
    w.runKeys.insert(QKeyCombination(Qt::Key_F5)); // Stop's key while a run goes

    // Neither the stop nor the three following commands work at start-up.
    w.mStop->setEnabled(false);
    w.mAbbruch->setEnabled(false);
    w.mEintragen->setEnabled(false);
    w.mNext->setEnabled(false);

    // The popup menu of the result w.grids.
    w.PopupMenuProtokol = new QMenu(&win);
    w.PopupMenuProtokol->setObjectName(u"PopupMenuProtokol"_s);
    w.mDis = w.PopupMenuProtokol->addAction(u"Disqualifizieren"_s);
    w.mDis->setObjectName(u"mDis"_s);
    w.Erase1 = w.PopupMenuProtokol->addAction(u"Zeit loeschen"_s);
    w.Erase1->setObjectName(u"Erase1"_s);
    w.mPlatz = w.PopupMenuProtokol->addAction(u"Platze verteilen"_s);
    w.mPlatz->setObjectName(u"mPlatz"_s);
    w.mPlatz->setVisible(false);
    w.mClear1 = w.PopupMenuProtokol->addAction(u"Zeile entfernen       (Strg-)"_s);
    w.mClear1->setObjectName(u"mClear1"_s);
    w.Neuezeile1 = w.PopupMenuProtokol->addAction(u"Neue Zeile               (Strg+)"_s);
    w.Neuezeile1->setObjectName(u"Neuezeile1"_s);
    QAction *sortClasses = w.PopupMenuProtokol->addAction(u"Sortieren Klassen+Zeit"_s);
    sortClasses->setObjectName(u"Sortieren1"_s);
    sortClasses->setVisible(false);
    sortClasses->setEnabled(false);
    // Removing a row has keys of its own: Ctrl with either minus key.
    w.mClear1->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Minus), QKeySequence(Qt::ControlModifier | Qt::KeypadModifier | Qt::Key_Minus)});
    w.mClear1->setShortcutContext(Qt::WindowShortcut);
    // The caption names the key already; the menu must not list it twice.
    w.mClear1->setShortcutVisibleInContextMenu(false);
    win.addAction(w.mClear1);
    for (const QKeySequence &k : w.mClear1->shortcuts())
        w.menuKeys.insert(k[0]);

    // New row: Ctrl with the plus key of the keypad and of the main keyboard.
    w.Neu1->setShortcut(QKeySequence(Qt::ControlModifier | Qt::KeypadModifier | Qt::Key_Plus));
    w.Neu2->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Plus));
    w.menuKeys.insert(w.Neu1->shortcut()[0]);
    w.menuKeys.insert(w.Neu2->shortcut()[0]);
    w.menuKeys.insert(QKeyCombination(Qt::Key_F5));
}

QAction *Builder::addMenuAction(QMenu *menu, const QString &objectName, const QString &caption,
                                  const QList<QKeySequence> &keys)
{
    auto *a = menu->addAction(caption);
    a->setObjectName(objectName);
    a->setShortcuts(keys);
    // The menu is never shown: the window itself carries the shortcuts, so
    // they work wherever the focus is inside it.
    a->setShortcutContext(Qt::WindowShortcut);
    win.addAction(a);
    for (const QKeySequence &k : keys)
        w.menuKeys.insert(k[0]);
    return a;
}

void Builder::createTopBar(QWidget *central)
{
    w.topBar = new QWidget(central);
    w.topBar->setObjectName(u"PanelTop"_s);
    setBackground(w.topBar, verticalGradient(kTopBarHeight, QColor(70, 90, 130), QColor(30, 40, 70)),
                  QPalette::ButtonText, Qt::white);

    auto makeTopButton = [this](const QString &name, const QString &caption, const QString &hint, ToolGlyph glyph,
                                int left) {
        auto *b = new QToolButton(w.topBar);
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
    w.bHilfe = makeTopButton(u"bHilfe"_s, u"Hilfe"_s, u"[F1]"_s, ToolGlyph::Help, 4);
    w.bHilfe->setCursor(Qt::WhatsThisCursor);
    w.bCFG = makeTopButton(u"bCFG"_s, u"Einstellungen"_s, u"[F2]"_s, ToolGlyph::Settings, 132);
    w.bInfo = makeTopButton(u"bInfo"_s, u"Info"_s, u"[F3]"_s, ToolGlyph::Info, 260);
    QObject::connect(w.bHilfe, &QToolButton::clicked, w.mHilfe, &QAction::trigger);
    QObject::connect(w.bCFG, &QToolButton::clicked, w.mCFG, &QAction::trigger);
    QObject::connect(w.bInfo, &QToolButton::clicked, w.mInfo, &QAction::trigger);

    w.PanelTime = new QLabel(w.topBar);
    w.PanelTime->setObjectName(u"PanelTime"_s);
    w.PanelTime->setFont(arial(19, true));
    w.PanelTime->setStyleSheet(u"color: rgb(0,255,0);"_s);
    w.PanelTime->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    w.DateTimePicker1 = new QDateEdit(w.topBar);
    w.DateTimePicker1->setObjectName(u"DateTimePicker1"_s);
    w.DateTimePicker1->setCalendarPopup(true);
    w.DateTimePicker1->setFocusPolicy(Qt::ClickFocus);
    w.DateTimePicker1->setDisplayFormat(u"dd.MM.yyyy"_s);
}

void Builder::createUpperBand(QWidget *central)
{
    w.band = new QWidget(central);
    w.band->setObjectName(u"PanelBand"_s);
    setBackground(w.band, kSkyBlue);

    createDisplayArea();
    createCommandArea();
    createProtocolBar();

    w.ImageTitle = new QLabel(w.band);
    w.ImageTitle->setObjectName(u"ImageTitle"_s);
    w.ImageTitle->setAlignment(Qt::AlignCenter);
    w.ImageTitle->setAttribute(Qt::WA_TranslucentBackground);
}

void Builder::createDisplayArea()
{
    w.displayArea = new QWidget(w.band);
    w.displayArea->setObjectName(u"PanelDisplay"_s);
    w.displayArea->setGeometry(0, 0, kDisplayAreaWidth, kBandHeight);
    setBackground(w.displayArea, verticalGradient(kBandHeight, QColor(20, 20, 30), Qt::black),
                  QPalette::WindowText, Qt::white);

    w.digits = new DigitPanel(w.displayArea);
    w.digits->placeAsDesigned(QPoint(0, 0));
    
    w.Bevel1 = new QFrame(w.displayArea);
    w.Bevel1->setObjectName(u"Bevel1"_s);
    w.Bevel1->setFrameShape(QFrame::HLine);
    w.Bevel1->setFrameShadow(QFrame::Sunken);
    w.Bevel1->setGeometry(30, 165, 343, 1);

    w.lbl_Nr2 = makeLabel(w.displayArea, u"lbl_Nr2"_s, {}, {33, 10, 70, 34});
    w.lbl_Nr2->setFont(arial(26, true));
    w.lbl_Name2 = makeLabel(w.displayArea, u"lbl_Name2"_s, {}, {105, 14, 268, 28});
    QFont nameFont = arial(19, true);
    nameFont.setPointSize(14);
    w.lbl_Name2->setFont(nameFont);
    w.lbl_Best = makeLabel(w.displayArea, u"lbl_Best"_s, u"Best:"_s, {33, 170, 60, 24});
    w.lbl_Best->setFont(arial(19, true));
    w.lbl_Best->setStyleSheet(u"color: rgb(222,222,66);"_s);
    w.lbl_Club2 = makeLabel(w.displayArea, u"lbl_Club2"_s, {}, {95, 170, 278, 24});
    w.lbl_Club2->setFont(arial(17, true));
    w.lbl_Club2->setStyleSheet(u"color: rgb(222,222,66);"_s);

    w.ImageTVAus = makeLabel(w.displayArea, u"ImageTVAus"_s, {}, {374, 4, 24, 24});
    w.ImageTVAus->setPixmap(toolIcon(ToolGlyph::TvOff, 24).pixmap(24, 24));
    w.ImageTVAus->setToolTip(u"TV ist nicht angeschlossen"_s);
    w.ImageTVAus->setCursor(Qt::PointingHandCursor);
    w.ImageTVEin = makeLabel(w.displayArea, u"ImageTVEin"_s, {}, {374, 30, 24, 24});
    w.ImageTVEin->setPixmap(toolIcon(ToolGlyph::TvOn, 24).pixmap(24, 24));
    w.ImageTVEin->setToolTip(u"TV Modus"_s);
    w.ImageTVEin->setCursor(Qt::PointingHandCursor);
}

void Builder::createCommandArea()
{
    w.runGroup = new QGroupBox(u" Lauf "_s, w.band);
    w.runGroup->setObjectName(u"GroupBoxLauf"_s);
    w.runGroup->setGeometry(405, 5, 54, 78);
    const std::array<QString, 5> runCaptions{u"TR"_s, u"1."_s, u"2."_s, u"3."_s, u"4."_s};
    const std::array<QString, 5> runHints{u"Trainingslauf"_s, u"Wertungslauf 1"_s, u"Wertungslauf 2"_s,
                                          u"Wertungslauf 3"_s, u"Wertungslauf 4"_s};
    for (int r = 0; r < 5; ++r) {
        auto *rb = new QRadioButton(runCaptions[std::size_t(r)], w.runGroup);
        rb->setObjectName(u"RadioButton%1"_s.arg(r));
        rb->setToolTip(runHints[std::size_t(r)]);
        rb->setProperty("tag", r);
        rb->setGeometry(6, 16 + 20 * r, 46, 19);
        rb->setFocusPolicy(Qt::NoFocus);
        rb->setVisible(r <= 2);
        w.runButtons[std::size_t(r)] = rb;
    }
    w.runButtons[0]->setChecked(true);

    w.sbLoad = new QToolButton(w.band);
    w.sbLoad->setObjectName(u"sbLoad"_s);
    w.sbLoad->setGeometry(465, 6, 39, 40);
    w.sbLoad->setIcon(toolIcon(ToolGlyph::Open));
    w.sbLoad->setIconSize(QSize(30, 30));
    w.sbLoad->setAutoRaise(true);
    w.sbLoad->setFocusPolicy(Qt::NoFocus);

    auto rightLabel = [this](const QString &name, const QString &text, int top) {
        QLabel *l = makeLabel(w.band, name, text, {480, top, 85, 27});
        l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        l->setFont(arial(15, true));
        return l;
    };
    rightLabel(u"lbl_Klasse"_s, u"Klasse:"_s, 6);
    w.cmb_Klasse = new QComboBox(w.band);
    w.cmb_Klasse->setObjectName(u"cmb_Klasse"_s);
    w.cmb_Klasse->setGeometry(567, 6, 220, 27);
    w.cmb_Klasse->setEditable(true);
    w.cmb_Klasse->setInsertPolicy(QComboBox::NoInsert);

    rightLabel(u"lbl_Nr"_s, u"StNr.:"_s, 36);
    w.cmb_Nr = new QComboBox(w.band);
    w.cmb_Nr->setObjectName(u"cmb_Nr"_s);
    w.cmb_Nr->setGeometry(567, 36, 74, 27);
    w.cmb_Nr->setEditable(true);
    w.cmb_Nr->setInsertPolicy(QComboBox::NoInsert);
    w.cmb_Nr->setMaxVisibleItems(10);
    w.cmb_Nr->lineEdit()->setMaxLength(5);
    // The start number is what the operator typed: completing "1" to a listed
    // "12" would put the run into another driver's row.
    w.cmb_Nr->setCompleter(nullptr);
    // Only w.digits reach the start number; every other character is swallowed.
    w.cmb_Nr->lineEdit()->setValidator(
        new QRegularExpressionValidator(QRegularExpression(u"[0-9]{0,5}"_s), w.cmb_Nr));

    rightLabel(u"lbl_Name"_s, u"Fahrer/in:"_s, 68);
    w.txt_Name = new QLineEdit(w.band);
    w.txt_Name->setObjectName(u"txt_Name"_s);
    w.txt_Name->setGeometry(567, 68, 220, 27);
    w.txt_Name->setToolTip(u"Fahrername, Vorname"_s);

    w.cbClub = new QCheckBox(w.band);
    w.cbClub->setObjectName(u"cbClub"_s);
    w.cbClub->setGeometry(475, 104, 17, 17);
    w.cbClub->setToolTip(u"Spalte anzeigen"_s);
    w.cbClub->setChecked(true);
    w.cbClub->setFocusPolicy(Qt::NoFocus);
    w.lbl_Club = rightLabel(u"lbl_Club"_s, u"Ortsclub:"_s, 100);
    w.lbl_Club->setGeometry(494, 100, 71, 27);
    w.txt_Club = new QLineEdit(w.band);
    w.txt_Club->setObjectName(u"txt_Club"_s);
    w.txt_Club->setGeometry(567, 100, 220, 27);
    w.txt_Club->setToolTip(u"Club / Ort"_s);

    w.lbl_Time_error = makeLabel(w.band, u"lbl_Time_error"_s, u"Zeit existiert!!!"_s, {410, 148, 103, 19});
    w.lbl_Time_error->setFont(arial(15, true));
    w.lbl_Time_error->setStyleSheet(u"color: red;"_s);
    w.lbl_Time_error->hide();

    w.calculatePoints = new QCheckBox(u"Punkte berechnen:"_s, w.band);
    w.calculatePoints->setObjectName(u"cmb_Punkte"_s);
    w.calculatePoints->setGeometry(621, 148, 164, 17);
    w.calculatePoints->setLayoutDirection(Qt::RightToLeft);
    w.calculatePoints->setChecked(true);
    w.calculatePoints->setEnabled(false);

    w.cbAutomatisch = new QCheckBox(w.band);
    w.cbAutomatisch->setObjectName(u"cbAutomatisch"_s);
    w.cbAutomatisch->hide();

    w.bSTOP = new TLbSpeedButton(u"STOPP"_s, w.band);
    w.bSTOP->setObjectName(u"bSTOP"_s);
    w.bSTOP->setGeometry(404, 171, 120, 36);
    w.bSTOP->setToolTip(u"[F5] Handzeitnahme"_s);
    w.bSTART = new TLbSpeedButton(u"START"_s, w.band);
    w.bSTART->setObjectName(u"bSTART"_s);
    w.bSTART->setGeometry(404, 171, 120, 36);
    w.bSTART->setToolTip(u"[F5] Handzeitnahme"_s);

    w.ImageLSstop = new TBarrierPicture(w.band);
    w.ImageLSstop->setObjectName(u"ImageLSstop"_s);
    w.ImageLSstop->setGeometry(528, 173, 32, 32);
    w.ImageLSstop->setToolTip(u"[F11] = Ziel-LS frei/gesperrt"_s);
    w.ImageLSstart = new TBarrierPicture(w.band);
    w.ImageLSstart->setObjectName(u"ImageLSstart"_s);
    w.ImageLSstart->setGeometry(528, 173, 32, 32);
    w.ImageLSstart->setToolTip(u"[F4] Lichtschranke Ein / Aus"_s);
    w.ImageLSstop->hide();
    w.ImageLSstart->hide();

    // Each press adds the button's tag in seconds; the colours follow the
    // run state (applyRunControls).
    auto makePenaltyButton = [this](const QString &name, const QString &caption, int top, int seconds) {
        auto *b = new TLbSpeedButton(caption, w.band);
        b->setObjectName(name);
        b->setGeometry(567, top, 158, 32);
        b->setProperty("tag", seconds);
        return b;
    };
    w.bFehl2 = makePenaltyButton(u"bFehl2"_s, u"Pylonenfehler +2"_s, 171, 2);
    w.bFehl10 = makePenaltyButton(u"bFehl10"_s, u"Torfehler +10"_s, 207, 10);

    w.seStrafe = new QSpinBox(w.band);
    w.seStrafe->setObjectName(u"seStrafe"_s);
    w.seStrafe->setGeometry(729, 189, 58, 32);
    w.seStrafe->setToolTip(u"StS"_s);
    // Penalties are never negative.
    w.seStrafe->setRange(0, 99999);
    w.seStrafe->setValue(0);
    w.seStrafe->setFont(arial(17, true));

    w.bAbbruch = new TLbSpeedButton(w.band);
    w.bAbbruch->setObjectName(u"bAbbruch"_s);
    w.bAbbruch->setFlat(true);
    w.bAbbruch->setGeometry(448, 207, 36, 36);
    w.bAbbruch->setToolTip(u"[F8] Abbruch"_s);
    QObject::connect(w.bAbbruch, &QAbstractButton::clicked, w.mAbbruch, &QAction::trigger);

    w.bEintragen = new TLbSpeedButton(u"Eintragen"_s, w.band);
    w.bEintragen->setObjectName(u"bEintragen"_s);
    w.bEintragen->setGeometry(404, 243, 120, 36);
    w.bEintragen->setToolTip(u"[F9] IN"_s);
    // The button calls the entry directly; the menu item gates it by being
    // disabled together with the button.

    w.bNext = new TLbSpeedButton(u"Next"_s, w.band);
    w.bNext->setObjectName(u"bNext"_s);
    w.bNext->setGeometry(567, 243, 158, 36);
    w.bNext->setToolTip(u"[F10] NEXT"_s);
    QObject::connect(w.bNext, &TLbSpeedButton::mousePressed, w.mNext, &QAction::trigger);

    for (QWidget *b : std::initializer_list<QWidget *>{w.bSTART, w.bSTOP, w.bAbbruch, w.bEintragen, w.bNext, w.bFehl2, w.bFehl10})
        b->setFocusPolicy(Qt::NoFocus);
}

void Builder::createProtocolBar()
{
    w.Panel4 = new QWidget(w.band);
    w.Panel4->setObjectName(u"Panel4"_s);
    w.Panel4->setGeometry(400, 281, 392, 43);
    setBackground(w.Panel4, QColor(40, 60, 110), QPalette::WindowText, Qt::white);
    QLabel *title = makeLabel(w.Panel4, u"lbl_Protokoll"_s, u"PROTOKOLL"_s, {8, 2, 128, 39});
    title->setFont(arial(19, true));

    auto makeBarButton = [this](const QString &name, ToolGlyph glyph, const QString &hint, int index) {
        auto *b = new QToolButton(w.Panel4);
        b->setObjectName(name);
        b->setIcon(toolIcon(glyph));
        b->setIconSize(QSize(28, 28));
        b->setToolTip(hint);
        b->setAutoRaise(true);
        b->setFocusPolicy(Qt::NoFocus);
        b->setGeometry(138 + 36 * index, 2, 36, 39);
        return b;
    };
    w.sbPlatz = makeBarButton(u"sbPlatz"_s, ToolGlyph::Rank, {}, 0);
    w.sbSave = makeBarButton(u"sbSave"_s, ToolGlyph::Save, u"[Ctrl+S] Speichern unter..."_s, 1);
    w.sbPrint = makeBarButton(u"sbPrint"_s, ToolGlyph::Print, u"Drucken"_s, 2);
    w.sbExcel = makeBarButton(u"sbExcel"_s, ToolGlyph::Excel, u"[Ctrl+E] Datei in MS Excel"_s, 3);
    w.sbWord = makeBarButton(u"sbWord"_s, ToolGlyph::Word, u"[Ctrl+W] Datei in MS Word"_s, 4);
    w.sbInet = makeBarButton(u"sbInet"_s, ToolGlyph::Web, u"[Ctrl+H] Als Webseite"_s, 5);
    w.sbCLS = makeBarButton(u"sbCLS"_s, ToolGlyph::Clear, {}, 6);
    w.sbPrint->setProperty("tag", 1);
    w.sbInet->setProperty("tag", 0);
}

void Builder::createResultPages(QWidget *central)
{
    w.PageControl1 = new QTabWidget(central);
    w.PageControl1->setObjectName(u"PageControl1"_s);
    w.PageControl1->setDocumentMode(true);
    for (int i = 0; i < kPageCount; ++i) {
        auto *sheet = new QWidget;
        sheet->setObjectName(u"TabSheet%1"_s.arg(i + 1));
        auto *grid = new ResultGrid(competition.page(i), sheet);
        grid->setObjectName(u"SortGrid%1"_s.arg(i + 1));
        auto *layout = new QVBoxLayout(sheet);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(grid);
        w.grids[std::size_t(i)] = grid;
        w.PageControl1->addTab(sheet, competition.page(i)->caption());

        const ResultPage *page = competition.page(i);
        QTabWidget *tabs = w.PageControl1;
        QObject::connect(page, &ResultPage::captionChanged, tabs, [tabs, i, page] { tabs->setTabText(i, page->caption()); });
        QObject::connect(page, &ResultPage::tabVisibleChanged, tabs,
                         [tabs, i, page] { tabs->setTabVisible(i, page->tabVisible()); });
    }
}

void Builder::createStatusBar()
{
    QStatusBar *bar = win.statusBar();
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
        w.statusPanels[std::size_t(i)] = l;
    }
}

} // namespace

void buildMainWidgets(QMainWindow &win, const Competition &competition, const AppIdentity &id, MainWidgets &w)
{
    win.setObjectName(u"FormMain"_s);
    win.setMinimumSize(kMinWindowWidth, kMinWindowHeight);
    win.resize(kMinWindowWidth, 544);
    QPalette pal = win.palette();
    pal.setColor(QPalette::Window, kWindowGrey);
    win.setPalette(pal);
    win.setAutoFillBackground(true);

    auto *central = new QWidget(&win);
    central->setObjectName(u"MainArea"_s);
    win.setCentralWidget(central);

    Builder b{win, competition, w};
    b.createActions();
    b.createTopBar(central);
    b.createUpperBand(central);
    b.createResultPages(central);
    b.createStatusBar();

    // START takes the place of STOPP, the start picture that of the finish
    // picture: each pair is shown alternately.
    w.bSTART->setGeometry(w.bSTOP->geometry());
    w.ImageLSstart->setGeometry(w.ImageLSstop->geometry());
    w.ImageLSstart->setImageIndex(ImageLocked);
    w.ImageLSstop->setImageIndex(ImageLocked);
    w.DateTimePicker1->setDate(QDate::currentDate());

    // The logo is looked for in the current directory; a missing or broken
    // file leaves the area empty without a word.
    w.ImageTitle->setToolTip(u"logo.jpg"_s);
    if (!id.logoFile.isEmpty()) {
        QImageReader reader(id.logoFile);
        const QImage logo = reader.read();
        if (!logo.isNull())
            w.ImageTitle->setPixmap(QPixmap::fromImage(logo));
    }
    win.setWindowTitle(id.caption);
    w.sbPlatz->setToolTip(u"Plätze zuweisen und sortieren"_s);

    for (int i = 1; i < kPageCount; ++i)
        w.PageControl1->setTabVisible(i, false);

    const int screens = int(QGuiApplication::screens().size());
    w.ImageTVEin->move(w.ImageTVAus->pos());
    w.ImageTVAus->setVisible(screens > 1);
    w.ImageTVEin->setVisible(false);

    w.sbCLS->setToolTip(u"Ergebnisse löschen"_s);
    w.Erase1->setText(u"Zeit löschen"_s);
    w.sbLoad->setToolTip(u"[Ctrl+O] Starterliste oder gespeichertes Protokoll öffnen"_s);
    w.bNext->setText(u"Nächster"_s);
    w.mPlatz->setText(u"Plätze verteilen"_s);
}

void layoutMainWidgets(QMainWindow &win, MainWidgets &w)
{
    QWidget *central = win.centralWidget();
    if (!central || !w.band)
        return;
    const int width = central->width();
    w.topBar->setGeometry(0, 0, width, kTopBarHeight);
    w.DateTimePicker1->setGeometry(width - 118, 7, 110, 24);
    w.PanelTime->setGeometry(width - 230, 3, 106, 32);
    w.band->setGeometry(0, kTopBarHeight, width, kBandHeight);
    w.ImageTitle->setGeometry(792, 1, qMax(0, width - 792 - 4), 322);
    w.PageControl1->setGeometry(0, kTopBarHeight + kBandHeight, width,
                                qMax(0, central->height() - kTopBarHeight - kBandHeight));
}
} // namespace vex
