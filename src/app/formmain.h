#pragma once

#include "app/appidentity.h"
#include "settings/settings.h"
#include "results/competition.h"
#include "results/columnwidths.h"
#include "timing/runcontroller.h"

#include <QHash>
#include <QKeyCombination>
#include <QMainWindow>
#include <QPointer>
#include <QSet>

#include <array>
#include <functional>
#include <memory>

class QAbstractButton;
class QAction;
class QCheckBox;
class QComboBox;
class QDateEdit;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QRadioButton;
class QSpinBox;
class QTabWidget;
class QTimer;
class QToolButton;

namespace vex {

class DigitPanel;
class HelpViewer;
class RunSoundPlayer;
class SettingsBackend;
class TBarrierPicture;
class TCFGDialog;
class TFDlgYesNo;
class TFormInfo;
class TFormMonitor2;
class TFormSplash;
class TLbSpeedButton;
class TSortGrid;
class TimeDisplay;
class DesktopShell;
class FileChooser;
class OfficeReports;

// What the outside world gives the main window; tests hand in fakes.
struct MainWindowServices
{
    const TickSource *ticks = nullptr;
    SettingsBackend *settingsBackend = nullptr; // null: defaults, nothing saved
    HelpViewer *help = nullptr;
    RunSoundPlayer *sound = nullptr;
    DesktopShell *shell = nullptr; // opens and prints pages; null: the desktop
    FileChooser *files = nullptr; // the file dialogs; null: Qt's own
    OfficeReports *office = nullptr; // spreadsheet and word-processor files; null: none on this machine
    AppIdentity identity;
};

// The operator's window. It owns the whole state of a competition: the ten
// result pages, the run state, the settings record; every event has its own
// handler named after its control.
class TFormMain : public QMainWindow
{
    Q_OBJECT
public:
    explicit TFormMain(const MainWindowServices &services, QWidget *parent = nullptr);
    ~TFormMain() override;

    // The windows made after this one at program start; each is kept to the end.
    void attachWindows(TFormSplash *splash, TFDlgYesNo *yesNo, TFormMonitor2 *monitor, TCFGDialog *cfg,
                       TFormInfo *info);

    bool AskYesNo(const QString &question);

    // Data and state, for the other windows and for tests.
    Competition &competition() { return *m_competition; }
    Settings &settings() { return m_settings; }
    RunController &runController() { return *m_run; }
    TimeDisplay &timeDisplay() { return *m_timeDisplay; }
    ResultPage *activePage() const;
    TSortGrid *activeGrid() const;
    int activePageIndex() const;
    int CurrentRun() const { return m_currentRun; }
    qint32 BestTime() const { return m_bestTime; }
    const ColumnWidthPercent &columnWidthPercent() const { return m_widthPercent; }

    // Operations shared between the parts of the window.
    void SelectResultRow(int row);
    void RecalcRowTotal(int row);
    void RankActivePage();
    void FindPageBest();
    void UpdateFileButtons();
    void FormResize();

    // File commands, with the path chosen already (the dialogs call these).
    void WriteProtocolText(const QString &path);
    void ReadProtocolText(const QString &path);
    void WriteHtmlReport(const QString &path);

protected:
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Start-up.
    void FormCreate();
    void createTopBar(QWidget *central);
    void createUpperBand(QWidget *central);
    void createDisplayArea(QWidget *band);
    void createCommandArea(QWidget *band);
    void createProtocolBar(QWidget *band);
    void createResultPages(QWidget *central);
    void createStatusBar();
    void createActions();
    QAction *addMenuAction(QMenu *menu, const QString &objectName, const QString &caption,
                           const QList<QKeySequence> &keys = {});
    void LoadSettings();
    void SaveSettings();
    void applySettingsToControls();
    void layoutCentral();

    // Run commands.
    void mStartClick();
    void mStopClick();
    void mAbbruchClick();
    void applyRunControls();
    void PlayRunSound(const QString &path);
    void ApplyDisplayColours();
    void ShowTime(int row, qint32 ms);

    // Recording.
    void EnterRun();
    void PrepareNextDriver();
    void bFehlClick(int seconds);
    void mStrafMinusClick();
    void mStrafPlusClick();
    void cbAutomatischClick();

    // Result pages.
    void cmb_KlasseChange();
    void PageControl1Change(int index);
    void cmb_NrChange();
    void RadioButton0Click(int run);
    void cbClubClick();
    void SortGrid1EditFinished(int row);
    void SortGrid1EditCancelled(int row);
    void SortGrid1DblClick(int row);
    void Neuezeile1Click();
    void DelResultClick();
    void mDisClick();
    void mClear1Click();
    void sbPlatzClick();
    void updateTimeError();
    void rebuildStartNumbers();

    // Files and reports.
    void sbSaveClick();
    void sbLoadClick();
    void sbCLSClick();
    void sbInetClick(int tag);
    void showError(const QString &text);
    QStringList openFilters() const;
    QStringList saveFilters() const;
    void fillClassSelector();

    // Shell.
    void mHilfeClick();
    void bCFGClick();
    void bInfoClick();
    void TimerDateTimer();

    MainWindowServices m_services;
    std::unique_ptr<SteadyTickSource> m_ownTicks;
    std::unique_ptr<HelpViewer> m_ownHelp;
    std::unique_ptr<RunSoundPlayer> m_ownSound;
    std::unique_ptr<DesktopShell> m_ownShell;
    std::unique_ptr<FileChooser> m_ownFiles;
    std::unique_ptr<OfficeReports> m_ownOffice;
    Settings m_settings;
    Competition *m_competition = nullptr;
    RunController *m_run = nullptr;
    TimeDisplay *m_timeDisplay = nullptr;
    ColumnWidthPercent m_widthPercent;
    int m_currentRun = 0;
    qint32 m_bestTime = 0;
    bool m_closing = false;
    bool m_choosingClass = false; // the class selector is bringing its page to the front
    QString m_saveFolder;
    QString m_openFolder;
    QString m_saveFileName;
    QString m_openFileName;
    QSet<QKeyCombination> m_menuKeys;

    // Other windows, made after this one.
    QPointer<TFormSplash> m_splash;
    QPointer<TFDlgYesNo> m_yesNo;
    QPointer<TFormMonitor2> m_monitor;
    QPointer<TCFGDialog> m_cfg;
    QPointer<TFormInfo> m_info;

    // Top bar.
    QWidget *m_topBar = nullptr;
    QToolButton *bHilfe = nullptr;
    QToolButton *bCFG = nullptr;
    QToolButton *bInfo = nullptr;
    QLabel *PanelTime = nullptr;
    QDateEdit *DateTimePicker1 = nullptr;
    QTimer *TimerDate = nullptr;

    // Upper band: display area.
    QWidget *m_band = nullptr;
    QWidget *m_displayArea = nullptr;
    DigitPanel *m_digits = nullptr;
    QFrame *Bevel1 = nullptr;
    QLabel *lbl_Nr2 = nullptr;
    QLabel *lbl_Name2 = nullptr;
    QLabel *lbl_Best = nullptr;
    QLabel *lbl_Club2 = nullptr;
    QLabel *ImageTVAus = nullptr;
    QLabel *ImageTVEin = nullptr;

    // Upper band: command area.
    QGroupBox *m_runGroup = nullptr;
    std::array<QRadioButton *, 3> m_runButtons{};
    QToolButton *sbLoad = nullptr;
    QComboBox *cmb_Klasse = nullptr;
    QComboBox *cmb_Nr = nullptr;
    QLineEdit *txt_Name = nullptr;
    QLineEdit *txt_Club = nullptr;
    QCheckBox *cbClub = nullptr;
    QLabel *lbl_Club = nullptr;
    QLabel *lbl_Time_error = nullptr;
    QCheckBox *cmb_Punkte = nullptr;
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
    std::array<TSortGrid *, kPageCount> m_grids{};
    std::array<QLabel *, 3> m_statusPanels{};
    QMenu *PopupMenuProtokol = nullptr;

    // The hidden menu.
    QMenu *m_hideMenu = nullptr;
    QMenu *m_filesMenu = nullptr;
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
};

} // namespace vex
