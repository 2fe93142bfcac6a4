// The registry backend against the registry itself: under Wine the registry
// of the run's own prefix. Each run uses a key of its own and removes it.

#include "settings/registrybackend.h"

#include <QCoreApplication>
#include <QTest>

#include <windows.h>

using namespace Qt::StringLiterals;
using namespace vex;

Q_DECLARE_METATYPE(vex::ValueStatus)

namespace {

const wchar_t *wide(const QString &text)
{
    return reinterpret_cast<const wchar_t *>(text.utf16());
}

QByteArray utf16(const QString &text)
{
    return QByteArray(reinterpret_cast<const char *>(text.utf16()), text.size() * 2);
}

} // namespace

class TestSettingsRegistry : public QObject
{
    Q_OBJECT

    const QString m_root = u"Software\\Orrendal\\RegistryTest-"_s + QString::number(QCoreApplication::applicationPid());
    const QString m_key = m_root + u"\\Vexilor"_s;

    bool keyExists() const
    {
        HKEY key = nullptr;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, wide(m_key), 0, KEY_READ, &key) != ERROR_SUCCESS)
            return false;
        RegCloseKey(key);
        return true;
    }

private Q_SLOTS:
    void cleanup() { RegDeleteTreeW(HKEY_CURRENT_USER, wide(m_root)); }

    void aMissingKeyIsNotCreatedByReading()
    {
        RegistryBackend backend;
        QVERIFY(!backend.openForReading(m_key));
        QVERIFY(!keyExists());
        QVERIFY(!backend.writeDword(u"A"_s, 1));
        QVERIFY(backend.closeKey());
    }

    void writtenValuesReadBack()
    {
        RegistryBackend backend;
        QVERIFY(backend.openForWriting(m_key)); // creates the keys above it too
        QVERIFY(backend.writeDword(u"Null"_s, 0));
        QVERIFY(backend.writeDword(u"Minus"_s, -1));
        QVERIFY(backend.writeDword(u"Farbe"_s, 0x00ff8000));
        QVERIFY(backend.writeString(u"Leer"_s, QString()));
        QVERIFY(backend.writeString(u"Titel"_s, u"Zeitnahme Müßig – Ä"_s));
        QVERIFY(backend.writeBinary(u"Mindestlaufzeit"_s, QByteArray::fromHex("000000000000f83f")));
        QVERIFY(backend.closeKey());

        QVERIFY(backend.openForReading(m_key));
        QCOMPARE(backend.readDword(u"Null"_s).value, 0);
        QCOMPARE(backend.readDword(u"minus"_s).value, -1); // names are case-blind
        QCOMPARE(backend.readDword(u"Farbe"_s).value, 0x00ff8000);
        QCOMPARE(backend.readString(u"Leer"_s).status, ValueStatus::Ok);
        QCOMPARE(backend.readString(u"Leer"_s).value, QString());
        QCOMPARE(backend.readString(u"Titel"_s).value, u"Zeitnahme Müßig – Ä"_s);
        QCOMPARE(backend.readBinary(u"Mindestlaufzeit"_s).value, QByteArray::fromHex("000000000000f83f"));
        QVERIFY(backend.closeKey());
    }

    // Values as another program or a hand edit may have left them.
    void readsWhatIsThere_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<ValueStatus>("asDword");
        QTest::addColumn<ValueStatus>("asString");
        QTest::addColumn<ValueStatus>("asBinary");
        QTest::addColumn<QString>("text");

        const auto ok = ValueStatus::Ok;
        const auto wrong = ValueStatus::WrongType;
        QTest::newRow("dword") << int(REG_DWORD) << QByteArray::fromHex("05000000") << ok << wrong << wrong << QString();
        QTest::newRow("dword of 3 bytes") << int(REG_DWORD) << QByteArray::fromHex("050000") << wrong << wrong << wrong << QString();
        QTest::newRow("qword") << int(REG_QWORD) << QByteArray(8, '\1') << wrong << wrong << wrong << QString();
        QTest::newRow("sz") << int(REG_SZ) << utf16(u"COM3"_s).append(2, '\0') << wrong << ok << wrong << u"COM3"_s;
        QTest::newRow("sz without its zero") << int(REG_SZ) << utf16(u"COM3"_s) << wrong << ok << wrong << u"COM3"_s;
        QTest::newRow("sz up to the first zero")
            << int(REG_SZ) << utf16(u"ab"_s).append(2, '\0').append(utf16(u"cd"_s)) << wrong << ok << wrong << u"ab"_s;
        QTest::newRow("expand sz, not expanded")
            << int(REG_EXPAND_SZ) << utf16(u"%TEMP%\\x"_s).append(2, '\0') << wrong << ok << wrong << u"%TEMP%\\x"_s;
        QTest::newRow("multi sz") << int(REG_MULTI_SZ) << utf16(u"a"_s).append(4, '\0') << wrong << wrong << wrong << QString();
        QTest::newRow("binary") << int(REG_BINARY) << QByteArray::fromHex("0102") << wrong << wrong << ok << QString();
        QTest::newRow("empty binary") << int(REG_BINARY) << QByteArray() << wrong << wrong << ok << QString();
    }

    void readsWhatIsThere()
    {
        QFETCH(int, type);
        QFETCH(QByteArray, data);
        QFETCH(ValueStatus, asDword);
        QFETCH(ValueStatus, asString);
        QFETCH(ValueStatus, asBinary);
        QFETCH(QString, text);

        HKEY key = nullptr;
        QCOMPARE(RegCreateKeyExW(HKEY_CURRENT_USER, wide(m_key), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr),
                 LSTATUS(ERROR_SUCCESS));
        const LSTATUS set = RegSetValueExW(key, L"Wert", 0, DWORD(type),
                                           reinterpret_cast<const BYTE *>(data.constData()), DWORD(data.size()));
        RegCloseKey(key);
        QCOMPARE(set, LSTATUS(ERROR_SUCCESS));

        RegistryBackend backend;
        QVERIFY(backend.openForReading(m_key));
        QCOMPARE(backend.readDword(u"Wert"_s).status, asDword);
        QCOMPARE(backend.readString(u"Wert"_s).status, asString);
        QCOMPARE(backend.readBinary(u"Wert"_s).status, asBinary);
        if (asString == ValueStatus::Ok)
            QCOMPARE(backend.readString(u"Wert"_s).value, text);
        if (asBinary == ValueStatus::Ok)
            QCOMPARE(backend.readBinary(u"Wert"_s).value, data);
        QCOMPARE(backend.readDword(u"Fehlt"_s).status, ValueStatus::Missing);
        QVERIFY(backend.closeKey());
    }
};

QTEST_GUILESS_MAIN(TestSettingsRegistry)
#include "test_settings_registry.moc"
