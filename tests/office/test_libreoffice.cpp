// Our workbooks and documents opened by a real office program: LibreOffice
// converts them to plain text, which must show what we wrote; and a workbook
// LibreOffice wrote in the old binary format must import. Skipped where
// LibreOffice is not installed.
#include "officefixture.h"

#include "office/excelexchange.h"
#include "office/localservers.h"
#include "office/officeprogress.h"
#include "office/wordreport.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

using namespace vex;
using namespace vex::testing;
using namespace Qt::StringLiterals;

namespace {

QString readUtf8(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

} // namespace

class TestLibreOffice : public QObject
{
    Q_OBJECT

    QString m_soffice;
    QTemporaryDir m_dir;

    // Converts file into the folder out with the given filter; the path of
    // the result, or nothing.
    QString convert(const QString &file, const QString &filter, const QString &suffix,
                    const QStringList &extra = {})
    {
        const QString out = m_dir.filePath(u"out"_s);
        QDir().mkpath(out);
        QProcess p;
        p.setProcessChannelMode(QProcess::MergedChannels);
        QStringList args{u"-env:UserInstallation="_s + QUrl::fromLocalFile(m_dir.filePath(u"profile"_s)).toString(),
                         u"--headless"_s};
        args += extra;
        args += {u"--convert-to"_s, filter, u"--outdir"_s, out, file};
        p.start(m_soffice, args);
        if (!p.waitForFinished(90000)) {
            p.kill();
            p.waitForFinished();
            return {};
        }
        const QString result = QDir(out).filePath(QFileInfo(file).completeBaseName() + u'.' + suffix);
        return QFile::exists(result) ? result : QString();
    }

private Q_SLOTS:
    void initTestCase()
    {
        m_soffice = QStandardPaths::findExecutable(u"soffice"_s);
        if (m_soffice.isEmpty())
            QSKIP("LibreOffice (soffice) is not installed");
        QVERIFY(m_dir.isValid());
    }

    void exportedWorkbookShowsTheProtocol()
    {
        const QString path = m_dir.filePath(u"protokoll.xlsx"_s);
        LocalAutomationServers servers(nullptr);
        Competition c;
        fillResults(c);
        OfficeProgress progress;
        QVERIFY(!ExportExcelProtocol(servers, c, path, {{0, 1}, u"Clubslalom"_s, u"Lauf 3"_s}, progress));

        // Comma-separated, double quotes, UTF-8, first sheet.
        const QString csv = convert(path, u"csv:Text - txt - csv (StarCalc):44,34,76,1"_s, u"csv"_s);
        QVERIFY2(!csv.isEmpty(), "LibreOffice did not convert the workbook");
        QStringList lines = readUtf8(csv).split(u'\n', Qt::SkipEmptyParts);
        for (QString &line : lines) {
            if (line.endsWith(u'\r'))
                line.chop(1);
        }
        // Times are shown with the decimal separator of LibreOffice's locale.
        const QString text = lines.join(u'\n').replace(u'.', u',');
        // Texts are quoted, numbers and times not.
        QCOMPARE(text, u"\"StNr\",\"Fahrer/in\",\"Ortsclub\",\"TR\",\"StS\",\"Lauf 1\",\"StS\",\"Lauf 2\",\"StS\","
                       u"\"Gesamt\",\"Platz\"\n"
                       u"1,\"Müller, Jörg\",\"MSC Köln\",00:12,50,0,00:45,12,2,00:50,00,0,01:37,12,1\n"
                       u"2,\"Weiß, Anna\",,,,\"DIS\",,01:04,95,10,\"DIS\",\n"
                       u"3,\"Łukasz „Ça & <Co>“ €\",,,,,,,,\"-\","_s);
    }

    // Into a workbook LibreOffice made: its second sheet stays, and the
    // result is still a workbook LibreOffice reads.
    void exportIntoWorkbookOfLibreOffice()
    {
        const QString path = m_dir.filePath(u"vorlage.xlsx"_s);
        QVERIFY(QFile::copy(QStringLiteral(VEX_TEST_DATA "/startliste.xlsx"), path));
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
        LocalAutomationServers servers(nullptr);
        Competition c;
        c.setClasses({u"Bambini"_s});
        c.page(0)->setRow(1, {u"9"_s, u"Neu, Nina"_s, {}, u"1:04,95"_s});
        OfficeProgress progress;
        QVERIFY(!ExportExcelProtocol(servers, c, path, {{0, 6}, u"T"_s, u"T2"_s}, progress));

        const QString csv = convert(path, u"csv:Text - txt - csv (StarCalc):44,34,76,1"_s, u"csv"_s);
        QVERIFY2(!csv.isEmpty(), "LibreOffice did not convert the workbook");
        const QStringList lines = readUtf8(csv).replace(u"\r"_s, QString()).split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 7);
        QVERIFY(lines.at(0).startsWith(u"\"StNr\",\"Fahrer/in\""_s));
        QVERIFY(lines.at(5).startsWith(u"\"StNr\",\"Fahrer/in\",\"Ortsclub\",\"TR\""_s));
        QCOMPARE(lines.at(6).left(22).replace(u'.', u','), u"9,\"Neu, Nina\",,01:04,9"_s);
    }

    void wordDocumentShowsTheReport()
    {
        const QString path = m_dir.filePath(u"bericht.doc"_s);
        LocalAutomationServers servers(nullptr);
        Competition c;
        fillResults(c);
        WordReportInfo info;
        info.title = u"Clubslalom"_s;
        info.title2 = u"Lauf 3"_s;
        QVERIFY(WriteWordReport(servers, c, WordReportMode::Save, path, info).saved);

        const QString txt = convert(path, u"txt:Text (encoded):UTF8"_s, u"txt"_s);
        QVERIFY2(!txt.isEmpty(), "LibreOffice did not convert the document");
        QString text = readUtf8(txt);
        if (text.startsWith(QChar(0xFEFF)))
            text.remove(0, 1);
        text.replace(u"\r\n"_s, u"\n"_s);
        QString expected = wordTitleBlock(info);
        for (int k = 0; k < c.classes().size(); ++k)
            expected += wordClassPiece(c, k, info);
        expected.replace(u"\r\n"_s, u"\n"_s);
        QCOMPARE(text.trimmed(), expected.trimmed());
    }

    void binaryWorkbookFromLibreOfficeImports()
    {
        const QString csvPath = m_dir.filePath(u"meldeliste.csv"_s);
        QFile csv(csvPath);
        QVERIFY(csv.open(QIODevice::WriteOnly));
        csv.write(u"Meldeliste Clubslalom\n\n\n\n\nStNr;Fahrer/in;Ortsclub\n1;Müller, Jörg;MSC Köln\n2;Weiß;\n"_s.toUtf8());
        csv.close();
        const QString xls = convert(csvPath, u"xls"_s, u"xls"_s, {u"--infilter=CSV:59,34,76,1"_s});
        QVERIFY2(!xls.isEmpty(), "LibreOffice did not write the workbook");

        LocalAutomationServers servers(nullptr);
        Competition c;
        OfficeProgress progress;
        QVERIFY(!ImportExcelStartList(servers, c, xls, {0, 6}, progress));
        QCOMPARE(c.classes(), QStringList{u"meldeliste"_s});
        const ResultPage &page = *c.page(0);
        QCOMPARE(page.rows(), 3);
        QCOMPARE(page.row(0).mid(0, 3), (QStringList{u"StNr"_s, u"Fahrer/in"_s, u"Ortsclub"_s}));
        QCOMPARE(page.row(1).mid(0, 3), (QStringList{u"1"_s, u"Müller, Jörg"_s, u"MSC Köln"_s}));
        QCOMPARE(page.row(2).mid(0, 3), (QStringList{u"2"_s, u"Weiß"_s, QString()}));
    }
};

QTEST_GUILESS_MAIN(TestLibreOffice)
#include "test_libreoffice.moc"
