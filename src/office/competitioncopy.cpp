#include "office/competitioncopy.h"

#include "results/competition.h"

namespace vex {

void copyCompetition(const Competition &source, Competition &target)
{
    for (int k = 0; k < Competition::pageCount(); ++k) {
        const ResultPage &from = *source.page(k);
        ResultPage &to = *target.page(k);
        to.setRowCount(from.rows());
        for (int r = 0; r < from.rows(); ++r) {
            to.setRow(r, from.row(r));
            to.setTeam(r, from.team(r));
            to.setMarks(r, from.marks(r));
        }
        to.setCaption(from.caption());
        to.setTabVisible(from.tabVisible());
    }
    target.setClasses(source.classes());
}

} // namespace vex
