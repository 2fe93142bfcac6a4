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

// Writes a temporary file beside the target, flushes its bytes to the disk
// and only then renames it over the target; returns when all of that is done.
//
// The folder itself is not flushed: on this machine every flush costs a few
// milliseconds, and the rename is safe without it. A crashed or killed program
// leaves the rename to the system, which completes it; a power cut before the
// file system's next journal commit (seconds at most) finds the previous
// complete file, never a part of the new one.
class DurableFileReplacer final : public FileReplacer
{
public:
    bool replace(const QString &path, QByteArrayView bytes) override;
};

} // namespace vex
