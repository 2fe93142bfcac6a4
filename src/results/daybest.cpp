#include "results/daybest.h"

#include "results/competition.h"
#include "results/regulation.h"
#include "results/rowtotal.h"
#include "results/teamranking.h"
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
    QList<ClassAwards> classes;
    for (int k = 0; k < classPageCount(competition); ++k)
        classes.append(classAwards(*competition.page(k), k, TeamRules{{}, 0}));
    return dayBestOf(classes);
}

} // namespace vex
