#pragma once

#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace vex {

struct WorkbookData;

// One driver's line of an event's class, as the day's list has it.
struct EventEntry
{
    QString name; // trimmed, without a birth year in brackets
    QString club; // trimmed
    int birthYear = 0; // 0: the list doesn't say
    int place = 0; // 0: no place (no total, disqualified, ranking off)
    bool started = false; // a place, a total, or a time or "DIS" in a scoring run
};

struct EventClass
{
    QString name; // trimmed
    QList<EventEntry> entries;
};

struct EventResults
{
    QList<EventClass> classes;
};

// What reading one event's file gave: the results, or why the file is left
// out of the season.
struct EventRead
{
    std::optional<EventResults> results;
    QString error;
};

// Reads an event: a protocol text file or backup as the program saves them,
// or a workbook as it exports them (told apart by the first bytes). A file
// that is no such list, or one with a class whose title row or places can't
// be read, is refused as a whole: a season never counts half of an event.
// A workbook's sheets without the columns "Fahrer/in" and "Platz" are no
// classes (the team ranking) and are left out.
EventRead readEventFile(const QString &path);

// The same for a protocol file's bytes and a workbook already read; the
// file's name only goes into the messages.
EventRead parseEventProtocol(QByteArrayView bytes, const QString &fileName);
EventRead parseEventWorkbook(const WorkbookData &workbook, const QString &fileName);

// A name cell may carry the birth year at its end, "Anna Berg (2013)".
struct NameAndYear
{
    QString name;
    int birthYear = 0;
};
NameAndYear splitBirthYear(const QString &nameCell);

} // namespace vex
