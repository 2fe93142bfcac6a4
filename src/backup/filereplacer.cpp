#include "backup/filereplacer.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#endif

namespace vex {

namespace {

// Puts the folder's entries (a renamed or new name in it) on the disk. A
// file system that can't flush a folder (EINVAL) keeps its names by itself.
bool flushFolder(const QString &folder)
{
#ifdef Q_OS_UNIX
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool flushed = ::fsync(fd) == 0 || errno == EINVAL;
    ::close(fd);
    return flushed;
#else
    Q_UNUSED(folder);
    return true;
#endif
}

} // namespace

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
    return file.commit() && flushFolder(QFileInfo(path).absolutePath());
}

} // namespace vex
