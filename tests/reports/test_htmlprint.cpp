#include "reportfixture.h"

#include "reports/htmlprinter.h"
#include "reports/htmlreport.h"
#include "reports/protocoltext.h"

#include <QFile>
#include <QFileInfo>
#include <QPrinter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace vex;

class TestHtmlPrint : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void printsEveryClassToPdf();
    void unusablePrinterIsReported();
};

void TestHtmlPrint::printsEveryClassToPdf()
{
    Competition c;
    parseProtocolText(c, vex::testing::readTestData(u"protocol_two_classes.txt"_s));
    HtmlReportInfo info;
    info.title = u"Stadtmeisterschaft"_s;
    info.appTitle = u"Vexilor"_s;

    QTemporaryDir dir;
    const QString pdf = dir.filePath(u"druck.pdf"_s);
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
    QVERIFY(printHtmlReport(buildHtmlReport(c, info), printer));

    QFile f(pdf);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QVERIFY(f.read(5) == "%PDF-");

    const QString pdftotext = QStandardPaths::findExecutable(u"pdftotext"_s);
    if (pdftotext.isEmpty())
        QSKIP("pdftotext is not installed; only the PDF header was checked");
    QProcess p;
    p.start(pdftotext, {u"-enc"_s, u"UTF-8"_s, pdf, u"-"_s});
    QVERIFY(p.waitForFinished(30000));
    const QString text = QString::fromUtf8(p.readAllStandardOutput());
    QVERIFY2(text.contains(u"KLASSE: Bambini"), qPrintable(text));
    QVERIFY(text.contains(u"KLASSE: Junioren"));
    QVERIFY(text.contains(u"Müller, Jörg"));
    QVERIFY(text.contains(u"Ça & <Co>"));
}

void TestHtmlPrint::unusablePrinterIsReported()
{
    QPrinter printer;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(u"/nonexistent-folder-vex/druck.pdf"_s);
    QTest::ignoreMessage(QtWarningMsg, "QPainter::begin(): Returned false");
    QVERIFY(!printHtmlReport("<HTML><BODY>x</BODY></HTML>", printer));
}

QTEST_MAIN(TestHtmlPrint)
#include "test_htmlprint.moc"
