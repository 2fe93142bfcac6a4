#pragma once

#include "settings/settings.h"
#include "settings/settingsbackend.h"

#include <QString>

#include <optional>

namespace vex {

// "Software\Orrendal\<title>": each program copy, named by its executable,
// keeps its own settings.
QString settingsKeyPath(const QString &appTitle);

struct LoadResult
{
    bool keyFound = false;  // false on a first start: every value at its default
    int valuesRead = 0;     // values taken from the store, in reading order
    QString failedValue;    // the value that ended loading; empty when none did

    bool complete() const { return keyFound && failedValue.isEmpty(); }
};

// Reads and writes the Settings record through a backend with registry
// semantics. Loading reads the values in a fixed order and stops quietly at
// the first one it can't take, so a damaged store costs the values from there
// on but never the ones before it; a missing string reads as "".
class SettingsStore
{
public:
    SettingsStore(SettingsBackend &backend, QString keyPath);

    // Fields that aren't read keep what the record held (its defaults at
    // start-up). Port keeps its low 8 bits. Nothing is reported to the user.
    LoadResult load(Settings &settings);

    // Writes all values. When the key can't be opened nothing is written and
    // nothing reported. When a value can't be stored the result is the
    // message "Failed to set data for '<name>'" for the caller to show; if the
    // backend stores nothing at all, that name is the first one, "Left".
    std::optional<QString> save(const Settings &settings);

private:
    SettingsBackend &m_backend;
    QString m_keyPath;
};

} // namespace vex
