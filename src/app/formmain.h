#pragma once

#include <QDate>

#include "app/mainwidgets.h"
#include "app/mainwindowservices.h"
#include "display/timedisplay.h"
#include "files/racefiles.h"
#include "race/race.h"

#include <QMainWindow>
#include <QPointer>

#include <optional>

class QTimer;

namespace vex {

// Where files are offered first, and the name of the day's first protocol.
QString documentsFolder();
QString firstSaveName(const QString &title, const QDate &day);

class DisplaySwitch;
class ProgressWindow;

class RaceStation;
class TCFGDialog;
class TFDlgYesNo;
class TFormInfo;
class TFormMonitor2;

// The operator's window on a station's race. It hands every event of its
// controls to one command of the race; what it shows comes from the race's
// signals, never from its own controls.
class TFormMain : public QMainWindow
{
    Q_OBJECT
public:
    TFormMain(RaceStation &station, const MainWindowServices &services, QWidget *parent = nullptr);
    ~TFormMain() override;

    // The windows made after this one at program start; each is kept to the end.
    void attachWindows(ProgressWindow *progress, TFDlgYesNo *yesNo, TFormMonitor2 *monitor, TCFGDialog *cfg,
                       TFormInfo *info);

    bool AskYesNo(const QString &question);
    // Loads a protocol text file as the open command does, without the
    // question and the dialog.
    void openProtocolText(const QString &path);

    Race &race() { return *m_race; }
    TimeDisplay &timeDisplay() { return *m_timeDisplay; }
    ResultGrid *activeGrid() const;

protected:
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Binding: events to commands, signals to controls.
    void bindCommands();
    void bindResultPages();
    void bindRace();
    void showRunButtons();

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
    void SaveSettings();
    void mHilfeClick();
    void bInfoClick();
    void bCFGClick();
    void TimerDateTimer();

    MainWindowServices m_services;
    OwnServices m_ownServices;
    RaceStation &m_station;
    Race *m_race = nullptr;
    RaceFiles *m_files = nullptr;
    TimeDisplay *m_timeDisplay = nullptr;
    DisplaySwitch *m_displaySwitch = nullptr;
    MainWidgets m_ui;
    QTimer *TimerDate = nullptr;
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
    QPointer<ProgressWindow> m_progress;
    QPointer<TFDlgYesNo> m_yesNo;
    QPointer<TFormMonitor2> m_monitor;
    QPointer<TCFGDialog> m_cfg;
    QPointer<TFormInfo> m_info;
};

} // namespace vex
