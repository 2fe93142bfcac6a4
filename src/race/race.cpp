#include "race/race.h"

#include "results/ranking.h"
#include "results/recording.h"
#include "results/rowtotal.h"
#include "results/startnumbers.h"
#include "timing/timetext.h"

#include <algorithm>

using namespace Qt::StringLiterals;

namespace vex {

namespace {

// The time text shows minutes, seconds and hundredths: an hour is beyond it.
constexpr qint32 kRunTimeLimitMs = 3'600'000;

} // namespace

Race::Race(RaceResults &results, const TickSource &ticks, Timers &timers, QObject *parent)
    : QObject(parent)
    , m_results(results)
    , m_run(new RunController(ticks, timers, this))
{
    connect(&m_results, &RaceResults::resultsChanged, this, &Race::followResults);
    connect(&m_results, &RaceResults::rowFocused, this, &Race::rowFocused);
    connect(&m_results, &RaceResults::stepped, this, &Race::followStep);
    connect(m_run, &RunController::controlsChanged, this, &Race::runControlsChanged);
    connect(m_run, &RunController::runningTime, this, &Race::runningTime);
    connect(m_run, &RunController::displayReset, this, &Race::displayReset);
    connect(m_run, &RunController::startSoundRequested, this, &Race::startSoundRequested);
    connect(m_run, &RunController::stopSoundRequested, this, &Race::stopSoundRequested);
    // The delay after a stop has passed: the entry happens as if pressed,
    // for the driver of the entry, whatever the operator is doing meanwhile.
    connect(m_run, &RunController::autoEntryDue, this, &Race::enter);
    m_results.setAutoRank(m_settings.AutoRang);
    m_run->setLockTimeMs(m_settings.StartLock);
    m_run->setAutoEntry(m_settings.AutoEin, m_settings.AutoEinS);
    m_cursor.fill(0);
    m_published = m_entry;
}

Race::~Race() = default;

// ---------------------------------------------------------------- settings

void Race::applySettings(const Settings &settings)
{
    const bool clubChanged = settings.cbClub != m_settings.cbClub;
    const Settings before = m_settings;
    m_settings = settings;
    m_results.setAutoRank(settings.AutoRang);
    // The regulation shown is the event's (settingsForDialog): a new one is
    // a command on the event and the default for events to come; the event's
    // own, left as it was, leaves the default as it was too.
    const Regulation wanted = regulationOf(settings);
    if (wanted == m_results.regulation() && m_results.anyPageHoldsData())
        setRegulationFields(m_settings, regulationOf(before));
    const QString changed = m_results.setRegulation(wanted);
    if (!changed.isEmpty())
        Q_EMIT stepReported(changed.section(u"; "_s, 0, 0) + u"; Strg+Z nimmt es zurück"_s);
    m_run->setLockTimeMs(settings.StartLock);
    m_run->setAutoEntry(settings.AutoEin, settings.AutoEinS);
    if (clubChanged)
        m_widths.setClubShown(settings.cbClub);
    Q_EMIT settingsChanged();
}

Settings Race::settingsForDialog() const
{
    Settings shown = m_settings;
    setRegulationFields(shown, m_results.regulation());
    return shown;
}

void Race::setAutoEntry(bool on)
{
    m_settings.AutoEin = on;
    m_run->setAutoEntry(on, m_settings.AutoEinS);
    Q_EMIT settingsChanged();
}

void Race::setClubShown(bool shown)
{
    m_settings.cbClub = shown;
    m_widths.setClubShown(shown);
    Q_EMIT settingsChanged();
}

void Race::setFileFilters(int saveFilter, int openFilter)
{
    if (saveFilter == m_settings.FilterInd && openFilter == m_settings.FilterIndO)
        return;
    m_settings.FilterInd = saveFilter;
    m_settings.FilterIndO = openFilter;
    Q_EMIT settingsChanged();
}

void Race::setLivePage(bool on, int port)
{
    if (on == m_settings.Live && port == m_settings.LivePort)
        return;
    m_settings.Live = on;
    m_settings.LivePort = port;
    Q_EMIT settingsChanged();
}

// ---------------------------------------------------------------- choosing

// The class's start order where it was given one, else the rows of the page
// in their order now; "Nächster" walks them in this order until the class is
// chosen again, whatever the ranking does.
void Race::rebuildWalkOrder()
{
    const ResultPage &p = *activePage();
    m_walkRows.clear();
    m_walkNumbers.clear();
    m_walkRows.reserve(p.dataRows());
    m_walkNumbers.reserve(p.dataRows());
    for (const int r : p.rowsInStartOrder()) {
        m_walkRows.append(p.rowId(r));
        m_walkNumbers.append(p.cell(r, ColStNr));
    }
    m_walkSource = p.startOrder();
    m_entry.position = -1;
}

void Race::chooseClass(int index)
{
    if (index >= 0 && index < kPageCount)
        m_entry.page = index;
    rebuildWalkOrder();
    // The driver at the page's cursor; a page never looked at starts with
    // its first driver.
    const int cursor = activePage()->rowOfId(m_cursor.at(std::size_t(m_entry.page)));
    const int row = cursor >= 1 ? cursor : 1;
    m_entry.position = int(m_walkRows.indexOf(activePage()->rowId(row)));
    takeDriverFromRow(row);
    findPageBest();
    Q_EMIT walkOrderChanged();
    publishEntry();
}

void Race::chooseDriver(int position)
{
    if (position < 0 || position >= m_walkRows.size())
        return;
    const int row = activePage()->rowOfId(m_walkRows.at(position));
    if (row < 1)
        return;
    m_entry.position = position;
    takeDriverFromRow(row);
    publishEntry();
}

void Race::chooseDriverRow(RowId rowId)
{
    const ResultPage &p = *activePage();
    const int position = int(m_walkRows.indexOf(rowId));
    const int row = p.rowOfId(rowId);
    // A start number changed by hand takes the driver out of the list until
    // the class is chosen again, as the list shows it.
    if (position < 0 || row < 1 || p.cell(row, ColStNr) != m_walkNumbers.at(position))
        return;
    chooseDriver(position);
}

void Race::typeStartNumber(const QString &text)
{
    m_entry.startNumber = text;
    const ResultPage &p = *activePage();
    const int position = int(m_walkNumbers.indexOf(text));
    int row = -1;
    if (position >= 0) {
        // So that "Nächster" goes on from the driver the operator typed.
        m_entry.position = position;
        const int listed = p.rowOfId(m_walkRows.at(position));
        if (listed >= 1 && p.cell(listed, ColStNr) == text)
            row = listed;
    }
    if (row < 0)
        row = FindRowByStartNumber(p, text);
    if (row >= 1)
        takeDriverFromRow(row);
    else
        m_entry.row = 0;
    publishEntry();
}

void Race::setName(const QString &name)
{
    m_entry.name = name;
    publishEntry();
}

void Race::setClub(const QString &club)
{
    m_entry.club = club;
    publishEntry();
}

void Race::chooseRun(int run)
{
    if (run < 0 || run > activePage()->shownRuns())
        return;
    m_entry.run = run;
    publishEntry();
}

void Race::setCursorRow(RowId row)
{
    const int k = pageOfRow(row);
    if (k >= 0)
        m_cursor[std::size_t(k)] = row;
}

void Race::takeDriverFromRow(int row)
{
    const ResultPage &p = *activePage();
    if (row < 1 || row >= p.rows())
        return;
    const RowId id = p.rowId(row);
    m_entry.row = id;
    m_entry.startNumber = p.cell(row, ColStNr);
    m_entry.name = p.cell(row, ColName);
    m_entry.club = p.cell(row, ColClub);
    m_entry.shownNumber = m_entry.startNumber;
    m_entry.shownName = m_entry.name;
    m_cursor[std::size_t(m_entry.page)] = id;
    Q_EMIT rowFocused(m_entry.page, id);
}

// The row a run of the entry goes into: the chosen driver's while he still
// has the start number of the entry (two drivers may share one), otherwise
// the first with that start number, -1 for a new driver.
int Race::targetRow() const
{
    const ResultPage &p = *activePage();
    const int chosen = p.rowOfId(m_entry.row);
    if (chosen >= 1 && p.cell(chosen, ColStNr) == m_entry.startNumber)
        return chosen;
    return FindRowByStartNumber(p, m_entry.startNumber);
}

void Race::publishEntry()
{
    const int row = targetRow();
    m_entry.timeExists = row >= 1 && !isBlankCell(activePage()->cell(row, timeColumn(m_entry.run)));
    if (m_entry == m_published)
        return;
    m_published = m_entry;
    Q_EMIT entryChanged();
}

// ---------------------------------------------------------------- timing

void Race::start(quint32 tick, qint64 micros)
{
    if (m_run->state() == RunState::Ready && m_run->controls().startEnabled)
        ++m_runToken;
    m_run->start(tick, micros);
}

void Race::stop(quint32 tick, qint64 micros)
{
    if (stopTooEarly(tick, micros))
        return;
    m_run->stop(tick, micros);
}

void Race::abort()
{
    m_run->abort();
}

void Race::toggleStartBarrier()
{
    m_run->toggleStartBarrier();
}

void Race::toggleFinishBarrier()
{
    m_run->toggleFinishBarrier();
}

void Race::setPortOpen(bool open)
{
    m_run->setPortOpen(open);
}

// ---------------------------------------------------------------- penalty

void Race::addPenalty(int seconds)
{
    if (!m_run->controls().penaltyEnabled)
        return;
    setPenalty(m_entry.penaltySeconds + seconds);
}

void Race::setPenalty(int seconds)
{
    m_entry.penaltySeconds = std::max(0, seconds);
    publishEntry();
}

void Race::setPenaltyText(const QString &text)
{
    setPenalty(penaltyValue(text));
}

void Race::penaltyUp()
{
    setPenalty(m_entry.penaltySeconds + 1);
}

void Race::penaltyDown()
{
    if (m_entry.penaltySeconds > 0)
        setPenalty(m_entry.penaltySeconds - 1);
}

// ---------------------------------------------------------------- recording

void Race::enter()
{
    if (m_run->controls().enterEnabled && m_run->runTimeMs() >= kRunTimeLimitMs) {
        Q_EMIT entryRefused(u"Der Lauf dauert eine Stunde oder länger, länger als die Uhr anzeigt, "
                            u"und wird nicht eingetragen. Lauf abbrechen?"_s);
        return;
    }
    if (!m_run->enter())
        return;
    const int k = m_entry.page;
    RunEntry e;
    e.startNumber = m_entry.startNumber;
    e.name = m_entry.name;
    e.club = m_entry.club;
    e.run = m_entry.run;
    e.runTimeMs = m_run->runTimeMs();
    e.penaltySeconds = m_entry.penaltySeconds;
    // A start number of blanks names no driver: such a run gets a row of its own.
    const bool anonymous = isBlankCell(e.startNumber);
    const int known = anonymous ? -1 : targetRow();
    const ResultPage &p = page(k);
    const QString before = known >= 1 ? p.cell(known, timeColumn(e.run)) : QString();
    QString what = MsToText(e.runTimeMs);
    if (e.penaltySeconds > 0)
        what += u" StS %1"_s.arg(e.penaltySeconds);
    QString previous = u"leer"_s;
    if (!isBlankCell(before))
        previous = u"%1 StS %2"_s.arg(before, p.cell(known, penaltyColumn(e.run)));
    const QString driver =
        QString((anonymous ? QString() : u"Nr. "_s + e.startNumber.trimmed()) + u' ' + e.name.trimmed()).trimmed();
    const QString line = u"%1 von %2: %3 eingetragen (vorher %4)"_s.arg(RaceResults::runName(e.run), driver, what,
                                                                         previous);
    CommandScope scope;
    scope.run = e.run;
    scope.runToken = m_runToken;
    scope.runTimeMs = e.runTimeMs;
    scope.penaltySeconds = e.penaltySeconds;
    scope.startNumber = e.startNumber;
    scope.name = e.name;
    scope.club = e.club;
    const RowId id = m_results.perform(k, scope, line, [&](ResultPage &page) {
        const int row = anonymous ? enterRun(page, e) : enterRunIntoRow(page, known, e);
        return row >= 1 ? page.rowId(row) : RowId(0);
    });
    if (id != 0) {
        m_entry.row = id;
        m_cursor[std::size_t(k)] = id;
        Q_EMIT rowFocused(k, id);
    }
    publishEntry();
}

void Race::discardRun()
{
    m_run->discardStopped();
}

void Race::next()
{
    if (!m_run->next())
        return;
    Q_EMIT displayReset();
    m_entry.penaltySeconds = 0;
    m_entry.name.clear();
    m_entry.club.clear();
    const int count = int(m_walkRows.size());
    if (count > 0) {
        const int p = m_entry.position;
        chooseDriver(p >= 0 && p < count - 1 ? p + 1 : 0);
    } else if (const int row = targetRow(); row >= 1) {
        // No list to walk: the start number stays, and its driver's name
        // comes back when he has a row.
        takeDriverFromRow(row);
    }
    publishEntry();
}

// ---------------------------------------------------------------- result pages

RowId Race::addRow()
{
    return m_results.addRow(m_entry.page);
}

void Race::rank()
{
    m_results.rank(m_entry.page);
}

// "Nächster" walks the new order from its first driver on; taking the
// command back brings back the driver chosen before it.
void Race::drawStartOrder(quint32 seed)
{
    m_results.drawStartOrder(m_entry.page, seed, m_entry.row);
    m_cursor[std::size_t(m_entry.page)] = 0;
    chooseClass(m_entry.page);
}

void Race::reverseStartOrder()
{
    m_results.reverseStartOrder(m_entry.page, m_entry.row);
    m_cursor[std::size_t(m_entry.page)] = 0;
    chooseClass(m_entry.page);
}

void Race::clearResults()
{
    endRunInProgress();
    m_results.clearResults(m_entry.page);
}

// Whatever changed a page, the session follows: a driver who is gone leaves
// the walk order, the time warning and the best time are those of the page now.
void Race::followResults(int k)
{
    if (k != m_entry.page)
        return;
    const ResultPage &p = *activePage();
    if (p.startOrder() != m_walkSource) {
        // A start order given or taken back: the walk follows it, the
        // driver chosen stays where he is in it.
        const RowId chosen = m_entry.row;
        rebuildWalkOrder();
        m_entry.position = int(m_walkRows.indexOf(chosen));
        Q_EMIT walkOrderChanged();
    }
    bool walkChanged = false;
    for (int i = int(m_walkRows.size()) - 1; i >= 0; --i) {
        if (p.rowOfId(m_walkRows.at(i)) < 0) {
            m_walkRows.removeAt(i);
            m_walkNumbers.removeAt(i);
            if (m_entry.position >= i)
                --m_entry.position;
            walkChanged = true;
        }
    }
    if (walkChanged)
        Q_EMIT walkOrderChanged();
    if (m_settings.AutoRang)
        findPageBest();
    publishEntry();
}

void Race::findPageBest()
{
    const RankResult result = FindPageBest(*activePage());
    setBest(result.bestTimeMs, result.bestDriverLabel);
}

void Race::setBest(qint32 ms, const QString &label)
{
    if (ms == m_bestTimeMs && label == m_bestDriverLabel)
        return;
    m_bestTimeMs = ms;
    m_bestDriverLabel = label;
    Q_EMIT bestTimeChanged();
}

void Race::takeNewList(bool opened)
{
    endRunInProgress();
    if (!opened) {
        chooseClass(m_entry.page);
        return;
    }
    chooseClass(0);
    chooseDriver(0);
}

// The run being timed, stopped or entered belongs to a driver of the pages
// as they were: after a load or a clear it ends, as an abort would end it.
void Race::endRunInProgress()
{
    switch (m_run->state()) {
    case RunState::Running:
        m_run->abort();
        break;
    case RunState::Stopped:
        m_run->discardStopped();
        break;
    case RunState::Entered:
        if (m_run->next())
            Q_EMIT displayReset();
        break;
    case RunState::Ready:
        break;
    }
    m_entry.penaltySeconds = 0;
}

} // namespace vex
