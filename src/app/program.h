#pragma once

#include "app/formmain.h"
#include "backup/backupstore.h"
#include "backup/filereplacer.h"

#include <QString>

#include <memory>

namespace vex {

class LiveServer;
class RaceBackup;

// The program from start to end: the six windows in their fixed order and
// the backup of the race's results in the given folder.
class Program
{
public:
    // replacer: how the backup is put on the disk; null: flushed to the disk.
    Program(const MainWindowServices &services, const QString &backupFolder, FileReplacer *replacer = nullptr);
    ~Program();
    Program(const Program &) = delete;
    Program &operator=(const Program &) = delete;

    TFormMain &mainWindow() { return *m_mainWindow; }

    // Shows the main window, then offers to take back the last session's
    // results when the backup holds some that were neither saved nor cleared.
    void start();

private:
    DurableFileReplacer m_durable;
    BackupStore m_store;
    std::unique_ptr<TFormMain> m_mainWindow;
    std::unique_ptr<RaceBackup> m_backup;
    // The live results page: another observer of the race, gone before it.
    std::unique_ptr<LiveServer> m_live;
};

} // namespace vex
