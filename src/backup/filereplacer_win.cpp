// DurableFileReplacer on Windows: the temporary file's bytes are flushed with
// FlushFileBuffers, then MoveFileExW with MOVEFILE_WRITE_THROUGH renames it
// over the target and returns only once the rename is on the disk, so no
// separate flush of the folder is needed.

#include "backup/filereplacer.h"

#include <QtGlobal>

#ifdef Q_OS_WIN

#include <QDir>
#include <QFileInfo>

#include <windows.h>

using namespace Qt::StringLiterals;

namespace vex {

namespace {

const wchar_t *wide(const QString &text)
{
    return reinterpret_cast<const wchar_t *>(text.utf16());
}

// A virus scanner or the search indexer opens a new file for a moment; a
// rename in that moment fails with a sharing violation. A few short tries
// get past it without holding up the caller noticeably.
constexpr int kMoveTries = 5;
constexpr DWORD kMoveRetryMs = 20;

bool transient(DWORD error)
{
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION || error == ERROR_ACCESS_DENIED;
}

// Creates a temporary file beside the target, named so that no two writers
// share one; CREATE_NEW never opens a file that is already there.
HANDLE createTemporary(const QString &target, QString *name)
{
    for (int n = 0; n < 100; ++n) {
        *name = target + u".neu"_s + QString::number(GetCurrentProcessId()) + u'-' + QString::number(n);
        const HANDLE file = CreateFileW(wide(*name), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                        FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE || GetLastError() != ERROR_FILE_EXISTS)
            return file;
    }
    return INVALID_HANDLE_VALUE;
}

bool writeAll(HANDLE file, QByteArrayView bytes)
{
    while (!bytes.isEmpty()) {
        const DWORD chunk = DWORD(qMin<qsizetype>(bytes.size(), 1 << 30));
        DWORD written = 0;
        if (!WriteFile(file, bytes.data(), chunk, &written, nullptr) || written == 0)
            return false;
        bytes = bytes.sliced(written);
    }
    return true;
}

} // namespace

bool DurableFileReplacer::replace(const QString &path, QByteArrayView bytes)
{
    const QString target = QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
    QString temporary;
    const HANDLE file = createTemporary(target, &temporary);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    // A full disk shows here or in the flush; either way the target stays.
    const bool written = writeAll(file, bytes) && FlushFileBuffers(file);
    CloseHandle(file);
    if (written) {
        for (int attempt = 1; attempt <= kMoveTries; ++attempt) {
            if (MoveFileExW(wide(temporary), wide(target), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
                return true;
            if (attempt == kMoveTries || !transient(GetLastError()))
                break;
            Sleep(kMoveRetryMs);
        }
    }
    DeleteFileW(wide(temporary));
    return false;
}

} // namespace vex

#endif // Q_OS_WIN
