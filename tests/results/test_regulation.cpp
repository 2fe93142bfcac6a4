#include "pagefixture.h"

#include "results/competition.h"
#include "results/daybest.h"
#include "results/placepoints.h"
#include "results/ranking.h"
#include "results/rowtotal.h"
#include "results/startorder.h"
#include "results/teamranking.h"

#include <QTest>

#include <algorithm>

using namespace Qt::StringLiterals;
using namespace vex;
using vex::testing::column;

namespace {

// "40,00+2" is a run of 40,00 with 2 penalty seconds, "40,00" one without,
// anything else the run cell's text as it stands.
QStringList runRow(const QString &name, const QStringList &runs, const QString &club = {})
{
    QStringList r(kAllColumnCount);
    r[ColStNr] = name.isEmpty() ? QString() : QString::number(name.front().unicode() - u'A' + 1);
    r[ColName] = name;
    r[ColClub] = club;
    for (qsizetype i = 0; i < runs.size(); ++i) {
        const QStringList parts = runs.at(i).split(u'+');
        r[timeColumn(int(i) + 1)] = parts.at(0);
        r[penaltyColumn(int(i) + 1)] = parts.size() > 1 ? parts.at(1) : (parts.at(0).isEmpty() ? QString() : u"0"_s);
    }
    return r;
}

Regulation rule(int runs, int counting, int cap = 0, Regulation::TieBreak tie = Regulation::SharedPlace)
{
    Regulation r;
    r.scoringRuns = runs;
    r.countingRuns = counting;
    r.penaltyCap = cap;
    r.tieBreak = tie;
    return r;
}

std::unique_ptr<ResultPage> scoredPage(const Regulation &regulation, const QList<QStringList> &rows)
{
    auto page = vex::testing::makePage({});
    page->setRegulation(regulation);
    page->setRowCount(int(rows.size()) + 1);
    for (int i = 0; i < rows.size(); ++i) {
        page->setRow(i + 1, rows.at(i));
        applyRowTotalRule(*page, i + 1);
    }
    return page;
}

QString struckRuns(const ResultPage &page, int row)
{
    QString out;
    for (int run = 1; run <= kMaxScoringRuns; ++run) {
        if (page.isStruckRun(row, run))
            out += QString::number(run);
    }
    return out;
}

} // namespace

Q_DECLARE_METATYPE(vex::Regulation)

class TestRegulation : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void totalUnderTheRegulation_data()
    {
        QTest::addColumn<Regulation>("regulation");
        QTest::addColumn<QStringList>("runs");
        QTest::addColumn<QString>("total");
        QTest::addColumn<QString>("struck");
        QTest::newRow("classic: both runs") << rule(2, 2) << QStringList{u"40,00"_s, u"41,00+2"_s} << u"1:23,00"_s << QString();
        QTest::newRow("classic: one run gives none") << rule(2, 2) << QStringList{u"40,00"_s, QString()} << QString() << QString();
        QTest::newRow("classic: run 3 of a file does not count") << rule(2, 2) << QStringList{u"40,00"_s, u"41,00"_s, u"10,00"_s} << u"1:21,00"_s << QString();
        QTest::newRow("best 2 of 3: slowest struck") << rule(3, 2) << QStringList{u"40,00"_s, u"42,00"_s, u"41,00"_s} << u"1:21,00"_s << u"2"_s;
        QTest::newRow("best 2 of 3: after two runs") << rule(3, 2) << QStringList{u"40,00"_s, u"42,00"_s, QString()} << u"1:22,00"_s << QString();
        QTest::newRow("best 2 of 3: penalty decides") << rule(3, 2) << QStringList{u"40,00+10"_s, u"42,00"_s, u"41,00"_s} << u"1:23,00"_s << u"1"_s;
        QTest::newRow("best 2 of 3: of equal runs the later struck") << rule(3, 2) << QStringList{u"40,00"_s, u"40,00"_s, u"40,00"_s} << u"1:20,00"_s << u"3"_s;
        QTest::newRow("best 2 of 3: a DIS run is the one left out") << rule(3, 2) << QStringList{u"40,00"_s, u"DIS"_s, u"41,00"_s} << u"1:21,00"_s << QString();
        QTest::newRow("all 3: one missing gives none") << rule(3, 3) << QStringList{u"40,00"_s, u"41,00"_s, QString()} << QString() << QString();
        QTest::newRow("best 3 of 4") << rule(4, 3) << QStringList{u"40,00"_s, u"41,00"_s, u"42,00"_s, u"39,00"_s} << u"2:00,00"_s << u"3"_s;
        QTest::newRow("cap 99 per run") << rule(2, 2, 99) << QStringList{u"40,00+120"_s, u"41,00+99"_s} << u"4:39,00"_s << QString();
        QTest::newRow("no cap") << rule(2, 2, 0) << QStringList{u"40,00+120"_s, u"41,00"_s} << u"3:21,00"_s << QString();
        QTest::newRow("cap changes which run is struck") << rule(3, 2, 10) << QStringList{u"30,00+50"_s, u"41,00"_s, u"42,00"_s} << u"1:21,00"_s << u"3"_s;
        QTest::newRow("an hour or more gives none") << rule(3, 2) << QStringList{u"59:00,00"_s, u"59:00,00"_s, u"59:30,00"_s} << QString() << QString();
    }
    void totalUnderTheRegulation()
    {
        QFETCH(Regulation, regulation);
        QFETCH(QStringList, runs);
        QFETCH(QString, total);
        QFETCH(QString, struck);
        auto page = scoredPage(regulation, {runRow(u"A"_s, runs)});
        QCOMPARE(page->cell(1, ColTotal), total);
        QCOMPARE(struckRuns(*page, 1), struck);
        // The grid shows a struck run in brackets, the cell keeps the time.
        for (const QChar run : struck) {
            const int column = timeColumn(run.digitValue());
            QCOMPARE(page->data(page->index(1, column)).toString(), u'(' + page->cell(1, column) + u')');
        }
    }

    void rankingUnderTheTieBreak_data()
    {
        QTest::addColumn<Regulation>("regulation");
        QTest::addColumn<QList<QStringList>>("rows");
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QStringList>("places");
        const auto better = Regulation::BetterSingleRun;
        QTest::newRow("shared place, page order kept")
            << rule(2, 2) << QList<QStringList>{runRow(u"B"_s, {u"41,00"_s, u"41,00"_s}), runRow(u"A"_s, {u"42,00"_s, u"40,00"_s})}
            << QStringList{u"B"_s, u"A"_s} << QStringList{u"1"_s, u"1"_s};
        QTest::newRow("better run decides")
            << rule(2, 2, 0, better) << QList<QStringList>{runRow(u"B"_s, {u"41,00"_s, u"41,00"_s}), runRow(u"A"_s, {u"42,00"_s, u"40,00"_s})}
            << QStringList{u"A"_s, u"B"_s} << QStringList{u"1"_s, u"2"_s};
        QTest::newRow("equal in every run: shared")
            << rule(2, 2, 0, better) << QList<QStringList>{runRow(u"B"_s, {u"41,00"_s, u"40,00"_s}), runRow(u"A"_s, {u"40,00"_s, u"41,00"_s})}
            << QStringList{u"B"_s, u"A"_s} << QStringList{u"1"_s, u"1"_s};
        QTest::newRow("a struck run does not break the tie")
            << rule(3, 2, 0, better)
            << QList<QStringList>{runRow(u"B"_s, {u"41,00"_s, u"41,00"_s, u"39,50+2"_s}), runRow(u"A"_s, {u"42,00"_s, u"40,00"_s, u"45,00"_s})}
            << QStringList{u"A"_s, u"B"_s} << QStringList{u"1"_s, u"2"_s};
        QTest::newRow("places after a broken tie")
            << rule(2, 2, 0, better)
            << QList<QStringList>{runRow(u"D"_s, {u"50,00"_s, u"50,00"_s}), runRow(u"C"_s, {u"41,00"_s, u"41,00"_s}),
                                  runRow(u"B"_s, {u"41,00"_s, u"41,00"_s}), runRow(u"A"_s, {u"40,00"_s, u"42,00"_s})}
            << QStringList{u"A"_s, u"C"_s, u"B"_s, u"D"_s} << QStringList{u"1"_s, u"2"_s, u"2"_s, u"4"_s};
    }
    void rankingUnderTheTieBreak()
    {
        QFETCH(Regulation, regulation);
        QFETCH(QList<QStringList>, rows);
        QFETCH(QStringList, names);
        QFETCH(QStringList, places);
        auto page = scoredPage(regulation, rows);
        RankPage(*page, true);
        QCOMPARE(column(*page, ColName), names);
        QCOMPARE(column(*page, ColPlace), places);
    }

    void placePoints_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QList<int>>("points");
        QTest::addColumn<bool>("valid");
        QTest::newRow("commas") << u"50, 45, 40"_s << QList<int>{50, 45, 40} << true;
        QTest::newRow("semicolons and blanks") << u" 10;8  6 "_s << QList<int>{10, 8, 6} << true;
        QTest::newRow("doubled separators") << u"1,,2"_s << QList<int>{1, 2} << true;
        QTest::newRow("empty") << QString() << QList<int>{} << false;
        QTest::newRow("negative") << u"5, -1"_s << QList<int>{} << false;
        QTest::newRow("letters") << u"5, x"_s << QList<int>{} << false;
        QTest::newRow("decimal") << u"5.5"_s << QList<int>{} << false;
    }
    void placePoints()
    {
        QFETCH(QString, text);
        QFETCH(QList<int>, points);
        QFETCH(bool, valid);
        const auto parsed = PlacePoints::parse(text);
        QCOMPARE(parsed.has_value(), valid);
        if (!valid)
            return;
        QCOMPARE(parsed->points, points);
        QCOMPARE(PlacePoints::parse(parsed->toText())->points, points);
        QCOMPARE(parsed->forPlace(0), 0);
        QCOMPARE(parsed->forPlace(1), points.first());
        QCOMPARE(parsed->forPlace(int(points.size()) + 1), 0);
    }

    void teamRanking_data()
    {
        QTest::addColumn<QList<int>>("table");
        QTest::addColumn<QList<QStringList>>("class1");
        QTest::addColumn<QList<QStringList>>("class2");
        QTest::addColumn<QStringList>("teams"); // "place team points", best first
        // totalRow places: the ranking wrote them; a total of "" or "-" makes none.
        const auto d = [](const QString &club, const QString &total, const QString &place) {
            QStringList r = vex::testing::totalRow(u"1"_s, club + place, total, place);
            r[ColClub] = club;
            return r;
        };
        QTest::newRow("shared places, missing totals, best 3 count")
            << QList<int>{50, 45, 40, 36}
            << QList<QStringList>{d(u"MSC"_s, u"40,00"_s, u"1"_s), d(u"RSC"_s, u"41,00"_s, u"2"_s), d(u"rsc "_s, u"41,00"_s, u"2"_s),
                                  d(u"MSC"_s, QString(), u"4"_s), d(u"MSC"_s, u"-"_s, u"DIS"_s)}
            << QList<QStringList>{d(u"RSC"_s, u"40,00"_s, u"1"_s), d(u"MSC"_s, u"41,00"_s, u"2"_s), d(u"MSC"_s, u"42,00"_s, u"3"_s),
                                  d(u"MSC"_s, u"43,00"_s, u"4"_s), d(QString(), u"44,00"_s, u"5"_s)}
            << QStringList{u"1 RSC 140"_s, u"2 MSC 135"_s};
        QTest::newRow("equal points: the better best place")
            << QList<int>{10, 6, 2}
            << QList<QStringList>{d(u"Y"_s, u"40,00"_s, u"1"_s), d(u"X"_s, u"41,00"_s, u"2"_s)}
            << QList<QStringList>{d(u"X"_s, u"40,00"_s, u"2"_s), d(u"Y"_s, u"41,00"_s, u"3"_s)}
            << QStringList{u"1 Y 12"_s, u"2 X 12"_s};
        QTest::newRow("equal in both: shared, by name")
            << QList<int>{10, 6}
            << QList<QStringList>{d(u"Y"_s, u"40,00"_s, u"1"_s), d(u"X"_s, u"41,00"_s, u"2"_s)}
            << QList<QStringList>{d(u"X"_s, u"40,00"_s, u"1"_s), d(u"Y"_s, u"41,00"_s, u"2"_s)}
            << QStringList{u"1 X 16"_s, u"1 Y 16"_s};
        // "club|team": the start list's team goes before the club.
        QTest::newRow("a team column before the clubs")
            << QList<int>{10, 6, 2}
            << QList<QStringList>{d(u"X|Nord"_s, u"40,00"_s, u"1"_s), d(u"Y|nord "_s, u"41,00"_s, u"2"_s),
                                  d(u"Y| "_s, u"42,00"_s, u"3"_s)}
            << QList<QStringList>{}
            << QStringList{u"1 Nord 16"_s, u"2 Y 2"_s};
    }
    void teamRanking()
    {
        QFETCH(QList<int>, table);
        QFETCH(QList<QStringList>, class1);
        QFETCH(QList<QStringList>, class2);
        QFETCH(QStringList, teams);
        Competition c;
        c.setClasses({u"K1"_s, u"K2"_s});
        for (const auto &[k, rows] : {std::pair{0, class1}, std::pair{1, class2}}) {
            ResultPage &p = *c.page(k);
            p.setCaption(k == 0 ? u"K1"_s : u"K2"_s);
            p.setRowCount(int(rows.size()) + 1);
            for (int i = 0; i < rows.size(); ++i) {
                const QStringList clubAndTeam = rows.at(i).at(ColClub).split(u'|');
                QStringList row = rows.at(i);
                row[ColClub] = clubAndTeam.first();
                p.setRow(i + 1, row);
                p.setTeam(i + 1, clubAndTeam.value(1));
            }
        }
        TeamRules rules;
        rules.points.points = table;
        QStringList got;
        for (const TeamStanding &t : rankTeams(c, rules).teams)
            got.append(u"%1 %2 %3"_s.arg(t.place).arg(t.team).arg(t.points));
        QCOMPARE(got, teams);
    }

    void dayBestCountsThePenaltyAcrossClasses()
    {
        Competition c;
        c.setClasses({u"K1"_s, u"K2"_s});
        c.page(1)->setCaption(u"K2"_s);
        Regulation capped = rule(3, 2, 1);
        c.page(0)->setRow(1, runRow(u"A"_s, {u"39,00+5"_s, u"41,00"_s}));
        c.page(1)->setRegulation(capped);
        c.page(1)->setRow(1, runRow(u"B"_s, {u"42,00"_s, u"40,50"_s, u"39,80+2"_s}));
        const DayBest best = findDayBest(c);
        QVERIFY(best.found);
        QCOMPARE(best.ms, 40'500);
        QCOMPARE(best.page, 1);
        QCOMPARE(best.run, 2);
        QCOMPARE(best.text(), u"40,50 \u2013 2 B (Klasse K2, Lauf 2)"_s);
    }

    void startOrders()
    {
        auto page = vex::testing::makePage({});
        page->setRowCount(12);
        for (int i = 1; i <= 10; ++i)
            page->setRow(i, vex::testing::totalRow(QString::number(i), u"N%1"_s.arg(i), QString()));
        const QList<RowId> before = currentRowOrder(*page);
        const QList<RowId> drawn = drawStartOrder(*page, 4711);
        QCOMPARE(drawn, drawStartOrder(*page, 4711));
        QVERIFY(drawn != drawStartOrder(*page, 4712));
        QCOMPARE(drawn.last(), before.last()); // the empty row stays at the end
        QList<RowId> sorted = drawn;
        std::sort(sorted.begin(), sorted.end());
        QCOMPARE(sorted, before);
        QVERIFY(applyRowOrder(*page, drawn));
        QCOMPARE(currentRowOrder(*page), drawn);
        QVERIFY(applyRowOrder(*page, before)); // taken back
        QCOMPARE(page->cell(1, ColName), u"N1"_s);
        QVERIFY(!applyRowOrder(*page, before.mid(1)));
    }

    void reverseResultOrder()
    {
        auto page = vex::testing::makePage({vex::testing::totalRow(u"1"_s, u"Erster"_s, u"40,00"_s, u"1"_s),
                                           vex::testing::totalRow(u"2"_s, u"Zweiter A"_s, u"41,00"_s, u"2"_s),
                                           vex::testing::totalRow(u"3"_s, u"Zweiter B"_s, u"41,00"_s, u"2"_s),
                                           vex::testing::totalRow(u"4"_s, u"Vierter"_s, u"42,00"_s, u"4"_s),
                                           vex::testing::totalRow(u"5"_s, u"Raus"_s, u"-"_s, u"DIS"_s),
                                           vex::testing::totalRow(u"6"_s, u"Ohne"_s, QString(), u"3"_s)});
        QVERIFY(applyRowOrder(*page, vex::reverseResultOrder(*page)));
        QCOMPARE(column(*page, ColName), (QStringList{u"Raus"_s, u"Ohne"_s, u"Vierter"_s, u"Zweiter B"_s,
                                                      u"Zweiter A"_s, u"Erster"_s}));
    }
};

QTEST_GUILESS_MAIN(TestRegulation)
#include "test_regulation.moc"
