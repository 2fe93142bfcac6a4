#pragma once

#include "results/competition.h"

#include <QFile>
#include <QString>
#include <QStringList>
#include <QTest>

namespace vex::testing {

inline QByteArray readTestData(const QString &name)
{
    QFile f(QStringLiteral(VEX_TEST_DATA "/") + name);
    if (!f.open(QIODevice::ReadOnly))
        qFatal("missing test data file");
    return f.readAll();
}

inline void setPageRows(ResultPage &page, const QList<QStringList> &rows)
{
    page.setRowCount(int(rows.size()));
    for (int r = 0; r < rows.size(); ++r)
        page.setRow(r, rows.at(r));
}

// The competition the golden files in data/ hold: two classes, the second
// without a first driver.
inline void fillTwoClasses(Competition &c)
{
    using namespace Qt::StringLiterals;
    c.setClasses({u"Bambini"_s, u"Junioren"_s});
    ResultPage &p1 = *c.page(0);
    p1.setCaption(u"Bambini"_s);
    setPageRows(p1, {defaultColumnTitles(),
                     {u"1"_s, u"Müller, Jörg"_s, u"MSC Köln"_s, u"12,50"_s, u"0"_s, u"45,12"_s, u"2"_s,
                      u"50,00"_s, u"0"_s, u"1:37,12"_s, u"1"_s},
                     {u"2"_s, u"Weiß, Anna"_s, {}, {}, {}, u"46,00"_s, u"0"_s, {}, {}, {}, u"DIS"_s},
                     {u"3"_s, u"Ça & <Co> \"€–\""_s, u"Rhön-Club"_s, {}, {}, {}, {}, {}, {}, u"-"_s, {}}});
    ResultPage &p2 = *c.page(1);
    p2.setCaption(u"Junioren"_s);
    // The first data row is empty: the class is stored all the same, without
    // the empty row.
    setPageRows(p2, {defaultColumnTitles(), QStringList(kColumnCount), {u"5"_s, u"Nachzügler"_s}});
    p2.setTabVisible(true);
}

} // namespace vex::testing
