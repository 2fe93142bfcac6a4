#pragma once

#include <QObject>
#include <QString>

namespace vex {

class BackupStore;
class RaceFiles;

// Keeps the backup of a race. After every change of the results (an entry, a
// corrected row, a new or removed row, deleted times, a disqualification,
// clearing, a load, a ranking) the whole protocol, as the text writer sees it,
// is written before the command that made the change returns. A saved
// protocol, or results cleared down to none, are nothing to ask about at the
// next start.
class RaceBackup : public QObject
{
    Q_OBJECT
public:
    RaceBackup(RaceFiles &files, BackupStore &store, QObject *parent = nullptr);

    // Sets aside a backup of an earlier run that can't be taken back, before
    // anything is offered; failed() tells the operator where it is.
    void setAsideIfUnreadable();
    // Whether the backup holds results of an earlier run to offer at start.
    bool needsRecovery() const;
    // "Ja": the backup is to be taken back; returns the file to open as the
    // operator would open a protocol. Later writes replace it.
    QString takeBack();
    // "Nein": the race starts empty; the backup is set aside under a name of
    // its own.
    void setAside();

Q_SIGNALS:
    // A backup could not be written (said once until a write succeeds
    // again), or the last session's could not be read.
    void failed(const QString &message);

private:
    void backUp();
    void afterClearing();
    void tidyUp();

    RaceFiles &m_files;
    BackupStore &m_store;
    bool m_writing = false;
    bool m_failing = false;
    bool m_tidyUpDue = false;
};

} // namespace vex
