// The live page's QR code, read back by a real reader (zbarimg, where it is
// installed) from the image the program shows and prints.
#include "live/liveposter.h"
#include "live/liveqr.h"

#include <QPainter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace vex;
using namespace Qt::StringLiterals;

namespace {

// What zbarimg reads off the image; empty when it reads nothing.
QByteArray readCode(const QImage &image)
{
    const QString zbarimg = QStandardPaths::findExecutable(u"zbarimg"_s);
    QTemporaryDir dir;
    const QString file = dir.filePath(u"code.png"_s);
    if (!image.save(file))
        return {};
    QProcess reader;
    reader.start(zbarimg, {u"--raw"_s, u"-q"_s, file});
    reader.waitForFinished(20000);
    return reader.readAllStandardOutput().trimmed();
}

} // namespace

class TestLiveQr : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        if (QStandardPaths::findExecutable(u"zbarimg"_s).isEmpty() && !QByteArray(QTest::currentTestFunction()).startsWith("nothing"))
            QSKIP("zbarimg (zbar-tools) is not installed");
    }

    void readBack_data()
    {
        QTest::addColumn<QByteArray>("address");
        QTest::addColumn<int>("scale");
        QTest::newRow("a home network") << QByteArray("http://192.168.178.20:8080/") << 4;
        QTest::newRow("a small print") << QByteArray("http://10.0.0.5:80/") << 2;
        QTest::newRow("IPv6") << QByteArray("http://[fd00:1234:5678::abcd]:65535/") << 3;
        QTest::newRow("a name in capitals") << QByteArray("http://ZEITNAHME-PC.local:8080/") << 4;
    }
    void readBack()
    {
        QFETCH(QByteArray, address);
        QFETCH(int, scale);
        const QrCode code = encodeQr(address);
        QVERIFY(!code.isEmpty());
        QCOMPARE(readCode(qrImage(code, scale)), address);
    }

    // The sheet for the course, as printed on A4 at 150 dpi: its code reads
    // back to the address, however long the title.
    void poster_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("address");
        QTest::newRow("short title") << u"Kart-Slalom"_s << u"http://192.168.178.20:8080/"_s;
        QTest::newRow("long title") << QString(200, u'W') << u"http://10.0.0.5:80/"_s;
    }
    void poster()
    {
        QFETCH(QString, title);
        QFETCH(QString, address);
        QImage sheet(1240, 1754, QImage::Format_RGB32);
        QPainter p(&sheet);
        paintLivePoster(p, QRectF(sheet.rect()), title, u"in Musterstadt"_s, address);
        p.end();
        QCOMPARE(readCode(sheet), address.toUtf8());
    }

    void nothingToEncode_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("more than a code holds") << QByteArray(4000, 'a');
    }
    void nothingToEncode()
    {
        QFETCH(QByteArray, text);
        QVERIFY(encodeQr(text).isEmpty());
        QVERIFY(qrImage(encodeQr(text), 4).width() > 0); // a blank square, no crash
    }
};

QTEST_MAIN(TestLiveQr)
#include "test_liveqr.moc"
