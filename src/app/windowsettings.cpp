#include "app/windowsettings.h"

#include "settings/settingsstore.h"

#include <QGuiApplication>
#include <QWidget>

namespace vex {

Settings loadWindowSettings(SettingsBackend *backend, const QString &appTitle, QWidget &window)
{
    Settings s;
    if (backend) {
        SettingsStore store(*backend, settingsKeyPath(appTitle));
        store.load(s);
    }
    window.resize(qMax(s.Width, kMinWindowWidth), qMax(s.Height, kMinWindowHeight));
    window.move(s.Left, s.Top);
    checkMonitorIndex(s, int(QGuiApplication::screens().size()));
    return s;
}

std::optional<QString> saveWindowSettings(Settings s, const QWidget &window, SettingsBackend *backend,
                                          const QString &appTitle)
{
    const QRect bounds = window.normalGeometry().isValid() ? window.normalGeometry() : window.geometry();
    // Left and Top are the frame's edges, as move() takes them at start-up;
    // the client area lies inside by the border and the title bar, and
    // storing its corner would creep the window down at every start.
    const QPoint frameOffset = window.geometry().topLeft() - window.frameGeometry().topLeft();
    s.Left = bounds.x() - frameOffset.x();
    s.Top = bounds.y() - frameOffset.y();
    s.Width = qMax(bounds.width(), kMinWindowWidth);
    s.Height = qMax(bounds.height(), kMinWindowHeight);
    if (!backend)
        return std::nullopt;
    SettingsStore store(*backend, settingsKeyPath(appTitle));
    return store.save(s);
}

} // namespace vex
