#include "office/excelexchange.h"
#include "office/localservers.h"
#include "office/officeprogress.h"
#include "office/workbookdata.h"
#include "reports/awards.h"
#include "reports/protocolfile.h"
#include "results/competition.h"
#include "results/teamranking.h"
#include "season/season.h"
#include "season/seasonreport.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace vex;

namespace {

// A driver's results in a line: "A: 1 2:30 D -" is place 1 (points by the
// default table), place 2 with 30 points, a start without a place (a "DIS")
// and no start.
StandingRow rowFrom(const QString &line)
{
    const qsizetype colon = line.indexOf(u':');
    StandingRow row;
    row.driver.name = line.first(colon);
    const QStringList cells = line.sliced(colon + 1).split(u' ', Qt::SkipEmptyParts);
    for (const QString &cell : cells) {
        if (cell == u"-") {
            row.events.append(std::nullopt);
        } else if (cell == u"D") {
            row.events.append(EventScore{});
        } else {
            const QStringList parts = cell.split(u':');
            const int place = parts.at(0).toInt();
            const int points = parts.size() > 1 ? parts.at(1).toInt() : PlacePoints::defaults().forPlace(place);
            row.events.append(EventScore{place, points, false});
        }
    }
    return row;
}

// "1. A 95: 45 50 (45)"; a row without a place starts with "-".
QString rendered(const StandingRow &row)
{
    QStringList scores;
    for (const auto &s : row.events)
        scores.append(scoreText(s));
    return (row.place ? QString::number(row.place) + u'.' : u"-"_s) + u' ' + row.driver.name + u' '
        + QString::number(row.sum) + u": "_s + scores.join(u' ');
}

QStringList rendered(const ClassStandings &cs)
{
    QStringList lines;
    for (qsizetype i = 0; i < cs.rows.size(); ++i) {
        const StandingRow &r = cs.rows.at(i);
        lines.append(rendered(r) + u" / "_s + r.driver.club + u" / "_s + QString::number(r.starts)
                     + (r.qualified ? u" Q"_s : QString()));
    }
    return lines;
}

QString data(const QString &name)
{
    return QStringLiteral(VEX_TEST_DATA) + u'/' + name;
}

SeasonDefinition goldenSeason()
{
    SeasonDefinition s;
    s.title = u"Meisterschaft 2026"_s;
    s.rules.counting = SeasonRules::Counting::BestN;
    s.rules.bestN = 2;
    s.rules.minStarts = 2;
    s.rules.qualification = SeasonRules::Qualification::Count;
    s.rules.qualifyCount = 2;
    s.events = {{data(u"lauf1-nordheim.txt"_s), u"Nordheim"_s, QDate(2026, 4, 12)},
                {data(u"lauf2-talbach.txt"_s), u"Talbach"_s, QDate(2026, 5, 17)},
                {data(u"lauf3-weiler.txt"_s), u"Weiler"_s, QDate(2026, 6, 21)}};
    return s;
}

const DriverKey kMueller{u"Max Mueller"_s, u"AC Talbach"_s, 0};
const DriverKey kMueller2{u"Max Müller"_s, u"AC Talbach"_s, 0};

} // namespace

class TestSeason : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void ranking_data()
    {
        QTest::addColumn<int>("counted");
        QTest::addColumn<int>("minStarts");
        QTest::addColumn<QStringList>("drivers");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("best 2 of 3, of equal points the later is struck")
            << 2 << 0 << QStringList{u"A: 2 1 2"_s} << QStringList{u"1. A 95: 45 50 (45)"_s};
        QTest::newRow("a start without a place is struck first")
            << 2 << 0 << QStringList{u"A: D 1 2"_s} << QStringList{u"1. A 95: (0) 50 45"_s};
        QTest::newRow("equal points: more first places")
            << 3 << 0 << QStringList{u"B: 2 2"_s, u"A: 1 4:40"_s}
            << QStringList{u"1. A 90: 50 40"_s, u"2. B 90: 45 45"_s};
        QTest::newRow("equal points and firsts: more second places")
            << 3 << 0 << QStringList{u"B: 1:50 3:30 3:20"_s, u"A: 1:50 2:30 5:20"_s}
            << QStringList{u"1. A 100: 50 30 20"_s, u"2. B 100: 50 30 20"_s};
        QTest::newRow("struck results still count as placings")
            << 1 << 0 << QStringList{u"B: 1 5"_s, u"A: 1 2"_s}
            << QStringList{u"1. A 50: 50 (45)"_s, u"2. B 50: 50 (32)"_s};
        QTest::newRow("all placings equal: shared place, the next one skipped")
            << 3 << 0 << QStringList{u"B: 2 1"_s, u"A: 1 2"_s, u"C: 3 3:55"_s}
            << QStringList{u"1. A 95: 50 45"_s, u"1. B 95: 45 50"_s, u"3. C 95: 40 55"_s};
        QTest::newRow("too few starts: listed without a place, after the ranked")
            << 3 << 2 << QStringList{u"A: 1 -"_s, u"B: 3 3"_s, u"C: - D"_s}
            << QStringList{u"1. B 80: 40 40"_s, u"- A 50: 50 –"_s, u"- C 0: – 0"_s};
    }
    void ranking()
    {
        QFETCH(int, counted);
        QFETCH(int, minStarts);
        QFETCH(QStringList, drivers);
        QFETCH(QStringList, expected);
        QList<StandingRow> rows;
        for (const QString &d : drivers)
            rows.append(rowFrom(d));
        rankStandings(rows, counted, minStarts);
        QStringList got;
        for (const StandingRow &r : rows)
            got.append(rendered(r));
        QCOMPARE(got, expected);
    }

    void countedAndQualifying_data()
    {
        QTest::addColumn<int>("counting"); // 0 all, 1 best N, 2 percent
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("events");
        QTest::addColumn<int>("counted");
        QTest::addColumn<int>("qualification"); // 0 none, 1 count, 2 percent
        QTest::addColumn<int>("qualifyValue");
        QTest::addColumn<int>("ranked");
        QTest::addColumn<int>("qualifying");
        QTest::newRow("all, 6 events; first 3 of 10") << 0 << 0 << 6 << 6 << 1 << 3 << 10 << 3;
        QTest::newRow("best 5 of 6; first 5 of 4") << 1 << 5 << 6 << 5 << 1 << 5 << 4 << 4;
        QTest::newRow("best 7 of 6; 25 % of 10 up") << 1 << 7 << 6 << 6 << 2 << 25 << 10 << 3;
        QTest::newRow("70 % of 6 up; 25 % of 8 exact") << 2 << 70 << 6 << 5 << 2 << 25 << 8 << 2;
        QTest::newRow("70 % of 10 exact; 25 % of 1") << 2 << 70 << 10 << 7 << 2 << 25 << 1 << 1;
        QTest::newRow("10 % of 3, at least one; 25 % of none") << 2 << 10 << 3 << 1 << 2 << 25 << 0 << 0;
        QTest::newRow("no events; no qualification") << 1 << 5 << 0 << 0 << 0 << 3 << 10 << 0;
    }
    void countedAndQualifying()
    {
        QFETCH(int, counting);
        QFETCH(int, value);
        QFETCH(int, events);
        QFETCH(int, counted);
        QFETCH(int, qualification);
        QFETCH(int, qualifyValue);
        QFETCH(int, ranked);
        QFETCH(int, qualifying);
        SeasonRules rules;
        rules.counting = SeasonRules::Counting(counting);
        rules.bestN = rules.countPercent = value;
        rules.qualification = SeasonRules::Qualification(qualification);
        rules.qualifyCount = rules.qualifyPercent = qualifyValue;
        QCOMPARE(countedResults(rules, events), counted);
        QCOMPARE(qualifyingPlaces(rules, ranked), qualifying);
    }

    void nameMatching_data()
    {
        QTest::addColumn<QString>("nameA");
        QTest::addColumn<QString>("clubA");
        QTest::addColumn<int>("yearA");
        QTest::addColumn<QString>("nameB");
        QTest::addColumn<QString>("clubB");
        QTest::addColumn<int>("yearB");
        QTest::addColumn<int>("drivers");
        QTest::addColumn<bool>("offered");
        QTest::addColumn<int>("teams");
        QTest::newRow("umlaut spelled out") << u"Max Müller"_s << u"AC Talbach"_s << 0 << u"Max Mueller"_s << u"AC Talbach"_s << 0 << 2 << true << 1;
        QTest::newRow("case") << u"max müller"_s << u"ac talbach"_s << 0 << u"Max Müller"_s << u"AC Talbach"_s << 0 << 2 << true << 1;
        QTest::newRow("blanks") << u"Max  Müller"_s << u"AC Talbach"_s << 0 << u"Max Müller"_s << u"ACTalbach"_s << 0 << 2 << true << 2;
        QTest::newRow("hyphen") << u"Anna-Lena Berg"_s << u"MSC"_s << 0 << u"Anna Lena Berg"_s << u"MSC"_s << 0 << 2 << true << 1;
        QTest::newRow("sharp s") << u"Heinz Groß"_s << u"MSC"_s << 0 << u"Heinz Gross"_s << u"MSC"_s << 0 << 2 << true << 1;
        QTest::newRow("one year missing") << u"Max Müller"_s << u"MSC"_s << 2013 << u"Max Mueller"_s << u"MSC"_s << 0 << 2 << true << 1;
        QTest::newRow("other club") << u"Max Müller"_s << u"AC Talbach"_s << 0 << u"Max Mueller"_s << u"MSC Nordheim"_s << 0 << 2 << false << 2;
        QTest::newRow("years differ") << u"Max Müller"_s << u"MSC"_s << 2013 << u"Max Mueller"_s << u"MSC"_s << 2014 << 2 << false << 1;
        QTest::newRow("other first name") << u"Max Müller"_s << u"MSC"_s << 0 << u"Moritz Müller"_s << u"MSC"_s << 0 << 2 << false << 1;
        QTest::newRow("club in capitals, blanks around: as on the day")
            << u"Max Müller"_s << u" MSC TALHEIM "_s << 2013 << u"Max Müller"_s << u"MSC Talheim"_s << 0 << 1 << false << 1;
    }
    void nameMatching()
    {
        QFETCH(QString, nameA);
        QFETCH(QString, clubA);
        QFETCH(int, yearA);
        QFETCH(QString, nameB);
        QFETCH(QString, clubB);
        QFETCH(int, yearB);
        QFETCH(int, drivers);
        QFETCH(bool, offered);
        QFETCH(int, teams);
        // Each spelling drives one event of the class: the standings keep
        // them apart and at most ask, unless the clubs are one by the
        // event day's rule.
        const auto event = [](const QString &name, const QString &club, int year) {
            EventEntry e{name, club, year, 1, true};
            return EventResults{{EventClass{u"K1"_s, {e}}}};
        };
        const SeasonStandings s = computeStandings({event(nameA, clubA, yearA), event(nameB, clubB, yearB)},
                                                   SeasonRules{}, {}, {});
        QCOMPARE(s.classes.at(0).rows.size(), drivers);
        QCOMPARE(s.proposals.size(), offered ? 1 : 0);
        QCOMPARE(s.teams.rows.size(), teams);
    }

    void answeredProposals()
    {
        const EventResults e1{{EventClass{u"K1"_s, {EventEntry{kMueller2.name, kMueller2.club, 0, 2, true}}}}};
        const EventResults e2{{EventClass{u"K1"_s, {EventEntry{kMueller.name, kMueller.club, 0, 1, true}}}}};
        const EventResults e3 = e1;
        const SeasonStandings asked = computeStandings({e1, e2, e3}, SeasonRules{}, {}, {});
        QCOMPARE(asked.proposals.size(), 1);
        // The spelling with more starts is the one kept.
        QCOMPARE(asked.proposals.at(0).from, kMueller);
        QCOMPARE(asked.proposals.at(0).into, kMueller2);
        const SeasonStandings declined = computeStandings({e1, e2, e3}, SeasonRules{}, {}, {{kMueller2, kMueller}});
        QVERIFY(declined.proposals.isEmpty());
        QCOMPARE(declined.classes.at(0).rows.size(), 2);
        const SeasonStandings merged = computeStandings({e1, e2, e3}, SeasonRules{}, {{kMueller, kMueller2}}, {});
        QVERIFY(merged.proposals.isEmpty());
        QCOMPARE(rendered(merged.classes.at(0)), QStringList{u"1. Max Müller 140: 45 50 45 / AC Talbach / 3"_s});
        // A merge that moves a start to another club moves its team points.
        const DriverKey nord{kMueller2.name, u"MSC Nord"_s, 0};
        const EventResults e4{{EventClass{u"K1"_s, {EventEntry{nord.name, nord.club, 0, 1, true}}}}};
        const SeasonStandings moved = computeStandings({e1, e4}, SeasonRules{}, {{nord, kMueller2}}, {});
        QCOMPARE(rendered(moved.teams), QStringList{u"1. AC Talbach 95: 45 50 /  / 2"_s});
        // Merges that lead in a circle end where they started.
        const DriverMerges circle({{kMueller, kMueller2}, {kMueller2, kMueller}});
        QCOMPARE(circle.resolve(kMueller), kMueller2);
    }

    void birthYears()
    {
        const auto event = [](const QString &name, int year) {
            return EventResults{{EventClass{u"K1"_s, {EventEntry{name, u"MSC"_s, year, 1, true}}}}};
        };
        // A list without the year joins the one driver of that name who has one...
        SeasonStandings s = computeStandings({event(u"Anna Berg"_s, 2013), event(u"Anna Berg"_s, 0)}, SeasonRules{}, {}, {});
        QCOMPARE(s.classes.at(0).rows.size(), 1);
        QCOMPARE(s.classes.at(0).rows.at(0).starts, 2);
        // ...but not one of two namesakes told apart by their years.
        s = computeStandings({event(u"Anna Berg"_s, 2013), event(u"Anna Berg"_s, 0), event(u"Anna Berg"_s, 2014)},
                             SeasonRules{}, {}, {});
        QCOMPARE(s.classes.at(0).rows.size(), 3);
    }

    void foreignWorkbook()
    {
        WorkbookData book;
        WorksheetData sheet;
        sheet.name = u"Tabelle1"_s;
        sheet.cell(1, 1) = typedCell(u"Einkaufsliste"_s);
        book.sheets.append(sheet);
        const EventRead read = parseEventWorkbook(book, u"x.xlsx"_s);
        QVERIFY(!read.results);
        QCOMPARE(read.error, u"„x.xlsx“ wird nicht gewertet: Das Blatt „Tabelle1“ hat keine Spalten „Fahrer/in“ und „Platz“."_s);
    }

    void golden()
    {
        SeasonDefinition season = goldenSeason();
        const QList<EventRead> reads = readSeasonEvents(season.events);
        for (const EventRead &r : reads)
            QVERIFY2(r.results, qPrintable(r.error));
        SeasonReport report = evaluateSeason(season, reads);
        QCOMPARE(report.standings.classes.size(), 2);
        QCOMPARE(report.standings.proposals.size(), 1);
        QCOMPARE(report.standings.proposals.at(0).from, kMueller);
        QCOMPARE(rendered(report.standings.classes.at(0)),
                 (QStringList{u"1. Anna Berg 100: 50 (45) 50 / MSC Nordheim / 3 Q"_s,
                              u"2. Max Müller 90: 45 – 45 / AC Talbach / 2 Q"_s,
                              u"3. Tom Kraus 80: (0) 40 40 / RC Weiler / 3"_s,
                              u"- Max Mueller 50: – 50 – / AC Talbach / 1"_s,
                              u"- Lena Vogt 40: 40 – – / MSC Nordheim / 1"_s,
                              u"- Mia Hof 36: – – 36 / RC Weiler / 1"_s,
                              u"- Ida Sand 0: 0 – – / RC Weiler / 1"_s}));
        // Paul Schmid and Eva Lang share second place at the line: both qualify.
        QCOMPARE(rendered(report.standings.classes.at(1)),
                 (QStringList{u"1. Jonas Weber 95: 50 45 (45) / AC Talbach / 3 Q"_s,
                              u"2. Eva Lang 95: 45 – 50 / MSC Nordheim / 2 Q"_s,
                              u"2. Paul Schmid 95: 45 50 (0) / RC Weiler / 3 Q"_s,
                              u"4. Lena Vogt 80: – 40 40 / MSC Nordheim / 2"_s}));
        QCOMPARE(report.standings.classes.at(1).qualified, 3);
        QCOMPARE(rendered(report.standings.teams),
                 (QStringList{u"1. MSC Nordheim 275: 135 (85) 140 /  / 3"_s,
                              u"2. AC Talbach 190: 95 95 (90) /  / 3"_s,
                              u"3. RC Weiler 166: (45) 90 76 /  / 3"_s}));

        season.merges.append({kMueller, kMueller2});
        report = evaluateSeason(season, reads);
        QVERIFY(report.standings.proposals.isEmpty());
        QCOMPARE(rendered(report.standings.classes.at(0)).mid(0, 3),
                 (QStringList{u"1. Anna Berg 100: 50 (45) 50 / MSC Nordheim / 3 Q"_s,
                              u"2. Max Müller 95: 45 50 (45) / AC Talbach / 3 Q"_s,
                              u"3. Tom Kraus 80: (0) 40 40 / RC Weiler / 3"_s}));

        const QString html = QString::fromUtf8(buildSeasonHtml(report));
        QVERIFY(html.contains(u"2. Talbach, 17.05.2026"_s));
        QVERIFY(html.contains(u"<s>(45)</s>"_s));
        QVERIFY(html.contains(u"Qualifiziert für die nächste Runde: 3 Fahrer bis Platz 2"_s));
        QVERIFY(html.contains(u"die besten 2 von 3"_s));
    }

    void eventFiles_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("expected"); // the class and its entries, or the start of the message
        const QByteArray titles = "StNr\tFahrer/in\tOrtsclub\tTR\tStS\tLauf 1\tStS\tLauf 2\tStS\tGesamt\tPlatz\t\r\n";
        QTest::newRow("places, a mark, a start without total, no start")
            << QByteArray("KLASSE: K1 \r\n\r\n" + titles + "1\tAnna Berg (2013)\tMSC\t \t \t \t \t \t \t40,00\t1\t\r\n"
                          "2\tTom\tRC\t \t \t \t \t \t \tDIS\tDIS\t\r\n3\tMia\tRC\t \t \t \t \t \t \t41,00\t \t\r\n"
                          "4\tLeo\tRC\t20,00\t \t \t \t \t \t \t \t\r\n\r\n")
            << u"K1: Anna Berg/MSC/2013/1/s Tom/RC/0/0/s Mia/RC/0/0/s Leo/RC/0/0/-"_s;
        QTest::newRow("a time or DIS in a scoring run is a start, a training time is none")
            << QByteArray("KLASSE: K1\r\n\r\n" + titles + "1\tBen\tRC\t \t \t21,00\t \t \t \t \t \t\r\n"
                          "2\tKai\tRC\t \t \t \t \tDIS\t \t \t \t\r\n3\tLeo\tRC\t20,00\t \t \t \t \t \t \t \t\r\n")
            << u"K1: Ben/RC/0/0/s Kai/RC/0/0/s Leo/RC/0/0/-"_s;
        QTest::newRow("a class without drivers") << QByteArray("KLASSE: K2\r\n\r\n\r\n") << u"K2:"_s;
        QTest::newRow("a place that is no number")
            << QByteArray("KLASSE: K1\r\n\r\n" + titles + "1\tAnna\tMSC\t \t \t \t \t \t \t40,00\terster\t\r\n")
            << u"„x.txt“ wird nicht gewertet: In der Klasse „K1“ steht beim Fahrer „Anna“ der Platz „erster“."_s;
        QTest::newRow("a start list without classes")
            << QByteArray("StNr;Fahrer/in;Ortsclub\r\n1;Anna;MSC\r\n") << u"„x.txt“ wird nicht gewertet: Zeilen ohne Klasse"_s;
        QTest::newRow("no place column")
            << QByteArray("KLASSE: K1\r\n\r\nStNr\tFahrer/in\tOrtsclub\t\r\n1\tAnna\tMSC\t\r\n")
            << u"„x.txt“ wird nicht gewertet: Die Klasse „K1“ hat keine Spalten"_s;
        QTest::newRow("binary") << QByteArray("PK\x05\x06\x00\x00garbage", 14) << u"Die Datei ist keine Textdatei"_s;
        QTest::newRow("empty") << QByteArray() << u"„x.txt“ wird nicht gewertet: Die Datei enthält keine Klasse."_s;
    }
    void eventFiles()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, expected);
        const EventRead read = parseEventProtocol(bytes, u"x.txt"_s);
        if (!read.results) {
            QVERIFY2(read.error.startsWith(expected), qPrintable(read.error));
            return;
        }
        QString got;
        for (const EventClass &c : read.results->classes) {
            got += c.name + u':';
            for (const EventEntry &e : c.entries) {
                got += u' ' + e.name + u'/' + e.club + u'/' + QString::number(e.birthYear) + u'/'
                    + QString::number(e.place) + u'/' + (e.started ? u's' : u'-');
            }
        }
        QCOMPARE(got, expected);
    }

    void workbookExportReadsAsTheProtocol()
    {
        QTemporaryDir dir;
        Competition competition;
        QVERIFY(ReadProtocolText(competition, data(u"lauf1-nordheim.txt"_s)).opened);
        LocalAutomationServers servers(nullptr);
        OfficeProgress progress;
        const QString path = dir.filePath(u"lauf1.xlsx"_s);
        const ExcelExportInfo info{StartCell{2, 4}, u"Lauf 1"_s, QString()};
        // With the team ranking on a sheet of its own, as the drivers have clubs.
        const QList<QStringList> teams = teamTableRows(rankTeams(competition, TeamRules{}));
        QVERIFY(teams.size() > 1);
        QCOMPARE(ExportExcelProtocol(servers, competition, path, info, progress, teams), std::nullopt);
        const EventRead fromBook = readEventFile(path);
        const EventRead fromText = readEventFile(data(u"lauf1-nordheim.txt"_s));
        QVERIFY2(fromBook.results, qPrintable(fromBook.error));
        const SeasonStandings a = computeStandings({*fromBook.results}, SeasonRules{}, {}, {});
        const SeasonStandings b = computeStandings({*fromText.results}, SeasonRules{}, {}, {});
        QCOMPARE(rendered(a.classes.at(0)), rendered(b.classes.at(0)));
        QCOMPARE(rendered(a.classes.at(1)), rendered(b.classes.at(1)));
    }

    void seasonFileRoundTrip()
    {
        QTemporaryDir dir;
        SeasonDefinition s = goldenSeason();
        s.rules.counting = SeasonRules::Counting::Percent;
        s.rules.countPercent = 70;
        s.rules.qualification = SeasonRules::Qualification::Percent;
        s.rules.qualifyPercent = 25;
        s.rules.teamDrivers = 4;
        s.rules.points = *PlacePoints::parse(u"10 8 6"_s);
        s.events.append({dir.filePath(u"sub/lauf4.txt"_s), u"Tab\tim Namen"_s, QDate()});
        // Paths come back absolute as the system writes them (with a drive on Windows).
        for (SeasonEvent &e : s.events)
            e.path = QFileInfo(e.path).absoluteFilePath();
        s.merges.append({kMueller, kMueller2});
        s.declined.append({DriverKey{u"A"_s, u"B"_s, 2013}, DriverKey{u"a"_s, u"b"_s, 0}});
        const QString path = dir.filePath(u"saison.vxm"_s);
        QCOMPARE(writeSeasonFile(s, path), std::nullopt);
        QString error;
        const std::optional<SeasonDefinition> back = readSeasonFile(path, &error);
        QVERIFY2(back, qPrintable(error));
        QCOMPARE(formatSeasonFile(*back, dir.path()), formatSeasonFile(s, dir.path()));
        QCOMPARE(back->events.last().path, dir.filePath(u"sub/lauf4.txt"_s));
        QCOMPARE(back->events.last().name, u"Tab im Namen"_s);
        QCOMPARE(back->rules.points.points, (QList<int>{10, 8, 6}));
        QCOMPARE(back->merges.size(), 1);
        QCOMPARE(back->declined.at(0).a.birthYear, 2013);

        for (const QByteArray &bad : {QByteArray("[Vexilor-Meisterschaft]\r\nWertung=beste x\r\n"),
                                      QByteArray("[Vexilor-Meisterschaft]\nPunkte=50,-1\n"),
                                      QByteArray("[Vexilor-Meisterschaft]\nVeranstaltung=12.4.2026\tA\ta.txt\n"),
                                      QByteArray("Titel=ohne Kopf\n")}) {
            QVERIFY2(!parseSeasonFile(bad, dir.path(), &error), bad.constData());
            QVERIFY(!error.isEmpty());
        }
    }

    void reportsWritten()
    {
        QTemporaryDir dir;
        const SeasonDefinition season = goldenSeason();
        const SeasonReport report = evaluateSeason(season, readSeasonEvents(season.events));
        QCOMPARE(writeSeasonPdf(report, dir.filePath(u"s.pdf"_s)), std::nullopt);
        QFile pdf(dir.filePath(u"s.pdf"_s));
        QVERIFY(pdf.open(QIODevice::ReadOnly));
        QVERIFY(pdf.read(5) == "%PDF-");
        QCOMPARE(writeSeasonWorkbook(report, dir.filePath(u"s.xlsx"_s)), std::nullopt);
        const WorkbookData book = readWorkbookFile(dir.filePath(u"s.xlsx"_s));
        QCOMPARE(book.sheets.size(), 3);
        QCOMPARE(book.sheets.at(2).name, u"Mannschaften"_s);
        QCOMPARE(book.sheets.at(0).cellAt(3, 1)->text, u"1. Nordheim, 12.04.2026"_s);
        // A folder that can't take the file: a message, no crash.
        QVERIFY(writeSeasonPdf(report, dir.filePath(u"nicht/da/s.pdf"_s)).has_value());
        QVERIFY(writeSeasonWorkbook(report, dir.filePath(u"nicht/da/s.xlsx"_s)).has_value());
    }

    void damagedFileLeftOut()
    {
        QTemporaryDir dir;
        SeasonDefinition season = goldenSeason();
        QFile bad(dir.filePath(u"kaputt.txt"_s));
        QVERIFY(bad.open(QIODevice::WriteOnly));
        bad.write("\x01\x02\x03 not a list");
        bad.close();
        season.events.insert(1, SeasonEvent{bad.fileName(), u"Kaputt"_s, QDate()});
        season.events.append(SeasonEvent{dir.filePath(u"fehlt.txt"_s), u"Fehlt"_s, QDate()});
        const SeasonReport report = evaluateSeason(season, readSeasonEvents(season.events));
        QCOMPARE(report.events.size(), 3);
        QCOMPARE(report.leftOut.size(), 2);
        QVERIFY(report.leftOut.at(0).contains(u"kaputt.txt"_s));
        QVERIFY(report.leftOut.at(1).contains(u"fehlt.txt"_s));
        QCOMPARE(report.standings.classes.at(0).rows.at(0).events.size(), 3);
    }
};

QTEST_MAIN(TestSeason)
#include "test_season.moc"
