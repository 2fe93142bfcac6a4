#pragma once

#include "app/appidentity.h"
#include "app/mainwidgets.h"
#include "display/timedisplay.h"
#include "race/race.h"

#include <QMainWindow>
#include <QPointer>

#include <memory>
#include <optional>

class QTimer;

namespace vex {

class BarrierContacts;
class ContactClock;
class ContactLog;
class DesktopShell;
class LineDevice;
class PortLocator;
class RaceContactTarget;
class TComPort;
class DisplaySwitch;
class FileChooser;
class HelpViewer;
class AutomationServers;
class LightBarrierPort;
class RunSoundPlayer;
class SettingsBackend;
class TCFGDialog;
class TFDlgYesNo;
class TFormInfo;
class TFormMonitor2;
class TFormSplash;
class TimeDisplay;
class TickSource;
class Timer;
class Timers;

// What the outside world gives the main window; tests hand in fakes.
struct MainWindowServices
{
    const TickSource *ticks = nullptr;
    Timers *timers = nullptr; // the race's timers; null: Qt's
    SettingsBackend *settingsBackend = nullptr; // null: defaults, nothing saved
    HelpViewer *help = nullptr;
    RunSoundPlayer *sound = nullptr;
    DesktopShell *shell = nullptr; // opens and prints pages; null: the desktop
    FileChooser *files = nullptr; // the file dialogs; null: Qt's own
    AutomationServers *office = nullptr; // the spreadsheet and word processor; null: none on this machine
    LightBarrierPort *lightBarriers = nullptr; // the light barriers' port as the settings drive it; null: the window's own serial port
    LineDevice *lineDevice = nullptr; // the window's own serial port's lines; null: this machine's ports
    const ContactClock *contactClock = nullptr; // stamps barrier contacts; null: the steady clock
    QString contactLogPath; // every barrier contact is logged here; empty: no log
    AppIdentity identity;
};

// The operator's window. It shows one race and hands every event of its
// controls to one command of the race; what it shows comes from the race's
// signals, never from its own controls.
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
    // Loads a protocol text file as the open command does, without the
    // question and the dialog.
    void openProtocolText(const QString &path);

    Race &race() { return *m_race; }
    TimeDisplay &timeDisplay() { return *m_timeDisplay; }
    TSortGrid *activeGrid() const;

    // The light barriers' serial port. The port list (the ports found at
    // start-up, see comNumbers()) is what the settings dialog offers.
    TComPort &comPort() { return *m_comPort; }
    quint32 portList() const;
    // The COM numbers found, ascending: what follows "Kein" in the port list.
    QList<int> comPortNumbers() const;

protected:
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Binding: events to commands, signals to controls.
    void bindCommands();
    void bindResultPages();
    void bindRace();

    // What the race's signals show.
    void showEntry();
    void showWalkOrder();
    void showClassList();
    void showBestTime();
    void showSettings();
    void showDisplayColours(bool force);
    void showFocusedRow(int page, RowId row);
    void updateStatus();
    void UpdateFileButtons();
    void FormResize();

    // Commands that need the window first: the clock, a question, a dialog.
    quint32 tick() const;
    RowId commandRow() const;
    void mClear1Click();
    void Neuezeile1Click();
    void sbSaveClick();
    void sbLoadClick();
    // After a load: the class selector names the file; returns the messages.
    QStringList showLoaded(const RaceLoadResult &result);
    void sbCLSClick();
    void sbInetClick(int tag);
    void sbExcelClick();
    void sbWordClick();
    void showError(const QString &text);

    // Shell.
    void LoadSettings();
    void SaveSettings();
    void mHilfeClick();
    void bInfoClick();
    void bCFGClick();
    void reopenLightBarriers();
    void TimerDateTimer();

    void createBarrierPort();
    void showPortLost(const QString &message);

    MainWindowServices m_services;
    std::unique_ptr<TickSource> m_ownTicks;
    std::unique_ptr<Timers> m_ownTimers;
    std::unique_ptr<HelpViewer> m_ownHelp;
    std::unique_ptr<RunSoundPlayer> m_ownSound;
    std::unique_ptr<DesktopShell> m_ownShell;
    std::unique_ptr<FileChooser> m_ownFiles;
    std::unique_ptr<AutomationServers> m_ownOffice;
    Race *m_race = nullptr;
    // The light barriers; destroyed in this order, the port first.
    std::unique_ptr<PortLocator> m_ownPorts;
    std::unique_ptr<LineDevice> m_ownLineDevice;
    std::unique_ptr<ContactClock> m_ownContactClock;
    std::unique_ptr<ContactLog> m_contactLog;
    std::unique_ptr<RaceContactTarget> m_barrierTarget;
    std::unique_ptr<TComPort> m_comPort;
    std::unique_ptr<BarrierContacts> m_barriers;
    std::unique_ptr<LightBarrierPort> m_ownLightBarriers;
    QString m_productText; // the status bar's middle panel when no port was lost
    TimeDisplay *m_timeDisplay = nullptr;
    DisplaySwitch *m_displaySwitch = nullptr;
    MainWidgets m_ui;
    QTimer *TimerDate = nullptr;
    // The light barriers' port opens again a moment after it was closed.
    std::unique_ptr<Timer> m_portReopen;
    std::optional<DisplayColours> m_shownColours;
    bool m_showing = false; // controls are being set from the race: no commands back
    bool m_penaltyTyped = false; // the penalty field's own text is on its way to the race
    bool m_closing = false;
    // The tick of the last press on START, to tell the second press of a
    // double click from a stop.
    std::optional<quint32> m_startPressTick;
    RowId m_popupRow = 0; // the row the popup menu was opened on
    QString m_saveFolder;
    QString m_openFolder;
    QString m_saveFileName;
    QString m_openFileName;
    QString m_pageFolder; // where the page for viewing and printing goes

    // Other windows, made after this one.
    QPointer<TFormSplash> m_splash;
    QPointer<TFDlgYesNo> m_yesNo;
    QPointer<TFormMonitor2> m_monitor;
    QPointer<TCFGDialog> m_cfg;
    QPointer<TFormInfo> m_info;
};

} // namespace vex
