#include "app/runsound.h"
#include "app/windowplacement.h"

#include <QDataStream>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSoundEffect>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace vex;

namespace {

class FakePlayer : public RunSoundPlayer
{
public:
    void play(const QString &wavPath) override { played << wavPath; }
    QStringList played;
};

// A short silent mono 16-bit PCM wave file.
void writeWave(const QString &path, int samples = 8000)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    QDataStream out(&f);
    out.setByteOrder(QDataStream::LittleEndian);
    const quint32 dataBytes = quint32(samples) * 2;
    out.writeRawData("RIFF", 4);
    out << quint32(36 + dataBytes);
    out.writeRawData("WAVEfmt ", 8);
    out << quint32(16) << quint16(1) << quint16(1) << quint32(8000) << quint32(16000)
        << quint16(2) << quint16(16);
    out.writeRawData("data", 4);
    out << dataBytes;
    for (int i = 0; i < samples; ++i)
        out << qint16(0);
}

} // namespace

class TestShellServices : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void runSoundRule_data();
    void runSoundRule();
    void soundEffectPlayerNeverWaits();
    void soundEffectPlayerIgnoresMissingFiles();
    void windowPlacement_data();
    void windowPlacement();
};

void TestShellServices::windowPlacement_data()
{
    QTest::addColumn<QRect>("stored");
    QTest::addColumn<QRect>("placed");
    // Two screens side by side: 1920 x 1040 and, to its right, 1280 x 1000.
    QTest::newRow("fits where it is") << QRect(100, 50, 900, 600) << QRect(100, 50, 900, 600);
    QTest::newRow("on the second screen") << QRect(2000, 100, 900, 600) << QRect(2000, 100, 900, 600);
    QTest::newRow("larger than its screen") << QRect(2000, 0, 3000, 3000) << QRect(1920, 0, 1280, 1000);
    QTest::newRow("below the minimum") << QRect(10, 10, 100, 100) << QRect(10, 10, 808, 522);
    QTest::newRow("hanging over the right edge") << QRect(1800, 100, 900, 600) << QRect(1920, 100, 900, 600);
    QTest::newRow("left of every screen") << QRect(-5000, 300, 900, 600) << QRect(0, 300, 900, 600);
    QTest::newRow("below every screen: the nearest") << QRect(2500, 90000, 900, 600) << QRect(2300, 400, 900, 600);
    QTest::newRow("screen smaller than the minimum: corner kept on it")
        << QRect(40, 30, 808, 544) << QRect(40, 30, 808, 544);
}

void TestShellServices::windowPlacement()
{
    QFETCH(QRect, stored);
    QFETCH(QRect, placed);
    QList<QRect> screens{QRect(0, 0, 1920, 1040), QRect(1920, 0, 1280, 1000)};
    if (QByteArray(QTest::currentDataTag()).startsWith("screen smaller"))
        screens = {QRect(0, 0, 800, 600)};
    QCOMPARE(placeOnScreens(stored.x(), stored.y(), stored.width(), stored.height(), screens, QSize(808, 522)), placed);
    // Values only a damaged store holds stay defined.
    const QRect huge = placeOnScreens(0x7fffffff, -0x7fffffff, 0x7fffffff, 0x7fffffff, screens, QSize(808, 522));
    QVERIFY(std::any_of(screens.cbegin(), screens.cend(), [&](const QRect &r) { return r.contains(huge.topLeft()); }));
}

void TestShellServices::runSoundRule_data()
{
    QTest::addColumn<bool>("soundOn");
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("played");

    QTest::newRow("on, file") << true << u"/prog/start.wav"_s << true;
    QTest::newRow("off, file") << false << u"/prog/start.wav"_s << false;
    QTest::newRow("on, no file at start-up") << true << QString() << false;
    QTest::newRow("off, no file") << false << QString() << false;
}

void TestShellServices::runSoundRule()
{
    QFETCH(bool, soundOn);
    QFETCH(QString, path);
    QFETCH(bool, played);

    FakePlayer player;
    PlayRunSound(player, soundOn, path);
    QCOMPARE(player.played, played ? QStringList{path} : QStringList{});
}

void TestShellServices::soundEffectPlayerNeverWaits()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString start = dir.filePath(u"start.wav"_s);
    const QString stop = dir.filePath(u"stopp.wav"_s);
    writeWave(start);
    writeWave(stop);

    // Whether or not the machine has an audio device, a series of quick
    // starts returns at once and the player keeps one effect per file.
    SoundEffectPlayer player;
    player.preload(start);
    QCOMPARE(player.findChildren<QSoundEffect *>().size(), 1);
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < 5; ++i) {
        player.play(start);
        QTest::qWait(20);
    }
    player.play(stop);
    player.play(start);
    QVERIFY2(timer.elapsed() < 3000, "playing a sound must not block");
    QCOMPARE(player.findChildren<QSoundEffect *>().size(), 2);

    // Loading finishes (or fails quietly without a device); nothing hangs.
    QTest::qWait(200);
    player.stop();
    for (const QSoundEffect *effect : player.findChildren<QSoundEffect *>())
        QVERIFY(!effect->isPlaying());
}

void TestShellServices::soundEffectPlayerIgnoresMissingFiles()
{
    SoundEffectPlayer player;
    player.play(QString());
    player.play(u"/no/such/folder/start.wav"_s);
    player.preload(QString());
    player.preload(u"/no/such/folder/stopp.wav"_s);
    QVERIFY(player.findChildren<QSoundEffect *>().isEmpty());
}

QTEST_MAIN(TestShellServices)
#include "test_shell_services.moc"
