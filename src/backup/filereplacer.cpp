#include "backup/filereplacer.h"

#include <QSaveFile>

namespace vex {

bool DurableFileReplacer::replace(const QString &path, QByteArrayView bytes)
{
    QSaveFile file(path);
    // Never write into the file itself, even where a temporary file can't be
    // made: that would leave a cut-off file behind a crash.
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    // QSaveFile buffers: a full disk shows only when the buffer is flushed,
    // and commit() alone would take a cut-off file for good.
    if (file.write(bytes.data(), bytes.size()) != bytes.size() || !file.flush()) {
        file.cancelWriting();
        return false;
    }
    // commit() syncs the temporary file's data to the disk before renaming.
    return file.commit();
}

} // namespace vex
