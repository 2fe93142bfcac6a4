#include "app/resultgridbinding.h"

#include "race/race.h"
#include "widgets/resultgrid.h"

namespace vex {

void bindResultGrids(Race &race, const std::array<ResultGrid *, kPageCount> &grids)
{
    Race *r = &race;
    for (int k = 0; k < kPageCount; ++k) {
        ResultGrid *grid = grids[std::size_t(k)];
        const ResultPage *page = race.competition().page(k);
        QObject::connect(grid, &ResultGrid::cellCommitted, &r->results(), &RaceResults::editCell);
        QObject::connect(grid, &ResultGrid::rowDoubleClicked, r,
                         [r, page](int row) { r->chooseDriverRow(page->rowId(row)); });
        QObject::connect(grid, &ResultGrid::currentResultRowChanged, r,
                         [r, page](int row) { r->setCursorRow(page->rowId(row)); });
    }
    // Left open, the edit would be committed later over what the command
    // wrote, or lost with the row it stands on.
    QObject::connect(&r->results(), &RaceResults::pageAboutToChange, grids[0],
                     [grids](int k) { grids[std::size_t(k)]->commitEdit(); });
    QObject::connect(&r->results(), &RaceResults::pageRanked, grids[0], [grids](int k) {
        // The sort moved the rows; the cursor stayed on its driver.
        ResultGrid *grid = grids[std::size_t(k)];
        grid->setTypeAheadColumn(ColTotal);
        if (grid->currentResultRow() >= 1)
            grid->selectResultRow(grid->currentResultRow());
    });
}

} // namespace vex
