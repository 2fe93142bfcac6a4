// The spreadsheet exchange against a recording spreadsheet: which members are
// called in which order with which arguments, and what the import makes of
// the values it gets.
#include "fakeautomation.h"

#include "office/excelexchange.h"
#include "results/competition.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace vex;
using namespace vex::testing;
using namespace Qt::StringLiterals;

namespace {

constexpr double kDay = 86400.0;

QVariantList titleRow()
{
    QVariantList row;
    for (const QString &t : defaultColumnTitles())
        row.append(t);
    return row;
}

// A sheet whose block begins at the given cell: `rows` data rows below the
// title row, driver i with start number i and a training time of i seconds.
FakeSheetData sheetWithBlock(const QString &name, int firstRow, int firstColumn, int rows)
{
    FakeSheetData sheet{name, {}, 0};
    sheet.cells.resize(firstRow - 1 + rows + 1);
    QVariantList title(firstColumn, QVariant());
    title += titleRow();
    sheet.cells[firstRow - 1] = title;
    for (int i = 1; i <= rows; ++i) {
        QVariantList row(firstColumn, QVariant());
        row += QVariantList{double(i), u"Fahrer %1"_s.arg(i), u"MSC"_s, double(i) / kDay};
        sheet.cells[firstRow - 1 + i] = row;
    }
    sheet.usedRows = firstRow + rows;
    return sheet;
}

void fillCompetition(Competition &c)
{
    c.setClasses({u"Bambini"_s, u"Junioren"_s});
    ResultPage &p1 = *c.page(0);
    p1.setCaption(u"Bambini"_s);
    p1.setRowCount(3);
    p1.setRow(1, {u"1"_s, u"Müller"_s, u"MSC"_s, u"12,50"_s, u"0"_s, u"45,12"_s, u"2"_s, {}, {}, u"1:37,12"_s, u"1"_s});
    p1.setRow(2, {u"2"_s, u"Weiß"_s, {}, {}, {}, u"DIS"_s, {}, {}, {}, {}, {}});
    ResultPage &p2 = *c.page(1);
    p2.setCaption(u"Junioren"_s);
    p2.setRowCount(2);
}

QStringList pageSnapshot(const Competition &c)
{
    QStringList lines{c.classes().join(u'|')};
    for (int k = 0; k < Competition::pageCount(); ++k) {
        const ResultPage &p = *c.page(k);
        lines.append(p.caption() + (p.tabVisible() ? u"+"_s : u"-"_s));
        for (int r = 0; r < p.rows(); ++r)
            lines.append(p.row(r).join(u'\t'));
    }
    return lines;
}

} // namespace

class TestExcelExchange : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void importCallsInOrder()
    {
        FakeServers servers;
        servers.sheets = {sheetWithBlock(u"Bambini"_s, 6, 0, 2), sheetWithBlock(u"Junioren"_s, 6, 0, 1)};
        Competition c;
        RecordingProgress progress;
        const auto error = ImportExcelStartList(servers, c, u"/daten/start.xlsx"_s, {0, 6}, progress);
        QVERIFY(!error);
        QCOMPARE(servers.log.calls, (QStringList{
                                        u"CreateObject(Excel.Application)"_s,
                                        u"EnableEvents:=false"_s,
                                        u"WorkBooks.Open(/daten/start.xlsx)"_s,
                                        u"WorkSheets.Count"_s,
                                        u"WorkSheets(1).Name"_s,
                                        u"WorkSheets(2).Name"_s,
                                        u"WorkSheets(1).UsedRange"_s,
                                        u"WorkSheets(1).UsedRange.Rows.Count"_s,
                                        u"WorkSheets(1).Range(A1:M9).Value"_s,
                                        u"WorkSheets(2).UsedRange"_s,
                                        u"WorkSheets(2).UsedRange.Rows.Count"_s,
                                        u"WorkSheets(2).Range(A1:M8).Value"_s,
                                        u"Quit"_s,
                                    }));
        QCOMPARE(progress.events, (QStringList{u"value 0"_s, u"show"_s, u"caption öffnen: start.xlsx"_s, u"max 2"_s,
                                               u"value 1"_s, u"value 2"_s, u"value 2"_s, u"close"_s}));
        QCOMPARE(c.classes(), (QStringList{u"Bambini"_s, u"Junioren"_s}));
        QCOMPARE(c.page(0)->rows(), 3);
        QCOMPARE(c.page(0)->row(2), (QStringList{u"2"_s, u"Fahrer 2"_s, u"MSC"_s, u"2,00"_s, {}, {}, {}, {}, {}, {}, {}}));
    }

    void importBlocks_data()
    {
        QTest::addColumn<int>("sheetCount");
        QTest::addColumn<int>("blockRow");
        QTest::addColumn<int>("blockColumn");
        QTest::addColumn<int>("startRow");
        QTest::addColumn<int>("startColumn");
        QTest::addColumn<int>("expectedClasses");
        QTest::addColumn<int>("expectedRows");
        QTest::addColumn<QString>("expectedTitle");

        // 14 drivers below a title row in row 6: used range rows 1...20.
        QTest::newRow("start cell A6, 20 used rows") << 1 << 6 << 0 << 6 << 0 << 1 << 15 << u"StNr"_s;
        QTest::newRow("12 sheets give 10 classes") << 12 << 6 << 0 << 6 << 0 << 10 << 15 << u"StNr"_s;
        QTest::newRow("start cell in column C") << 2 << 6 << 2 << 6 << 2 << 2 << 15 << u"StNr"_s;
        QTest::newRow("row 0 reads from row 1") << 1 << 1 << 0 << 0 << 0 << 1 << 15 << u"StNr"_s;
        // The used range ends above the start row: a title row of nothing.
        QTest::newRow("used range above start row") << 1 << 1 << 0 << 30 << 0 << 1 << 2 << QString();
    }

    void importBlocks()
    {
        QFETCH(int, sheetCount);
        QFETCH(int, blockRow);
        QFETCH(int, blockColumn);
        QFETCH(int, startRow);
        QFETCH(int, startColumn);
        QFETCH(int, expectedClasses);
        QFETCH(int, expectedRows);
        QFETCH(QString, expectedTitle);

        FakeServers servers;
        for (int k = 1; k <= sheetCount; ++k)
            servers.sheets.push_back(sheetWithBlock(u"K%1"_s.arg(k), blockRow, blockColumn, 14));
        Competition c;
        RecordingProgress progress;
        QStringList skipped;
        QVERIFY(!ImportExcelStartList(servers, c, u"s.xlsx"_s, {startColumn, startRow}, progress, &skipped));

        QCOMPARE(c.classes().size(), expectedClasses);
        QCOMPARE(skipped.size(), sheetCount - expectedClasses);
        if (!skipped.isEmpty())
            QCOMPARE(skipped.constLast(), u"K%1"_s.arg(sheetCount));
        for (int k = 0; k < Competition::pageCount(); ++k)
            QCOMPARE(c.page(k)->tabVisible(), k < expectedClasses);
        const ResultPage &page = *c.page(expectedClasses - 1);
        QCOMPARE(page.caption(), u"K%1"_s.arg(expectedClasses));
        QCOMPARE(page.rows(), expectedRows);
        QCOMPARE(page.cell(0, ColStNr), expectedTitle);
        if (!expectedTitle.isEmpty()) {
            QCOMPARE(page.cell(14, ColStNr), u"14"_s);
            QCOMPARE(page.cell(14, ColName), u"Fahrer 14"_s);
        }
        // No range reaches below the row after the used range.
        const QString lastRow = QString::number(blockRow + 14 + 1);
        for (const QString &call : std::as_const(servers.log.calls)) {
            if (call.endsWith(u".Value"_s))
                QVERIFY2(call.contains(u":"_s + columnLetters(startColumn + 13) + lastRow + u")"_s), qPrintable(call));
        }
    }

    void importCellValues_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QString>("expected");

        QTest::newRow("day fraction of 64.95 s") << int(ColRun1) << QVariant(64.95 / kDay) << u"1:04,95"_s;
        QTest::newRow("total") << int(ColTotal) << QVariant(97.12 / kDay) << u"1:37,12"_s;
        QTest::newRow("time typed as text stays") << int(ColTR) << QVariant(u"12,50"_s) << u"12,50"_s;
        QTest::newRow("DIS stays") << int(ColRun2) << QVariant(u"DIS"_s) << u"DIS"_s;
        QTest::newRow("negative number is no time") << int(ColRun1) << QVariant(-1.0) << u"-1"_s;
        QTest::newRow("start number") << int(ColStNr) << QVariant(7.0) << u"7"_s;
        QTest::newRow("penalty") << int(ColRun1Penalty) << QVariant(2.0) << u"2"_s;
        QTest::newRow("empty") << int(ColName) << QVariant() << QString();
    }

    void importCellValues()
    {
        QFETCH(int, column);
        QFETCH(QVariant, value);
        QFETCH(QString, expected);

        FakeServers servers;
        FakeSheetData sheet{u"K"_s, {titleRow(), QVariantList(kColumnCount)}, 2};
        sheet.cells[1][column] = value;
        servers.sheets = {sheet};
        Competition c;
        RecordingProgress progress;
        QVERIFY(!ImportExcelStartList(servers, c, u"s.xlsx"_s, {0, 1}, progress));
        QCOMPARE(c.page(0)->cell(1, column), expected);
    }

    // A start list's "Team" column, wherever it stands, holds the teams; the
    // other columns read as without it.
    void importTeamColumn()
    {
        FakeServers servers;
        servers.sheets = {FakeSheetData{u"K"_s,
                                        {{u"StNr"_s, u"Fahrer/in"_s, u"Team"_s, u"Ortsclub"_s, u"TR"_s},
                                         {1.0, u"Anna"_s, u"Nord"_s, u"MSC"_s, 12.5 / kDay}},
                                        2}};
        Competition c;
        RecordingProgress progress;
        QVERIFY(!ImportExcelStartList(servers, c, u"s.xlsx"_s, {0, 1}, progress));
        const ResultPage &p = *c.page(0);
        QCOMPARE(p.row(1).mid(0, 4), (QStringList{u"1"_s, u"Anna"_s, u"MSC"_s, u"12,50"_s}));
        QCOMPARE(p.team(1), u"Nord"_s);
    }

    // The column of girls and boys, wherever it stands, beside a team column
    // too; the other columns read as without them.
    void importGenderColumn()
    {
        FakeServers servers;
        servers.sheets = {FakeSheetData{u"K"_s,
                                        {{u"StNr"_s, u"Team"_s, u"Fahrer/in"_s, u"Ortsclub"_s, u"M/W"_s, u"TR"_s},
                                         {1.0, u"Nord"_s, u"Anna"_s, u"MSC"_s, u"weiblich"_s, 12.5 / kDay},
                                         {2.0, QString(), u"Ben"_s, u"MSC"_s, u"m"_s, QVariant()}},
                                        3}};
        Competition c;
        RecordingProgress progress;
        QVERIFY(!ImportExcelStartList(servers, c, u"s.xlsx"_s, {0, 1}, progress));
        const ResultPage &p = *c.page(0);
        QCOMPARE(p.row(1).mid(0, 4), (QStringList{u"1"_s, u"Anna"_s, u"MSC"_s, u"12,50"_s}));
        QCOMPARE(p.team(1), u"Nord"_s);
        QCOMPARE(p.gender(1), Gender::Girl);
        QCOMPARE(p.gender(2), Gender::Boy);
    }

    void importFailureLeavesCompetition_data()
    {
        QTest::addColumn<QString>("failOn");
        QTest::addColumn<bool>("registered");
        QTest::addColumn<int>("usedRows");
        QTest::newRow("not registered") << QString() << false << 0;
        QTest::newRow("open fails") << u"WorkBooks.Open"_s << true << 0;
        QTest::newRow("second sheet's values fail") << u"WorkSheets(2).Range"_s << true << 0;
        QTest::newRow("a cell a million rows down") << QString() << true << 1000000;
    }

    void importFailureLeavesCompetition()
    {
        QFETCH(QString, failOn);
        QFETCH(bool, registered);
        QFETCH(int, usedRows);

        FakeServers servers;
        servers.registered = registered;
        servers.log.failOn = failOn;
        servers.sheets = {sheetWithBlock(u"A"_s, 6, 0, 2), sheetWithBlock(u"B"_s, 6, 0, 2)};
        if (usedRows)
            servers.sheets[1].usedRows = usedRows;
        Competition c;
        fillCompetition(c);
        const QStringList before = pageSnapshot(c);
        RecordingProgress progress;
        const auto error = ImportExcelStartList(servers, c, u"s.xlsx"_s, {0, 6}, progress);
        QVERIFY(error);
        QVERIFY(error->startsWith(u"Die Starterliste konnte nicht"_s));
        QCOMPARE(pageSnapshot(c), before);
        if (registered) {
            QCOMPARE(servers.log.calls.constLast(), u"Quit"_s);
            QCOMPARE(progress.events.constLast(), u"close"_s);
        } else {
            QVERIFY(progress.events.isEmpty());
        }
    }

    // Names that can't be read end the list of classes there; the import
    // goes on with the sheets before.
    void importSheetNameFailureIsIgnored()
    {
        FakeServers servers;
        servers.log.failOn = u"WorkSheets(2).Name"_s;
        servers.sheets = {sheetWithBlock(u"A"_s, 6, 0, 2), sheetWithBlock(u"B"_s, 6, 0, 2)};
        Competition c;
        RecordingProgress progress;
        QVERIFY(!ImportExcelStartList(servers, c, u"s.xlsx"_s, {0, 6}, progress));
        QCOMPARE(c.classes(), QStringList{u"A"_s});
        QCOMPARE(c.page(0)->rows(), 3);
        QVERIFY(!c.page(1)->tabVisible());
    }

    void exportToNewFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"protokoll.xlsx"_s);
        FakeServers servers;
        Competition c;
        fillCompetition(c);
        RecordingProgress progress;
        const auto error = ExportExcelProtocol(servers, c, path, {{2, 6}, u"Titel"_s, u"Untertitel"_s}, progress);
        QVERIFY(!error);
        QCOMPARE(servers.log.calls, (QStringList{
                                        u"CreateObject(Excel.Application)"_s,
                                        u"DisplayAlerts:=false"_s,
                                        u"EnableEvents:=false"_s,
                                        u"SheetsInNewWorkbook:=2"_s,
                                        u"WorkBooks.Add"_s,
                                        u"Author:="_s + kWorkbookAuthor,
                                        u"Comments:=Untertitel"_s,
                                        u"Title:=Titel"_s,
                                        u"Subject:=Untertitel"_s,
                                        u"WorkSheets(1).Name:=Bambini"_s,
                                        u"WorkSheets(2).Name:=Junioren"_s,
                                        u"WorkSheets(1).Range(C6:M8).Value:=3x11"_s,
                                        u"WorkSheets(1).Range(C6:M8).Columns.Autofit"_s,
                                        u"WorkSheets(1).Range(C6:M6).Font.FontStyle:=Bold"_s,
                                        u"WorkSheets(2).Range(C6:M7).Value:=2x11"_s,
                                        u"WorkSheets(2).Range(C6:M7).Columns.Autofit"_s,
                                        u"WorkSheets(2).Range(C6:M6).Font.FontStyle:=Bold"_s,
                                        u"SaveAs("_s + path + u")"_s,
                                        u"Quit"_s,
                                    }));
        QCOMPARE(progress.events, (QStringList{u"caption Speichern unter "_s + path, u"value 0"_s, u"show"_s,
                                               u"max 2"_s, u"value 1"_s, u"value 2"_s, u"value 2"_s, u"close"_s}));
        // Times in the full form, everything else as the cells hold it.
        const QVariantList row1 = servers.sheets.at(0).cells.at(6).mid(2);
        QCOMPARE(row1, (QVariantList{u"1"_s, u"Müller"_s, u"MSC"_s, u"00:12,50"_s, u"0"_s, u"00:45,12"_s, u"2"_s,
                                     QString(), QString(), u"01:37,12"_s, u"1"_s}));
        QCOMPARE(servers.sheets.at(0).cells.at(7).value(2 + ColRun1), QVariant(u"DIS"_s));
        QCOMPARE(servers.sheets.at(0).cells.at(5).value(2 + ColTR), QVariant(u"TR"_s));
    }

    void exportIntoExistingFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"liste.xlsx"_s);
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        FakeServers servers;
        servers.sheets = {{u"Tabelle1"_s, {}, 0}, {u"Tabelle2"_s, {}, 0}, {u"Notizen"_s, {}, 0}};
        Competition c;
        fillCompetition(c);
        RecordingProgress progress;
        QVERIFY(!ExportExcelProtocol(servers, c, path, {{0, 6}, u"T"_s, u"T2"_s}, progress));
        QCOMPARE(servers.log.calls, (QStringList{
                                        u"CreateObject(Excel.Application)"_s,
                                        u"DisplayAlerts:=false"_s,
                                        u"EnableEvents:=false"_s,
                                        u"WorkBooks.Open("_s + path + u")"_s,
                                        u"WorkSheets.Count"_s,
                                        u"WorkSheets(1).Name"_s,
                                        u"WorkSheets(2).Name"_s,
                                        u"WorkSheets(3).Name"_s,
                                        u"WorkSheets.Add"_s,
                                        u"WorkSheets(4).Name:=Bambini"_s,
                                        u"WorkSheets.Add"_s,
                                        u"WorkSheets(5).Name:=Junioren"_s,
                                        u"WorkSheets(4).Range(A6:K8).Value:=3x11"_s,
                                        u"WorkSheets(4).Range(A6:K8).Columns.Autofit"_s,
                                        u"WorkSheets(5).Range(A6:K7).Value:=2x11"_s,
                                        u"WorkSheets(5).Range(A6:K7).Columns.Autofit"_s,
                                        u"SaveAs("_s + path + u")"_s,
                                        u"Quit"_s,
                                    }));
        QCOMPARE(progress.events.at(3), u"max 2"_s);
        QCOMPARE(servers.sheets.at(2).name, u"Notizen"_s);
    }

    // Every class gets a sheet of its own: the one carrying its name, else a
    // new one; the club's other sheets stay as they are.
    void exportSheetsForClasses_data()
    {
        QTest::addColumn<QStringList>("present");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("fewer sheets than classes") << QStringList{u"Bambini"_s}
                                                   << QStringList{u"Bambini:Müller"_s, u"Junioren:"_s};
        QTest::newRow("names in another order") << QStringList{u"junioren"_s, u"Bambini"_s}
                                                << QStringList{u"junioren:"_s, u"Bambini:Müller"_s};
        QTest::newRow("a sheet of the club's") << QStringList{u"Notizen"_s, u"Bambini"_s}
                                                      << QStringList{u"Notizen"_s, u"Bambini:Müller"_s, u"Junioren:"_s};
    }

    void exportSheetsForClasses()
    {
        QFETCH(QStringList, present);
        QFETCH(QStringList, expected);
        QTemporaryDir dir;
        const QString path = dir.filePath(u"liste.xlsx"_s);
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        FakeServers servers;
        for (const QString &name : present)
            servers.sheets.push_back({name, {}, 0});
        Competition c;
        fillCompetition(c);
        RecordingProgress progress;
        QVERIFY(!ExportExcelProtocol(servers, c, path, {{0, 6}, u"T"_s, u"T2"_s}, progress));
        QStringList sheets;
        for (const FakeSheetData &sheet : servers.sheets) {
            const QVariant title = sheet.cells.value(5).value(0);
            sheets.append(title.isValid() ? sheet.name + u':' + sheet.cells.value(6).value(1).toString() : sheet.name);
        }
        QCOMPARE(sheets, expected);
    }

    void showInSpreadsheet()
    {
        FakeServers servers;
        Competition c;
        fillCompetition(c);
        RecordingProgress progress;
        QVERIFY(!sbExcelClick(servers, c, {{0, 6}, u"T"_s, u"T2"_s}, progress));
        QVERIFY(servers.log.calls.contains(u"WorkBooks.Add"_s));
        QVERIFY(!servers.log.calls.filter(u"SaveAs"_s).size());
        QVERIFY(!servers.log.calls.contains(u"Quit"_s));
        QCOMPARE(servers.log.calls.constLast(), u"Visible:=true"_s);
        QCOMPARE(progress.events.constFirst(), u"caption Speichern unter "_s);
        QCOMPARE(progress.events.constLast(), u"close"_s);
    }

    void exportWithEmptyClassListDoesNothing()
    {
        FakeServers servers;
        Competition c;
        c.page(0)->setRow(1, {u"1"_s, u"Müller"_s});
        RecordingProgress progress;
        QVERIFY(!ExportExcelProtocol(servers, c, u"x.xlsx"_s, {}, progress));
        QVERIFY(!sbExcelClick(servers, c, {}, progress));
        QVERIFY(servers.log.calls.isEmpty());
        QVERIFY(progress.events.isEmpty());
    }

    void exportFailureIsReportedAndCleansUp_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("failOn");
        QTest::addColumn<QString>("lastCall");
        QTest::newRow("save fails") << u"x.xlsx"_s << u"SaveAs"_s << u"Quit"_s;
        QTest::newRow("values fail") << u"x.xlsx"_s << u"WorkSheets(2).Range"_s << u"Quit"_s;
        QTest::newRow("shown, add fails") << QString() << u"WorkBooks.Add"_s << u"Visible:=true"_s;
    }

    void exportFailureIsReportedAndCleansUp()
    {
        QFETCH(QString, path);
        QFETCH(QString, failOn);
        QFETCH(QString, lastCall);
        FakeServers servers;
        servers.log.failOn = failOn;
        Competition c;
        fillCompetition(c);
        RecordingProgress progress;
        const auto error = ExportExcelProtocol(servers, c, path, {}, progress);
        QVERIFY(error);
        QVERIFY(error->contains(u"Testfehler"_s));
        QCOMPARE(servers.log.calls.constLast(), lastCall);
        QCOMPARE(progress.events.constLast(), u"close"_s);
    }

    void sheetNames_data()
    {
        QTest::addColumn<QString>("className");
        QTest::addColumn<QStringList>("taken");
        QTest::addColumn<QString>("expected");
        QTest::newRow("plain") << u"Bambini"_s << QStringList() << u"Bambini"_s;
        QTest::newRow("forbidden characters") << u"Jugend 1/2 [A]: *?\\"_s << QStringList()
                                              << u"Jugend 1_2 _A__ ___"_s;
        QTest::newRow("too long") << QString(40, u'x') << QStringList() << QString(31, u'x');
        QTest::newRow("apostrophes at the ends") << u"'Gäste'"_s << QStringList() << u"Gäste"_s;
        QTest::newRow("blank") << u"  "_s << QStringList() << u"Klasse"_s;
        QTest::newRow("taken, any case") << u"Bambini"_s << QStringList{u"BAMBINI"_s} << u"Bambini (2)"_s;
        QTest::newRow("taken twice, long") << QString(31, u'y') << QStringList{QString(31, u'y'), QString(27, u'y') + u" (2)"_s}
                                           << QString(27, u'y') + u" (3)"_s;
    }

    void sheetNames()
    {
        QFETCH(QString, className);
        QFETCH(QStringList, taken);
        QFETCH(QString, expected);
        QCOMPARE(sheetNameForClass(className, taken), expected);
    }
};

QTEST_GUILESS_MAIN(TestExcelExchange)
#include "test_excelexchange.moc"
