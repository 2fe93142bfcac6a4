#pragma once

#include "reports/htmlreport.h"
#include "results/regulation.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace vex {

class AutomationServers;
class Competition;
class Race;
class RaceResults;

// What loading a file brought: the messages for the operator, in order.
struct RaceLoadResult
{
    bool opened = false;
    QStringList messages;
};

// The files of a race: start lists and protocols in and out, as text, web
// page, workbook and word-processor report. The race knows nothing of file
// formats; this service reads into its results (a new stack of commands
// with every load) and writes from them, and tells the run session when a
// new list has come in.
class RaceFiles : public QObject
{
    Q_OBJECT
public:
    explicit RaceFiles(Race &race, QObject *parent = nullptr);

    Race &race() { return m_race; }
    RaceResults &results();

    // ---- Files (absolute paths). Each returns the operator's message on failure.
    RaceLoadResult load(const QString &path);
    std::optional<QString> save(const QString &path);
    std::optional<QString> writeHtml(const QString &path, const QString &appTitle);
    // The result list as the web page has it, with status after "Ergebnisse"
    // in its heading ("vorläufig", "offiziell, ausgehängt um 14:30").
    QByteArray resultListHtml(const QString &appTitle, const QString &status);
    // Hands the competition to another writer (spreadsheet, word processor,
    // backup) as the text and web writers see it.
    std::optional<QString> exportWith(const std::function<std::optional<QString>(const Competition &)> &writer);
    // Lets an importer fill the competition (a workbook's start list); a
    // refused import leaves the pages and the run as they were.
    std::optional<QString> importWith(const std::function<std::optional<QString>(Competition &)> &importer);
    // The file the class list came from ("" until a load succeeded).
    const QString &loadedPath() const { return m_loadedPath; }
    // Asks the operator a yes/no question (which regulation a file is to be
    // scored by); without it the file's answer is taken.
    void setQuestion(std::function<bool(const QString &)> ask) { m_ask = std::move(ask); }
    // A file was written at path: the journal keeps it.
    void noteSaved(const QString &path);

    // ---- Spreadsheet and word processor, through the automation servers
    // (set once at start-up; without them both count as missing).
    void setOfficeServers(AutomationServers *servers, const QString &wordTemplatePath);
    bool spreadsheetAvailable() const;
    bool wordProcessorAvailable() const;
    // A workbook's start list from the start cell on; a success ends like
    // load(): the first class and its first driver chosen, the path kept.
    // A failure leaves the competition as it was.
    RaceLoadResult importWorkbook(const QString &path);
    // The protocol as a workbook at path; an empty path shows it in the
    // spreadsheet program instead.
    std::optional<QString> exportWorkbook(const QString &path);
    // The word-processor report: mode 0 shows it (saved under the date stamp
    // in the working folder), mode 1 saves it at path. Returns the operator's
    // message when it was begun but not saved; without a word processor
    // there is none.
    std::optional<QString> writeWordReport(int mode, const QString &path);

Q_SIGNALS:
    // The protocol text file was written completely to this path.
    void protocolSaved(const QString &path);
    // The progress of a workbook import or export: shown, captioned, its
    // maximum and value; closed at the end of every one that was shown.
    void progressShown();
    void progressCaptionChanged(const QString &caption);
    void progressMaximumChanged(int maximum);
    void progressChanged(int value);
    void progressClosed();

private:
    Regulation regulationForLoad(const std::optional<Regulation> &named, int fileRuns, bool holdsRuns) const;
    HtmlReportInfo htmlInfo(const Competition &competition, const QString &appTitle, const QString &status) const;

    Race &m_race;
    QString m_loadedPath;
    AutomationServers *m_office = nullptr;
    QString m_wordTemplatePath;
    std::function<bool(const QString &)> m_ask;
};

} // namespace vex
