#include "reportfixture.h"

#include "reports/protocoltext.h"
#include "reports/textcodec.h"
#include "results/competition.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace vex;
using vex::testing::readTestData;

namespace {

// A block of one class whose title line is "T" and whose second line is the
// line under test.
QStringList fieldsOfLine(const QByteArray &line)
{
    const auto blocks = parseProtocolBytes(QByteArray("KLASSE: A\r\nT\r\n" + line + "\r\n"));
    if (blocks.size() != 1 || blocks.first().rows.size() != 2)
        return {u"<no row>"_s};
    return blocks.first().rows.at(1);
}

} // namespace

class TestProtocolText : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void writerMatchesGoldenFile();
    void fourRunsReadAndWrittenBack();
    void emptyClassListWritesNothing();
    void loadThenSaveGivesSameBytes();
    void loadedPagesAndClassList();
    void fieldSplitting_data();
    void fieldSplitting();
    void headingLines_data();
    void headingLines();
    void lineEndsBlankLinesAndCtrlZ();
    void encodingOfStartLists_data();
    void encodingOfStartLists();
    void eachCellIsReadOnItsOwn();
    void loadSaveLoadSaveIsStable_data();
    void loadSaveLoadSaveIsStable();
    void hostileBytesAreRefused_data();
    void hostileBytesAreRefused();
    void textFilesAreNotRefused();
    void classWithoutFirstNameKeepsItsRows_data();
    void classWithoutFirstNameKeepsItsRows();
    void utf8StartListFile_data();
    void utf8StartListFile();
    void writerNeverWritesCtrlZ();
    void cellsWithSeparatorsStayInTheirColumn();
    void moreThanTenClasses();
    void loadingResetsEveryPage();
    void rowsBeforeTheFirstHeading();
    void pageGrowsToTheRowsRead();
    void shortTitleLineKeepsTheRunTitles();
    void teamColumnAnywhere();
};

// A start list's "Team" column stands where the club put it; the other
// columns read as without it, and the saved protocol carries the teams after
// its last column, so that the backup and a reload keep them.
void TestProtocolText::teamColumnAnywhere()
{
    Competition c;
    parseProtocolText(c, QByteArray("KLASSE: K1\r\nStNr;Fahrer/in;team ;Ortsclub;TR\r\n"
                                    "1;Anna;Nord;MSC;45,10\r\n2;Ben;;MSC\r\n"));
    const ResultPage &p = *c.page(0);
    QCOMPARE(p.row(1).mid(0, 4), (QStringList{u"1"_s, u"Anna"_s, u"MSC"_s, u"45,10"_s}));
    QCOMPARE(p.team(1), u"Nord"_s);
    QCOMPARE(p.team(2), QString());

    const QByteArray saved = formatProtocolText(c);
    QVERIFY(saved.contains("Platz\tTeam\t\r\n1\tAnna\tMSC\t45,10\t \t \t \t \t \t \t \tNord\t\r\n"));
    Competition again;
    parseProtocolText(again, saved);
    QCOMPARE(again.page(0)->team(1), u"Nord"_s);
    QCOMPARE(again.page(0)->row(1).mid(0, 4), p.row(1).mid(0, 4));
    QCOMPARE(formatProtocolText(again), saved);
}

void TestProtocolText::writerMatchesGoldenFile()
{
    Competition c;
    vex::testing::fillTwoClasses(c);
    QCOMPARE(formatProtocolText(c), readTestData(u"protocol_two_classes.txt"_s));
}

// An event of four scoring runs, the best three counting: the further runs
// stand after run 2, struck runs in brackets; the same pages come back and
// give the same bytes.
void TestProtocolText::fourRunsReadAndWrittenBack()
{
    const QByteArray golden = readTestData(u"protocol_four_runs.txt"_s);
    Competition c;
    Regulation fourRuns;
    fourRuns.scoringRuns = 4;
    fourRuns.countingRuns = 3;
    for (int k = 0; k < Competition::pageCount(); ++k)
        c.page(k)->setRegulation(fourRuns);
    parseProtocolText(c, golden);
    const ResultPage &p = *c.page(0);
    QCOMPARE(p.cell(1, ColRun2), u"50,00"_s);
    QCOMPARE(p.cell(1, ColRun3), u"44,00"_s);
    QCOMPARE(p.cell(1, ColRun4), u"46,00"_s);
    QCOMPARE(p.cell(2, ColRun3Penalty), u"2"_s);
    QCOMPARE(p.cell(1, ColTotal), u"2:17,12"_s);
    QCOMPARE(p.cell(1, ColPlace), u"1"_s);
    QVERIFY(p.isStruckRun(1, 2));
    QCOMPARE(formatProtocolText(c), golden);

    // The file names its regulation; the reader reports it and leaves the
    // pages' alone. Under the classic rule the runs stay and are written,
    // unbracketed, and the file says no more than the rows.
    Competition classic;
    const ProtocolLoadResult loaded = parseProtocolText(classic, golden);
    QCOMPARE(loaded.regulation, std::optional<Regulation>(fourRuns));
    QCOMPARE(loaded.fileRuns, 4);
    QVERIFY(loaded.holdsRuns);
    QCOMPARE(classic.page(1)->shownRuns(), 4);
    QCOMPARE(classic.page(1)->cell(1, ColRun1), u"1:01,00"_s);
    QByteArray unbracketed = golden.first(golden.indexOf('\x1A'));
    unbracketed.replace("(", "").replace(")", "");
    QCOMPARE(formatProtocolText(classic), unbracketed);
}

void TestProtocolText::emptyClassListWritesNothing()
{
    Competition c;
    c.page(0)->setRow(1, {u"1"_s, u"Anna"_s});
    QCOMPARE(formatProtocolText(c).size(), 0);
}

void TestProtocolText::loadThenSaveGivesSameBytes()
{
    const QByteArray golden = readTestData(u"protocol_two_classes.txt"_s);
    Competition c;
    parseProtocolText(c, golden);
    QCOMPARE(formatProtocolText(c), golden);

    // Once more from the written bytes: nothing drifts.
    Competition again;
    parseProtocolText(again, formatProtocolText(c));
    QCOMPARE(formatProtocolText(again), golden);
}

void TestProtocolText::loadedPagesAndClassList()
{
    Competition c;
    const auto result = parseProtocolText(c, readTestData(u"protocol_two_classes.txt"_s));
    QVERIFY(result.skippedClasses.isEmpty());
    QCOMPARE(c.classes(), (QStringList{u"Bambini"_s, u"Junioren"_s}));

    const ResultPage &p1 = *c.page(0);
    QCOMPARE(p1.caption(), u"Bambini"_s);
    QVERIFY(p1.tabVisible());
    QCOMPARE(p1.rows(), 4);
    QCOMPARE(p1.row(0), defaultColumnTitles());
    QCOMPARE(p1.cell(1, ColName), u"Müller, Jörg"_s);
    QCOMPARE(p1.cell(3, ColName), u"Ça & <Co> \"€–\""_s);
    // An empty cell comes back as the blank it was written as.
    QCOMPARE(p1.cell(2, ColClub), u" "_s);
    QCOMPARE(p1.cell(2, ColPlace), u"DIS"_s);

    const ResultPage &p2 = *c.page(1);
    QCOMPARE(p2.caption(), u"Junioren"_s);
    QVERIFY(p2.tabVisible());
    QCOMPARE(p2.rows(), 2);
    QCOMPARE(p2.cell(1, ColName), u"Nachzügler"_s);
    QVERIFY(!c.page(2)->tabVisible());
}

void TestProtocolText::fieldSplitting_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QStringList>("fields");

    QTest::newRow("semicolons") << QByteArray("12;Anna;MSC") << QStringList{u"12"_s, u"Anna"_s, u"MSC"_s};
    QTest::newRow("TABs win over semicolons")
        << QByteArray("1\tMeier; Eva\tA;B") << QStringList{u"1"_s, u"Meier; Eva"_s, u"A;B"_s};
    QTest::newRow("TAB run is one separator")
        << QByteArray("1\t\t\tAnna\tMSC") << QStringList{u"1"_s, u"Anna"_s, u"MSC"_s};
    QTest::newRow("two semicolons make a blank cell")
        << QByteArray("1;;MSC") << QStringList{u"1"_s, u" "_s, u"MSC"_s};
    QTest::newRow("trailing semicolon makes no field") << QByteArray("1;Anna;") << QStringList{u"1"_s, u"Anna"_s};
    QTest::newRow("trailing TAB makes no field") << QByteArray("1\tAnna\t") << QStringList{u"1"_s, u"Anna"_s};
    QTest::newRow("leading separator") << QByteArray(";Anna") << QStringList{u" "_s, u"Anna"_s};
    QTest::newRow("separator alone") << QByteArray(";") << QStringList{u" "_s};
    QTest::newRow("blanks are kept") << QByteArray(" 1 ; Anna ") << QStringList{u" 1 "_s, u" Anna "_s};
    QTest::newRow("lone CR dropped") << QByteArray("1;An\rna") << QStringList{u"1"_s, u"Anna"_s};
    QTest::newRow("more than eleven fields")
        << QByteArray("1;2;3;4;5;6;7;8;9;10;11;12;13")
        << QStringList{u"1"_s, u"2"_s, u"3"_s, u"4"_s, u"5"_s, u"6"_s, u"7"_s, u"8"_s, u"9"_s, u"10"_s, u"11"_s};
    QTest::newRow("lower-case heading is a row")
        << QByteArray("klasse: B") << QStringList{u"klasse: B"_s};
}

void TestProtocolText::fieldSplitting()
{
    QFETCH(QByteArray, line);
    QFETCH(QStringList, fields);
    QCOMPARE(fieldsOfLine(line), fields);

    // On a page the fields fill the columns from the left; the rest stay empty.
    Competition c;
    parseProtocolText(c, QByteArray("KLASSE: A\r\nT\r\n" + line + "\r\n"));
    QStringList expected = fields;
    expected.resize(kColumnCount);
    QCOMPARE(c.page(0)->row(1), expected);
}

void TestProtocolText::headingLines_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("caption");

    QTest::newRow("plain") << QByteArray("KLASSE: Bambini") << u"Bambini"_s << u"Bambini"_s;
    QTest::newRow("trailing blanks stay in the list only")
        << QByteArray("KLASSE: Junioren  \t") << u"Junioren  \t"_s << u"Junioren"_s;
    QTest::newRow("heading further in") << QByteArray(" KLASSE: Damen") << u" Damen"_s << u"Damen"_s;
    QTest::newRow("first eight characters go, whatever they are")
        << QByteArray("xxKLASSE: Herren") << u": Herren"_s << u": Herren"_s;
    QTest::newRow("no blank after the colon") << QByteArray("KLASSE:Open") << u"pen"_s << u"pen"_s;
    QTest::newRow("nothing after the mark") << QByteArray("KLASSE:") << QString() << QString();
}

void TestProtocolText::headingLines()
{
    QFETCH(QByteArray, line);
    QFETCH(QString, entry);
    QFETCH(QString, caption);

    Competition c;
    parseProtocolText(c, QByteArray(line + "\r\n\r\nStNr\tFahrer/in\t\r\n1\tAnna\t\r\n"));
    QCOMPARE(c.classes(), QStringList{entry});
    QCOMPARE(c.page(0)->caption(), caption);
    QCOMPARE(c.page(0)->cell(1, ColName), u"Anna"_s);
}

void TestProtocolText::lineEndsBlankLinesAndCtrlZ()
{
    // LF-only lines, a line of blanks and TABs, a line of CRs, a last line
    // without an end, and everything after Ctrl+Z ignored.
    const QByteArray bytes = "KLASSE: A\n  \t \n\r\r\nT\n1;Anna\r\n2;Bert\x1A\r\nKLASSE: B\r\nT\r\n3;Cleo";
    Competition c;
    parseProtocolText(c, bytes);
    QCOMPARE(c.classes(), QStringList{u"A"_s});
    QCOMPARE(c.page(0)->rows(), 3);
    QCOMPARE(c.page(0)->cell(0, 0), u"T"_s);
    QCOMPARE(c.page(0)->cell(1, ColName), u"Anna"_s);
    QCOMPARE(c.page(0)->cell(2, ColName), u"Bert"_s);
    QVERIFY(!c.page(1)->tabVisible());

    const auto blocks = parseProtocolBytes("KLASSE: A\nT\n3;Cleo");
    QCOMPARE(blocks.first().rows.last(), (QStringList{u"3"_s, u"Cleo"_s}));
}

void TestProtocolText::encodingOfStartLists_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QString>("expected");

    QTest::newRow("Windows-1252") << QByteArray("M\xFCller \x80") << u"Müller €"_s;
    QTest::newRow("UTF-8 without mark") << QByteArray("M\xC3\xBCller \xE2\x82\xAC") << u"Müller €"_s;
    QTest::newRow("invalid UTF-8 is Windows-1252") << QByteArray("\xC3\xBC\xFC") << u"Ã¼ü"_s;
    QTest::newRow("UTF-8 cut off at the end is Windows-1252") << QByteArray("G\xC3") << u"GÃ"_s;
    QTest::newRow("Windows-1252 that looks like UTF-8 nowhere") << QByteArray("Gro\xDF") << u"Groß"_s;

    // Windows-1252 whose bytes happen to be valid UTF-8 for letters of other
    // scripts: "ß–" is DF 96, "Ö“" D6 93, "ß»" DF BB.
    QTest::newRow("German, Windows-1252, sharp s before a dash")
        << QByteArray("MSC Gro\xDF\x96Umstadt") << u"MSC Groß–Umstadt"_s;
    QTest::newRow("German, Windows-1252, umlaut before a quote") << QByteArray("Team K\xD6\x93") << u"Team KÖ“"_s;
    QTest::newRow("German, Windows-1252, sharp s before a guillemet")
        << QByteArray("Wei\xDF\xBB Racing") << u"Weiß» Racing"_s;
    QTest::newRow("German, Windows-1252, quotes and dash")
        << QByteArray("J\xFCrgen \x84Jo\x93 M\xFCller \x96 Rh\xF6n") << u"Jürgen „Jo“ Müller – Rhön"_s;
    QTest::newRow("French, Windows-1252") << QByteArray("Ga\xEBlle Lef\xE8vre, Besan\xE7on \x85")
                                          << u"Gaëlle Lefèvre, Besançon …"_s;
    QTest::newRow("Czech, Windows-1252 as far as it goes") << QByteArray("\x8A" "koda \x8E" "e\x9E" "a")
                                                           << u"Škoda Žeža"_s;

    QTest::newRow("German, UTF-8") << u"MSC Groß–Umstadt, Jürgen „Jo“ Weiß"_s.toUtf8()
                                   << u"MSC Groß–Umstadt, Jürgen „Jo“ Weiß"_s;
    QTest::newRow("Polish, UTF-8") << u"Łukasz Wąsik, Łódź"_s.toUtf8() << u"Łukasz Wąsik, Łódź"_s;
    QTest::newRow("Czech, UTF-8") << u"Jiří Dvořák, Plzeň — „Ústí“"_s.toUtf8() << u"Jiří Dvořák, Plzeň — „Ústí“"_s;
    QTest::newRow("French, UTF-8") << u"Gaëlle Lefèvre « Besançon » œ"_s.toUtf8()
                                   << u"Gaëlle Lefèvre « Besançon » œ"_s;
    QTest::newRow("Turkish, UTF-8") << u"Çağrı Yılmaz, İzmir ‚Ş‘"_s.toUtf8() << u"Çağrı Yılmaz, İzmir ‚Ş‘"_s;
    QTest::newRow("decomposed umlaut, UTF-8") << u"Mu\u0308ller"_s.toUtf8() << u"Mu\u0308ller"_s;

    // A script the protocol can't hold stays as its bytes, so saving keeps it.
    QTest::newRow("Cyrillic UTF-8 keeps its bytes") << QByteArray("\xD0\x98\xD0\xB2\xD0\xB0\xD0\xBD")
                                                    << u"Ð˜Ð²Ð°Ð½"_s;
}

void TestProtocolText::encodingOfStartLists()
{
    QFETCH(QByteArray, name);
    QFETCH(QString, expected);
    QCOMPARE(fieldsOfLine("1;" + name), (QStringList{u"1"_s, expected}));
}

void TestProtocolText::eachCellIsReadOnItsOwn()
{
    // A Windows-1252 cell doesn't make its UTF-8 neighbour Windows-1252.
    QCOMPARE(fieldsOfLine("1;M\xFCller;K\xC3\xB6ln"), (QStringList{u"1"_s, u"Müller"_s, u"Köln"_s}));
    Competition c;
    parseProtocolText(c, "KLASSE: Gro\xDF\x96Umstadt\r\nT\r\n1;\xC5\x81\xC3\xB3" "d\xC5\xBA\r\n");
    QCOMPARE(c.classes(), QStringList{u"Groß–Umstadt"_s});
    QCOMPARE(c.page(0)->cell(1, ColName), u"Łódź"_s);
}

void TestProtocolText::loadSaveLoadSaveIsStable_data()
{
    QTest::addColumn<QByteArray>("bytes");
    const auto found = [](const char *name) {
        QFile f(QStringLiteral(VEX_FOUND_DATA "/") + QString::fromLatin1(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("missing file");
    };
    QByteArray blanked = found("protocol_fuzz_encoding_flip.txt");
    blanked.replace('\0', ' ');
    QTest::newRow("fuzz: heading whose cut-off part decided the encoding") << blanked;
    QTest::newRow("fuzz: byte-order mark inside a heading") << found("protocol_fuzz_inner_byte_order_mark.txt");
    QTest::newRow("UTF-8 whose saved bytes read as other letters")
        << QByteArray("KLASSE: A\r\nT\r\n1;\xC3\x84\xE2\x80\x93\r\n");
    QTest::newRow("marked UTF-8 whose saved bytes read as other letters")
        << QByteArray("\xEF\xBB\xBFKLASSE: A\r\nT\r\n1;\xC3\x84\xE2\x80\x93;\xFF\r\n");
    QTest::newRow("Windows-1252 that reads as UTF-8 letters") << QByteArray("KLASSE: A\r\nT\r\n1;\xC3\xBC\r\n");
    QTest::newRow("invalid byte in a dropped twelfth field")
        << QByteArray("KLASSE: A\r\nT\r\n1;Gro\xC3\x9F;3;4;5;6;7;8;9;10;11;\xFF\r\n");
    QTest::newRow("row of empty fields between drivers")
        << QByteArray("KLASSE: A\r\nT\r\n1;Anna\r\n;;;\r\n2;Bert\r\n");
    QTest::newRow("line as long as a start list may have")
        << QByteArray("KLASSE: A\r\nT\r\n1;Anna;" + QByteArray(16 * 1024 - 7, 'x') + "\r\n");
    QTest::newRow("rows before the first heading") << QByteArray("1;Anna\r\nKLASSE: B\r\nT\r\n2;\xDF\x96\r\n");
    QByteArray many;
    for (int k = 0; k < 12; ++k)
        many += "KLASSE: K" + QByteArray::number(k) + "\r\nT\r\n1;x\r\n";
    QTest::newRow("more than ten classes") << many;
}

void TestProtocolText::loadSaveLoadSaveIsStable()
{
    QFETCH(QByteArray, bytes);
    Competition first;
    parseProtocolText(first, bytes);
    const QByteArray saved = formatProtocolText(first);
    Competition second;
    parseProtocolText(second, saved);
    QCOMPARE(formatProtocolText(second), saved);
}

void TestProtocolText::hostileBytesAreRefused_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("reason");
    QTest::addColumn<int>("line");

    QTest::newRow("fuzz: zero bytes") << QByteArray::fromHex("ef69200000000000c3bc4b4c415353453a")
                                      << int(ProtocolRefusal::ControlByte) << 1;
    QTest::newRow("escape in line 2") << QByteArray("KLASSE: A\r\n1;\x1B[0m\r\n") << int(ProtocolRefusal::ControlByte)
                                      << 2;
    QTest::newRow("form feed") << QByteArray("1;\x0C") << int(ProtocolRefusal::ControlByte) << 1;
    QTest::newRow("delete") << QByteArray("\r\n\n1;\x7F") << int(ProtocolRefusal::ControlByte) << 3;
    QTest::newRow("line of more than 16 KiB")
        << QByteArray("KLASSE: A\r\nKLASSE: " + QByteArray(2 * 1024 * 1024, 'x') + "\r\n")
        << int(ProtocolRefusal::LongLine) << 2;
}

void TestProtocolText::hostileBytesAreRefused()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, reason);
    QFETCH(int, line);

    Competition c;
    parseProtocolText(c, "KLASSE: Alt\r\nT\r\n1;Anna\r\n");
    const ProtocolLoadResult result = parseProtocolText(c, bytes);
    QVERIFY(result.refusal.has_value());
    QCOMPARE(int(result.refusal->reason), reason);
    QCOMPARE(result.refusal->line, line);
    // Nothing of the competition changed.
    QCOMPARE(c.classes(), QStringList{u"Alt"_s});
    QCOMPARE(c.page(0)->cell(1, ColName), u"Anna"_s);
    QVERIFY(!refusalText(*result.refusal, u"/x/liste.txt"_s).isEmpty());
}

void TestProtocolText::textFilesAreNotRefused()
{
    // TAB, CR, LF and Ctrl+Z belong to text files; after Ctrl+Z nothing counts.
    QVERIFY(!refusalOfProtocolBytes("KLASSE: A\r\nT\tU\r\n1\t\xFF\x81\r\r\n\x1A\x00\x1B").has_value());
    QVERIFY(!refusalOfProtocolBytes(QByteArray(QByteArray(16 * 1024, 'x') + "\r\n")).has_value());

    // Random bytes: no garbage rows, whatever the seed.
    for (quint32 seed = 1; seed <= 20; ++seed) {
        QRandomGenerator random(seed);
        QByteArray bytes(64 * 1024, Qt::Uninitialized);
        random.fillRange(reinterpret_cast<quint32 *>(bytes.data()), bytes.size() / 4);
        QVERIFY(refusalOfProtocolBytes(bytes).has_value());
    }
}

void TestProtocolText::classWithoutFirstNameKeepsItsRows_data()
{
    QTest::addColumn<QList<QStringList>>("dataRows");
    QTest::addColumn<QByteArray>("expectedRows");

    QTest::newRow("fastest driver by start number alone")
        << QList<QStringList>{{u"7"_s, {}, {}, {}, {}, u"40,00"_s, u"0"_s, u"41,00"_s, u"0"_s, u"1:21,00"_s, u"1"_s},
                              {u"3"_s, u"Anna"_s, {}, {}, {}, u"45,00"_s, u"0"_s, u"46,00"_s, u"0"_s, u"1:31,00"_s, u"2"_s}}
        << QByteArray("7\t \t \t \t \t40,00\t0\t41,00\t0\t1:21,00\t1\t\r\n"
                      "3\tAnna\t \t \t \t45,00\t0\t46,00\t0\t1:31,00\t2\t\r\n");
    QTest::newRow("empty first row, driver after it")
        << QList<QStringList>{QStringList(kColumnCount), {u"5"_s, u"Bert"_s}}
        << QByteArray("5\tBert\t \t \t \t \t \t \t \t \t \t\r\n");
    QTest::newRow("new row with its proposed number only")
        << QList<QStringList>{{u"12"_s}} << QByteArray("12\t \t \t \t \t \t \t \t \t \t \t\r\n");
    QTest::newRow("nothing but blanks") << QList<QStringList>{{u" "_s, u" "_s}, {}} << QByteArray();
}

void TestProtocolText::classWithoutFirstNameKeepsItsRows()
{
    QFETCH(QList<QStringList>, dataRows);
    QFETCH(QByteArray, expectedRows);

    Competition c;
    c.setClasses({u"A"_s});
    c.page(0)->setCaption(u"A"_s);
    vex::testing::setPageRows(*c.page(0), QList<QStringList>{defaultColumnTitles()} + dataRows);
    QByteArray expected = "KLASSE: A\r\n\r\n";
    if (!expectedRows.isEmpty())
        expected += "StNr\tFahrer/in\tOrtsclub\tTR\tStS\tLauf 1\tStS\tLauf 2\tStS\tGesamt\tPlatz\t\r\n" + expectedRows;
    expected += "\r\n";
    QCOMPARE(formatProtocolText(c), expected);
}

void TestProtocolText::utf8StartListFile_data()
{
    QTest::addColumn<QString>("file");
    QTest::newRow("with byte-order mark") << u"startlist_utf8_bom.csv"_s;
    QTest::newRow("without byte-order mark") << u"startlist_utf8.csv"_s;
}

void TestProtocolText::utf8StartListFile()
{
    QFETCH(QString, file);
    Competition c;
    parseProtocolText(c, readTestData(file));
    // The mark must not land in the first heading (it would shift the eight
    // characters that are cut off).
    QCOMPARE(c.classes(), (QStringList{u"Damen  "_s, u"Herren"_s}));
    QCOMPARE(c.page(0)->caption(), u"Damen"_s);
    QCOMPARE(c.page(0)->row(0).mid(0, 3), (QStringList{u"StNr"_s, u"Fahrer/in"_s, u"Ortsclub"_s}));
    QCOMPARE(c.page(0)->cell(1, ColName), u"Sörensen, Åsa"_s);
    QCOMPARE(c.page(0)->cell(1, ColClub), u"Łódź"_s);
    QCOMPARE(c.page(0)->cell(2, ColName), u" "_s);
    QCOMPARE(c.page(1)->cell(1, ColName), u"Groß, Jürgen"_s);

    // Written back in Windows-1252: what the code page lacks becomes "?".
    const QByteArray saved = formatProtocolText(c);
    QVERIFY(saved.contains("7\tS\xF6rensen, \xC5sa\t?\xF3" "d?\t"));
    QVERIFY(!saved.startsWith("\xEF\xBB\xBF"));
}

void TestProtocolText::writerNeverWritesCtrlZ()
{
    Competition c;
    c.setClasses({u"Ω-Klasse"_s});
    c.page(0)->setCaption(u"Ω-Klasse"_s);
    c.page(0)->setRow(1, {u"1"_s, u"Ωmega 😀"_s, u"Club\x1A"_s});
    const QByteArray bytes = formatProtocolText(c);
    QVERIFY(!bytes.contains('\x1A'));
    QVERIFY(bytes.startsWith("KLASSE: ?-Klasse\r\n"));
    QVERIFY(bytes.contains("1\t?mega ?\tClub?\t"));

    // Everything after the substitutes is still read.
    Competition back;
    parseProtocolText(back, bytes);
    QCOMPARE(back.page(0)->rows(), 2);
    QCOMPARE(back.page(0)->cell(1, ColPlace), u" "_s);
}

void TestProtocolText::cellsWithSeparatorsStayInTheirColumn()
{
    Competition c;
    c.setClasses({u"A"_s});
    c.page(0)->setCaption(u"Zwei\r\nZeilen"_s);
    c.page(0)->setRowCount(3);
    c.page(0)->setRow(1, {u"1"_s, u"Anna\tMaria"_s, u"Club\r\nOst"_s, u"12,00"_s});
    c.page(0)->setRow(2, {u"2"_s, u"KLASSE: Junioren"_s, u"MSC KLASSE:"_s});
    Competition back;
    parseProtocolText(back, formatProtocolText(c));
    QCOMPARE(back.classes(), QStringList{u"Zwei  Zeilen"_s});
    QCOMPARE(back.page(0)->rows(), 3);
    QCOMPARE(back.page(0)->row(1).mid(0, 4),
             (QStringList{u"1"_s, u"Anna Maria"_s, u"Club  Ost"_s, u"12,00"_s}));
    QCOMPARE(back.page(0)->row(2).mid(0, 3), (QStringList{u"2"_s, u"KLASSE: Junioren"_s, u"MSC KLASSE:"_s}));
}

void TestProtocolText::moreThanTenClasses()
{
    QByteArray bytes;
    for (int k = 1; k <= 12; ++k) {
        bytes += "KLASSE: K" + QByteArray::number(k) + " \r\n\r\nStNr\tFahrer/in\t\r\n";
        bytes += QByteArray::number(k) + "\tFahrer " + QByteArray::number(k) + "\t\r\n\r\n";
    }
    Competition c;
    const auto result = parseProtocolText(c, bytes);
    QCOMPARE(c.classes().size(), 10);
    QCOMPARE(c.classes().last(), u"K10 "_s);
    QCOMPARE(result.skippedClasses, (QStringList{u"K11"_s, u"K12"_s}));
    // The tenth page keeps its own class; later ones don't overwrite it.
    QCOMPARE(c.page(9)->caption(), u"K10"_s);
    QCOMPARE(c.page(9)->cell(1, ColName), u"Fahrer 10"_s);
    for (int k = 0; k < 10; ++k)
        QVERIFY(c.page(k)->tabVisible());
}

void TestProtocolText::loadingResetsEveryPage()
{
    Competition c;
    parseProtocolText(c, "KLASSE: A\r\nT\r\n1;Anna\r\nKLASSE: B\r\nT\r\n2;Bert\r\n3;Cleo\r\n"
                         "KLASSE: C\r\nT\r\n4;Dora\r\n");
    QCOMPARE(c.classes().size(), 3);

    parseProtocolText(c, "KLASSE: Neu\r\nStNr;Fahrer/in\r\n7;Emil\r\n");
    QCOMPARE(c.classes(), QStringList{u"Neu"_s});
    QCOMPARE(c.page(0)->cell(1, ColName), u"Emil"_s);
    for (int k = 1; k < Competition::pageCount(); ++k) {
        const ResultPage &p = *c.page(k);
        QVERIFY2(!p.tabVisible(), qPrintable(QString::number(k)));
        QCOMPARE(p.caption(), QString());
        QCOMPARE(p.rows(), 2);
        QCOMPARE(p.row(0), defaultColumnTitles());
        QCOMPARE(p.row(1), QStringList(kColumnCount));
    }
}

void TestProtocolText::rowsBeforeTheFirstHeading()
{
    Competition c;
    parseProtocolText(c, "StNr;Fahrer/in\r\n1;Anna\r\n");
    QVERIFY(c.classes().isEmpty());
    QVERIFY(c.page(0)->tabVisible());
    QCOMPARE(c.page(0)->cell(0, ColName), u"Fahrer/in"_s);
    QCOMPARE(c.page(0)->cell(1, ColName), u"Anna"_s);

    // With headings after them, page 1 gets a class-list entry of its own so
    // that the class list still names the pages in order and saving keeps all.
    Competition mixed;
    parseProtocolText(mixed, "StNr;Fahrer/in\r\n1;Anna\r\nKLASSE: B\r\nT\r\n2;Bert\r\n");
    QCOMPARE(mixed.classes(), (QStringList{u"Fahrer"_s, u"B"_s}));
    QCOMPARE(mixed.page(1)->caption(), u"B"_s);
    QCOMPARE(mixed.page(1)->cell(1, ColName), u"Bert"_s);
    Competition back;
    parseProtocolText(back, formatProtocolText(mixed));
    QCOMPARE(back.classes(), mixed.classes());
    QCOMPARE(back.page(0)->cell(1, ColName), u"Anna"_s);
    QCOMPARE(back.page(1)->cell(1, ColName), u"Bert"_s);
}

void TestProtocolText::pageGrowsToTheRowsRead()
{
    Competition c;
    parseProtocolText(c, "KLASSE: A\r\nT\r\nKLASSE: B\r\nKLASSE: C\r\nT\r\n1\r\n2\r\n3\r\n4\r\n");
    QCOMPARE(c.page(0)->rows(), 2);
    QCOMPARE(c.page(0)->cell(0, 0), u"T"_s);
    QCOMPARE(c.page(1)->rows(), 2);
    QCOMPARE(c.page(1)->row(0), defaultColumnTitles());
    QCOMPARE(c.page(2)->rows(), 5);
    QCOMPARE(c.page(2)->cell(4, 0), u"4"_s);
}

void TestProtocolText::shortTitleLineKeepsTheRunTitles()
{
    Competition c;
    parseProtocolText(c, "KLASSE: A\r\nNr;Name;;Club\r\n7;Muster;;MSC\r\n");
    QStringList expected = defaultColumnTitles();
    expected[0] = u"Nr"_s;
    expected[1] = u"Name"_s;
    expected[3] = u"Club"_s;
    QCOMPARE(c.page(0)->row(0), expected);
    QCOMPARE(c.page(0)->cell(1, 3), u"MSC"_s);
}

QTEST_GUILESS_MAIN(TestProtocolText)
#include "test_protocoltext.moc"
