#include "backup/racebackup.h"

#include "backup/backupstore.h"
#include "files/racefiles.h"
#include "race/raceresults.h"
#include "reports/protocoltext.h"
#include "results/resultpage.h"
#include "results/runcell.h"

namespace vex {

namespace {

// A time or a disqualification in any run of any driver.
bool holdsResults(const Competition &competition)
{
    for (int k = 0; k < Competition::pageCount(); ++k) {
        const ResultPage &page = *competition.page(k);
        for (int row = 1; row < page.rows(); ++row) {
            for (int run = 0; run <= page.shownRuns(); ++run) {
                const RunCell::Kind kind = readRunCell(page.cell(row, timeColumn(run))).kind;
                if (kind != RunCell::Nothing && kind != RunCell::Disqualified)
                    return true;
            }
        }
    }
    return false;
}

} // namespace

RaceBackup::RaceBackup(RaceFiles &files, BackupStore &store, QObject *parent)
    : QObject(parent)
    , m_files(files)
    , m_store(store)
{
    connect(&m_files.results(), &RaceResults::resultsChanged, this, &RaceBackup::backUp);
    connect(&m_files.results(), &RaceResults::classListChanged, this, &RaceBackup::backUp);
    connect(&m_files.results(), &RaceResults::eventChanged, this, &RaceBackup::backUp);
    connect(&m_files.results(), &RaceResults::resultsCleared, this, &RaceBackup::afterClearing);
    connect(&m_files, &RaceFiles::protocolSaved, this, [this] { m_store.markSaved(); });
}

void RaceBackup::setAsideIfUnreadable()
{
    if (const std::optional<QString> message = m_store.setAsideIfUnreadable())
        Q_EMIT failed(*message);
}

bool RaceBackup::needsRecovery() const
{
    return m_store.needsRecovery();
}

QString RaceBackup::takeBack()
{
    m_store.recovered();
    return m_store.backupPath();
}

void RaceBackup::setAside()
{
    m_store.keepAside();
}

void RaceBackup::backUp()
{
    // The stand-in class of a write may announce itself; one write is enough.
    if (m_writing)
        return;
    m_writing = true;
    QByteArray bytes;
    m_files.exportWith([&bytes](const Competition &competition) {
        bytes = formatProtocolText(competition);
        return std::optional<QString>();
    });
    const std::optional<QString> error = m_store.write(bytes);
    m_writing = false;
    if (error && !m_failing)
        Q_EMIT failed(*error);
    m_failing = error.has_value();
    if (!m_tidyUpDue) {
        m_tidyUpDue = true;
        QMetaObject::invokeMethod(this, &RaceBackup::tidyUp, Qt::QueuedConnection);
    }
}

void RaceBackup::afterClearing()
{
    // Clearing one class leaves the others' results to be offered.
    if (!holdsResults(m_files.results().competition()))
        m_store.markSaved();
}

void RaceBackup::tidyUp()
{
    m_tidyUpDue = false;
    m_store.pruneHistory();
}

} // namespace vex
