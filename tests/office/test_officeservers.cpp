// This program's own spreadsheet and word-processor servers: the workbook
// model, workbook files in and out, the exchange through them and back, and
// the RTF document.
#include "officefixture.h"

#include "office/excelexchange.h"
#include "office/excelserver.h"
#include "office/localservers.h"
#include "office/officeprogress.h"
#include "office/rtfdocument.h"
#include "office/wordreport.h"
#include "office/workbookdata.h"
#include "office/xlsreading.h"
#include "office/xlsxpackage.h"
#include "reports/protocoltext.h"
#include "../support/filesizelimit.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

using namespace vex;
using namespace vex::testing;
using namespace Qt::StringLiterals;

namespace {

constexpr double kMsPerDay = 86400.0 * 1000.0;

QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QString testData(const QString &name)
{
    return QStringLiteral(VEX_TEST_DATA "/") + name;
}

} // namespace

class TestOfficeServers : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void typedText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("kind");
        QTest::addColumn<double>("number");
        const int number = int(WorkbookCell::Kind::Number);
        const int time = int(WorkbookCell::Kind::Time);
        const int text = int(WorkbookCell::Kind::Text);
        QTest::newRow("empty") << QString() << int(WorkbookCell::Kind::Empty) << 0.0;
        QTest::newRow("integer") << u"17"_s << number << 17.0;
        QTest::newRow("negative") << u"-3"_s << number << -3.0;
        QTest::newRow("decimal") << u"2.5"_s << number << 2.5;
        QTest::newRow("full time") << u"01:04,95"_s << time << 64950 / kMsPerDay;
        QTest::newRow("short time stays text") << u"4,95"_s << text << 0.0;
        QTest::newRow("leading zero stays text") << u"007"_s << text << 0.0;
        QTest::newRow("trailing zero stays text") << u"2.50"_s << text << 0.0;
        QTest::newRow("blank") << u" "_s << text << 0.0;
        QTest::newRow("DIS") << u"DIS"_s << text << 0.0;
        QTest::newRow("seconds beyond 59") << u"01:64,95"_s << text << 0.0;
    }

    void typedText()
    {
        QFETCH(QString, text);
        QFETCH(int, kind);
        QFETCH(double, number);
        const WorkbookCell cell = typedCell(text);
        QCOMPARE(int(cell.kind), kind);
        QCOMPARE(cell.number, number);
        if (cell.kind == WorkbookCell::Kind::Text)
            QCOMPARE(cell.text, text);
    }

    // Our import of our own export gives back the same protocol.
    void roundTrip_data()
    {
        QTest::addColumn<int>("startColumn");
        QTest::addColumn<int>("startRow");
        QTest::newRow("column A") << 0 << 1;
        QTest::newRow("column C") << 2 << 1;
        QTest::newRow("the usual A6") << 0 << 6;
    }

    void roundTrip()
    {
        QFETCH(int, startColumn);
        QFETCH(int, startRow);
        QTemporaryDir dir;
        const QString path = dir.filePath(u"protokoll.xlsx"_s);
        LocalAutomationServers servers(nullptr);
        Competition original;
        fillResults(original);
        OfficeProgress progress;
        QVERIFY(!ExportExcelProtocol(servers, original, path, {{startColumn, startRow}, u"T"_s, u"T2"_s}, progress));

        Competition loaded;
        QVERIFY(!ImportExcelStartList(servers, loaded, path, {startColumn, startRow}, progress));
        QCOMPARE(loaded.classes(), (QStringList{u"Bambini"_s, u"Junioren 1_2"_s}));
        original.setClasses(loaded.classes());
        // A blank cell goes out as an empty one.
        original.page(0)->setCell(3, ColClub, QString());
        original.page(1)->setCaption(u"Junioren 1_2"_s);
        QCOMPARE(QString::fromLatin1(formatProtocolText(loaded)), QString::fromLatin1(formatProtocolText(original)));
    }

    void newWorkbookFormats()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"neu.xlsx"_s);
        LocalAutomationServers servers(nullptr);
        Competition c;
        fillResults(c);
        OfficeProgress progress;
        QVERIFY(!ExportExcelProtocol(servers, c, path, {{0, 1}, u"Clubslalom"_s, u"Lauf 3"_s}, progress));

        const WorkbookData book = readWorkbookFile(path);
        QCOMPARE(book.sheets.size(), 2);
        QCOMPARE(book.title, u"Clubslalom"_s);
        QCOMPARE(book.subject, u"Lauf 3"_s);
        QCOMPARE(book.author, kWorkbookAuthor);
        const WorksheetData &sheet = book.sheets.at(0);
        QCOMPARE(sheet.name, u"Bambini"_s);
        QVERIFY(sheet.cellAt(1, 1)->bold);
        QVERIFY(sheet.cellAt(1, 11)->bold);
        QVERIFY(!sheet.cellAt(2, 2)->bold);
        QCOMPARE(int(sheet.cellAt(2, 1)->kind), int(WorkbookCell::Kind::Number));
        QCOMPARE(int(sheet.cellAt(3, 8)->kind), int(WorkbookCell::Kind::Time));
        QCOMPARE(sheet.cellAt(3, 8)->number, 64950 / kMsPerDay);
        QCOMPARE(sheet.cellAt(3, 6)->text, u"DIS"_s);
        // The name column is the widest.
        QVERIFY(sheet.columnWidths.value(1) > sheet.columnWidths.value(0));
        QVERIFY(sheet.columnWidths.value(0) > 0);
    }

    void exportIntoExistingWorkbookKeepsTheRest()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"vorlage.xlsx"_s);
        WorkbookData book;
        for (const QString &name : {u"Bambini"_s, u"Zweite"_s, u"Notizen"_s})
            book.sheets.emplace_back().name = name;
        book.sheets[0].cell(1, 1) = typedCell(u"Vereinsmeisterschaft"_s);
        book.sheets[0].cell(1, 1).bold = true;
        book.sheets[0].cell(40, 3) = typedCell(u"42"_s);
        book.sheets[2].cell(2, 2) = typedCell(u"Kaffee"_s);
        WorkbookCell &sum = book.sheets[2].cell(3, 2);
        sum = typedCell(u"7"_s);
        sum.formula = u"3+4"_s;
        writeXlsxFile(book, path);

        LocalAutomationServers servers(nullptr);
        Competition c;
        fillResults(c);
        OfficeProgress progress;
        QVERIFY(!ExportExcelProtocol(servers, c, path, {{0, 6}, u"T"_s, u"T2"_s}, progress));

        const WorkbookData after = readWorkbookFile(path);
        QCOMPARE(after.sheets.size(), 4);
        QCOMPARE(after.sheets.at(0).name, u"Bambini"_s);
        QCOMPARE(after.sheets.at(2).name, u"Notizen"_s);
        QCOMPARE(after.sheets.at(3).name, u"Junioren 1_2"_s);
        QCOMPARE(after.sheets.at(2).cellAt(2, 2)->text, u"Kaffee"_s);
        QCOMPARE(after.sheets.at(2).cellAt(3, 2)->formula, u"3+4"_s);
        QCOMPARE(after.sheets.at(2).cellAt(3, 2)->number, 7.0);
        const WorksheetData &first = after.sheets.at(0);
        QCOMPARE(first.cellAt(1, 1)->text, u"Vereinsmeisterschaft"_s);
        QVERIFY(first.cellAt(1, 1)->bold);
        QCOMPARE(first.cellAt(40, 3)->number, 42.0);
        QCOMPARE(first.cellAt(6, 1)->text, u"StNr"_s);
        QVERIFY(!first.cellAt(6, 1)->bold);
        QCOMPARE(first.cellAt(7, 2)->text, u"Müller, Jörg"_s);
        QCOMPARE(first.lastRow(), 40);

        // Read back from the start cell it is the same protocol again.
        Competition loaded;
        QVERIFY(!ImportExcelStartList(servers, loaded, path, {0, 6}, progress));
        QCOMPARE(loaded.classes().size(), 4);
        QCOMPARE(loaded.page(0)->row(2), c.page(0)->row(2));
    }

    // Into a club's workbook only the cells of the blocks change: its merged
    // and filled title, fonts, column widths, formats and other sheets stay.
    void exportIntoClubWorkbookKeepsItsFormatting()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"verein.xlsx"_s);
        QVERIFY(QFile::copy(testData(u"verein.xlsx"_s), path));
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
        LocalAutomationServers servers(nullptr);
        Competition c;
        fillResults(c);
        OfficeProgress progress;
        QVERIFY(!ExportExcelProtocol(servers, c, path, {{0, 6}, u"T"_s, u"T2"_s}, progress));

        XlsxPackage before(testData(u"verein.xlsx"_s));
        XlsxPackage after(path);
        QCOMPARE(after.part(u"xl/worksheets/sheet2.xml"_s), before.part(u"xl/worksheets/sheet2.xml"_s));
        QVERIFY(!after.has(u"xl/calcChain.xml"_s));
        const QByteArray sheet = after.part(u"xl/worksheets/sheet1.xml"_s);
        const QByteArray original = before.part(u"xl/worksheets/sheet1.xml"_s);
        for (const char *kept : {"<mergeCells count=\"1\"><mergeCell ref=\"A1:K1\"/></mergeCells>", "</cols>",
                                 "<row r=\"1\" spans=\"1:11\" ht=\"24\" customHeight=\"1\">",
                                 "<c r=\"B3\"><f>2+3</f><v>5</v></c>", "<c r=\"M6\" t=\"inlineStr\">"}) {
            QVERIFY(original.contains(kept));
            QVERIFY2(sheet.contains(kept), kept);
        }
        // A written cell keeps its border; a time gets a time format on top.
        QVERIFY(sheet.contains("<c r=\"A6\" s=\"2\" t=\"inlineStr\">"));
        const QByteArray styles = after.part(u"xl/styles.xml"_s);
        const QByteArray oldStyles = before.part(u"xl/styles.xml"_s);
        const qsizetype fonts = oldStyles.indexOf("<fonts");
        QVERIFY(styles.contains(oldStyles.mid(fonts, oldStyles.indexOf("<cellXfs") - fonts)));

        const WorkbookData book = readWorkbookFile(path);
        QCOMPARE(book.sheets.size(), 3);
        QCOMPARE(book.sheets.at(2).name, u"Junioren 1_2"_s);
        QCOMPARE(int(book.sheets.at(0).cellAt(7, 4)->kind), int(WorkbookCell::Kind::Time));
        QCOMPARE(book.sheets.at(0).cellAt(1, 1)->text, u"Vereinsmeisterschaft"_s);
        Competition loaded;
        QVERIFY(!ImportExcelStartList(servers, loaded, path, {0, 6}, progress));
        c.page(0)->setCell(3, ColClub, QString());
        for (int r = 0; r < c.page(0)->rows(); ++r)
            QCOMPARE(loaded.page(0)->row(r), c.page(0)->row(r));
    }

    void showSavesACopyAndOpensIt()
    {
        RecordingOpener opener;
        LocalAutomationServers servers(&opener);
        Competition c;
        fillResults(c);
        OfficeProgress progress;
        const auto error = sbExcelClick(servers, c, {}, progress);
        QVERIFY2(!error, qPrintable(error.value_or(QString())));
        QCOMPARE(opener.opened.size(), 1);
        const QString shown = opener.opened.constFirst();
        QVERIFY(shown.endsWith(u".xlsx"_s));
        QCOMPARE(readWorkbookFile(shown).sheets.at(0).cellAt(7, 2)->text, u"Müller, Jörg"_s);
        removeShownWorkbooks();
        QVERIFY(!QFile::exists(shown));
    }

    void workbooksOfOtherPrograms_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("time");
        QTest::newRow("xls") << u"startliste.xls"_s << u"1:04,95"_s;
        QTest::newRow("xlsx") << u"startliste.xlsx"_s << u"1:04,95"_s;
    }

    // Shared strings and styles are optional parts.
    void workbookWithoutOptionalParts()
    {
        LocalAutomationServers servers(nullptr);
        Competition c;
        OfficeProgress progress;
        QVERIFY(!ImportExcelStartList(servers, c, testData(u"minimal.xlsx"_s), {0, 1}, progress));
        QCOMPARE(c.classes(), QStringList{u"Junioren"_s});
        QCOMPARE(c.page(0)->row(1).mid(0, 2), (QStringList{u"7"_s, u"Kurz, Ina"_s}));
    }

    void workbooksOfOtherPrograms()
    {
        QFETCH(QString, file);
        QFETCH(QString, time);
        LocalAutomationServers servers(nullptr);
        Competition c;
        OfficeProgress progress;
        QVERIFY(!ImportExcelStartList(servers, c, testData(file), {0, 1}, progress));
        QCOMPARE(c.classes(), (QStringList{u"Bambini"_s, u"Junioren"_s}));
        QCOMPARE(c.page(0)->row(1).mid(0, 4), (QStringList{u"1"_s, u"Müller, Jörg"_s, u"MSC Köln"_s, time}));
        QCOMPARE(c.page(0)->cell(2, ColName), u"Weiß, Anna"_s);
        QCOMPARE(c.page(1)->row(1).mid(0, 2), (QStringList{u"17"_s, u"Ça & Co"_s}));
    }

    // Whatever the file holds, the import ends with a message and the pages
    // as they were.
    void unreadableWorkbooks_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        const QByteArray good = fileBytes(testData(u"startliste.xlsx"_s));
        const QByteArray xls = fileBytes(testData(u"startliste.xls"_s));
        QTest::newRow("missing") << QByteArray("-");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("text") << QByteArray("StNr;Name\r\n1;Müller\r\n");
        QTest::newRow("zip header only") << QByteArray("PK\x03\x04garbage", 11);
        QTest::newRow("xlsx cut in half") << good.left(good.size() / 2);
        QTest::newRow("xlsx cut at the end") << good.left(good.size() - 30);
        QTest::newRow("xls cut in half") << xls.left(xls.size() / 2);
        // Password-protected workbooks are compound files with an encrypted
        // package instead of a workbook stream.
        QByteArray ole("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
        ole.append(QByteArray(4096, '\0'));
        QTest::newRow("compound file without workbook") << ole;
        QByteArray flipped = good;
        for (qsizetype i = 200; i < flipped.size(); i += 97)
            flipped[i] = char(~flipped.at(i));
        QTest::newRow("xlsx with damaged bytes") << flipped;
        // Found by fuzzing: FreeXL reads past a stack buffer on it.
        QTest::newRow("xls that overruns the reader") << fileBytes(QStringLiteral(VEX_FOUND_DATA "/xls-freexl-iconv-overflow.xls"));
    }

    // Found by fuzzing: a damaged .xls claims a column past the last one a
    // sheet has; that cell is left out and the rest reads.
    void xlsCellsPastTheLastColumnAreLeftOut()
    {
        const WorkbookData book = readXlsFile(QStringLiteral(VEX_FOUND_DATA "/xls-columns-past-the-last.xls"));
        QCOMPARE(book.sheets.size(), qsizetype(2));
        QCOMPARE(book.sheets.at(1).lastColumn(), 1);
    }

    void unreadableWorkbooks()
    {
        QFETCH(QByteArray, bytes);
        QTemporaryDir dir;
        const QString path = dir.filePath(u"kaputt.xlsx"_s);
        if (bytes != "-")
            writeBytes(path, bytes);
        LocalAutomationServers servers(nullptr);
        Competition c;
        fillResults(c);
        const QByteArray before = formatProtocolText(c);
        OfficeProgress progress;
        const auto error = ImportExcelStartList(servers, c, path, {0, 1}, progress);
        QVERIFY(error);
        QVERIFY(error->contains(u"kaputt.xlsx"_s));
        QCOMPARE(formatProtocolText(c), before);
    }

    // One cell in the last column of each of 2000 rows costs 2000 cells, not
    // rows filled out to the last column.
    void farOutCellsStaySmall()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"weit.xlsx"_s);
        WorkbookData book;
        WorksheetData &sheet = book.sheets.emplace_back();
        sheet.name = u"Weit"_s;
        for (int r = 1; r <= 2000; ++r)
            sheet.cell(r, kMaxSheetColumns) = typedCell(u"x"_s);
        writeXlsxFile(book, path);
        const WorkbookData read = readWorkbookFile(path);
        QCOMPARE(read.sheets.at(0).rows.size(), 2000);
        QCOMPARE(read.sheets.at(0).rows.first().size(), 1);
        QCOMPARE(read.sheets.at(0).lastColumn(), kMaxSheetColumns);
    }

    // Whatever becomes of the helper that reads binary workbooks, the import
    // ends with a message and the program goes on.
    void xlsHelperFailures_data()
    {
        QTest::addColumn<QByteArray>("script");
        QTest::addColumn<QString>("message");
        const QString damaged = u"Die Arbeitsmappe „liste.xls“ ist beschädigt und kann nicht gelesen werden."_s;
#ifdef Q_OS_WIN
        // 0xC0000005, an access violation's exit code.
        QTest::newRow("crashes") << QByteArray("@exit -1073741819") << damaged;
        QTest::newRow("answers garbage") << QByteArray("@echo garbage") << damaged;
        QTest::newRow("refuses") << QByteArray("@<nul set /p =Die Arbeitsmappe ist kennwortgesch\303\274tzt.\r\n@exit 1")
                                 << u"Die Arbeitsmappe ist kennwortgeschützt."_s;
#else
        QTest::newRow("crashes") << QByteArray("kill -SEGV $$") << damaged;
        QTest::newRow("answers garbage") << QByteArray("echo garbage") << damaged;
        QTest::newRow("refuses") << QByteArray("printf 'Die Arbeitsmappe ist kennwortgesch\303\274tzt.'; exit 1")
                                 << u"Die Arbeitsmappe ist kennwortgeschützt."_s;
#endif
    }

    void xlsHelperFailures()
    {
        QFETCH(QByteArray, script);
        QFETCH(QString, message);
        QTemporaryDir dir;
#ifdef Q_OS_WIN
        const QString helper = dir.filePath(u"helfer.cmd"_s);
        writeBytes(helper, script + "\r\n");
#else
        const QString helper = dir.filePath(u"helfer"_s);
        writeBytes(helper, "#!/bin/sh\n" + script + "\n");
#endif
        QFile::setPermissions(helper, QFile::ReadOwner | QFile::ExeOwner);
        const QString path = dir.filePath(u"liste.xls"_s);
        QVERIFY(QFile::copy(testData(u"startliste.xls"_s), path));
        setXlsHelperPath(helper);
        LocalAutomationServers servers(nullptr);
        Competition c;
        OfficeProgress progress;
        const auto error = ImportExcelStartList(servers, c, path, {0, 1}, progress);
        setXlsHelperPath(QString());
        QVERIFY(error);
        QVERIFY2(error->endsWith(message), qPrintable(*error));
    }

    void failedSaveKeepsTheOldFile()
    {
        QTemporaryDir dir;
        LocalAutomationServers servers(nullptr);
        Competition c;
        fillResults(c);
        OfficeProgress progress;
        const auto error = ExportExcelProtocol(servers, c, dir.filePath(u"fehlt/neu.xlsx"_s), {}, progress);
        QVERIFY(error);
        QVERIFY(error->startsWith(u"Das Protokoll konnte nicht"_s));
        QVERIFY(QDir(dir.path()).entryList(QDir::Files).isEmpty());
    }

    void failedWriteNamesTheChosenFileInGerman()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"neu.xlsx"_s);
        QVERIFY(QDir().mkpath(path + u".part"_s)); // no file can be made where it is written first
        try {
            writeXlsxFile(WorkbookData{}, path);
            QFAIL("written");
        } catch (const AutomationError &e) {
            QCOMPARE(e.message(), u"Die Arbeitsmappe \u201E%1\u201C kann nicht geschrieben werden "
                                  u"(die Datei l\u00E4sst sich in diesem Ordner nicht anlegen)."_s.arg(path));
        }
    }

    void rtfText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("rtf");
        QTest::newRow("plain") << u"StNr"_s << QByteArray("StNr");
        QTest::newRow("umlaut") << u"Müller"_s << QByteArray("M\\'fcller");
        QTest::newRow("euro in the code page") << u"€"_s << QByteArray("\\'80");
        QTest::newRow("beyond the code page") << u"Ł"_s << QByteArray("\\u321?");
        QTest::newRow("beyond 16 bits") << u"😀"_s << QByteArray("\\u-10179?\\u-8704?");
        QTest::newRow("braces and backslash") << u"{a\\b}"_s << QByteArray("\\{a\\\\b\\}");
        QTest::newRow("tab and paragraphs") << u"a\tb\r\nc\nd"_s << QByteArray("a\\tab b\\par\r\nc\\par\r\nd");
    }

    void rtfText()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, rtf);
        QCOMPARE(rtfEscaped(text), rtf);
    }

    void wordReportThroughOurServer_data()
    {
        QTest::addColumn<QByteArray>("templateBytes");
        QTest::addColumn<QByteArray>("expectedStart");
        QTest::newRow("no template") << QByteArray() << QByteArray("{\\rtf1\\ansi\\ansicpg1252");
        QTest::newRow("rtf template") << QByteArray("{\\rtf1\\ansi {\\b Vereinslogo}\\par }\r\n")
                                      << QByteArray("{\\rtf1\\ansi {\\b Vereinslogo}\\par  Clubslalom\\par");
        QTest::newRow("template of another format") << QByteArray("\xD0\xCF\x11\xE0 binary")
                                                    << QByteArray("{\\rtf1\\ansi\\ansicpg1252");
    }

    void wordReportThroughOurServer()
    {
        QFETCH(QByteArray, templateBytes);
        QFETCH(QByteArray, expectedStart);
        QTemporaryDir dir;
        WordReportInfo info;
        info.title = u"Clubslalom"_s;
        info.title2 = u"Lauf 3"_s;
        if (!templateBytes.isEmpty()) {
            info.templatePath = dir.filePath(u"Protokollvorlage.doc"_s);
            writeBytes(info.templatePath, templateBytes);
        }
        RecordingOpener opener;
        LocalAutomationServers servers(&opener);
        Competition c;
        fillResults(c);
        const QString path = dir.filePath(u"bericht.doc"_s);
        QVERIFY(WriteWordReport(servers, c, WordReportMode::Save, path, info).saved);
        const QByteArray rtf = fileBytes(path);
        QVERIFY2(rtf.startsWith(expectedStart), rtf.left(120).constData());
        QVERIFY(rtf.contains("KLASSE: Bambini\\par\r\nStNr\\tab Fahrer/in\\tab "));
        QVERIFY(rtf.contains("M\\'fcller, J\\'f6rg"));
        QVERIFY(rtf.endsWith("}\r\n"));
        QVERIFY(opener.opened.isEmpty());
    }

    // A report that can't be saved leaves the old document whole and says so.
    void wordSaveFailureKeepsTheOldFile_data()
    {
        QTest::addColumn<bool>("diskFull");
        QTest::addColumn<QString>("name");
        QTest::newRow("full disk") << true << u"bericht.doc"_s;
        QTest::newRow("folder can't be written") << false << u"ordner/bericht.doc"_s;
    }

    void wordSaveFailureKeepsTheOldFile()
    {
        QFETCH(bool, diskFull);
        if (diskFull)
            VEX_REQUIRE_FILE_SIZE_LIMIT();
        QFETCH(QString, name);
        QTemporaryDir dir;
        // A file where the folder should be: nothing can be made in it.
        writeBytes(dir.filePath(u"ordner"_s), "x");
        const QString path = dir.filePath(name);
        const QByteArray old("{\\rtf1 alt}");
        if (diskFull)
            writeBytes(path, old);
        LocalAutomationServers servers(nullptr);
        Competition c;
        fillResults(c);
        WordReportResult result;
        {
            // The disk is full once a file grows past 100 bytes.
            std::optional<FileSizeLimit> limit;
            if (diskFull)
                limit.emplace(100);
            result = WriteWordReport(servers, c, WordReportMode::Save, path, {});
        }
        QVERIFY(!result.saved);
        QVERIFY2(result.error.startsWith(u"Der Bericht „bericht.doc“ wurde nicht gespeichert."_s),
                 qPrintable(result.error));
        if (diskFull)
            QCOMPARE(fileBytes(path), old);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), diskFull ? 2 : 1);
    }

    void wordShowModeSavesInCurrentFolderAndOpens()
    {
        QTemporaryDir dir;
        const QString previous = QDir::currentPath();
        QVERIFY(QDir::setCurrent(dir.path()));
        RecordingOpener opener;
        LocalAutomationServers servers(&opener);
        Competition c;
        fillResults(c);
        const bool saved = sbWordClick(servers, c, {}, QDateTime({2026, 5, 1}, {9, 5})).saved;
        QDir::setCurrent(previous);
        QVERIFY(saved);
        const QString expected = QDir(dir.path()).filePath(u"2026-05-01-09-05.doc"_s);
        QCOMPARE(opener.opened, QStringList{expected});
        QVERIFY(QFile::exists(expected));
    }

    void registry()
    {
        LocalAutomationServers servers(nullptr);
        QVERIFY(servers.IsProgIdRegistered(u"Excel.Application"_s));
        QVERIFY(servers.IsProgIdRegistered(u"Word.Basic"_s));
        QVERIFY(!servers.IsProgIdRegistered(u"Word.Application"_s));
        NoAutomationServers none;
        QVERIFY(!none.IsProgIdRegistered(u"Excel.Application"_s));
        QVERIFY_THROWS_EXCEPTION(AutomationError, none.createExcelApplication());
    }
};

QTEST_GUILESS_MAIN(TestOfficeServers)
#include "test_officeservers.moc"
