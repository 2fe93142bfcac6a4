#pragma once

// A main window on the offscreen platform with the outside world faked: the
// tick counter, the sound, the help viewer, the desktop shell and the file
// dialogs.

#include "app/desktopshell.h"
#include "app/filechooser.h"
#include "app/formmain.h"
#include "app/helpviewer.h"
#include "app/runsound.h"
#include "app/windowsettings.h"
#include "serial/lightbarrierport.h"
#include "station/racestation.h"
#include "timing/tickclock.h"
#include "../timing/faketimers.h"

#include <QAbstractButton>
#include <QApplication>
#include <QStringList>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>
#include <optional>
#include <utility>

class FakeTicks final : public vex::TickSource
{
public:
    quint32 now() const override { return value; }
    quint32 value = 0;
};

class FakeSound final : public vex::RunSoundPlayer
{
public:
    void play(const QString &path) override { played.append(path); }
    QStringList played;
};

class FakeHelp final : public vex::HelpViewer
{
public:
    void showPage(const QString &page) override { shown.append(page); }
    QStringList shown;
};

class FakeShell final : public vex::DesktopShell
{
public:
    void openDocument(const QString &path) override { opened.append(path); }
    std::optional<QString> printDocument(const QString &path, QWidget *) override
    {
        printed.append(path);
        return printError;
    }
    QStringList opened;
    QStringList printed;
    std::optional<QString> printError;
};

// Answers the file dialogs without showing them: each dialog takes the answer
// set for it (nothing set: cancelled) and keeps what it was asked.
class FakeFileChooser final : public vex::FileChooser
{
public:
    std::optional<vex::FileChoice> chooseSave(QWidget *, const vex::FileDialogRequest &request) override
    {
        saveRequests.append(request);
        return std::exchange(nextSave, std::nullopt);
    }
    std::optional<vex::FileChoice> chooseOpen(QWidget *, const vex::FileDialogRequest &request) override
    {
        openRequests.append(request);
        return std::exchange(nextOpen, std::nullopt);
    }
    void answerSave(const QString &path, int filterIndex = 1) { nextSave = vex::FileChoice{path, filterIndex}; }
    void answerOpen(const QString &path, int filterIndex = 1) { nextOpen = vex::FileChoice{path, filterIndex}; }

    std::optional<vex::FileChoice> nextSave;
    std::optional<vex::FileChoice> nextOpen;
    QList<vex::FileDialogRequest> saveRequests;
    QList<vex::FileDialogRequest> openRequests;
};

// The light barriers' port: records what the window asks of it.
class FakeLightBarriers final : public vex::LightBarrierPort
{
public:
    void close() override { calls.append(QStringLiteral("close")); }
    bool open(int portNumber) override
    {
        calls.append(QStringLiteral("open %1").arg(portNumber));
        return true;
    }
    QStringList calls;
};

struct MainWindowFixture
{
    FakeTicks ticks;
    FakeTimers timers;
    FakeSound sound;
    FakeHelp help;
    FakeShell shell;
    FakeFileChooser files;
    FakeLightBarriers lightBarriers;
    std::unique_ptr<vex::RaceStation> station;
    std::unique_ptr<vex::TFormMain> window;

    // adjust: a test puts in further fakes (the light barriers, the office).
    // The window starts the station with the stored settings as the program does.
    explicit MainWindowFixture(vex::SettingsBackend *settings = nullptr, vex::AppIdentity identity = {},
                               const std::function<void(vex::StationServices &)> &adjust = {})
    {
        if (identity.title.isEmpty()) {
            identity.title = QStringLiteral("Vexilor");
            identity.caption = QStringLiteral("Vexilor 1.2");
            identity.startSound = QStringLiteral("/program/start.wav");
            identity.stopSound = QStringLiteral("/program/stopp.wav");
        }
        vex::StationServices core;
        core.ticks = &ticks;
        core.timers = &timers;
        core.barriers.port = &lightBarriers;
        if (adjust)
            adjust(core);
        station = std::make_unique<vex::RaceStation>(core);
        vex::MainWindowServices services;
        services.sound = &sound;
        services.help = &help;
        services.shell = &shell;
        services.files = &files;
        services.settingsBackend = settings;
        services.identity = identity;
        window = std::make_unique<vex::TFormMain>(*station, services);
        station->start(vex::loadWindowSettings(settings, identity.title, *window));
        window->show();
        if (!QTest::qWaitForWindowExposed(window.get()))
            qWarning("main window not exposed");
        window->activateWindow();
    }

    template <typename T = QWidget>
    T *child(const QString &name) const
    {
        return window->findChild<T *>(name);
    }

    // Changes settings as the settings dialog does: a whole record to the race.
    template <typename Change>
    void changeSettings(Change change)
    {
        vex::Settings s = window->race().settings();
        change(s);
        window->race().applySettings(s);
    }

    // Presses a key as the operator does: at the widget that has the focus.
    // A second passes between two presses, as at the course: F5 twice within
    // a few milliseconds would be a bounce.
    void key(Qt::Key k, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        ticks.value += 1000;
        QWidget *target = QApplication::focusWidget() ? QApplication::focusWidget() : window.get();
        QTest::keyClick(target, k, mods);
    }
};

// Answers the next modal question by clicking "Ja" or "Nein", or by Esc.
enum class Answer { Yes, No, Escape };
inline void answerNextQuestion(Answer answer, QString *asked = nullptr)
{
    QTimer::singleShot(0, [answer, asked] {
        QWidget *dialog = QApplication::activeModalWidget();
        if (!dialog)
            return;
        if (asked) {
            const auto labels = dialog->findChildren<QWidget *>(QStringLiteral("lblQuestion"));
            if (!labels.isEmpty())
                *asked = labels.first()->property("text").toString();
        }
        if (answer == Answer::Escape) {
            QTest::keyClick(dialog, Qt::Key_Escape);
            return;
        }
        auto *button = dialog->findChild<QAbstractButton *>(answer == Answer::Yes ? QStringLiteral("bJa")
                                                                                  : QStringLiteral("bNein"));
        if (button)
            button->click();
    });
}
