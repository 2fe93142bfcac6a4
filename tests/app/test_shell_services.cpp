#include "app/helpviewer.h"
#include "app/runsound.h"

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
    void desktopHelpIgnoresMissingFile();
};

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

void TestShellServices::desktopHelpIgnoresMissingFile()
{
    QTemporaryDir dir;
    DesktopHelpViewer help;
    QVERIFY(!help.showContents(QString()));
    QVERIFY(!help.showContents(dir.filePath(u"Vexilor.chm"_s)));
    // A folder named like the help file is no help file either.
    QVERIFY(QDir(dir.path()).mkdir(u"Test.chm"_s));
    QVERIFY(!help.showContents(dir.filePath(u"Test.chm"_s)));
}

QTEST_MAIN(TestShellServices)
#include "test_shell_services.moc"
