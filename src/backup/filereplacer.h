#pragma once

#include <QByteArrayView>
#include <QString>

namespace vex {

// Puts the bytes of a file in place as a whole. Afterwards the file holds
// either its old bytes or all of the new ones, never a part: a reader after a
// crash or a power cut finds one or the other.
class FileReplacer
{
public:
    virtual ~FileReplacer() = default;
    // False when the new bytes could not be put in place; the old file stays.
    virtual bool replace(const QString &path, QByteArrayView bytes) = 0;
};

// Writes a temporary file beside the target, flushes it to the disk, renames
// it over the target and flushes the folder, so the new name survives a power
// cut as well. Returns only when all of that is done.
class DurableFileReplacer final : public FileReplacer
{
public:
    bool replace(const QString &path, QByteArrayView bytes) override;
};

// Flushes a folder's entries (names made, renamed or removed) to the disk.
// Where the system has no such thing it does nothing and reports success.
bool syncFolder(const QString &folder);

} // namespace vex
