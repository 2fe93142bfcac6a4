#include "station/racestation.h"

#include "backup/backupstore.h"
#include "backup/correctionjournal.h"
#include "backup/filereplacer.h"
#include "backup/racebackup.h"
#include "files/racefiles.h"
#include "live/liveserver.h"
#include "publish/resultspublisher.h"
#include "race/race.h"
#include "race/raceresults.h"
#include "timing/tickclock.h"
#include "timing/timers.h"

namespace vex {

RaceStation::RaceStation(const StationServices &services)
{
    m_ticks = services.ticks;
    if (!m_ticks) {
        m_ownTicks = std::make_unique<SteadyTickSource>();
        m_ticks = m_ownTicks.get();
    }
    Timers *timers = services.timers;
    if (!timers) {
        m_ownTimers = std::make_unique<QtTimers>();
        timers = m_ownTimers.get();
    }
    // The results and the run session that commands them, wired by the race.
    m_results = std::make_unique<RaceResults>();
    m_race = std::make_unique<Race>(*m_results, *m_ticks, *timers);
    m_files = std::make_unique<RaceFiles>(*m_race);
    m_files->setOfficeServers(services.office, services.wordTemplate);
    m_barriers = std::make_unique<RaceBarriers>(*m_race, *timers, services.barriers);
    openBackup(services);
    m_live = std::make_unique<LiveServer>(*m_race, services.appTitle);
    QObject::connect(m_race.get(), &Race::settingsChanged, m_live.get(), [this] { followLiveSettings(); });
    m_publisher = std::make_unique<ResultsPublisher>(*m_race, services.appTitle, *m_ticks, *timers);
    QObject::connect(m_race.get(), &Race::settingsChanged, m_publisher.get(),
                     [this] { m_publisher->setOptions(publishOptionsOf(m_race->settings())); });
}

RaceStation::~RaceStation() = default;

// The one place the backup folder is taken: a folder another copy of the
// program works in is to be refused here, leaving the station without backup.
void RaceStation::openBackup(const StationServices &services)
{
    if (services.backupFolder.isEmpty())
        return;
    FileReplacer *replacer = services.backupReplacer;
    if (!replacer) {
        m_ownReplacer = std::make_unique<DurableFileReplacer>();
        replacer = m_ownReplacer.get();
    }
    m_store = std::make_unique<BackupStore>(services.backupFolder, *replacer);
    m_backup = std::make_unique<RaceBackup>(*m_files, *m_store);
    m_journal = std::make_unique<CorrectionJournal>(services.backupFolder);
    QObject::connect(m_results.get(), &RaceResults::journalLine, m_results.get(),
                     [journal = m_journal.get()](const QString &line) { journal->append(line); });
}

// The page listens while the settings say so, from the program's start on. A
// port that failed is tried again only when it is chosen anew.
void RaceStation::followLiveSettings()
{
    const Settings &settings = m_race->settings();
    const int port = settings.Live ? settings.LivePort : 0;
    if (port == m_livePort)
        return;
    m_livePort = port;
    if (port == 0)
        m_live->stop();
    else
        m_live->start(quint16(port));
}

void RaceStation::start(const Settings &settings)
{
    m_race->applySettings(settings);
    m_barriers->open();
}

void RaceStation::applySettings(const Settings &settings)
{
    m_barriers->close();
    m_race->applySettings(settings);
    m_barriers->reopenSoon();
}

void RaceStation::shutDown()
{
    m_barriers->close();
}

} // namespace vex
