#pragma once

#include "results/regulation.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace vex {

class Competition;

// Writes the competition's protocol file. The previous file at the path is
// replaced only once the new one is complete. Returns the message for the
// operator on failure, nothing on success.
std::optional<QString> WriteProtocolText(const Competition &competition, const QString &path);

struct ProtocolReadResult
{
    // False when nothing was loaded: the file couldn't be opened (then page 1
    // was reset) or it was refused (then nothing changed).
    bool opened = false;
    // The file is no start list or protocol (see refusalOfProtocolBytes).
    bool refused = false;
    // False when reading stopped early; what was read is on the pages.
    bool complete = false;
    // The message for the operator when not opened or not complete.
    QString error;
    // Classes beyond the tenth, which found no page (trimmed names).
    QStringList skippedClasses;
    // What the file says of its regulation, and what its columns and cells
    // tell (see ProtocolLoadResult).
    std::optional<Regulation> regulation;
    int fileRuns = 2;
    bool holdsRuns = false;
};

// Loads a protocol file or start list into the competition: replaces the
// class list and all ten pages.
ProtocolReadResult ReadProtocolText(Competition &competition, const QString &path);

// The message shown when a file to load can't be opened or read.
QString readErrorText(const QString &path);

} // namespace vex
