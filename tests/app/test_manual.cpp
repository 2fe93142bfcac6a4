// The manual as the program carries it: nothing it points to is missing,
// the contents reach every page, the search finds sections, the PDF holds it.
#include "app/help/helptopics.h"
#include "app/help/manual.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QImage>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>

using namespace Qt::StringLiterals;
using namespace vex;

class TestManual : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void linksAndPicturesResolve_data();
    void linksAndPicturesResolve();
    void contentsReachEveryPage();
    void searchFindsSections_data();
    void searchFindsSections();
    void partAnchors_data();
    void partAnchors();
    void printedManualFindsItsPictures();
    void pdfHoldsTheWholeManual();
};

namespace {

QString pageText(const QString &file)
{
    QFile f(manual::folder() + file);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

QStringList htmlFiles()
{
    return QDir(manual::folder()).entryList({u"*.html"_s}, QDir::Files, QDir::Name);
}

} // namespace

void TestManual::linksAndPicturesResolve_data()
{
    QTest::addColumn<QString>("file");
    for (const QString &file : htmlFiles())
        QTest::newRow(qPrintable(file)) << file;
}

// Every link, picture and style sheet: a file in the resources, and an
// anchor that the page it points to has.
void TestManual::linksAndPicturesResolve()
{
    QFETCH(QString, file);
    static const QRegularExpression refs(u"(?:href|src)=\"([^\"]*)\""_s);
    QStringList missing;
    for (const QRegularExpressionMatch &m : refs.globalMatch(pageText(file))) {
        const QString ref = m.captured(1);
        if (ref.startsWith(u"http://"_s) || ref.startsWith(u"https://"_s))
            continue;
        const QString target = ref.section(u'#', 0, 0).isEmpty() ? file : ref.section(u'#', 0, 0);
        const QString anchor = ref.section(u'#', 1);
        if (!QFile::exists(manual::folder() + target))
            missing << ref;
        else if (!anchor.isEmpty() && !pageText(target).contains(u"id=\""_s + anchor + u'"'))
            missing << ref;
    }
    QVERIFY2(missing.isEmpty(), qPrintable(u"not in the resources: "_s + missing.join(u", "_s)));
}

void TestManual::contentsReachEveryPage()
{
    QStringList listed;
    for (const manual::Page &page : manual::pages()) {
        QVERIFY2(!page.title.isEmpty(), qPrintable(page.file + u" has no title"_s));
        listed << page.file;
    }
    listed.sort();
    QCOMPARE(listed, htmlFiles());
}

void TestManual::searchFindsSections_data()
{
    QTest::addColumn<QString>("query");
    QTest::addColumn<QString>("first"); // empty: nothing found

    QTest::newRow("one word, any case") << u"lichtschranke"_s << u"lichtschranken.html"_s;
    QTest::newRow("every word must stand there") << u"Lichtschranke Quorbelwutz"_s << QString();
    QTest::newRow("a word nowhere") << u"Quorbelwutz"_s << QString();
    QTest::newRow("only blanks") << u"   "_s << QString();
}

void TestManual::searchFindsSections()
{
    QFETCH(QString, query);
    QFETCH(QString, first);
    const QList<manual::SearchHit> hits = manual::search(query);
    if (first.isEmpty()) {
        QVERIFY(hits.isEmpty());
        return;
    }
    QVERIFY(!hits.isEmpty());
    QCOMPARE(hits.first().file, first);
    for (qsizetype i = 1; i < hits.size(); ++i)
        QVERIFY(hits[i - 1].score >= hits[i].score);
}

void TestManual::partAnchors_data()
{
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("anchor");
    QTest::newRow("plain") << u"Allgemein"_s << u"allgemein"_s;
    QTest::newRow("umlaut and brackets") << u"Zeitmessgerät (RS-232)"_s << u"zeitmessgeraet-rs-232"_s;
    QTest::newRow("blanks around") << u"  Ergebnisse ins Internet "_s << u"ergebnisse-ins-internet"_s;
    QTest::newRow("sharp s") << u"Größe"_s << u"groesse"_s;
}

void TestManual::partAnchors()
{
    QFETCH(QString, caption);
    QFETCH(QString, anchor);
    QCOMPARE(partAnchor(caption), anchor);
}

// The printer lays out a copy of the document: every picture must load there
// as in the window.
void TestManual::printedManualFindsItsPictures()
{
    const std::unique_ptr<QTextDocument> doc = manual::printDocument();
    std::unique_ptr<QTextDocument> copy(doc->clone());
    int pictures = 0;
    for (QTextBlock b = copy->begin(); b.isValid(); b = b.next()) {
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextImageFormat image = it.fragment().charFormat().toImageFormat();
            if (!image.isValid())
                continue;
            ++pictures;
            const QVariant loaded = copy->resource(QTextDocument::ImageResource, QUrl(image.name()));
            // The file's bytes, or the picture made of them once shown.
            const QImage picture = loaded.typeId() == QMetaType::QByteArray
                ? QImage::fromData(loaded.toByteArray()) : loaded.value<QImage>();
            QVERIFY2(!picture.isNull(), qPrintable(image.name()));
        }
    }
    QVERIFY(pictures > 0);
}

// pdftotext, where it is installed, reads every page's title back.
void TestManual::pdfHoldsTheWholeManual()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"handbuch.pdf"_s);
    QFile old(path);
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("not a pdf");
    old.close();
    QVERIFY(manual::writePdf(path));
    QFile pdf(path);
    QVERIFY(pdf.open(QIODevice::ReadOnly));
    QVERIFY(pdf.read(5) == "%PDF-");
    const QString tool = QStandardPaths::findExecutable(u"pdftotext"_s);
    if (tool.isEmpty())
        QSKIP("pdftotext is not installed");
    QProcess p;
    p.start(tool, {u"-layout"_s, path, u"-"_s});
    QVERIFY(p.waitForFinished(30000));
    const QString text = QString::fromUtf8(p.readAllStandardOutput()).simplified();
    for (const manual::Page &page : manual::pages())
        QVERIFY2(text.contains(page.title.simplified()), qPrintable(page.title));
}

QTEST_MAIN(TestManual)
#include "test_manual.moc"
