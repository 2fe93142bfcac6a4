#include "app/windowsettings.h"

#include "app/windowplacement.h"
#include "settings/settingsstore.h"

#include <QScreen>

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
    // Stored bounds from another screen layout, or damaged ones, must not make
    // a window larger than its screen or put it where no screen is.
    QList<QRect> screens;
    for (const QScreen *screen : QGuiApplication::screens())
        screens.append(screen->availableGeometry());
    const QRect bounds = placeOnScreens(s.Left, s.Top, s.Width, s.Height, screens,
                                        QSize(kMinWindowWidth, kMinWindowHeight));
    window.resize(bounds.size());
    window.move(bounds.topLeft());
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
