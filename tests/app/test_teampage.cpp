#include "app/teampagebinding.h"
#include "results/competition.h"
#include "results/ranking.h"
#include "results/rowtotal.h"
#include "widgets/teampage.h"

#include <QLabel>
#include <QTableWidget>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace vex;

namespace {

QStringList driver(const QString &stNr, const QString &name, const QString &club, const QString &run1,
                   const QString &run2, const QString &run3)
{
    QStringList r(kAllColumnCount);
    r[ColStNr] = stNr;
    r[ColName] = name;
    r[ColClub] = club;
    r[ColRun1] = run1;
    r[ColRun2] = run2;
    r[ColRun3] = run3;
    return r;
}

} // namespace

// The page follows the results once the command that changed them returns.
class TestTeamPage : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void followsEveryChange()
    {
        Competition c;
        Regulation bestTwoOfThree;
        bestTwoOfThree.scoringRuns = 3;
        const QList<QList<QStringList>> classes{
            {driver(u"1"_s, u"Müller, Jörg"_s, u"MSC Köln"_s, u"40,00"_s, u"41,00"_s, u"39,50"_s),
             driver(u"2"_s, u"Weiß, Anna"_s, u"RSC Bonn"_s, u"40,50"_s, u"40,50"_s, u"42,00"_s),
             driver(u"3"_s, u"Kurz, Kai"_s, u"MSC Köln"_s, u"43,00"_s, u"44,00"_s, QString())},
            {driver(u"7"_s, u"Lang, Lea"_s, u"RSC Bonn"_s, u"39,00"_s, u"45,00"_s, u"41,00"_s),
             driver(u"8"_s, u"Berg, Ben"_s, u"MSC Köln"_s, u"42,00"_s, u"42,50"_s, u"41,00"_s)}};
        c.setClasses({u"K1"_s, u"K2"_s});
        for (int k = 0; k < classes.size(); ++k) {
            ResultPage &p = *c.page(k);
            p.setRegulation(bestTwoOfThree);
            p.setCaption(c.classes().at(k));
            p.setRowCount(int(classes.at(k).size()) + 1);
            for (int i = 0; i < classes.at(k).size(); ++i) {
                p.setRow(i + 1, classes.at(k).at(i));
                applyRowTotalRule(p, i + 1);
            }
            RankPage(p, true);
        }
        TeamPage page;
        TeamPageBinding binding(c, page);
        QCOMPARE(page.table()->rowCount(), 2);
        QCOMPARE(page.table()->item(0, 1)->text(), u"MSC Köln"_s);
        QCOMPARE(page.table()->item(0, 2)->text(), u"135"_s);
        QCOMPARE(page.dayBestLabel()->text(), u"Tagesbestzeit: 39,00 \u2013 7 Lang, Lea (Klasse K2, Lauf 1)"_s);

        // Kai's third run puts him ahead of Anna: the page hears of it once.
        ResultPage &k1 = *c.page(0);
        k1.setCell(3, ColRun3, u"38,00"_s);
        applyRowTotalRule(k1, 3);
        RankPage(k1, true);
        QVERIFY(binding.refreshPending());
        QTRY_VERIFY(!binding.refreshPending());
        QCOMPARE(page.table()->item(0, 2)->text(), u"140"_s);
        QCOMPARE(page.dayBestLabel()->text(), u"Tagesbestzeit: 38,00 \u2013 3 Kurz, Kai (Klasse K1, Lauf 3)"_s);
        QVERIFY(!(page.table()->item(0, 0)->flags() & Qt::ItemIsEditable));
        if (const QString folder = qEnvironmentVariable("VEX_REGULATION_SCREENSHOTS"); !folder.isEmpty()) {
            page.resize(900, 300);
            page.show();
            QVERIFY(QTest::qWaitForWindowExposed(&page));
            page.grab().save(folder + u"/team-page.png"_s);
        }
    }
};

QTEST_MAIN(TestTeamPage)
#include "test_teampage.moc"
