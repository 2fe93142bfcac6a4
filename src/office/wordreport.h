#pragma once

#include <QDateTime>
#include <QList>
#include <QString>

namespace vex {

class AutomationServers;
class Competition;

struct WordReportInfo
{
    QString title;
    QString title2;
    // The template next to the program; used when the file exists.
    QString templatePath;
    // One flag per result column; a hidden column is left out of the rows.
    QList<bool> columnShown = QList<bool>(11, true);
    // Text after the classes (the day's best run, the team ranking: see
    // awardsText); nothing when empty.
    QString extraPiece;
};

enum class WordReportMode { Show = 0, Save = 1 };

// The texts the report inserts: the title block, then one piece per class.
QString wordTitleBlock(const WordReportInfo &info);
QString wordClassPiece(const Competition &competition, int pageIndex, const WordReportInfo &info);

struct WordReportResult
{
    bool saved = false;
    // What the operator is told when the report was begun but not saved; a
    // missing word processor says nothing, since it is optional.
    QString error;
};

// Puts the protocol into a word-processor document saved under path.
WordReportResult WriteWordReport(AutomationServers &servers, const Competition &competition, WordReportMode mode,
                                 const QString &path, const WordReportInfo &info);

// The protocol shown in the word processor, saved under the date stamp in the
// current folder.
WordReportResult sbWordClick(AutomationServers &servers, const Competition &competition, const WordReportInfo &info,
                 const QDateTime &now = QDateTime::currentDateTime());

} // namespace vex
