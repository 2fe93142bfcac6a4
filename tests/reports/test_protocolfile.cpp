#include "reportfixture.h"

#include "reports/protocolfile.h"
#include "reports/protocoltext.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace vex;
using vex::testing::readTestData;

namespace {

QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

} // namespace

class TestProtocolFile : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void saveLoadSaveThroughFiles();
    void failedSaveKeepsWhatWasThere();
    void unopenableFileResetsOnlyPageOne();
    void tooManyClassesAreReported();
    void refusedFileLoadsNothing_data();
    void refusedFileLoadsNothing();
};

void TestProtocolFile::saveLoadSaveThroughFiles()
{
    QTemporaryDir dir;
    const QString first = dir.filePath(u"erster.txt"_s);
    const QString second = dir.filePath(u"zweiter.txt"_s);

    Competition c;
    vex::testing::fillTwoClasses(c);
    QCOMPARE(WriteProtocolText(c, first), std::nullopt);
    QCOMPARE(fileBytes(first), readTestData(u"protocol_two_classes.txt"_s));

    Competition loaded;
    const auto read = ReadProtocolText(loaded, first);
    QVERIFY(read.opened);
    QVERIFY(read.complete);
    QVERIFY(read.error.isEmpty());
    QCOMPARE(WriteProtocolText(loaded, second), std::nullopt);
    QCOMPARE(fileBytes(second), fileBytes(first));

    // Saving over an existing protocol replaces it completely.
    Competition small;
    small.setClasses({u"X"_s});
    small.page(0)->setCaption(u"X"_s);
    QCOMPARE(WriteProtocolText(small, second), std::nullopt);
    QCOMPARE(fileBytes(second), QByteArray("KLASSE: X\r\n\r\n\r\n"));
}

void TestProtocolFile::failedSaveKeepsWhatWasThere()
{
    QTemporaryDir dir;
    Competition c;
    vex::testing::fillTwoClasses(c);

    const QString noFolder = dir.filePath(u"fehlt/protokoll.txt"_s);
    QCOMPARE(WriteProtocolText(c, noFolder), u"Der Schreibfehler der Datei: "_s + noFolder);
    QVERIFY(!QFile::exists(noFolder));

    // The target can't be replaced (it is a folder with a file in it): the
    // folder and its content stay, and no half-written file is left behind.
    const QString blocked = dir.filePath(u"belegt"_s);
    QVERIFY(QDir(dir.path()).mkdir(u"belegt"_s));
    QFile inside(blocked + u"/alt.txt"_s);
    QVERIFY(inside.open(QIODevice::WriteOnly));
    inside.write("alt");
    inside.close();
    QCOMPARE(WriteProtocolText(c, blocked), u"Der Schreibfehler der Datei: "_s + blocked);
    QCOMPARE(fileBytes(blocked + u"/alt.txt"_s), QByteArray("alt"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList());
}

void TestProtocolFile::unopenableFileResetsOnlyPageOne()
{
    Competition c;
    vex::testing::fillTwoClasses(c);
    const QString missing = QDir::temp().filePath(u"vex-gibt-es-nicht/start.txt"_s);
    const auto read = ReadProtocolText(c, missing);
    QVERIFY(!read.opened);
    QVERIFY(!read.complete);
    QCOMPARE(read.error, u"Der Lesefehler der Datei: "_s + missing);

    QCOMPARE(c.page(0)->rows(), 2);
    QCOMPARE(c.page(0)->row(1), QStringList(kColumnCount));
    // Nothing else was touched.
    QCOMPARE(c.classes().size(), 2);
    QCOMPARE(c.page(0)->caption(), u"Bambini"_s);
    QCOMPARE(c.page(1)->cell(2, ColName), u"Nachzügler"_s);
}

void TestProtocolFile::tooManyClassesAreReported()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"gross.txt"_s);
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    for (int k = 1; k <= 11; ++k)
        f.write("KLASSE: Klasse " + QByteArray::number(k) + "\r\n\r\nStNr\tFahrer/in\t\r\n1\tA\t\r\n\r\n");
    f.close();

    Competition c;
    const auto read = ReadProtocolText(c, path);
    QVERIFY(read.opened);
    QCOMPARE(read.skippedClasses, QStringList{u"Klasse 11"_s});
    QCOMPARE(c.classes().size(), 10);
}

void TestProtocolFile::refusedFileLoadsNothing_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("message");
    QTest::newRow("fuzz: control bytes") << QStringLiteral(VEX_FOUND_DATA "/protocol_fuzz_encoding_flip.txt")
                                         << u"Die Datei ist keine Textdatei (Steuerzeichen in Zeile 1) und wird nicht geladen: "_s;
    QTest::newRow("larger than 16 MB") << QString() << u"Die Datei ist größer als 16 MB und wird nicht geladen: "_s;
}

void TestProtocolFile::refusedFileLoadsNothing()
{
    QFETCH(QString, file);
    QFETCH(QString, message);
    QTemporaryDir dir;
    if (file.isEmpty()) {
        file = dir.filePath(u"riesig.txt"_s);
        QFile big(file);
        QVERIFY(big.open(QIODevice::WriteOnly));
        QVERIFY(big.resize(kMaxProtocolFileBytes + 1));
    }
    Competition c;
    vex::testing::fillTwoClasses(c);
    const auto read = ReadProtocolText(c, file);
    QVERIFY(!read.opened);
    QVERIFY(read.refused);
    QCOMPARE(read.error, message + file);
    // Not even page 1 was reset.
    QCOMPARE(c.classes().size(), 2);
    QCOMPARE(c.page(0)->cell(1, ColName), u"Müller, Jörg"_s);
}

QTEST_GUILESS_MAIN(TestProtocolFile)
#include "test_protocolfile.moc"
