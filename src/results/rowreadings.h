#pragma once

#include "results/regulation.h"
#include "results/resultpage.h"

#include <QHash>
#include <QList>
#include <QString>

namespace vex {

// What the awards need of one driver's row.
struct RowReading
{
    RowId id = 0;
    quint64 version = 0;  // the row's versions when read
    quint64 placeVersion = 0;
    bool hasTotal = false;
    int place = 0;        // the class place, 0 without a total
    qint32 bestRun = 0;   // the best scoring run with its counted penalty, 0 for none
    int bestRunNumber = 0;
    int club = -1;        // the team (see RowReadings::club), -1 for none
};

// A class's rows read for the team ranking and the day's best, kept from one
// reading to the next: after an entry and a ranking only the rows whose
// versions changed are looked at again, and of those that have just a new
// place (most of them) only the place.
class RowReadings
{
public:
    struct Club
    {
        QString team; // as the team or club cell spells it, trimmed
        QString key;  // teamKey(team)
    };

    // Keeping nothing, every reading reads every row.
    explicit RowReadings(bool keep = true);

    // The data rows' readings, index row - 1.
    const QList<RowReading> &read(const ResultPage &page);
    const Club &club(int i) const { return m_clubs.at(i); }

private:
    void prepare(const ResultPage &page);
    qsizetype previousIndex(RowId id, qsizetype guess);
    void readRow(const ResultPage &page, int row, RowReading &r);

    bool m_keep;
    QList<RowReading> m_readings;
    QList<RowReading> m_previous;
    QHash<RowId, qsizetype> m_previousIndex; // built only when rows moved far
    int m_scans = 0;
    QHash<QString, int> m_clubOf; // the club cell as it stands
    QList<Club> m_clubs;
    // What the readings were made under; other rules read afresh.
    Regulation m_regulation;
    int m_runs = -1;
};

} // namespace vex
