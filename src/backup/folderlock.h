#pragma once

#include <QLockFile>
#include <QString>

namespace vex {

// Only one running copy of the program may own a data folder. Two copies
// would each replace Sicherung.txt with their own results, and the second
// one's answer at start-up would set aside what the first is still writing.
class FolderLock
{
public:
    enum class Outcome {
        Taken,             // this program owns the folder until the lock ends
        HeldByAnotherCopy, // a running copy owns it
        NotPossible,       // the folder can't be made or written: no one can own it
    };

    explicit FolderLock(const QString &folder);

    // Makes the folder when it is missing. A lock left behind by a copy that
    // ended without releasing it (a crash, a kill) is taken over; one held by
    // a running copy never is, however long it has been held.
    Outcome take();

    // The operator's message for a second copy, which then ends.
    static QString heldElsewhereText(const QString &programTitle, const QString &folder);

private:
    QString m_folder;
    QLockFile m_lock;
};

} // namespace vex
