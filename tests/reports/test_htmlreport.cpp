#include "reportfixture.h"

#include "reports/htmlreport.h"
#include "reports/protocoltext.h"
#include "reports/textcodec.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace vex;
using vex::testing::readTestData;

namespace {

HtmlReportInfo goldenInfo()
{
    HtmlReportInfo info;
    info.title = u"Stadtmeisterschaft 2024"_s;
    info.title2 = u"Kart-Slalom\r\nJugendgruppe"_s;
    info.appTitle = u"Vexilor"_s;
    return info;
}

QStringList pageLines(const QByteArray &page)
{
    QString text = decodeWindows1252(page);
    // Every line ends with CR LF, the last one too.
    if (!text.endsWith(u"\r\n"))
        return {u"<no final CR LF>"_s};
    text.chop(2);
    return text.split(u"\r\n"_s);
}

QStringList linesStartingWith(const QStringList &lines, QStringView prefix)
{
    QStringList out;
    for (const QString &l : lines) {
        if (l.startsWith(prefix))
            out.append(l);
    }
    return out;
}

} // namespace

class TestHtmlReport : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void pageMatchesGoldenFile();
    void noClassesNoTables();
    void columnOrderAndWidths_data();
    void columnOrderAndWidths();
    void emptyRowsAndCells();
    void furtherRunsStruckRunsAndAwards();
    void textsAreEscaped();
    void charactersOutsideTheCodePage();
    void writeFileAndWriteError();
};

void TestHtmlReport::pageMatchesGoldenFile()
{
    Competition c;
    parseProtocolText(c, readTestData(u"protocol_two_classes.txt"_s));
    const QByteArray page = buildHtmlReport(c, goldenInfo());
    QCOMPARE(page, readTestData(u"report_two_classes.html"_s));
    QVERIFY(!page.contains("\n\n"));
    QCOMPARE(page.count("\r\n"), page.count('\n'));
}

void TestHtmlReport::noClassesNoTables()
{
    Competition c;
    c.page(0)->setRow(1, {u"1"_s, u"Anna"_s});
    const QStringList lines = pageLines(buildHtmlReport(c, goldenInfo()));
    QCOMPARE(lines.size(), 16 + 2);
    QCOMPARE(lines.first(), u"<HTML>"_s);
    QVERIFY(lines.at(15).startsWith(u"<H2>"));
    QVERIFY(lines.at(16).startsWith(u"<p align=right>"));
    QVERIFY(lines.last().endsWith(u"</body></html>"));
    QVERIFY(linesStartingWith(lines, u"<table").isEmpty());
}

void TestHtmlReport::columnOrderAndWidths_data()
{
    QTest::addColumn<bool>("clubShown");
    QTest::addColumn<int>("clubShare");
    QTest::addColumn<QStringList>("headers");
    QTest::addColumn<QString>("row");

    QTest::newRow("club shown at start-up")
        << true << 12
        << QStringList{u"<th width=5%>Platz"_s, u"<th width=5%>StNr"_s, u"<th width=20%>Fahrer/in"_s,
                       u"<th width=12%>Ortsclub"_s, u"<th width=8%>Lauf 1"_s, u"<th width=6%>StS"_s,
                       u"<th width=8%>Lauf 2"_s, u"<th width=6%>StS"_s, u"<th width=8%>Gesamt"_s}
        << u"<tr><td>1<td>7<td>Anna<td>MSC<td>45,12<td>2<td><td>0<td>1:37,12</tr>"_s;
    QTest::newRow("club switched on again")
        << true << 10
        << QStringList{u"<th width=5%>Platz"_s, u"<th width=5%>StNr"_s, u"<th width=20%>Fahrer/in"_s,
                       u"<th width=10%>Ortsclub"_s, u"<th width=8%>Lauf 1"_s, u"<th width=6%>StS"_s,
                       u"<th width=8%>Lauf 2"_s, u"<th width=6%>StS"_s, u"<th width=8%>Gesamt"_s}
        << u"<tr><td>1<td>7<td>Anna<td>MSC<td>45,12<td>2<td><td>0<td>1:37,12</tr>"_s;
    QTest::newRow("club hidden")
        << false << 0
        << QStringList{u"<th width=5%>Platz"_s, u"<th width=5%>StNr"_s, u"<th width=20%>Fahrer/in"_s,
                       u"<th width=8%>Lauf 1"_s, u"<th width=6%>StS"_s, u"<th width=8%>Lauf 2"_s,
                       u"<th width=6%>StS"_s, u"<th width=8%>Gesamt"_s}
        << u"<tr><td>1<td>7<td>Anna<td>45,12<td>2<td><td>0<td>1:37,12</tr>"_s;
}

void TestHtmlReport::columnOrderAndWidths()
{
    QFETCH(bool, clubShown);
    QFETCH(int, clubShare);
    QFETCH(QStringList, headers);
    QFETCH(QString, row);

    Competition c;
    c.setClasses({u"A"_s});
    // The training run (TR 30,00, penalty 9) never shows.
    c.page(0)->setRow(1, {u"7"_s, u"Anna"_s, u"MSC"_s, u"30,00"_s, u"9"_s, u"45,12"_s, u"2"_s, QString(),
                          u"0"_s, u"1:37,12"_s, u"1"_s});
    HtmlReportInfo info = goldenInfo();
    info.clubShown = clubShown;
    info.columnWidthPercent[ColClub] = clubShare;

    const QStringList lines = pageLines(buildHtmlReport(c, info));
    QCOMPARE(linesStartingWith(lines, u"<th "), headers);
    QCOMPARE(linesStartingWith(lines, u"<tr><td>"), QStringList{row});
    // The column group always declares fifteen columns.
    const QString all = lines.join(u'\n');
    QCOMPARE(all.count(u"<col "), 15);
}

void TestHtmlReport::furtherRunsStruckRunsAndAwards()
{
    Competition c;
    c.setClasses({u"A"_s});
    Regulation bestTwoOfThree;
    bestTwoOfThree.scoringRuns = 3;
    c.page(0)->setRegulation(bestTwoOfThree);
    QStringList cells{u"7"_s, u"Anna"_s, u"MSC"_s, QString(), QString(), u"45,12"_s, u"2"_s, u"50,00"_s,
                      u"0"_s, u"1:31,12"_s, u"1"_s, u"44,00"_s, u"0"_s};
    c.page(0)->setRow(1, cells);
    HtmlReportInfo info = goldenInfo();
    info.dayBest = u"44,00 – 7 Anna (Klasse A, Lauf 3)"_s;
    info.teamRows = {{u"Platz"_s, u"Mannschaft"_s}, {u"1"_s, u"MSC & Co"_s}};
    const QStringList lines = pageLines(buildHtmlReport(c, info));
    QCOMPARE(linesStartingWith(lines, u"<th ").mid(7, 3),
             (QStringList{u"<th width=6%>StS"_s, u"<th width=8%>Lauf 3"_s, u"<th width=6%>StS"_s}));
    QCOMPARE(linesStartingWith(lines, u"<tr><td>1<td>7"),
             QStringList{u"<tr><td>1<td>7<td>Anna<td>MSC<td>45,12<td>2<td><s>50,00</s><td>0<td>44,00<td>0<td>1:31,12</tr>"_s});
    QCOMPARE(linesStartingWith(lines, u"<H4><I>Tagesbestzeit"),
             QStringList{u"<H4><I>Tagesbestzeit: 44,00 – 7 Anna (Klasse A, Lauf 3)</I></H4>"_s});
    QCOMPARE(linesStartingWith(lines, u"<tr><td>1<td>MSC"), QStringList{u"<tr><td>1<td>MSC &amp; Co</tr>"_s});
}

void TestHtmlReport::emptyRowsAndCells()
{
    Competition c;
    c.setClasses({u"A"_s, u"B"_s});
    c.page(1)->setRow(1, {u"1"_s, u"Bert"_s});
    c.page(1)->appendRow();
    const QStringList lines = pageLines(buildHtmlReport(c, goldenInfo()));
    QCOMPARE(linesStartingWith(lines, u"<table").size(), 2);
    QCOMPARE(linesStartingWith(lines, u"</table>").size(), 2);
    // Empty rows are part of the table; an empty cell is a bare <td>.
    const QStringList rows = linesStartingWith(lines, u"<tr><td>");
    QCOMPARE(rows.size(), 3);
    QCOMPARE(rows.at(0), u"<tr><td><td><td><td><td><td><td><td><td></tr>"_s);
    QCOMPARE(rows.at(1), u"<tr><td><td>1<td>Bert<td><td><td><td><td><td></tr>"_s);
    QCOMPARE(rows.at(2), rows.at(0));
}

void TestHtmlReport::textsAreEscaped()
{
    Competition c;
    c.setClasses({u"Kids & <Teens>"_s});
    c.page(0)->setCell(0, ColName, u"\"Name\""_s);
    c.page(0)->setRow(1, {u"1"_s, u"<script>alert(1)</script>"_s, u"A&B"_s});
    HtmlReportInfo info = goldenInfo();
    info.title = u"Cup <2024>"_s;
    info.title2 = u"Zeile 1\r\nZeile \"2\"\nZeile 3"_s;
    info.appTitle = u"Zeit\"messung"_s;

    const QString page = decodeWindows1252(buildHtmlReport(c, info));
    QVERIFY(!page.contains(u"<script>"));
    QVERIFY(page.contains(u"<td>&lt;script&gt;alert(1)&lt;/script&gt;<td>A&amp;B"));
    QVERIFY(page.contains(u"<H4><I>KLASSE: Kids &amp; &lt;Teens&gt;</I></H4>"));
    QVERIFY(page.contains(u"<th width=20%>&quot;Name&quot;\r\n"));
    QVERIFY(page.contains(u"<TITLE>Cup &lt;2024&gt;</TITLE>"));
    QVERIFY(page.contains(u"<H2>Cup &lt;2024&gt;<Br>Zeile 1<br>Zeile &quot;2&quot;<br>Zeile 3</H2>"));
    QVERIFY(page.contains(u"stopuhr, Zeit&quot;messung\">"));
    QVERIFY(page.contains(u"Programm &quot;Zeit&quot;messung&quot;.<br>"));
}

void TestHtmlReport::charactersOutsideTheCodePage()
{
    Competition c;
    c.setClasses({u"Ω"_s});
    c.page(0)->setRow(1, {u"1"_s, u"Łukasz 😀 Müller"_s});
    const QByteArray page = buildHtmlReport(c, goldenInfo());
    QVERIFY(!page.contains('\x1A'));
    QVERIFY(page.contains("KLASSE: &#937;</I>"));
    QVERIFY(page.contains("<td>&#321;ukasz &#128512; M\xFCller<td>"));
}

void TestHtmlReport::writeFileAndWriteError()
{
    QTemporaryDir dir;
    Competition c;
    parseProtocolText(c, readTestData(u"protocol_two_classes.txt"_s));
    const QString path = dir.filePath(u"protokoll.html"_s);
    QCOMPARE(WriteHtmlReport(c, goldenInfo(), path), std::nullopt);
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), readTestData(u"report_two_classes.html"_s));

    const QString bad = dir.filePath(u"fehlt/protokoll.html"_s);
    QCOMPARE(WriteHtmlReport(c, goldenInfo(), bad), u"Der Schreibfehler der Datei: "_s + bad);
}

QTEST_GUILESS_MAIN(TestHtmlReport)
#include "test_htmlreport.moc"
