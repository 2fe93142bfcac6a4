#include "reports/htmlreport.h"
#include "reports/reportdocument.h"
#include "reports/reportpages.h"
#include "results/competition.h"

#include <QGuiApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocument>

using namespace Qt::StringLiterals;
using namespace vex;

namespace {

// "H P T R R20": heading, paragraph, table header, rows; 10 high unless a
// height follows the letter. Each T begins a table.
QList<ReportBand> bandsFrom(const QString &layout)
{
    QList<ReportBand> bands;
    int table = -1;
    qreal top = 0;
    for (const QString &token : layout.split(u' ', Qt::SkipEmptyParts)) {
        ReportBand b;
        switch (token.at(0).unicode()) {
        case u'H': b.kind = ReportBand::Heading; break;
        case u'T': b.kind = ReportBand::TableHeader; ++table; break;
        case u'R': b.kind = ReportBand::TableRow; break;
        default: b.kind = ReportBand::Text; break;
        }
        if (b.kind == ReportBand::TableHeader || b.kind == ReportBand::TableRow)
            b.table = table;
        b.height = token.size() > 1 ? token.mid(1).toDouble() : 10;
        b.top = top;
        top += b.height;
        bands.append(b);
    }
    return bands;
}

QString pagesText(const QList<ReportPageBands> &pages)
{
    QStringList out;
    for (const ReportPageBands &p : pages) {
        QStringList ids;
        for (const int i : p)
            ids.append(QString::number(i));
        out.append(ids.join(u' '));
    }
    return out.join(u'|');
}

QStringList driverRow(int n)
{
    QStringList r(kColumnCount);
    r[ColStNr] = QString::number(n);
    r[ColName] = u"Fahrer%1, Vorname"_s.arg(n);
    r[ColClub] = u"MSC Talheim"_s;
    r[ColRun1] = u"45,%1"_s.arg(n % 100, 2, 10, QChar(u'0'));
    r[ColRun1Penalty] = u"0"_s;
    r[ColTotal] = r[ColRun1];
    r[ColPlace] = QString::number(n);
    return r;
}

void fillClasses(Competition &c, const QList<int> &drivers)
{
    QStringList names;
    for (qsizetype k = 0; k < drivers.size(); ++k)
        names.append(u"K%1"_s.arg(k + 1));
    c.setClasses(names);
    for (int k = 0; k < drivers.size(); ++k) {
        ResultPage &p = *c.page(k);
        p.setCaption(names.at(k));
        p.setRowCount(drivers.at(k) + 1);
        for (int i = 1; i <= drivers.at(k); ++i)
            p.setRow(i, driverRow(i));
    }
}

} // namespace

class TestReportPages : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void bandsDealtToPages_data()
    {
        QTest::addColumn<QString>("bands");
        QTest::addColumn<qreal>("pageHeight");
        QTest::addColumn<QString>("pages");
        QTest::newRow("all on one page") << u"H P T R R"_s << 50.0 << u"0 1 2 3 4"_s;
        QTest::newRow("heading goes over with its table")
            << u"P P P H T R R"_s << 50.0 << u"0 1 2|3 4 5 6"_s;
        QTest::newRow("headings in a row stay together")
            << u"P P P P H H P"_s << 50.0 << u"0 1 2 3|4 5 6"_s;
        QTest::newRow("small table is never split") << u"P P P T R R R"_s << 50.0 << u"0 1 2|3 4 5 6"_s;
        QTest::newRow("last row never alone, header again")
            << u"H T R R R R"_s << 50.0 << u"0 1 2 3|1 4 5"_s;
        QTest::newRow("long table split between rows")
            << u"P P P P H T R R R R R R"_s << 50.0 << u"0 1 2 3|4 5 6 7 8|5 9 10 11"_s;
        QTest::newRow("rows taller than a page go one by one")
            << u"T R40 R40 R40"_s << 50.0 << u"0 1|0 2|0 3"_s;
        QTest::newRow("nothing") << QString() << 50.0 << QString();
    }
    void bandsDealtToPages()
    {
        QFETCH(QString, bands);
        QFETCH(qreal, pageHeight);
        QFETCH(QString, pages);
        QCOMPARE(pagesText(paginateBands(bandsFrom(bands), pageHeight)), pages);
    }

    // On the result list itself, for every page height: no page ends with a
    // class heading, and no page holds a single row of a table that has more.
    void resultListNeverLeavesAHeadingOrARowAlone()
    {
        Competition c;
        fillClasses(c, {12, 2, 30});
        HtmlReportInfo info;
        info.title = u"Clubmeisterschaft"_s;
        info.status = u"vorläufig"_s;
        info.teamRows = {{u"Platz"_s, u"Mannschaft"_s}, {u"1"_s, u"MSC Talheim"_s}, {u"2"_s, u"RSG Au"_s}};
        info.signatures = {u"Fahrtleiter"_s};
        QTextDocument document;
        loadReportDocument(document, buildHtmlReport(c, info));
        document.setTextWidth(600);
        const QList<ReportBand> bands = bandsOf(document);
        QCOMPARE(std::count_if(bands.begin(), bands.end(), [](const ReportBand &b) { return b.kind == ReportBand::TableRow; }),
                 12 + 2 + 30 + 2);
        qreal tallest = 0;
        for (const ReportBand &b : bands)
            tallest = std::max(tallest, b.height);
        for (qreal height = 6 * tallest; height < 60 * tallest; height += tallest / 3) {
            const QList<ReportPageBands> pages = paginateBands(bands, height);
            QString seen;
            for (const ReportPageBands &page : pages) {
                QVERIFY(!page.isEmpty());
                QVERIFY2(bands.at(page.last()).kind != ReportBand::Heading, qPrintable(QString::number(height)));
                QHash<int, int> rows;
                for (const int b : page) {
                    if (bands.at(b).kind == ReportBand::TableRow)
                        ++rows[bands.at(b).table];
                }
                for (auto it = rows.cbegin(); it != rows.cend(); ++it)
                    QVERIFY2(it.value() > 1, qPrintable(u"%1 at %2"_s.arg(it.key()).arg(height)));
            }
        }
    }

    void resultListPdfWithDeadlineAndSignatures()
    {
        Competition c;
        fillClasses(c, {40, 45});
        HtmlReportInfo info;
        info.title = u"Clubmeisterschaft"_s;
        info.status = resultListStatus(false, {});
        info.objectionDeadline = u"14:35"_s;
        info.signatures = {u"Fahrtleiter"_s, u" "_s, u"Zeitnahme"_s};
        QTemporaryDir dir;
        const QString path = dir.filePath(u"Ergebnisliste.pdf"_s);
        QCOMPARE(writeResultListPdf(buildHtmlReport(c, info), path), std::nullopt);
        if (const QString folder = qEnvironmentVariable("VEX_REGULATION_SCREENSHOTS"); !folder.isEmpty())
            QFile::copy(path, folder + u"/resultlist.pdf"_s);
        const QString tool = QStandardPaths::findExecutable(u"pdftotext"_s);
        if (tool.isEmpty())
            QSKIP("pdftotext (poppler-utils) is not installed");
        QProcess p;
        p.start(tool, {u"-enc"_s, u"UTF-8"_s, path, u"-"_s});
        QVERIFY(p.waitForFinished(30000));
        const QStringList pages = QString::fromUtf8(p.readAllStandardOutput()).split(u'\f', Qt::SkipEmptyParts);
        QVERIFY2(pages.size() >= 2, qPrintable(pages.join(u"\n----\n"_s)));
        QVERIFY(pages.first().contains(u"Ergebnisse \u2013 vorläufig"_s));
        QVERIFY(pages.first().contains(u"Einspruchsfrist bis 14:35"_s));
        QVERIFY(pages.first().contains(u"Seite 1 von %1"_s.arg(pages.size())));
        QVERIFY(pages.last().contains(u"Fahrtleiter"_s) && pages.last().contains(u"Zeitnahme"_s));
        // Every page a table goes on to repeats its titles.
        for (const QString &page : pages)
            QVERIFY2(page.contains(u"Fahrer/in"_s), qPrintable(page));
        QVERIFY(pages.join(QString()).contains(u"Fahrer45, Vorname"_s));
    }
};

QTEST_MAIN(TestReportPages)
#include "test_reportpages.moc"
