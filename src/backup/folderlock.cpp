#include "backup/folderlock.h"

#include "backup/backupnames.h"

#include <QDir>

using namespace Qt::StringLiterals;

namespace vex {

FolderLock::FolderLock(const QString &folder)
    : m_folder(folder)
    , m_lock(QDir(folder).filePath(backupnames::lock()))
{
    // A lock is stale only when its process is gone. By age alone (Qt's
    // default: 30 seconds) the second copy would take over the folder from a
    // first one that has simply been running for a while.
    m_lock.setStaleLockTime(0);
}

FolderLock::Outcome FolderLock::take()
{
    if (!QDir().mkpath(m_folder))
        return Outcome::NotPossible;
    if (m_lock.tryLock(0))
        return Outcome::Taken;
    return m_lock.error() == QLockFile::LockFailedError ? Outcome::HeldByAnotherCopy : Outcome::NotPossible;
}

QString FolderLock::heldElsewhereText(const QString &programTitle, const QString &folder)
{
    return u"%1 läuft bereits und sichert die Ergebnisse in diesem Ordner:\n%2\n\n"
           u"Bitte mit dem schon geöffneten Programmfenster weiterarbeiten. Dieses zweite wird "
           u"beendet, damit es die Sicherung des ersten nicht überschreibt."_s.arg(
               programTitle, QDir::toNativeSeparators(folder));
}

} // namespace vex
