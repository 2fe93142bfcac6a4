#pragma once

#include "backup/filereplacer.h"

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QString>

#include <functional>
#include <optional>

namespace vex {

// The backup of the competition in one folder (the file names are described
// in backupnames.h). write() puts the whole protocol in place before it
// returns; a marker file says whether the backup holds results the operator
// has neither saved nor cleared since, which is what start-up asks about.
//
// A backup left by an earlier run with such results is never overwritten
// without a copy: until the operator has either taken it back (recovered())
// or set it aside (keepAside()), the first write sets it aside by itself.
class BackupStore
{
public:
    using Clock = std::function<QDateTime()>;

    // Makes the folder when it is missing and removes what writes cut off by
    // a crash left behind.
    BackupStore(const QString &folder, FileReplacer &replacer, Clock clock = &QDateTime::currentDateTime);

    QString folder() const { return m_folder.path(); }
    QString backupPath() const;

    // True when the backup holds results of an earlier run that were not
    // saved or cleared, and nothing has been decided about them yet.
    bool needsRecovery() const { return m_pending && !m_unreadable; }

    // A backup the protocol reader would refuse (no text, too large, a line
    // too long) or can't open can't be taken back. Before the operator is
    // asked, such a backup is set aside as keepAside() does, so that nothing
    // overwrites it; the result is the message telling where it is. Where it
    // can't be renamed it stays, and every write fails rather than replace it.
    std::optional<QString> setAsideIfUnreadable();

    // The operator takes the backup back: later writes replace it. Its state
    // goes into the day's history unless it is the newest entry already, in
    // case taking it back goes wrong.
    void recovered();

    // Renames the backup to "Sicherung-<date stamp>.txt" (never over an
    // existing file) and forgets its results: the next start does not ask.
    // Returns the new path, nothing when the backup could not be renamed.
    std::optional<QString> keepAside();

    // Writes the protocol bytes as the new backup and as the day's newest
    // history entry. Bytes equal to the last ones written change nothing.
    // Returns the message for the operator on failure; the previous backup
    // then stays as it was.
    std::optional<QString> write(const QByteArray &protocolBytes);

    // Removes the day's history entries beyond the last ones kept. Freeing a
    // file costs about as long as flushing one, so write() leaves this to be
    // done once the operator's command is through.
    void pruneHistory();

    // The results as they stand have been saved by the operator, or cleared:
    // the backup need not be offered at the next start.
    void markSaved();

    // The message for a backup that could not be written.
    QString writeErrorText() const;

private:
    QString pathOf(const QString &name) const { return m_folder.filePath(name); }
    void removeUnfinishedWrites();
    void scanHistory(QDate day);
    void addToHistory(QDate day);
    bool setMarker(bool unsaved);

    QDir m_folder;
    FileReplacer &m_replacer;
    Clock m_clock;
    bool m_pending = false;
    bool m_unreadable = false;
    bool m_markerOnDisk = false;
    std::optional<QByteArray> m_lastWritten;
    QDate m_historyDay;
    int m_historyNumber = 0; // the day's newest entry
    int m_prunedUpTo = 0;    // the day's entries up to this one are gone
};

} // namespace vex
