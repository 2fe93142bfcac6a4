#include "publish/seasonpages.h"

#include "publish/namestyle.h"
#include "season/season.h"
#include "season/seasonreport.h"

namespace vex {

std::array<QByteArray, 3> seasonPagesOf(const SeasonReport &report)
{
    std::array<QByteArray, 3> pages;
    for (const NameStyle style : {NameStyle::Full, NameStyle::FirstNameInitial, NameStyle::StartNumberOnly}) {
        SeasonReport shown = report;
        if (style != NameStyle::Full) {
            // The team standings name clubs, which stay.
            for (ClassStandings &cls : shown.standings.classes) {
                for (StandingRow &row : cls.rows) {
                    row.driver.name = publicName(row.driver.name, style);
                    row.driver.birthYear = 0;
                }
            }
        }
        pages.at(size_t(style)) = buildSeasonHtml(shown);
    }
    return pages;
}

} // namespace vex
