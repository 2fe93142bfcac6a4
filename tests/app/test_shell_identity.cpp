#include "app/appidentity.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace vex;

namespace {

void touch(const QString &path)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
}

} // namespace

class TestShellIdentity : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void namesFollowTheProgramFile_data();
    void namesFollowTheProgramFile();
    void soundsOnlyWhenTheirFilesExist();
    void logoComesFromTheCurrentDirectory();
    void autoEntryHint_data();
    void autoEntryHint();
    void longTimeText_data();
    void longTimeText();
};

void TestShellIdentity::namesFollowTheProgramFile_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("caption");

    QTest::newRow("windows name") << u"Vexilor.exe"_s << u"Vexilor"_s << u"Vexilor 1.2"_s;
    QTest::newRow("bare name") << u"Vexilor"_s << u"Vexilor"_s << u"Vexilor 1.2"_s;
    QTest::newRow("renamed copy") << u"Test"_s << u"Test"_s << u"Test 1.2"_s;
    QTest::newRow("renamed copy .exe") << u"Test.exe"_s << u"Test"_s << u"Test 1.2"_s;
    // Only a trailing ".exe" goes; a dot elsewhere is part of the name, and
    // with it of the settings file.
    QTest::newRow("dotted name") << u"Vexilor.beta.exe"_s << u"Vexilor.beta"_s
                                 << u"Vexilor.beta 1.2"_s;
    QTest::newRow("version in the name") << u"vexilor-1.2"_s << u"vexilor-1.2"_s << u"vexilor-1.2 1.2"_s;
    QTest::newRow("upper-case EXE") << u"VEXILOR.EXE"_s << u"VEXILOR"_s << u"VEXILOR 1.2"_s;
    QTest::newRow("name that is only .exe") << u".exe"_s << u".exe"_s << u".exe 1.2"_s;
}

void TestShellIdentity::namesFollowTheProgramFile()
{
    QFETCH(QString, fileName);
    QFETCH(QString, title);
    QFETCH(QString, caption);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString folder = QDir(dir.path()).absolutePath() + u'/';
    touch(folder + fileName);

    const AppIdentity id = AppIdentity::fromExecutable(folder + fileName);
    QCOMPARE(id.title, title);
    QCOMPARE(id.caption, caption);
    QCOMPARE(id.programFolder, folder);
    QCOMPARE(id.wordTemplate, folder + u"Protokollvorlage.doc"_s);
}

void TestShellIdentity::soundsOnlyWhenTheirFilesExist()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString folder = QDir(dir.path()).absolutePath() + u'/';
    const QString exe = folder + u"Vexilor"_s;
    touch(exe);

    AppIdentity id = AppIdentity::fromExecutable(exe);
    QVERIFY(id.startSound.isEmpty());
    QVERIFY(id.stopSound.isEmpty());

    touch(folder + u"start.wav"_s);
    id = AppIdentity::fromExecutable(exe);
    QCOMPARE(id.startSound, folder + u"start.wav"_s);
    QVERIFY(id.stopSound.isEmpty());

    touch(folder + u"stopp.wav"_s);
    id = AppIdentity::fromExecutable(exe);
    QCOMPARE(id.startSound, folder + u"start.wav"_s);
    QCOMPARE(id.stopSound, folder + u"stopp.wav"_s);

    // A folder of that name is no sound file.
    QTemporaryDir other;
    QVERIFY(QDir(other.path()).mkdir(u"start.wav"_s));
    id = AppIdentity::fromExecutable(other.path() + u"/Vexilor"_s);
    QVERIFY(id.startSound.isEmpty());
}

void TestShellIdentity::logoComesFromTheCurrentDirectory()
{
    QTemporaryDir programDir;
    QTemporaryDir workDir;
    QVERIFY(programDir.isValid() && workDir.isValid());
    const QString exe = programDir.path() + u"/Vexilor"_s;
    const QString work = QDir(workDir.path()).absolutePath();

    QCOMPARE(AppIdentity::fromExecutable(exe, work).logoFile, work + u"/logo.jpg"_s);

    const QString saved = QDir::currentPath();
    QVERIFY(QDir::setCurrent(work));
    const AppIdentity id = AppIdentity::fromExecutable(exe);
    QDir::setCurrent(saved);
    QCOMPARE(QFileInfo(id.logoFile).absolutePath(), QFileInfo(work).canonicalFilePath());
    QCOMPARE(QFileInfo(id.logoFile).fileName(), u"logo.jpg"_s);
    // The word template stays with the program, whatever the current directory.
    QVERIFY(id.wordTemplate.startsWith(QDir(programDir.path()).absolutePath()));
}

void TestShellIdentity::autoEntryHint_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<int>("delayMs");
    QTest::addColumn<QString>("hint");

    const QLocale german(QLocale::German, QLocale::Germany);
    const QLocale c = QLocale::c();
    QTest::newRow("de 5000") << german << 5000 << u"Automatische Eintragung in 5,0 Sekunden"_s;
    QTest::newRow("C 5000") << c << 5000 << u"Automatische Eintragung in 5.0 Sekunden"_s;
    QTest::newRow("de 2500") << german << 2500 << u"Automatische Eintragung in 2,5 Sekunden"_s;
    QTest::newRow("de 0") << german << 0 << u"Automatische Eintragung in 0,0 Sekunden"_s;
    QTest::newRow("de rounds") << german << 1949 << u"Automatische Eintragung in 1,9 Sekunden"_s;
    // No thousands grouping, even where the locale would group.
    QTest::newRow("de large") << german << 12345678 << u"Automatische Eintragung in 12345,7 Sekunden"_s;
}

void TestShellIdentity::autoEntryHint()
{
    QFETCH(QLocale, locale);
    QFETCH(int, delayMs);
    QFETCH(QString, hint);
    QCOMPARE(vex::autoEntryHint(delayMs, locale), hint);
}

void TestShellIdentity::longTimeText_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("text");

    // Hours, minutes and seconds as the locale writes them; never a time zone.
    QTest::newRow("de") << QLocale(QLocale::German, QLocale::Germany) << u"14:05:03"_s;
    QTest::newRow("C") << QLocale::c() << u"14:05:03"_s;
    QTest::newRow("en_US keeps PM") << QLocale(QLocale::English, QLocale::UnitedStates) << u"2:05:03\u202fPM"_s;
}

void TestShellIdentity::longTimeText()
{
    QFETCH(QLocale, locale);
    QFETCH(QString, text);
    QCOMPARE(vex::longTimeText(QTime(14, 5, 3), locale).replace(u' ', u'\u202f'), text);
}

QTEST_GUILESS_MAIN(TestShellIdentity)
#include "test_shell_identity.moc"
