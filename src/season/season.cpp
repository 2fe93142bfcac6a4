#include "season/season.h"

using namespace Qt::StringLiterals;

namespace vex {

QList<EventRead> readSeasonEvents(const QList<SeasonEvent> &events)
{
    QList<EventRead> reads;
    reads.reserve(events.size());
    for (const SeasonEvent &e : events)
        reads.append(readEventFile(e.path));
    return reads;
}

SeasonReport evaluateSeason(const SeasonDefinition &season, const QList<EventRead> &reads)
{
    SeasonReport report;
    report.title = season.title;
    report.rules = season.rules;
    QList<EventResults> results;
    for (qsizetype i = 0; i < season.events.size(); ++i) {
        const EventRead *read = i < reads.size() ? &reads.at(i) : nullptr;
        if (read && read->results) {
            report.events.append(season.events.at(i));
            results.append(*read->results);
        } else {
            report.leftOut.append(read ? read->error : u"„%1“ wurde nicht gelesen."_s.arg(season.events.at(i).path));
        }
    }
    report.standings = computeStandings(results, season.rules, season.merges, season.declined);
    return report;
}

QString eventColumnTitle(const SeasonEvent &event, int number)
{
    const QString n = QString::number(number);
    return event.date.isValid() ? n + u"\n"_s + event.date.toString(u"dd.MM."_s) : n;
}

} // namespace vex
