#include "office/wordreport.h"

#include "office/automation.h"
#include "results/competition.h"
#include "timing/timetext.h"

#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace vex {

namespace {
const QString kCrLf = u"\r\n"_s;
}

QString wordTitleBlock(const WordReportInfo &info)
{
    return info.title + kCrLf + info.title2 + kCrLf + kCrLf;
}

QString wordClassPiece(const Competition &competition, int pageIndex, const WordReportInfo &info)
{
    const ResultPage &page = *competition.page(pageIndex);
    QString text = kCrLf + u"KLASSE: "_s + page.caption() + kCrLf;
    const QList<int> columns = pageColumns(page.shownRuns());
    for (int r = 0; r < page.rows(); ++r) {
        QString line;
        for (const int c : columns) {
            if (info.columnShown.value(c, true))
                line += page.displayText(r, c) + u'\t';
        }
        line.chop(1);
        text += line + kCrLf;
    }
    return text;
}

WordReportResult WriteWordReport(AutomationServers &servers, const Competition &competition, WordReportMode mode,
                                 const QString &path, const WordReportInfo &info)
{
    std::unique_ptr<WordBasic> word;
    try {
        word = servers.createWordBasic();
    } catch (const std::exception &) {
        // The word processor is optional: without one there is no report.
        return {};
    }
    try {
        if (mode == WordReportMode::Show)
            word->AppMaximize();
        else
            word->AppMinimize();
        if (!info.templatePath.isEmpty() && QFileInfo(info.templatePath).isFile())
            word->FileOpen(info.templatePath);
        else
            word->FileNew();
        word->Insert(wordTitleBlock(info));
        const int classCount = std::min(int(competition.classes().size()), Competition::pageCount());
        for (int k = 0; k < classCount; ++k)
            word->Insert(wordClassPiece(competition, k, info));
        if (!info.extraPiece.isEmpty())
            word->Insert(info.extraPiece);
        word->FileSaveAs(path);
        if (mode == WordReportMode::Save)
            word->AppClose();
        return {true, {}};
    } catch (const AutomationError &e) {
        return {false, u"Der Bericht „%1“ wurde nicht gespeichert.\n%2"_s.arg(QFileInfo(path).fileName(), e.message())};
    } catch (const std::exception &) {
        return {false, u"Der Bericht „%1“ wurde nicht gespeichert."_s.arg(QFileInfo(path).fileName())};
    }
}

WordReportResult sbWordClick(AutomationServers &servers, const Competition &competition, const WordReportInfo &info,
                 const QDateTime &now)
{
    return WriteWordReport(servers, competition, WordReportMode::Show, FileDateStamp(now) + u".doc"_s, info);
}

} // namespace vex
