#include "results/daybest.h"

#include "results/competition.h"
#include "results/regulation.h"
#include "results/rowtotal.h"
#include "results/runcell.h"
#include "timing/timetext.h"

#include <algorithm>

using namespace Qt::StringLiterals;

namespace vex {

QString DayBest::text() const
{
    if (!found)
        return {};
    const QString driver = QString(startNumber + u' ' + name).trimmed();
    const QString where = className.isEmpty() ? u"Lauf %1"_s.arg(run) : u"Klasse %1, Lauf %2"_s.arg(className).arg(run);
    return u"%1 \u2013 %2 (%3)"_s.arg(MsToText(ms), driver, where);
}

DayBest findDayBest(const Competition &competition)
{
    DayBest best;
    const int pages = int(std::clamp<qsizetype>(competition.classes().size(), 1, Competition::pageCount()));
    for (int k = 0; k < pages; ++k) {
        const ResultPage &page = *competition.page(k);
        const Regulation &regulation = page.regulation();
        const int runs = page.shownRuns();
        for (int row = 1; row < page.rows(); ++row) {
            for (int run = 1; run <= runs; ++run) {
                const RunCell time = readRunCell(page.cell(row, timeColumn(run)));
                if (time.kind != RunCell::Time)
                    continue;
                const qint64 value = time.ms
                    + 1000 * qint64(cappedPenalty(penaltyValue(page.cell(row, penaltyColumn(run))), regulation));
                if (value <= 0 || value >= 3'600'000 || (best.found && value >= best.ms))
                    continue;
                best.found = true;
                best.ms = qint32(value);
                best.page = k;
                best.row = page.rowId(row);
                best.run = run;
                best.startNumber = page.cell(row, ColStNr).trimmed();
                best.name = page.cell(row, ColName).trimmed();
                best.club = page.cell(row, ColClub).trimmed();
                best.className = page.caption().trimmed();
            }
        }
    }
    return best;
}

} // namespace vex
