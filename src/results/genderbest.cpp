#include "results/genderbest.h"

#include "results/competition.h"
#include "results/rowreadings.h"
#include "results/runcell.h"
#include "results/teamranking.h"

using namespace Qt::StringLiterals;

namespace vex {

DayBest findFastest(const Competition &competition, Gender gender)
{
    DayBest best;
    if (gender == Gender::None)
        return best;
    for (int k = 0; k < classPageCount(competition); ++k) {
        const ResultPage &page = *competition.page(k);
        if (!page.hasGenders())
            continue;
        RowReadings readings(false);
        const QList<RowReading> &rows = readings.read(page);
        for (int row = 1; row <= rows.size(); ++row) {
            const RowReading &r = rows.at(row - 1);
            if (r.bestRun <= 0 || page.gender(row) != gender || (best.found && r.bestRun >= best.ms))
                continue;
            const RunCell::Kind total = readRunCell(page.cell(row, ColTotal)).kind;
            if (total == RunCell::Disqualified || total == RunCell::Dis)
                continue;
            best.found = true;
            best.ms = r.bestRun;
            best.run = r.bestRunNumber;
            best.page = k;
            best.row = page.rowId(row);
            best.startNumber = page.cell(row, ColStNr).trimmed();
            best.name = page.cell(row, ColName).trimmed();
            best.club = page.cell(row, ColClub).trimmed();
            best.className = page.caption().trimmed();
        }
    }
    return best;
}

QStringList fastestLines(const Competition &competition)
{
    QStringList lines;
    for (const Gender g : {Gender::Girl, Gender::Boy}) {
        if (const DayBest best = findFastest(competition, g); best.found)
            lines.append(fastestTitle(g) + u": "_s + best.text());
    }
    return lines;
}

QString fastestTitle(Gender gender)
{
    return gender == Gender::Girl ? u"Schnellstes Mädchen"_s : u"Schnellster Junge"_s;
}

} // namespace vex
