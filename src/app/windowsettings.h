#pragma once

#include "settings/settings.h"

#include <QString>

#include <optional>

class QWidget;

namespace vex {

class SettingsBackend;

// The settings as stored (defaults without a store), the window put where
// they say, the monitor index checked against the screens there are.
Settings loadWindowSettings(SettingsBackend *backend, const QString &appTitle, QWidget &window);

// Stores the settings with the window's bounds; returns the message for the
// operator when that fails. Without a store nothing is written.
std::optional<QString> saveWindowSettings(Settings settings, const QWidget &window, SettingsBackend *backend,
                                          const QString &appTitle);

} // namespace vex
