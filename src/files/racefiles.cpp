#include "files/racefiles.h"

#include "office/automation.h"
#include "office/excelexchange.h"
#include "office/officeprogress.h"
#include "office/wordreport.h"
#include "race/race.h"
#include "reports/awards.h"
#include "reports/htmlreport.h"
#include "results/daybest.h"
#include "results/teamranking.h"
#include "reports/protocolfile.h"

#include <QSignalBlocker>

using namespace Qt::StringLiterals;

namespace vex {

namespace {

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
    explicit ProgressRelay(RaceFiles &files)
        : m_files(files)
    {
    }
    void showProgress() override { Q_EMIT m_files.progressShown(); }
    void setProgressCaption(const QString &caption) override { Q_EMIT m_files.progressCaptionChanged(caption); }
    void setProgressMaximum(int maximum) override { Q_EMIT m_files.progressMaximumChanged(maximum); }
    void setProgress(int value) override { Q_EMIT m_files.progressChanged(value); }
    void closeProgress() override { Q_EMIT m_files.progressClosed(); }

private:
    RaceFiles &m_files;
};

} // namespace


RaceFiles::RaceFiles(Race &race, QObject *parent)
    : QObject(parent)
    , m_race(race)
{
}

RaceResults &RaceFiles::results()
{
    return m_race.results();
}

// ---------------------------------------------------------------- files

namespace {

QString skippedClassesMessage(const QStringList &skipped)
{
    return u"Die Datei enthält mehr als zehn Klassen. Nicht geladen wurden: "_s + skipped.join(u", "_s);
}

} // namespace

namespace {

QString regulationText(const Regulation &r)
{
    return u"%1 Wertungsläufe, davon zählen %2"_s.arg(r.scoringRuns).arg(r.countingRuns);
}

} // namespace

// A file that names its regulation brings it. One that names none is a
// start list, or a protocol of the settings' regulation when its run columns
// agree with them; otherwise the operator says which applies.
Regulation RaceFiles::regulationForLoad(const std::optional<Regulation> &named, int fileRuns, bool holdsRuns) const
{
    if (named)
        return *named;
    const Regulation settings = regulationOf(m_race.settings());
    if (!holdsRuns || fileRuns == settings.scoringRuns)
        return settings;
    Regulation file = settings;
    file.scoringRuns = fileRuns;
    file.countingRuns = fileRuns - (settings.scoringRuns - settings.countingRuns);
    file = file.normalised();
    const QString question =
        u"Die Datei hat %1 Wertungsläufe, die Einstellungen %2. Nach der Datei werten (%3)? „Nein“ wertet nach den Einstellungen (%4)."_s
            .arg(fileRuns)
            .arg(settings.scoringRuns)
            .arg(regulationText(file), regulationText(settings));
    return !m_ask || m_ask(question) ? file : settings;
}

RaceLoadResult RaceFiles::load(const QString &path)
{
    ProtocolReadResult read;
    results().replaceAll([&](Competition &c) -> std::optional<RaceResults::LoadedScoring> {
        const Regulation before = c.page(0)->regulation();
        read = ReadProtocolText(c, path);
        // A refused file touched nothing: the list loaded before stays, and
        // so does the driver being timed.
        if (read.refused)
            return std::nullopt;
        if (!read.opened)
            return RaceResults::LoadedScoring{before, true};
        const Regulation regulation = regulationForLoad(read.regulation, read.fileRuns, read.holdsRuns);
        // A classic file keeps its cells as they stand, as it always did.
        return RaceResults::LoadedScoring{regulation, regulation == Regulation{} && read.fileRuns == 2};
    });
    RaceLoadResult result;
    result.opened = read.opened;
    if (read.refused) {
        result.messages.append(read.error);
        return result;
    }
    m_loadedPath.clear();
    // Page 1 was reset already when the file could not be opened: the walk
    // order must not offer its old drivers either way.
    m_race.takeNewList(read.opened);
    if (!read.opened) {
        result.messages.append(read.error);
        return result;
    }
    m_loadedPath = path;
    results().note(u"Geöffnet: %1 (%2)"_s.arg(path, regulationText(results().regulation())));
    if (!read.complete && !read.error.isEmpty())
        result.messages.append(read.error);
    if (!read.skippedClasses.isEmpty())
        result.messages.append(skippedClassesMessage(read.skippedClasses));
    return result;
}

void RaceFiles::noteSaved(const QString &path)
{
    results().note(u"Gespeichert: "_s + path);
}

std::optional<QString> RaceFiles::save(const QString &path)
{
    std::optional<QString> error = exportWith([&path](const Competition &c) { return WriteProtocolText(c, path); });
    if (!error) {
        noteSaved(path);
        Q_EMIT protocolSaved(path);
    }
    return error;
}

// The web page's frame as the window shows the grid, with the day's best
// run and the team ranking after the classes.
HtmlReportInfo RaceFiles::htmlInfo(const Competition &c, const QString &appTitle, const QString &status) const
{
    HtmlReportInfo info;
    const Settings &settings = m_race.settings();
    info.title = settings.Title;
    info.title2 = settings.Title2;
    info.appTitle = appTitle;
    info.columnWidthPercent = m_race.columnWidthPercent().shares();
    info.clubShown = m_race.columnWidthPercent().share(ColClub) > 0;
    info.status = status;
    addAwards(info, c, teamRulesOf(settings));
    return info;
}

QByteArray RaceFiles::resultListHtml(const QString &appTitle, const QString &status)
{
    QByteArray page;
    exportWith([&](const Competition &c) {
        page = buildHtmlReport(c, htmlInfo(c, appTitle, status));
        return std::optional<QString>();
    });
    return page;
}

std::optional<QString> RaceFiles::writeHtml(const QString &path, const QString &appTitle)
{
    return exportWith([&](const Competition &c) { return WriteHtmlReport(c, htmlInfo(c, appTitle, {}), path); });
}

std::optional<QString> RaceFiles::exportWith(const std::function<std::optional<QString>(const Competition &)> &writer)
{
    Competition &competition = results().competitionForWriting();
    const FirstPageAsClass standIn(competition, results().pageHoldsData(0));
    return writer(competition);
}

std::optional<QString> RaceFiles::importWith(const std::function<std::optional<QString>(Competition &)> &importer)
{
    std::optional<QString> error;
    results().replaceAll([&](Competition &c) -> std::optional<RaceResults::LoadedScoring> {
        error = importer(c);
        // A refused import leaves the pages as they were. A start list is a
        // new event, scored as the settings say.
        if (error)
            return std::nullopt;
        const Regulation regulation = regulationOf(m_race.settings());
        return RaceResults::LoadedScoring{regulation, regulation == Regulation{}};
    });
    if (!error)
        m_race.endRunInProgress();
    return error;
}

void RaceFiles::setOfficeServers(AutomationServers *servers, const QString &wordTemplatePath)
{
    m_office = servers;
    m_wordTemplatePath = wordTemplatePath;
}

bool RaceFiles::spreadsheetAvailable() const
{
    return m_office && m_office->IsProgIdRegistered(kExcelProgId);
}

bool RaceFiles::wordProcessorAvailable() const
{
    return m_office && m_office->IsProgIdRegistered(kWordProgId);
}

RaceLoadResult RaceFiles::importWorkbook(const QString &path)
{
    RaceLoadResult result;
    if (!m_office) {
        result.messages.append(u"Auf diesem Rechner gibt es keine Tabellenkalkulation für Arbeitsmappen."_s);
        return result;
    }
    ProgressRelay progress(*this);
    const StartCell start{m_race.settings().ExcelX, m_race.settings().ExcelY};
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
    m_race.takeNewList(true);
    results().note(u"Startliste eingelesen: "_s + path);
    if (!skipped.isEmpty())
        result.messages.append(skippedClassesMessage(skipped));
    return result;
}

std::optional<QString> RaceFiles::exportWorkbook(const QString &path)
{
    if (!m_office)
        return u"Auf diesem Rechner gibt es keine Tabellenkalkulation für Arbeitsmappen."_s;
    ProgressRelay progress(*this);
    const Settings &s = m_race.settings();
    const ExcelExportInfo info{{s.ExcelX, s.ExcelY}, s.Title, s.Title2};
    const std::optional<QString> error = exportWith([&](const Competition &c) {
        return ExportExcelProtocol(*m_office, c, path, info, progress,
                                   teamTableRows(rankTeams(c, teamRulesOf(m_race.settings()))));
    });
    if (!error && !path.isEmpty())
        noteSaved(path);
    return error;
}

std::optional<QString> RaceFiles::writeWordReport(int mode, const QString &path)
{
    if (!m_office)
        return std::nullopt;
    WordReportInfo info;
    info.title = m_race.settings().Title;
    info.title2 = m_race.settings().Title2;
    info.templatePath = m_wordTemplatePath;
    info.columnShown[ColClub] = m_race.columnWidthPercent().share(ColClub) > 0;
    return exportWith([&](const Competition &c) -> std::optional<QString> {
        info.extraPiece = awardsText(findDayBest(c), rankTeams(c, teamRulesOf(m_race.settings())));
        const WordReportResult result =
            WriteWordReport(*m_office, c, mode == 0 ? WordReportMode::Show : WordReportMode::Save, path, info);
        if (result.error.isEmpty()) {
            if (mode == 1)
                noteSaved(path);
            return std::nullopt;
        }
        return result.error;
    });
}

} // namespace vex
