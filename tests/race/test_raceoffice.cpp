// The race's spreadsheet and word-processor commands: what they take from the
// settings, and where a workbook import leaves the race.
#include "../office/fakeautomation.h"
#include "../timing/faketimers.h"

#include "files/racefiles.h"
#include "race/race.h"
#include "timing/tickclock.h"

#include <QSignalSpy>
#include <QTest>

using namespace vex;
using namespace vex::testing;
using namespace Qt::StringLiterals;

namespace {

class StillTicks final : public TickSource
{
public:
    quint32 now() const override { return 0; }
};

void loadTwoDrivers(RaceFiles &files)
{
    files.importWith([](Competition &c) {
        c.page(0)->setCaption(u"Bambini"_s);
        c.page(0)->setRowCount(3);
        c.page(0)->setRow(1, {u"1"_s, u"Müller"_s, u"MSC"_s, u"12,50"_s});
        c.page(0)->setRow(2, {u"2"_s, u"Weiß"_s, u"AC"_s});
        c.setClasses({u"Bambini"_s});
        return std::optional<QString>();
    });
}

} // namespace

class TestRaceOffice : public QObject
{
    Q_OBJECT

    StillTicks m_ticks;
    FakeTimers m_timers;

private Q_SLOTS:
    void exportTakesStartCellAndTitles()
    {
        RaceResults raceResults;
        Race race(raceResults, m_ticks, m_timers);
        RaceFiles files(race);
        FakeServers servers;
        files.setOfficeServers(&servers, QString());
        Settings s = race.settings();
        s.ExcelX = 2;
        s.Title = u"Clubslalom"_s;
        s.Title2 = u"Lauf 3"_s;
        race.applySettings(s);
        loadTwoDrivers(files);
        QVERIFY(!files.exportWorkbook(u"/neu.xlsx"_s));
        QVERIFY(servers.log.calls.contains(u"Title:=Clubslalom"_s));
        QVERIFY(servers.log.calls.contains(u"Subject:=Lauf 3"_s));
        QVERIFY(servers.log.calls.contains(u"WorkSheets(1).Range(C6:M8).Value:=3x11"_s));
    }

    void wordReportLeavesHiddenClubOut()
    {
        RaceResults raceResults;
        Race race(raceResults, m_ticks, m_timers);
        RaceFiles files(race);
        FakeServers servers;
        files.setOfficeServers(&servers, u"/nirgends/Protokollvorlage.doc"_s);
        loadTwoDrivers(files);
        race.setClubShown(false);
        files.writeWordReport(1, u"/b.doc"_s);
        QCOMPARE(servers.log.calls.value(2), u"FileNew"_s);
        QCOMPARE(servers.log.calls.value(4), u"Insert(\r\nKLASSE: Bambini\r\n"
                                              u"StNr\tFahrer/in\tTR\tStS\tLauf 1\tStS\tLauf 2\tStS\tGesamt\tPlatz\r\n"
                                              u"1\tMüller\t12,50\t\t\t\t\t\t\t\r\n"
                                              u"2\tWeiß\t\t\t\t\t\t\t\t\r\n)"_s);
    }

    void importChoosesFirstClassAndDriver()
    {
        RaceResults raceResults;
        Race race(raceResults, m_ticks, m_timers);
        RaceFiles files(race);
        FakeServers servers;
        files.setOfficeServers(&servers, QString());
        Settings s = race.settings();
        s.ExcelY = 1;
        race.applySettings(s);
        FakeSheetData sheet{u"Junioren"_s, {{u"StNr"_s, u"Fahrer/in"_s}, {7.0, u"Ina Kurz"_s}}, 2};
        servers.sheets = {sheet};
        QSignalSpy closed(&files, &RaceFiles::progressClosed);
        const RaceLoadResult result = files.importWorkbook(u"/start.xlsx"_s);
        QVERIFY(result.opened);
        QVERIFY(result.messages.isEmpty());
        QCOMPARE(closed.size(), 1);
        QCOMPARE(files.loadedPath(), u"/start.xlsx"_s);
        QCOMPARE(race.competition().classes(), QStringList{u"Junioren"_s});
        QCOMPARE(race.entry().page, 0);
        QCOMPARE(race.entry().startNumber, u"7"_s);
        QCOMPARE(race.entry().name, u"Ina Kurz"_s);

        // A workbook that can't be read changes nothing, the path included.
        servers.log.failOn = u"WorkBooks.Open"_s;
        QVERIFY(!files.importWorkbook(u"/kaputt.xlsx"_s).opened);
        QCOMPARE(files.loadedPath(), u"/start.xlsx"_s);
    }

    void withoutServersNothingIsAvailable()
    {
        RaceResults raceResults;
        Race race(raceResults, m_ticks, m_timers);
        RaceFiles files(race);
        QVERIFY(!files.spreadsheetAvailable());
        QVERIFY(!files.wordProcessorAvailable());
        loadTwoDrivers(files);
        QVERIFY(files.exportWorkbook(u"/neu.xlsx"_s));
        QVERIFY(!files.importWorkbook(u"/start.xlsx"_s).opened);
        QCOMPARE(race.competition().page(0)->cell(1, ColName), u"Müller"_s);
    }
};

QTEST_GUILESS_MAIN(TestRaceOffice)
#include "test_raceoffice.moc"
