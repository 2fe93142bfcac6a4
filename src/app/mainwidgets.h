#pragma once

#include "results/resultpage.h"

#include <QKeyCombination>
#include <QList>
#include <QSet>

#include <array>

class QAction;
class QCheckBox;
class QComboBox;
class QDateEdit;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMainWindow;
class QMenu;
class QRadioButton;
class QSpinBox;
class QTabWidget;
class QToolButton;
class QWidget;

namespace vex {

class Competition;
class DigitPanel;
class TBarrierPicture;
class TLbSpeedButton;
class ResultGrid;
struct AppIdentity;

// The controls of the operator's window, by the names the program has always
// given them. Only what they look like is set here; what they do is bound by
// the window.
struct MainWidgets
{
    // Top bar.
    QWidget *topBar = nullptr;
    QToolButton *bHilfe = nullptr;
    QToolButton *bCFG = nullptr;
    QToolButton *bInfo = nullptr;
    QLabel *PanelTime = nullptr;
    QDateEdit *DateTimePicker1 = nullptr;

    // Upper band: display area.
    QWidget *band = nullptr;
    QWidget *displayArea = nullptr;
    DigitPanel *digits = nullptr;
    QFrame *Bevel1 = nullptr;
    QLabel *lbl_Nr2 = nullptr;
    QLabel *lbl_Name2 = nullptr;
    QLabel *lbl_Best = nullptr;
    QLabel *lbl_Club2 = nullptr;
    QLabel *ImageTVAus = nullptr;
    QLabel *ImageTVEin = nullptr;

    // Upper band: command area.
    QGroupBox *runGroup = nullptr;
    // TR, 1., 2. and, where the regulation or the page's data has them, 3. and 4.
    std::array<QRadioButton *, 5> runButtons{};
    QToolButton *sbLoad = nullptr;
    QComboBox *cmb_Klasse = nullptr;
    QComboBox *cmb_Nr = nullptr;
    QLineEdit *txt_Name = nullptr;
    QLineEdit *txt_Club = nullptr;
    QCheckBox *cbClub = nullptr;
    QLabel *lbl_Club = nullptr;
    QLabel *lbl_Time_error = nullptr;
    QCheckBox *calculatePoints = nullptr; // named "cmb_Punkte" as ever, though a check box
    QCheckBox *cbAutomatisch = nullptr;
    TLbSpeedButton *bSTART = nullptr;
    TLbSpeedButton *bSTOP = nullptr;
    TLbSpeedButton *bAbbruch = nullptr;
    TLbSpeedButton *bEintragen = nullptr;
    TLbSpeedButton *bNext = nullptr;
    TBarrierPicture *ImageLSstart = nullptr;
    TBarrierPicture *ImageLSstop = nullptr;
    TLbSpeedButton *bFehl2 = nullptr;
    TLbSpeedButton *bFehl10 = nullptr;
    QSpinBox *seStrafe = nullptr;
    QLabel *ImageTitle = nullptr;

    // "PROTOKOLL" bar.
    QWidget *Panel4 = nullptr;
    QToolButton *sbPlatz = nullptr;
    QToolButton *sbSave = nullptr;
    QToolButton *sbPrint = nullptr;
    QToolButton *sbExcel = nullptr;
    QToolButton *sbWord = nullptr;
    QToolButton *sbInet = nullptr;
    QToolButton *sbCLS = nullptr;

    // Result pages and status bar.
    QTabWidget *PageControl1 = nullptr;
    std::array<ResultGrid *, kPageCount> grids{};
    std::array<QLabel *, 3> statusPanels{};
    QMenu *PopupMenuProtokol = nullptr;

    // The hidden menu: never shown, it carries the keys; buttons trigger its
    // entries, so one enabled flag governs a key and its button alike.
    QMenu *hideMenu = nullptr;
    QMenu *filesMenu = nullptr;
    QAction *mStart = nullptr;
    QAction *mStop = nullptr;
    QAction *mAbbruch = nullptr;
    QAction *mEintragen = nullptr;
    QAction *mNext = nullptr;
    QAction *LockLS1 = nullptr;
    QAction *LockLS21 = nullptr;
    QAction *mCFG = nullptr;
    QAction *mHilfe = nullptr;
    QAction *mInfo = nullptr;
    QAction *Modus1 = nullptr;
    QAction *mLoad = nullptr;
    QAction *mSave = nullptr;
    QAction *mHtml = nullptr;
    QAction *mExcel = nullptr;
    QAction *mWord = nullptr;
    QAction *mStrafMinus = nullptr;
    QAction *mStrafPlus = nullptr;
    QAction *Neu1 = nullptr;
    QAction *Neu2 = nullptr;
    QAction *Platzeverteilen1 = nullptr;
    QAction *mDis = nullptr;
    QAction *Erase1 = nullptr;
    QAction *mPlatz = nullptr;
    QAction *mClear1 = nullptr;
    QAction *Neuezeile1 = nullptr;

    // Every key of the menus: they belong to the window wherever the focus is.
    QSet<QKeyCombination> menuKeys;
    // The run commands (start, stop, abort, enter, next, the barrier locks)
    // and their keys: each acts once per press, however long it is held.
    QList<QAction *> runActions;
    QSet<QKeyCombination> runKeys;
};

// Builds the controls into the window: the top bar, the band with display,
// command area and "PROTOKOLL" bar, the ten result pages, the status bar and
// the hidden menus, with their texts, hints, pictures and places.
void buildMainWidgets(QMainWindow &window, const Competition &competition, const AppIdentity &identity, MainWidgets &w);

// Places the bars and pages for the window's current size.
void layoutMainWidgets(QMainWindow &window, MainWidgets &w);

} // namespace vex
