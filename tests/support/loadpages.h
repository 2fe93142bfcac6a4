#pragma once

#include "files/racefiles.h"
#include "results/competition.h"
#include "results/resultpage.h"

#include <QList>
#include <QStringList>

#include <optional>

// Classes put onto the pages as a loaded start list puts them: rows from the
// first row on, the caption, the tab shown and the class list. The pages are
// the race's to write, so this goes through the import of its files.
inline void loadPages(vex::RaceFiles &files, const QList<QList<QStringList>> &classes, const QStringList &names)
{
    files.importWith([&](vex::Competition &c) {
        for (int i = 0; i < classes.size(); ++i) {
            vex::ResultPage *p = c.page(i);
            p->setRowCount(int(classes.at(i).size()) + 1);
            for (int r = 0; r < classes.at(i).size(); ++r)
                p->setRow(r + 1, classes.at(i).at(r));
            p->setCaption(names.at(i));
            p->setTabVisible(true);
        }
        c.setClasses(names);
        return std::optional<QString>();
    });
}
