#pragma once

#include "serial/racebarriers.h"

#include <QString>

#include <memory>

namespace vex {

class AutomationServers;
class BackupStore;
class CorrectionJournal;
class FileReplacer;
class LiveServer;
class Race;
class RaceFiles;
class RaceResults;
class RaceBackup;
class ResultsPublisher;
class TickSource;
class Timers;
struct Settings;

// What the station is given; a null entry is this machine's own.
struct StationServices
{
    const TickSource *ticks = nullptr; // the counter runs are timed by; null: the steady clock
    Timers *timers = nullptr; // the race's and the barriers' timers; null: Qt's
    AutomationServers *office = nullptr; // the spreadsheet and word processor; null: none
    QString wordTemplate; // the word processor's template, when there is one
    BarrierServices barriers;
    QString backupFolder; // where the results are backed up; empty: nowhere
    FileReplacer *backupReplacer = nullptr; // how a backup reaches the disk; null: flushed to it
    QString appTitle; // the live page's heading and its protocol's
};

// One race station: the race and everything that acts on it without a
// window, built and owned in one place so that the program and a headless
// driver run the same thing. Windows observe and command the race; they
// build none of this.
class RaceStation
{
public:
    explicit RaceStation(const StationServices &services);
    ~RaceStation();
    RaceStation(const RaceStation &) = delete;
    RaceStation &operator=(const RaceStation &) = delete;

    Race &race() { return *m_race; }
    RaceResults &results() { return *m_results; }
    // The files of the race: start lists and protocols in and out.
    RaceFiles &files() { return *m_files; }
    const TickSource &ticks() const { return *m_ticks; }
    RaceBarriers &barriers() { return *m_barriers; }
    // Null when the results are backed up nowhere.
    RaceBackup *backup() { return m_backup.get(); }
    // The live results page; it listens while the race's settings say so.
    LiveServer &live() { return *m_live; }
    // The results on the club's web space; it uploads while the race's
    // settings say so.
    ResultsPublisher &publisher() { return *m_publisher; }

    // The settings the program starts with: the race takes them, then the
    // light barriers open the port they name.
    void start(const Settings &settings);
    // The settings dialog's OK: the port is closed before the race takes the
    // new settings and opened again a moment later, whatever changed.
    void applySettings(const Settings &settings);
    // The end of the program: the port closes while everything still stands.
    void shutDown();

private:
    void openBackup(const StationServices &services);
    void followLiveSettings();

    // Destroyed in reverse order: observers first, the race after them, the
    // clock and the timers last.
    std::unique_ptr<TickSource> m_ownTicks;
    std::unique_ptr<Timers> m_ownTimers;
    std::unique_ptr<FileReplacer> m_ownReplacer;
    const TickSource *m_ticks = nullptr;
    std::unique_ptr<RaceResults> m_results;
    std::unique_ptr<Race> m_race;
    std::unique_ptr<RaceFiles> m_files;
    std::unique_ptr<RaceBarriers> m_barriers;
    std::unique_ptr<BackupStore> m_store;
    std::unique_ptr<RaceBackup> m_backup;
    std::unique_ptr<CorrectionJournal> m_journal;
    // Observers for the public come after the backup: each sees a change only
    // once it is on the disk.
    std::unique_ptr<LiveServer> m_live;
    int m_livePort = 0; // the port the live page was asked to listen on; 0: off
    std::unique_ptr<ResultsPublisher> m_publisher;
};

} // namespace vex
