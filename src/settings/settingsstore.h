#pragma once

#include "settings/settings.h"
#include "settings/settingsbackend.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace vex {

// "Software\Orrendal\<title>": each program copy, named by its executable,
// keeps its own settings.
QString settingsKeyPath(const QString &appTitle);

struct LoadResult
{
    bool keyFound = false;     // false on a first start: every value at its default
    int valuesRead = 0;        // values taken from the store
    QStringList failedValues;  // missing or of another type, in reading order

    bool complete() const { return keyFound && failedValues.isEmpty(); }
};

// Reads and writes the Settings record through a backend with registry
// semantics. Each value that can't be taken (missing, another type, a binary
// of the wrong length) keeps what the record held, its default at start-up,
// and the others load all the same: one damaged value must not cost the
// operator's title and colours.
class SettingsStore
{
public:
    SettingsStore(SettingsBackend &backend, QString keyPath);

    // Fields that aren't read keep what the record held (its defaults at
    // start-up); a string stored empty is read as empty. Port keeps its low
    // 8 bits; the workbook start cell is kept on a sheet. Nothing is
    // reported to the user.
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
