#include "results/rowreadings.h"

#include "results/runcell.h"
#include "results/teamranking.h"

#include <initializer_list>

namespace vex {

namespace {

// Rows looked for from end to end before the rows' old places are indexed:
// after one entry one row moved far, the others by one place at most.
constexpr int kScansBeforeIndex = 8;

// The place a ranking wrote: a plain positive number, else 0.
int placeNumber(const QString &text)
{
    int value = 0;
    bool digits = false;
    for (const QChar c : text) {
        if (c.unicode() <= 0x20) {
            if (digits)
                break;
            continue;
        }
        if (c < u'0' || c > u'9' || value > 100'000)
            return 0;
        value = value * 10 + (c.unicode() - u'0');
        digits = true;
    }
    return value;
}

} // namespace

RowReadings::RowReadings(bool keep)
    : m_keep(keep)
{
}

void RowReadings::prepare(const ResultPage &page)
{
    const qsizetype bound = 2 * qsizetype(page.rows()) + 64;
    if (m_regulation == page.regulation() && m_runs == page.shownRuns() && m_clubs.size() <= bound)
        return;
    m_readings.clear();
    m_previous.clear();
    m_clubOf.clear();
    m_clubs.clear();
    m_regulation = page.regulation();
    m_runs = page.shownRuns();
}

qsizetype RowReadings::previousIndex(RowId id, qsizetype guess)
{
    const qsizetype n = m_previous.size();
    for (const qsizetype j : {guess, guess - 1, guess + 1}) {
        if (j >= 0 && j < n && m_previous.at(j).id == id)
            return j;
    }
    if (m_previousIndex.isEmpty() && m_scans < kScansBeforeIndex) {
        ++m_scans;
        for (qsizetype j = 0; j < n; ++j) {
            if (m_previous.at(j).id == id)
                return j;
        }
        return -1;
    }
    if (m_previousIndex.isEmpty()) {
        m_previousIndex.reserve(n);
        for (qsizetype j = 0; j < n; ++j)
            m_previousIndex.insert(m_previous.at(j).id, j);
    }
    return m_previousIndex.value(id, -1);
}

void RowReadings::readRow(const ResultPage &page, int row, RowReading &r)
{
    const QStringList &cells = page.row(row);
    const Regulation &regulation = page.regulation();
    r.bestRun = 0;
    r.bestRunNumber = 0;
    // The day's best is a run that counts for the event: one of its scoring
    // runs (a struck one too), never a further run a file holds beyond them,
    // and never one of a disqualified driver.
    const RunCell::Kind total = readRunCell(cells.at(ColTotal)).kind;
    const bool disqualified = total == RunCell::Disqualified || total == RunCell::Dis;
    const int runs = disqualified ? 0 : regulation.scoringRuns;
    for (int run = 1; run <= runs; ++run) {
        const std::optional<qint64> value = countedRunValue(cells, run, regulation);
        if (!value || *value <= 0 || *value >= kHourMs || (r.bestRun > 0 && *value >= r.bestRun))
            continue;
        r.bestRun = qint32(*value);
        r.bestRunNumber = run;
    }
    r.hasTotal = total == RunCell::Time;

    // A team the start list names goes before the club.
    const QString team = page.team(row);
    const QString &club = team.isEmpty() ? cells.at(ColClub) : team;
    r.club = -1;
    if (isBlankCell(club))
        return;
    auto it = m_clubOf.constFind(club);
    if (it == m_clubOf.cend()) {
        const QString team = club.trimmed();
        it = m_clubOf.insert(club, int(m_clubs.size()));
        m_clubs.append(Club{team, teamKey(team)});
    }
    r.club = *it;
}

const QList<RowReading> &RowReadings::read(const ResultPage &page)
{
    prepare(page);
    std::swap(m_readings, m_previous);
    m_readings.resize(0);
    m_readings.reserve(page.dataRows());
    m_previousIndex.clear();
    m_scans = 0;

    qsizetype shift = 0;
    for (int row = 1; row < page.rows(); ++row) {
        RowReading r;
        r.id = page.rowId(row);
        const qsizetype j = m_keep ? previousIndex(r.id, row - 1 + shift) : -1;
        if (j >= 0) {
            shift = j - (row - 1);
            r = m_previous.at(j);
        }
        const quint64 version = page.rowVersion(row);
        const quint64 placeVersion = page.placeVersion(row);
        const bool newRow = j < 0 || r.version != version;
        if (newRow)
            readRow(page, row, r);
        if (newRow || r.placeVersion != placeVersion)
            r.place = r.hasTotal ? placeNumber(page.row(row).at(ColPlace)) : 0;
        r.version = version;
        r.placeVersion = placeVersion;
        m_readings.append(r);
    }
    return m_readings;
}

} // namespace vex
