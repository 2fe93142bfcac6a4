// The word-processor report against a recording word processor: the commands
// of both modes with and without a template, the texts inserted, and the
// silent end of a failing report.
#include "fakeautomation.h"

#include "office/wordreport.h"
#include "results/competition.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace vex;
using namespace vex::testing;
using namespace Qt::StringLiterals;

namespace {

void fillCompetition(Competition &c)
{
    c.setClasses({u"Bambini"_s, u"Junioren"_s});
    ResultPage &p1 = *c.page(0);
    p1.setCaption(u"Bambini"_s);
    p1.setRowCount(3);
    p1.setRow(1, {u"1"_s, u"Müller"_s, u"MSC"_s, u"12,50"_s, u"0"_s, {}, {}, {}, {}, {}, u"1"_s});
    p1.setRow(2, {u"2"_s, {}, {}, {}, {}, {}, {}, {}, {}, {}, {}});
    c.page(1)->setCaption(u"Junioren"_s);
}

WordReportInfo info(const QString &templatePath = QString())
{
    WordReportInfo i;
    i.title = u"Clubslalom"_s;
    i.title2 = u"Lauf 3"_s;
    i.templatePath = templatePath;
    return i;
}

} // namespace

class TestWordReport : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void modes_data()
    {
        QTest::addColumn<bool>("show");
        QTest::addColumn<bool>("withTemplate");
        QTest::newRow("show, no template") << true << false;
        QTest::newRow("show, template") << true << true;
        QTest::newRow("save, no template") << false << false;
        QTest::newRow("save, template") << false << true;
    }

    void modes()
    {
        QFETCH(bool, show);
        QFETCH(bool, withTemplate);
        QTemporaryDir dir;
        const QString templatePath = dir.filePath(u"Protokollvorlage.doc"_s);
        if (withTemplate) {
            QFile file(templatePath);
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        FakeServers servers;
        Competition c;
        fillCompetition(c);
        const WordReportInfo i = info(templatePath);
        const QString stamp = u"2026-05-01-09-05.doc"_s;
        const bool saved = (show ? sbWordClick(servers, c, i, QDateTime({2026, 5, 1}, {9, 5}))
                                 : WriteWordReport(servers, c, WordReportMode::Save, u"/p/bericht.doc"_s, i))
                               .saved;
        QVERIFY(saved);

        QStringList expected{u"CreateObject(Word.Basic)"_s, show ? u"AppMaximize"_s : u"AppMinimize"_s,
                             withTemplate ? u"FileOpen("_s + templatePath + u")"_s : u"FileNew"_s,
                             u"Insert("_s + wordTitleBlock(i) + u")"_s,
                             u"Insert("_s + wordClassPiece(c, 0, i) + u")"_s,
                             u"Insert("_s + wordClassPiece(c, 1, i) + u")"_s,
                             u"FileSaveAs("_s + (show ? stamp : u"/p/bericht.doc"_s) + u")"_s};
        if (!show)
            expected.append(u"AppClose"_s);
        QCOMPARE(servers.log.calls, expected);
    }

    void emptyClassListGivesTitleBlockOnly()
    {
        FakeServers servers;
        Competition c;
        QVERIFY(WriteWordReport(servers, c, WordReportMode::Save, u"b.doc"_s, info()).saved);
        QCOMPARE(servers.log.calls.filter(u"Insert("_s), QStringList{u"Insert(Clubslalom\r\nLauf 3\r\n\r\n)"_s});
    }

    void classPieceText_data()
    {
        QTest::addColumn<bool>("clubShown");
        QTest::addColumn<QString>("expected");
        QTest::newRow("all columns")
            << true
            << u"\r\nKLASSE: Bambini\r\n"
               u"StNr\tFahrer/in\tOrtsclub\tTR\tStS\tLauf 1\tStS\tLauf 2\tStS\tGesamt\tPlatz\r\n"
               u"1\tMüller\tMSC\t12,50\t0\t\t\t\t\t\t1\r\n"
               u"2\t\t\t\t\t\t\t\t\t\t\r\n"_s;
        QTest::newRow("club column hidden")
            << false
            << u"\r\nKLASSE: Bambini\r\n"
               u"StNr\tFahrer/in\tTR\tStS\tLauf 1\tStS\tLauf 2\tStS\tGesamt\tPlatz\r\n"
               u"1\tMüller\t12,50\t0\t\t\t\t\t\t1\r\n"
               u"2\t\t\t\t\t\t\t\t\t\r\n"_s;
    }

    void classPieceText()
    {
        QFETCH(bool, clubShown);
        QFETCH(QString, expected);
        Competition c;
        fillCompetition(c);
        WordReportInfo i = info();
        i.columnShown[ColClub] = clubShown;
        QCOMPARE(wordClassPiece(c, 0, i), expected);
        // Only the title row: heading and titles.
        QCOMPARE(wordClassPiece(c, 1, i).count(u"\r\n"_s), 4);
    }

    // Without a word processor the report ends silently; one that fails
    // after it began tells the operator why.
    void failureEndsTheReport_data()
    {
        QTest::addColumn<QString>("failOn");
        QTest::addColumn<int>("callCount");
        QTest::addColumn<bool>("told");
        QTest::newRow("no word processor") << QString() << 1 << false;
        QTest::newRow("new document fails") << u"FileNew"_s << 3 << true;
        QTest::newRow("saving fails") << u"FileSaveAs"_s << 7 << true;
    }

    void failureEndsTheReport()
    {
        QFETCH(QString, failOn);
        QFETCH(int, callCount);
        QFETCH(bool, told);
        FakeServers servers;
        servers.registered = !failOn.isEmpty();
        servers.log.failOn = failOn;
        Competition c;
        fillCompetition(c);
        const WordReportResult result = WriteWordReport(servers, c, WordReportMode::Save, u"b.doc"_s, info());
        QVERIFY(!result.saved);
        QCOMPARE(servers.log.calls.size(), callCount);
        QCOMPARE(result.error.isEmpty(), !told);
        if (told)
            QVERIFY(result.error.contains(u"Testfehler"_s));
    }
};

QTEST_GUILESS_MAIN(TestWordReport)
#include "test_wordreport.moc"
