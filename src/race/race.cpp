#include "race/race.h"

#include "office/automation.h"
#include "office/excelexchange.h"
#include "office/officeprogress.h"
#include "office/wordreport.h"
#include "reports/htmlreport.h"
#include "reports/protocolfile.h"
#include "results/ranking.h"
#include "results/recording.h"
#include "results/rowtotal.h"
#include "results/startnumbers.h"

#include <QSignalBlocker>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace vex {

namespace {

// The time text shows minutes, seconds and hundredths: an hour is beyond it.
constexpr qint32 kRunTimeLimitMs = 3'600'000;

// The writers walk the class list, which only a load with class headings
// fills. Drivers typed into the first page by hand, or loaded from a list
// without headings, would be left out of every file; for the time of a write
// that page stands in as a class under its own caption. Nobody hears of the
// stand-in.
class FirstPageAsClass
{
public:
    FirstPageAsClass(Competition &competition, bool firstPageHoldsData)
        : m_competition(competition)
        , m_standIn(competition.classes().isEmpty() && firstPageHoldsData)
    {
        if (m_standIn) {
            const QSignalBlocker quiet(&m_competition);
            m_competition.setClasses({m_competition.page(0)->caption()});
        }
    }
    ~FirstPageAsClass()
    {
        if (m_standIn) {
            const QSignalBlocker quiet(&m_competition);
            m_competition.setClasses({});
        }
    }
    FirstPageAsClass(const FirstPageAsClass &) = delete;
    FirstPageAsClass &operator=(const FirstPageAsClass &) = delete;

private:
    Competition &m_competition;
    const bool m_standIn;
};

// Hands the exchange's progress on as the race's signals.
class ProgressRelay final : public OfficeProgress
{
public:
    explicit ProgressRelay(Race &race)
        : m_race(race)
    {
    }
    void showProgress() override { Q_EMIT m_race.progressShown(); }
    void setProgressCaption(const QString &caption) override { Q_EMIT m_race.progressCaptionChanged(caption); }
    void setProgressMaximum(int maximum) override { Q_EMIT m_race.progressMaximumChanged(maximum); }
    void setProgress(int value) override { Q_EMIT m_race.progressChanged(value); }
    void closeProgress() override { Q_EMIT m_race.progressClosed(); }

private:
    Race &m_race;
};

} // namespace

Race::Race(const TickSource &ticks, Timers &timers, QObject *parent)
    : QObject(parent)
    , m_competition(new Competition(this))
    , m_run(new RunController(ticks, timers, this))
{
    connect(m_competition, &Competition::classesChanged, this, &Race::classListChanged);
    connect(m_run, &RunController::controlsChanged, this, &Race::runControlsChanged);
    connect(m_run, &RunController::runningTime, this, &Race::runningTime);
    connect(m_run, &RunController::displayReset, this, &Race::displayReset);
    connect(m_run, &RunController::startSoundRequested, this, &Race::startSoundRequested);
    connect(m_run, &RunController::stopSoundRequested, this, &Race::stopSoundRequested);
    // The delay after a stop has passed: the entry happens as if pressed,
    // for the driver of the entry, whatever the operator is doing meanwhile.
    connect(m_run, &RunController::autoEntryDue, this, &Race::enter);
    m_run->setLockTimeMs(m_settings.StartLock);
    m_run->setAutoEntry(m_settings.AutoEin, m_settings.AutoEinS);
    m_cursor.fill(0);
    m_published = m_entry;
}

Race::~Race() = default;

bool Race::pageHoldsData(int index) const
{
    if (index < 0 || index >= kPageCount)
        return false;
    const ResultPage &p = page(index);
    return p.rows() >= 2 && !p.cell(1, ColStNr).isEmpty();
}

bool Race::anyPageHoldsData() const
{
    for (int k = 0; k < kPageCount; ++k) {
        if (pageHoldsData(k))
            return true;
    }
    return false;
}

int Race::pageOfRow(RowId row) const
{
    for (int k = 0; k < kPageCount; ++k) {
        if (page(k).rowOfId(row) >= 0)
            return k;
    }
    return -1;
}

// ---------------------------------------------------------------- settings

void Race::applySettings(const Settings &settings)
{
    const bool clubChanged = settings.cbClub != m_settings.cbClub;
    m_settings = settings;
    m_run->setLockTimeMs(settings.StartLock);
    m_run->setAutoEntry(settings.AutoEin, settings.AutoEinS);
    if (clubChanged)
        m_widths.setClubShown(settings.cbClub);
    Q_EMIT settingsChanged();
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

// The rows of the page in their order now; "Nächster" walks them in this
// order until the class is chosen again, whatever the ranking does.
void Race::rebuildWalkOrder()
{
    const ResultPage &p = *activePage();
    m_walkRows.clear();
    m_walkNumbers.clear();
    m_walkRows.reserve(p.dataRows());
    m_walkNumbers.reserve(p.dataRows());
    for (int r = 1; r < p.rows(); ++r) {
        m_walkRows.append(p.rowId(r));
        m_walkNumbers.append(p.cell(r, ColStNr));
    }
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
    m_entry.position = row - 1;
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
    if (run < 0 || run > 2)
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
    Q_EMIT pageAboutToChange(k);
    ResultPage &p = page(k);
    RunEntry e;
    e.startNumber = m_entry.startNumber;
    e.name = m_entry.name;
    e.club = m_entry.club;
    e.run = m_entry.run;
    e.runTimeMs = m_run->runTimeMs();
    e.penaltySeconds = m_entry.penaltySeconds;
    // A start number of blanks names no driver: such a run gets a row of its own.
    const int known = isBlankCell(e.startNumber) ? -1 : targetRow();
    const QStringList before = known >= 1 ? p.row(known) : QStringList();
    const int row = isBlankCell(e.startNumber) ? enterRun(p, e) : enterRunIntoRow(p, known, e);
    if (row >= 1) {
        const RowId id = p.rowId(row);
        m_entry.row = id;
        m_cursor[std::size_t(k)] = id;
        rankPage(k);
        recordEntry(k, id, before, known < 1);
        Q_EMIT resultsChanged(k);
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

void Race::editCell(RowId rowId, int column, const QString &text)
{
    // No pageAboutToChange: the edit open on the page is the one that ends here.
    const int k = pageOfRow(rowId);
    if (k < 0 || !isHandEditedColumn(column))
        return;
    QString kept;
    kept.reserve(text.size());
    for (const QChar c : text) {
        if (cellTakesCharacter(column, c))
            kept.append(c);
    }
    const int row = page(k).rowOfId(rowId);
    page(k).setCell(row, column, kept);
    applyRowTotalRule(page(k), row);
    rankPage(k);
    Q_EMIT resultsChanged(k);
    publishEntry();
}

RowId Race::addRow()
{
    ResultPage &p = page(m_entry.page);
    const int row = addProposedRow(p);
    Q_EMIT resultsChanged(m_entry.page);
    publishEntry();
    return p.rowId(row);
}

// A popup command on one driver's row: the row is looked up by its id only
// now, so a re-sort since the menu opened cannot move the target.
void Race::changeRowAndRank(RowId rowId, void (*change)(ResultPage &, int))
{
    const int k = pageOfRow(rowId);
    if (k < 0)
        return;
    Q_EMIT pageAboutToChange(k);
    const int row = page(k).rowOfId(rowId);
    if (row < 1)
        return;
    change(page(k), row);
    rankPage(k);
    Q_EMIT resultsChanged(k);
    publishEntry();
}

void Race::deleteTimes(RowId rowId)
{
    changeRowAndRank(rowId, &vex::deleteTimes);
}

void Race::toggleDisqualified(RowId rowId)
{
    changeRowAndRank(rowId, &vex::toggleDisqualified);
}

void Race::removeRow(RowId rowId)
{
    const int k = pageOfRow(rowId);
    if (k < 0)
        return;
    Q_EMIT pageAboutToChange(k);
    ResultPage &p = page(k);
    const int row = p.rowOfId(rowId);
    if (row < 1)
        return;
    p.removeDataRow(row);
    // A removed driver leaves the walk order; "Nächster" goes on with the
    // one after him.
    if (k == m_entry.page && p.rowOfId(rowId) < 0) {
        const int i = int(m_walkRows.indexOf(rowId));
        if (i >= 0) {
            m_walkRows.removeAt(i);
            m_walkNumbers.removeAt(i);
            if (m_entry.position >= i)
                --m_entry.position;
            Q_EMIT walkOrderChanged();
        }
    }
    const RowId focus = p.rowId(qMin(row, p.rows() - 1));
    rankPage(k);
    Q_EMIT resultsChanged(k);
    Q_EMIT rowFocused(k, focus);
    publishEntry();
}

void Race::rank()
{
    const int k = m_entry.page;
    Q_EMIT pageAboutToChange(k);
    recalcAllRowTotals(page(k));
    rankPage(k);
    Q_EMIT resultsChanged(k);
    publishEntry();
}

void Race::clearResults()
{
    const int k = m_entry.page;
    Q_EMIT pageAboutToChange(k);
    vex::clearResults(page(k));
    setBest(0, QString());
    rankPage(k);
    Q_EMIT resultsChanged(k);
    Q_EMIT resultsCleared(k);
    publishEntry();
}

void Race::rankPage(int k)
{
    if (!m_settings.AutoRang)
        return;
    const RankResult result = RankPage(page(k), true);
    if (k == m_entry.page)
        setBest(result.bestTimeMs, result.bestDriverLabel);
    Q_EMIT pageRanked(k);
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

// ---------------------------------------------------------------- files

namespace {

QString skippedClassesMessage(const QStringList &skipped)
{
    return u"Die Datei enthält mehr als zehn Klassen. Nicht geladen wurden: "_s + skipped.join(u", "_s);
}

} // namespace

RaceLoadResult Race::load(const QString &path)
{
    const ProtocolReadResult read = ReadProtocolText(*m_competition, path);
    RaceLoadResult result;
    result.opened = read.opened;
    // A refused file touched nothing: the list loaded before stays, and so
    // does the driver being timed.
    if (read.refused) {
        result.messages.append(read.error);
        return result;
    }
    m_undo = EntryUndo();
    m_loadedPath.clear();
    for (int k = 0; k < kPageCount; ++k)
        Q_EMIT resultsChanged(k);
    if (!read.opened) {
        // Page 1 was reset already: the walk order must not offer its old
        // drivers.
        chooseClass(m_entry.page);
        result.messages.append(read.error);
        return result;
    }
    m_loadedPath = path;
    chooseClass(0);
    chooseDriver(0);
    if (!read.complete && !read.error.isEmpty())
        result.messages.append(read.error);
    if (!read.skippedClasses.isEmpty())
        result.messages.append(skippedClassesMessage(read.skippedClasses));
    return result;
}

std::optional<QString> Race::save(const QString &path)
{
    std::optional<QString> error = exportWith([&path](const Competition &c) { return WriteProtocolText(c, path); });
    if (!error)
        Q_EMIT protocolSaved(path);
    return error;
}

std::optional<QString> Race::writeHtml(const QString &path, const QString &appTitle)
{
    HtmlReportInfo info;
    info.title = m_settings.Title;
    info.title2 = m_settings.Title2;
    info.appTitle = appTitle;
    info.columnWidthPercent = m_widths.shares();
    info.clubShown = m_widths.share(ColClub) > 0;
    return exportWith([&](const Competition &c) { return WriteHtmlReport(c, info, path); });
}

std::optional<QString> Race::exportWith(const std::function<std::optional<QString>(const Competition &)> &writer)
{
    const FirstPageAsClass standIn(*m_competition, pageHoldsData(0));
    return writer(*m_competition);
}

std::optional<QString> Race::importWith(const std::function<std::optional<QString>(Competition &)> &importer)
{
    m_undo = EntryUndo();
    const std::optional<QString> error = importer(*m_competition);
    for (int k = 0; k < kPageCount; ++k)
        Q_EMIT resultsChanged(k);
    return error;
}

void Race::setOfficeServers(AutomationServers *servers, const QString &wordTemplatePath)
{
    m_office = servers;
    m_wordTemplatePath = wordTemplatePath;
}

bool Race::spreadsheetAvailable() const
{
    return m_office && m_office->IsProgIdRegistered(kExcelProgId);
}

bool Race::wordProcessorAvailable() const
{
    return m_office && m_office->IsProgIdRegistered(kWordProgId);
}

RaceLoadResult Race::importWorkbook(const QString &path)
{
    RaceLoadResult result;
    if (!m_office) {
        result.messages.append(u"Auf diesem Rechner gibt es keine Tabellenkalkulation für Arbeitsmappen."_s);
        return result;
    }
    ProgressRelay progress(*this);
    const StartCell start{m_settings.ExcelX, m_settings.ExcelY};
    QStringList skipped;
    const std::optional<QString> error = importWith(
        [&](Competition &c) { return ImportExcelStartList(*m_office, c, path, start, progress, &skipped); });
    // A refused workbook touched nothing, the path of the list before included.
    if (error) {
        result.messages.append(*error);
        return result;
    }
    result.opened = true;
    m_loadedPath = path;
    chooseClass(0);
    chooseDriver(0);
    if (!skipped.isEmpty())
        result.messages.append(skippedClassesMessage(skipped));
    return result;
}

std::optional<QString> Race::exportWorkbook(const QString &path)
{
    if (!m_office)
        return u"Auf diesem Rechner gibt es keine Tabellenkalkulation für Arbeitsmappen."_s;
    ProgressRelay progress(*this);
    const ExcelExportInfo info{{m_settings.ExcelX, m_settings.ExcelY}, m_settings.Title, m_settings.Title2};
    return exportWith(
        [&](const Competition &c) { return ExportExcelProtocol(*m_office, c, path, info, progress); });
}

std::optional<QString> Race::writeWordReport(int mode, const QString &path)
{
    if (!m_office)
        return std::nullopt;
    WordReportInfo info;
    info.title = m_settings.Title;
    info.title2 = m_settings.Title2;
    info.templatePath = m_wordTemplatePath;
    info.columnShown[ColClub] = m_widths.share(ColClub) > 0;
    return exportWith([&](const Competition &c) -> std::optional<QString> {
        const WordReportResult result =
            WriteWordReport(*m_office, c, mode == 0 ? WordReportMode::Show : WordReportMode::Save, path, info);
        if (result.error.isEmpty())
            return std::nullopt;
        return result.error;
    });
}

} // namespace vex
