#include "reports/certificates.h"
#include "reports/htmlreport.h"
#include "reports/reportdocument.h"
#include "results/competition.h"

#include <QFile>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPen>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace vex;

namespace {

QStringList placedRow(const QString &stNr, const QString &name, const QString &total, const QString &place)
{
    QStringList r(kColumnCount);
    r[ColStNr] = stNr;
    r[ColName] = name;
    r[ColClub] = u"MSC Köln"_s;
    r[ColTotal] = total;
    r[ColPlace] = place;
    return r;
}

void fill(Competition &c)
{
    c.setClasses({u"K1"_s, u"K2"_s});
    const QList<QList<QStringList>> pages{
        {placedRow(u"1"_s, u"Müller, Jörg"_s, u"1:20,00"_s, u"1"_s), placedRow(u"2"_s, u"Weiß, Anna"_s, u"1:21,00"_s, u"2"_s),
         placedRow(u"3"_s, u"Kurz, Kai"_s, u"1:21,00"_s, u"2"_s), placedRow(u"4"_s, u"Vierte, Vera"_s, u"1:22,00"_s, u"4"_s),
         placedRow(u"5"_s, u"Raus, Rita"_s, u"-"_s, u"DIS"_s)},
        {placedRow(u"7"_s, u"Ohne, Otto"_s, QString(), u"1"_s), placedRow(u"8"_s, u"Nachzügler, Nils"_s, u"1:30,00"_s, u"1"_s)},
    };
    for (int k = 0; k < pages.size(); ++k) {
        ResultPage &p = *c.page(k);
        p.setCaption(c.classes().at(k));
        p.setRowCount(int(pages.at(k).size()) + 1);
        for (int i = 0; i < pages.at(k).size(); ++i)
            p.setRow(i + 1, pages.at(k).at(i));
    }
}

// The text of a PDF with a form feed between pages, or nothing without the tool.
std::optional<QString> pdfText(const QString &path)
{
    const QString tool = QStandardPaths::findExecutable(u"pdftotext"_s);
    if (tool.isEmpty())
        return std::nullopt;
    QProcess p;
    p.start(tool, {u"-enc"_s, u"UTF-8"_s, path, u"-"_s});
    if (!p.waitForFinished(30000) || p.exitCode() != 0)
        return QString();
    return QString::fromUtf8(p.readAllStandardOutput());
}

} // namespace

class TestCertificates : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void placesThatGetCertificates_data()
    {
        QTest::addColumn<int>("places");
        QTest::addColumn<QStringList>("names");
        QTest::newRow("1 to 3: shared places both") << 3 << QStringList{u"Jörg Müller"_s, u"Anna Weiß"_s, u"Kai Kurz"_s, u"Nils Nachzügler"_s};
        QTest::newRow("1 only") << 1 << QStringList{u"Jörg Müller"_s, u"Nils Nachzügler"_s};
        QTest::newRow("1 to 9: no total, no certificate") << 9
            << QStringList{u"Jörg Müller"_s, u"Anna Weiß"_s, u"Kai Kurz"_s, u"Vera Vierte"_s, u"Nils Nachzügler"_s};
    }
    void placesThatGetCertificates()
    {
        QFETCH(int, places);
        QFETCH(QStringList, names);
        Competition c;
        fill(c);
        QStringList got;
        for (const Certificate &cert : certificatesOf(c, places))
            got.append(cert.name);
        QCOMPARE(got, names);
    }

    void namesInGivenFamilyOrder_data()
    {
        QTest::addColumn<QString>("given");
        QTest::addColumn<QString>("printed");
        QTest::newRow("family, given") << u"Christ, Carla"_s << u"Carla Christ"_s;
        QTest::newRow("blanks around") << u"  Christ ,Carla Maria "_s << u"Carla Maria Christ"_s;
        QTest::newRow("double name") << u"Müller-Lüdenscheid, Jörg"_s << u"Jörg Müller-Lüdenscheid"_s;
        QTest::newRow("year stays last") << u"Berg, Anna (2013)"_s << u"Anna Berg (2013)"_s;
        QTest::newRow("already given first") << u"Carla Christ"_s << u"Carla Christ"_s;
        QTest::newRow("two commas") << u"Christ, Carla, jun."_s << u"Christ, Carla, jun."_s;
        QTest::newRow("nothing after the comma") << u"Christ,"_s << u"Christ,"_s;
        QTest::newRow("nothing before the comma") << u", Carla"_s << u", Carla"_s;
    }
    void namesInGivenFamilyOrder()
    {
        QFETCH(QString, given);
        QFETCH(QString, printed);
        QCOMPARE(certificateName(given), printed);
    }

    void onePdfPagePerCertificate()
    {
        Competition c;
        fill(c);
        QTemporaryDir dir;
        const QString image = dir.filePath(u"grund.png"_s);
        QImage background(200, 283, QImage::Format_RGB32);
        {
            QPainter p(&background);
            QLinearGradient ground(0, 0, 0, 283);
            ground.setColorAt(0, QColor(255, 248, 220));
            ground.setColorAt(1, QColor(235, 215, 160));
            p.fillRect(background.rect(), ground);
            p.setPen(QPen(QColor(180, 140, 40), 4));
            p.drawRect(background.rect().adjusted(8, 8, -8, -8));
        }
        QVERIFY(background.save(image));
        const QString path = dir.filePath(u"Urkunden.pdf"_s);
        const CertificateInfo info{u"Clubmeisterschaft 2026"_s, u"in Musterstadt"_s, u"25.11.2026"_s, image,
                                   u"Talheim"_s, {u"Fahrtleiter"_s, u"Zeitnahme"_s}};
        QCOMPARE(writeCertificatesPdf(path, certificatesOf(c, 3), info), std::nullopt);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(file.read(5) == "%PDF-");
        if (const QString folder = qEnvironmentVariable("VEX_REGULATION_SCREENSHOTS"); !folder.isEmpty())
            QFile::copy(path, folder + u"/certificates.pdf"_s);
        const auto text = pdfText(path);
        if (!text)
            QSKIP("pdftotext (poppler-utils) is not installed");
        const QStringList pages = text->split(u'\f', Qt::SkipEmptyParts);
        QCOMPARE(pages.size(), 4);
        QVERIFY2(pages.at(0).contains(u"Jörg Müller"_s) && pages.at(0).contains(u"1. Platz"_s)
                     && pages.at(0).contains(u"Klasse K1"_s) && pages.at(0).contains(u"1:20,00"_s)
                     && pages.at(0).contains(u"Clubmeisterschaft 2026"_s)
                     && pages.at(0).contains(u"Talheim, 25.11.2026"_s) && pages.at(0).contains(u"Fahrtleiter"_s)
                     && pages.at(0).contains(u"Zeitnahme"_s),
                 qPrintable(pages.at(0)));
        QVERIFY(pages.at(2).contains(u"2. Platz"_s));
        QVERIFY(pages.at(3).contains(u"Klasse K2"_s));
    }

    // On request the fastest girl and boy get one each, with the run's time.
    void fastestGirlAndBoyCertificates()
    {
        Competition c;
        fill(c);
        QCOMPARE(fastestCertificates(c).size(), 0);
        ResultPage &k1 = *c.page(0);
        k1.setCell(2, ColRun1, u"40,00"_s);
        k1.setCell(2, ColRun1Penalty, u"1"_s);
        RowMarks girl;
        girl.gender = Gender::Girl;
        k1.setMarks(2, girl);
        const QList<Certificate> list = fastestCertificates(c);
        QCOMPARE(list.size(), 1);
        QCOMPARE(list.first().honour, u"Schnellstes Mädchen"_s);
        QCOMPARE(list.first().name, u"Anna Weiß"_s);
        QCOMPARE(list.first().total, u"41,00"_s);
        QTemporaryDir dir;
        const QString path = dir.filePath(u"Schnellste.pdf"_s);
        QCOMPARE(writeCertificatesPdf(path, list, {}), std::nullopt);
        const auto text = pdfText(path);
        if (!text)
            QSKIP("pdftotext (poppler-utils) is not installed");
        QVERIFY2(text->contains(u"Schnellstes Mädchen"_s) && text->contains(u"Laufzeit: 41,00"_s)
                     && !text->contains(u"Platz"_s),
                 qPrintable(*text));
    }

    void unusableBackgroundOrNothingToPrintWritesNoFile_data()
    {
        QTest::addColumn<QByteArray>("imageBytes");
        QTest::addColumn<int>("places");
        QTest::newRow("not a picture") << QByteArray("GIF89a nonsense") << 3;
        QTest::newRow("a PNG cut short") << QByteArray("\x89PNG\r\n\x1a\n\0\0", 10) << 3;
        QTest::newRow("no places") << QByteArray() << 0;
    }
    void unusableBackgroundOrNothingToPrintWritesNoFile()
    {
        QFETCH(QByteArray, imageBytes);
        QFETCH(int, places);
        Competition c;
        fill(c);
        QTemporaryDir dir;
        CertificateInfo info;
        if (!imageBytes.isEmpty()) {
            info.backgroundPath = dir.filePath(u"bild.png"_s);
            QFile image(info.backgroundPath);
            QVERIFY(image.open(QIODevice::WriteOnly));
            image.write(imageBytes);
        }
        const QString path = dir.filePath(u"Urkunden.pdf"_s);
        const auto error = writeCertificatesPdf(path, certificatesOf(c, places), info);
        QVERIFY(error.has_value());
        QVERIFY(!QFile::exists(path));
    }

    void resultListPdfSaysItsStatus()
    {
        Competition c;
        fill(c);
        HtmlReportInfo info;
        info.title = u"Clubmeisterschaft"_s;
        info.status = resultListStatus(true, QTime(14, 35));
        QTemporaryDir dir;
        const QString path = dir.filePath(u"Ergebnisliste.pdf"_s);
        QCOMPARE(writeResultListPdf(buildHtmlReport(c, info), path), std::nullopt);
        const auto text = pdfText(path);
        if (!text)
            QSKIP("pdftotext (poppler-utils) is not installed");
        QVERIFY2(text->contains(u"Ergebnisse \u2013 offiziell, ausgehängt um 14:35"_s), qPrintable(*text));
        QVERIFY(text->contains(u"Nachzügler, Nils"_s));
        QCOMPARE(resultListStatus(false, QTime(14, 35)), u"vorläufig"_s);
    }
};

QTEST_MAIN(TestCertificates)
#include "test_certificates.moc"
