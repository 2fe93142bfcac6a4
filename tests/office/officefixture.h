#pragma once

#include "office/documentopener.h"
#include "results/competition.h"

#include <QStringList>

namespace vex::testing {

class RecordingOpener final : public DocumentOpener
{
public:
    QStringList opened;
    void openDocument(const QString &path) override { opened.append(path); }
};

// Two classes as a competition holds them after a few runs: times, penalty
// seconds, a disqualification, an empty cell, letters beyond Latin-1.
inline void fillResults(Competition &c)
{
    using namespace Qt::StringLiterals;
    c.setClasses({u"Bambini"_s, u"Junioren 1/2"_s});
    ResultPage &p1 = *c.page(0);
    p1.setCaption(u"Bambini"_s);
    p1.setTabVisible(true);
    p1.setRowCount(4);
    p1.setRow(1, {u"1"_s, u"Müller, Jörg"_s, u"MSC Köln"_s, u"12,50"_s, u"0"_s, u"45,12"_s, u"2"_s, u"50,00"_s,
                  u"0"_s, u"1:37,12"_s, u"1"_s});
    p1.setRow(2, {u"2"_s, u"Weiß, Anna"_s, {}, {}, {}, u"DIS"_s, {}, u"1:04,95"_s, u"10"_s, u"DIS"_s, {}});
    p1.setRow(3, {u"3"_s, u"Łukasz „Ça & <Co>“ €"_s, u" "_s, {}, {}, {}, {}, {}, {}, u"-"_s, {}});
    ResultPage &p2 = *c.page(1);
    p2.setCaption(u"Junioren 1/2"_s);
    p2.setTabVisible(true);
}

} // namespace vex::testing
