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

// Writes a temporary file beside the target, flushes its bytes to the disk,
// renames it over the target and flushes the folder, so the new name is on the
// disk too; returns when all of that is done. Without the folder's flush a
// power cut within the file system's next journal commit (a few seconds)
// would bring back the previous file, the last entry lost.
// On Windows the temporary file is flushed with FlushFileBuffers and renamed
// with MoveFileExW(MOVEFILE_WRITE_THROUGH), which returns once the rename is
// on the disk.
class DurableFileReplacer final : public FileReplacer
{
public:
    bool replace(const QString &path, QByteArrayView bytes) override;
};

} // namespace vex
