#include "settings/regfilebackend.h"
#include "settings/regfileformat.h"
#include "settings/settingsstore.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#ifndef Q_OS_WIN
#include <sys/stat.h>
#endif

using namespace Qt::StringLiterals;
using namespace vex;

namespace {

const QString kKey = u"Software\\Orrendal\\Vexilor"_s;
const QString kFullKey = u"HKEY_CURRENT_USER\\Software\\Orrendal\\Vexilor"_s;

const QStringList kLoadOrder{
    u"Left"_s, u"Top"_s, u"Width"_s, u"Height"_s, u"Sound"_s, u"Port"_s, u"Alg"_s, u"FilterInd"_s,
    u"Monitor"_s, u"Klass"_s, u"StartLock"_s, u"Wait"_s, u"LsCFG"_s, u"AutoEin"_s, u"FilterIndO"_s,
    u"AutoEinS"_s, u"Manuell"_s, u"Title"_s, u"Kontakt"_s, u"LaufCount"_s, u"Bonus"_s, u"Multi"_s,
    u"Adel"_s, u"ZeitStandart"_s, u"ZeitMax"_s, u"ZFCalc"_s, u"Title2"_s, u"Katego"_s, u"Dist"_s,
    u"Skor"_s, u"AutoRang"_s, u"EditRes"_s, u"ColorText"_s, u"ColorZeit"_s, u"ColorBZeit"_s,
    u"ColorFon"_s, u"cbClub"_s, u"ExcelX"_s, u"ExcelY"_s, u"Live"_s, u"LivePort"_s, u"LiveCode"_s, u"MinLauf"_s,
    u"WertLaeufe"_s, u"WertZaehlt"_s, u"WertGleich"_s, u"WertStrafMax"_s, u"TeamZaehlt"_s, u"TeamPunkte"_s,
    u"UrkundenPlaetze"_s, u"UrkundenBild"_s,
    u"Inet"_s, u"InetAdresse"_s, u"InetOrdner"_s, u"InetBenutzer"_s, u"InetIntervall"_s, u"InetInhalt"_s,
    u"InetNamen"_s, u"InetVertrauen"_s, u"Ort"_s, u"Unterschrift1"_s, u"Unterschrift2"_s,
    u"Quelle"_s, u"TimerPort"_s, u"TimerBaud"_s, u"TafelPort"_s, u"TafelBaud"_s, u"TafelZeigt"_s};

// Records what a save writes, and can refuse the key or one value.
class RecordingBackend : public SettingsBackend
{
public:
    bool canOpen = true;
    QString refuse;
    QList<std::pair<QString, QVariant>> written;

    bool openForReading(const QString &) override { return false; }
    bool openForWriting(const QString &) override { return canOpen; }
    ValueRead<qint32> readDword(const QString &) override { return {}; }
    ValueRead<QString> readString(const QString &) override { return {}; }
    ValueRead<QByteArray> readBinary(const QString &) override { return {}; }
    bool writeDword(const QString &n, qint32 v) override { return record(n, v); }
    bool writeString(const QString &n, const QString &v) override { return record(n, v); }
    bool writeBinary(const QString &n, const QByteArray &v) override { return record(n, v); }
    bool closeKey() override { return true; }

private:
    bool record(const QString &name, const QVariant &value)
    {
        if (name == refuse)
            return false;
        written.append({name, value});
        return true;
    }
};

// Every field as the store writes it, by name.
QVariantMap valuesOf(const Settings &settings)
{
    RecordingBackend backend;
    SettingsStore(backend, kKey).save(settings);
    QVariantMap map;
    for (const auto &[name, value] : backend.written)
        map.insert(name, value);
    return map;
}

// Every field differs from its default; carried fields hold odd values.
Settings customSettings()
{
    Settings s;
    s.Left = -40; s.Top = 20; s.Width = 1200; s.Height = 900; s.Sound = false; s.Port = 7; s.Alg = 1;
    s.FilterInd = 3; s.Monitor = 1; s.Klass = true; s.StartLock = 4000; s.Wait = -1; s.LsCFG = 99;
    s.AutoEin = true; s.FilterIndO = 2; s.AutoEinS = 2500; s.Manuell = false; s.Title = u"Clubmeisterschaft"_s;
    s.Kontakt = 123456789; s.LaufCount = 3; s.Bonus = true; s.Multi = -7; s.Adel = 0; s.ZeitStandart = 59;
    s.ZeitMax = 0x7fffffff; s.ZFCalc = false; s.Title2 = u"in Überlingen\r\nam 3. Mai \"2008\" C:\\"_s;
    s.Katego = QString(); s.Dist = -0.1; s.Skor = 1e300; s.AutoRang = false; s.EditRes = false;
    s.ColorText = 0x80000005; s.ColorZeit = 0; s.ColorBZeit = 0x00123456; s.ColorFon = 0xFFFFFFFF;
    s.cbClub = false; s.ExcelX = 2; s.ExcelY = 1; s.Live = true; s.LivePort = 9090; s.LiveCode = false; s.MinLauf = 8;
    s.WertLaeufe = 3; s.WertZaehlt = 2; s.WertGleich = 1; s.WertStrafMax = 99; s.TeamZaehlt = 4;
    s.TeamPunkte = u"10; 8 6"_s; s.UrkundenPlaetze = 5; s.UrkundenBild = u"C:\\Urkunde ä.png"_s;
    s.Inet = true; s.InetAdresse = u"sftp://web.example:2222"_s; s.InetOrdner = u"live"_s; s.InetBenutzer = u"club"_s;
    s.InetIntervall = 30; s.InetInhalt = 5; s.InetNamen = 2; s.InetVertrauen = u"SHA256:abc"_s;
    s.Ort = u"Talheim"_s; s.Unterschrift1 = u"Sportleiter"_s; s.Unterschrift2 = QString();
    s.Quelle = 1; s.TimerPort = u"/dev/serial/by-id/usb-Zeit-if00"_s; s.TimerBaud = 38400;
    s.TafelPort = u"COM4"_s; s.TafelBaud = 4800; s.TafelZeigt = 3;
    return s;
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeAll(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// Rewrites the settings key of a file through an edit of its values.
template <typename Edit>
void editKey(const QString &path, Edit edit)
{
    QList<RegKey> keys = parseRegExport(decodeRegFile(readAll(path)));
    QVERIFY(!keys.isEmpty());
    edit(keys.first());
    QVERIFY(writeAll(path, encodeRegFile(formatRegExport(keys))));
}

} // namespace

class TestSettingsStore : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_path;

    Settings loadFile(LoadResult *result = nullptr)
    {
        RegFileBackend backend(m_path);
        Settings settings;
        const LoadResult r = SettingsStore(backend, kKey).load(settings);
        if (result)
            *result = r;
        return settings;
    }
    std::optional<QString> saveFile(const Settings &settings)
    {
        RegFileBackend backend(m_path);
        return SettingsStore(backend, kKey).save(settings);
    }

private Q_SLOTS:
    void init()
    {
        QVERIFY(m_dir.isValid());
        m_path = m_dir.filePath(u"cfg/Orrendal/Vexilor.reg"_s);
        QFile::remove(m_path);
    }

    void firstStartUsesDefaultsAndSavesAllValues()
    {
        LoadResult result;
        QCOMPARE(loadFile(&result), Settings());
        QVERIFY(!result.keyFound);
        QCOMPARE(saveFile(Settings()), std::nullopt);
        QCOMPARE(readAll(m_path), readAll(QStringLiteral(VEX_TEST_DATA "/settings_default.reg")));
        QCOMPARE(loadFile(&result), Settings());
        QVERIFY(result.complete());
        QCOMPARE(result.valuesRead, int(kLoadOrder.size()));
    }

    void carriedValuesComeBackUnchanged()
    {
        const Settings custom = customSettings();
        QCOMPARE(saveFile(custom), std::nullopt);
        const QByteArray first = readAll(m_path);
        const Settings loaded = loadFile();
        QCOMPARE(loaded, custom);
        QCOMPARE(saveFile(loaded), std::nullopt);
        QCOMPARE(readAll(m_path), first);
    }

    void readsARegeditExport()
    {
        QDir().mkpath(QFileInfo(m_path).absolutePath());
        QVERIFY(QFile::copy(QStringLiteral(VEX_TEST_DATA "/settings_regedit_export.reg"), m_path));
        LoadResult result;
        const Settings s = loadFile(&result);
        // The export ends after Katego: the values from Dist on keep their defaults.
        QCOMPARE(result.failedValues.first(), u"Dist"_s);
        QCOMPARE(result.failedValues.size(), 40);
        QCOMPARE(s.Left, 0x20);  // the other key's Left is not ours
        QCOMPARE(s.Title, u"Clubmeisterschaft %JAHR%"_s);
        QCOMPARE(s.Title2, u"Kart-Slalom in Überlingen\r\nam 3. Mai"_s);
        QCOMPARE(s.Katego, u"Gross"_s);
        QCOMPARE(s.Dist, Settings().Dist);
    }

    // A value that can't be read keeps its default; every other value loads.
    void eachUnreadableValueTakesItsDefault_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<RegValue>("stored");  // type RegNone: the value is removed
        QTest::newRow("Sound missing") << u"Sound"_s << RegValue{};
        QTest::newRow("Dist as dword") << u"Dist"_s << dwordValue(u"Dist"_s, 180);
        QTest::newRow("Skor 4 bytes") << u"Skor"_s << RegValue{u"Skor"_s, RegBinary, QByteArray(4, '\0')};
        QTest::newRow("Port as string") << u"Port"_s << stringValue(u"Port"_s, u"3"_s);
        QTest::newRow("Title as dword") << u"Title"_s << dwordValue(u"Title"_s, 1);
        QTest::newRow("Title missing") << u"Title"_s << RegValue{};
        QTest::newRow("colour as binary") << u"ColorFon"_s << RegValue{u"ColorFon"_s, RegBinary, QByteArray(4, '\0')};
        QTest::newRow("first value missing") << u"Left"_s << RegValue{};
        QTest::newRow("last value missing") << u"ExcelY"_s << RegValue{};
        QTest::newRow("store of an older version") << u"MinLauf"_s << RegValue{};
    }
    void eachUnreadableValueTakesItsDefault()
    {
        QFETCH(QString, name);
        QFETCH(RegValue, stored);
        QCOMPARE(saveFile(customSettings()), std::nullopt);
        editKey(m_path, [&](RegKey &key) {
            key.values.removeIf([&](const RegValue &v) { return v.name == name; });
            if (stored.type != RegNone)
                key.set(stored);
        });
        LoadResult result;
        const QVariantMap loaded = valuesOf(loadFile(&result));
        QCOMPARE(result.failedValues, QStringList{name});
        QCOMPARE(result.valuesRead, int(kLoadOrder.size()) - 1);
        const QVariantMap custom = valuesOf(customSettings());
        const QVariantMap defaults = valuesOf(Settings());
        for (const QString &field : kLoadOrder)
            QCOMPARE(loaded.value(field), (field == name ? defaults : custom).value(field));
    }

    // A value line damaged by hand: the value keeps its default, the title and
    // colours after it load, and the file is kept as a copy before it is
    // rewritten.
    void damagedValueLineIsKeptInACopy()
    {
        QCOMPARE(saveFile(customSettings()), std::nullopt);
        QString text = decodeRegFile(readAll(m_path));
        const qsizetype at = text.indexOf(u"\"Sound\"=dword:00000000"_s);
        QVERIFY(at >= 0);
        text.replace(at, 22, u"\"Sound\"=dword:1x"_s);
        const QByteArray damaged = encodeRegFile(text);
        QVERIFY(writeAll(m_path, damaged));

        LoadResult result;
        const Settings loaded = loadFile(&result);
        QCOMPARE(result.failedValues, QStringList{u"Sound"_s});
        QCOMPARE(loaded.Sound, Settings().Sound);
        QCOMPARE(loaded.Title, customSettings().Title);
        QCOMPARE(loaded.ColorFon, customSettings().ColorFon);

        const QString backup = m_path + u".bak"_s;
        QVERIFY(!QFile::exists(backup));
        QCOMPARE(saveFile(loaded), std::nullopt);
        QCOMPARE(readAll(backup), damaged);
        QVERIFY(readAll(m_path) != damaged);
        // The rewritten file reads completely: the next save makes no copy.
        QVERIFY(QFile::remove(backup));
        QCOMPARE(saveFile(loaded), std::nullopt);
        QVERIFY(!QFile::exists(backup));
    }

    void unreadableFileIsNeverReplacedWithoutACopy_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("not an export") << QByteArray("\x01\x02 Dies ist keine Registrierungsdatei \xFF");
        QTest::newRow("header only cut off") << QByteArray("Windows Registry Ed");
        QTest::newRow("value outside a key") << QByteArray("REGEDIT4\r\n\"Title\"=\"x\"\r\n");
    }
    void unreadableFileIsNeverReplacedWithoutACopy()
    {
        QFETCH(QByteArray, content);
        QDir().mkpath(QFileInfo(m_path).absolutePath());
        QVERIFY(writeAll(m_path, content));
        QCOMPARE(saveFile(Settings()), std::nullopt);
        QCOMPARE(readAll(m_path + u".bak"_s), content);
        QCOMPARE(loadFile(), Settings());

        // Where the copy can't be made, the file stays as it was.
        QVERIFY(writeAll(m_path, content));
        QFile::remove(m_path + u".bak"_s);
        QVERIFY(QDir().mkpath(m_path + u".bak"_s));  // a folder in the copy's place
        QVERIFY(saveFile(Settings()).has_value());
        QCOMPARE(readAll(m_path), content);
        QVERIFY(QDir(m_path + u".bak"_s).removeRecursively());
    }

    // Anything but a regular file of a sensible size reads as no settings,
    // without waiting or filling the memory, and is kept under the copy's name.
    void onlyARegularFileIsRead_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("named pipe") << u"pipe"_s;
        QTest::newRow("link to /dev/zero") << u"zero"_s;
    }
    void onlyARegularFileIsRead()
    {
        QFETCH(QString, kind);
        QDir().mkpath(QFileInfo(m_path).absolutePath());
#ifdef Q_OS_WIN
        QSKIP("no named pipes or /dev/zero in a folder here");
#else
        if (kind == u"pipe")
            QCOMPARE(::mkfifo(QFile::encodeName(m_path).constData(), 0600), 0);
        else
#endif
            QVERIFY(QFile::link(u"/dev/zero"_s, m_path));
        QCOMPARE(loadFile(), Settings());
        QCOMPARE(saveFile(customSettings()), std::nullopt);
        QCOMPARE(loadFile(), customSettings());
        QCOMPARE(QFileInfo(m_path + u".bak"_s).isSymLink(), kind == u"zero");
    }

    void startCellIsKeptOnASheet()
    {
        Settings stored;
        stored.ExcelX = 2147483647;
        stored.ExcelY = 0;
        QCOMPARE(saveFile(stored), std::nullopt);
        QCOMPARE(loadFile().ExcelX, 16383);
        QCOMPARE(loadFile().ExcelY, 1);
    }

    // Lookups by name must not grow with the square of the file: a file of
    // 20,000 keys and a key of 20,000 values load and save at once.
    void manyKeysLoadAndSaveFast()
    {
        QString text = u"Windows Registry Editor Version 5.00\r\n\r\n"_s;
        for (int k = 0; k < 20000; ++k)
            text += u"[HKEY_CURRENT_USER\\Software\\Andere\\Schl\u00fcssel%1]\r\n\"Wert\"=dword:00000001\r\n\r\n"_s.arg(k);
        text += u"[HKEY_CURRENT_USER\\Software\\Orrendal\\Vexilor]\r\n\"Title\"=\"Gro\u00dfer Preis\"\r\n"_s;
        for (int v = 0; v < 20000; ++v)
            text += u"\"Extra%1\"=dword:00000002\r\n"_s.arg(v);
        QDir().mkpath(QFileInfo(m_path).absolutePath());
        QVERIFY(writeAll(m_path, encodeRegFile(text)));

        QElapsedTimer clock;
        clock.start();
        Settings loaded = loadFile();
        QCOMPARE(loaded.Title, u"Großer Preis"_s);
        QCOMPARE(saveFile(loaded), std::nullopt);
        // Generous for a sanitizer build on a busy machine; the quadratic
        // lookup took minutes here.
        QVERIFY2(clock.elapsed() < 15000, qPrintable(QString::number(clock.elapsed())));
        const QString saved = decodeRegFile(readAll(m_path));
        QCOMPARE(saved.count(u"\r\n["_s), 20001);
        QCOMPARE(saved.count(u"\"Extra"_s), 20000);
    }

    void keyWithWindowBoundsOnly()
    {
        QDir().mkpath(QFileInfo(m_path).absolutePath());
        QVERIFY(writeAll(m_path, "[HKEY_CURRENT_USER\\Software\\Orrendal\\Vexilor]\n\"Left\"=dword:00000005\n"
                                 "\"Top\"=dword:00000006\n\"Width\"=dword:00000400\n\"Height\"=dword:000001f4\n"));
        Settings expected;
        expected.Left = 5; expected.Top = 6; expected.Width = 1024; expected.Height = 500;
        QCOMPARE(loadFile(), expected);
    }

    // A string stored empty reads as ""; REG_EXPAND_SZ is not expanded.
    void stringValues_data()
    {
        QTest::addColumn<RegValue>("stored");
        QTest::addColumn<QString>("title");
        QTest::newRow("empty") << stringValue(u"Title"_s, QString()) << QString();
        QTest::newRow("expand string") << stringValue(u"Title"_s, u"%USERNAME%"_s, RegExpandSz) << u"%USERNAME%"_s;
        QTest::newRow("no terminating zero") << RegValue{u"Title"_s, RegSz, QByteArray("A\0B\0", 4)} << u"AB"_s;
    }
    void stringValues()
    {
        QFETCH(RegValue, stored);
        QFETCH(QString, title);
        QCOMPARE(saveFile(customSettings()), std::nullopt);
        editKey(m_path, [&](RegKey &key) {
            key.values.removeIf([](const RegValue &v) { return v.name == u"Title"; });
            if (stored.type != RegNone)
                key.set(stored);
        });
        LoadResult result;
        const Settings s = loadFile(&result);
        QVERIFY(result.complete());
        QCOMPARE(s.Title, title);
        QCOMPARE(s.ExcelY, customSettings().ExcelY);
    }

    // How a stored number is taken and written back.
    void dwordValues_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<qint32>("stored");
        QTest::addColumn<qint32>("writtenBack");
        QTest::newRow("Port low byte") << u"Port"_s << 258 << 2;
        QTest::newRow("Port negative") << u"Port"_s << -1 << 255;
        QTest::newRow("boolean 5") << u"Sound"_s << 5 << 1;
        QTest::newRow("boolean -1") << u"cbClub"_s << -1 << 1;
        QTest::newRow("negative monitor kept") << u"Monitor"_s << -3 << -3;
        QTest::newRow("small width kept") << u"Width"_s << 100 << 100;
        QTest::newRow("system colour") << u"ColorText"_s << qint32(0x80000008) << qint32(0x80000008);
    }
    void dwordValues()
    {
        QFETCH(QString, name);
        QFETCH(qint32, stored);
        QFETCH(qint32, writtenBack);
        QCOMPARE(saveFile(Settings()), std::nullopt);
        editKey(m_path, [&](RegKey &key) { key.set(dwordValue(name, stored)); });
        LoadResult result;
        const Settings s = loadFile(&result);
        QVERIFY(result.complete());
        if (name == u"Port")
            QCOMPARE(s.Port, writtenBack);
        QCOMPARE(valuesOf(s).value(name), QVariant(writtenBack));
    }

    // A damaged file costs the values it no longer holds, never the program.
    void damagedFiles_data()
    {
        QTest::addColumn<int>("keep");  // bytes kept of a full save; -1: the file is replaced by noise
        QTest::addColumn<int>("valuesRead");
        const QByteArray full = [] {
            QTemporaryDir dir;
            RegFileBackend backend(dir.filePath(u"x.reg"_s));
            SettingsStore(backend, kKey).save(customSettings());
            return readAll(dir.filePath(u"x.reg"_s));
        }();
        const int inTitle2 = int(full.indexOf(QByteArray("T\0i\0t\0l\0e\0002\0", 12))) + 20;
        const int inWait = int(full.indexOf(QByteArray("W\0a\0i\0t\0", 8))) + 20;
        // Every value written before the cut: twelve before Wait, 26 before Title2.
        QTest::newRow("cut in Wait") << inWait << 12;
        QTest::newRow("cut in Title2, odd byte") << inTitle2 + 1 << 26;
        QTest::newRow("cut in header") << 20 << 0;
        QTest::newRow("noise") << -1 << 0;
    }
    void damagedFiles()
    {
        QFETCH(int, keep);
        QFETCH(int, valuesRead);
        QCOMPARE(saveFile(customSettings()), std::nullopt);
        const QByteArray bytes = readAll(m_path);
        QByteArray damaged = keep < 0 ? QByteArray(bytes.size(), '\0') : bytes.left(keep);
        if (keep < 0) {
            for (qsizetype i = 0; i < damaged.size(); ++i)
                damaged[i] = char((i * 7919) % 251);
        }
        QVERIFY(writeAll(m_path, damaged));
        LoadResult result;
        loadFile(&result);
        QCOMPARE(result.valuesRead, valuesRead);
    }

    // When the file can't be replaced the old one stays and the first value is named.
    void failedCommitKeepsOldFile_data()
    {
        QTest::addColumn<bool>("readOnlyDir");
        QTest::newRow("read-only folder") << true;
        QTest::newRow("no room for a temporary file") << false;
    }
    void failedCommitKeepsOldFile()
    {
        QFETCH(bool, readOnlyDir);
        if (!readOnlyDir)  // the name fits, the name of its temporary file doesn't
            m_path = m_dir.filePath(u"long/"_s + QString(250, u'v') + u".reg"_s);
        const QString folder = QFileInfo(m_path).absolutePath();
        QDir().mkpath(folder);
        const QByteArray old = readAll(QStringLiteral(VEX_TEST_DATA "/settings_regedit_export.reg"));
        QVERIFY(writeAll(m_path, old));
        if (readOnlyDir) {
            QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
            if (writeAll(folder + u"/probe"_s, "x")) {
                QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
                QSKIP("folder permissions don't bind this user");
            }
        }
        const auto message = saveFile(customSettings());
        QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        QCOMPARE(message, std::optional(u"Failed to set data for 'Left'"_s));
        QCOMPARE(readAll(m_path), old);
    }

    void keyThatCannotBeCreatedSavesNothingSilently()
    {
        QVERIFY(writeAll(m_dir.filePath(u"blocker"_s), "x"));
        RegFileBackend backend(m_dir.filePath(u"blocker/Orrendal/Vexilor.reg"_s));
        QCOMPARE(SettingsStore(backend, kKey).save(Settings()), std::nullopt);
        QVERIFY(!QFileInfo(backend.filePath()).exists());
    }

    void valueThatCannotBeWrittenStopsSaving()
    {
        RecordingBackend backend;
        backend.refuse = u"Title"_s;
        QCOMPARE(SettingsStore(backend, kKey).save(Settings()), std::optional(u"Failed to set data for 'Title'"_s));
        QStringList names;
        for (const auto &entry : backend.written)
            names << entry.first;
        QCOMPARE(names, (QStringList{u"Left"_s, u"Top"_s, u"Width"_s, u"Height"_s, u"Port"_s, u"Alg"_s,
                                     u"Sound"_s, u"FilterInd"_s, u"Monitor"_s}));

        RecordingBackend closed;
        closed.canOpen = false;
        QCOMPARE(SettingsStore(closed, kKey).save(Settings()), std::nullopt);
        QVERIFY(closed.written.isEmpty());
    }

    void saveKeepsOtherKeysAndValues()
    {
        QDir().mkpath(QFileInfo(m_path).absolutePath());
        QVERIFY(writeAll(m_path, "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Orrendal\\Other]\r\n\"Left\"=dword:1\r\n"
                                 "[hkey_current_user\\software\\orrendal\\vexilor]\r\n\"Extra\"=\"x\"\r\n\"left\"=dword:2\r\n"));
        QCOMPARE(loadFile().Left, 2);
        QCOMPARE(saveFile(Settings()), std::nullopt);
        const QList<RegKey> keys = parseRegExport(decodeRegFile(readAll(m_path)));
        QCOMPARE(keys.size(), 2);
        QCOMPARE(keys[0].values.size(), 1);
        QCOMPARE(keys[1].values.size(), int(kLoadOrder.size()) + 1);
        QVERIFY(keys[1].find(u"Extra"));
        QCOMPARE(keys[1].find(u"Left")->data, dwordValue({}, 324).data);
    }

    void monitorIndex_data()
    {
        QTest::addColumn<int>("monitor");
        QTest::addColumn<int>("screens");
        QTest::addColumn<int>("checked");
        QTest::newRow("beyond two screens") << 3 << 2 << 0;
        QTest::newRow("second of two") << 1 << 2 << 1;
        QTest::newRow("second of one") << 1 << 1 << 0;
        QTest::newRow("negative") << -1 << 2 << 0;
    }
    void monitorIndex()
    {
        QFETCH(int, monitor);
        QFETCH(int, screens);
        QFETCH(int, checked);
        Settings s;
        s.Monitor = monitor;
        checkMonitorIndex(s, screens);
        QCOMPARE(s.Monitor, checked);
    }

    void locations()
    {
        QCOMPARE(settingsKeyPath(u"Test"_s), u"Software\\Orrendal\\Test"_s);
        const QByteArray saved = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", "/x/cfg");
        QCOMPARE(defaultSettingsFilePath(u"Test"_s), u"/x/cfg/Orrendal/Test.reg"_s);
        qunsetenv("XDG_CONFIG_HOME");
        QCOMPARE(defaultSettingsFilePath(u"Test"_s), QDir::homePath() + u"/.config/Orrendal/Test.reg"_s);
        if (!saved.isNull())
            qputenv("XDG_CONFIG_HOME", saved);
    }
};

QTEST_GUILESS_MAIN(TestSettingsStore)
#include "test_settings_store.moc"
