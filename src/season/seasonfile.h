#pragma once

#include "season/drivermatch.h"
#include "season/seasonrules.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QDate>
#include <QDir>
#include <QList>
#include <QString>

#include <optional>

namespace vex {

// One event of a season: its file (a protocol, a backup or a workbook), the
// name and the date the reports show.
struct SeasonEvent
{
    QString path; // absolute
    QString name;
    QDate date;
};

// What a season file keeps: title, rules, events and the operator's answers
// about spellings.
struct SeasonDefinition
{
    QString title;
    SeasonRules rules;
    QList<SeasonEvent> events;
    QList<DriverMerge> merges;
    QList<DriverPair> declined;
};

// The extension of season files.
inline const QString kSeasonSuffix = QStringLiteral("vxm");

// The file's text: UTF-8, a line "key=value" each, fields within a value
// separated by TAB (which no cell of a list holds); event paths relative to
// the folder of the season file where they lie inside it.
QByteArray formatSeasonFile(const SeasonDefinition &season, const QDir &folder);
// Nothing, and the reason in error, for a file that is no season file or has
// a value that can't be read; keys it doesn't know are passed over.
std::optional<SeasonDefinition> parseSeasonFile(QByteArrayView bytes, const QDir &folder, QString *error);

// Reading and writing the file; a failed write leaves the old file whole.
// Messages in German for the operator.
std::optional<SeasonDefinition> readSeasonFile(const QString &path, QString *error);
std::optional<QString> writeSeasonFile(const SeasonDefinition &season, const QString &path);

} // namespace vex
