#include "settings/regfileformat.h"

#include <QStringEncoder>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace vex;

namespace {

QString exportOf(const QString &valueLines)
{
    return u"Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\T]\r\n"_s
        + valueLines + u"\r\n\r\n"_s;
}

RegKey onlyKey(const QString &text)
{
    const QList<RegKey> keys = parseRegExport(text);
    return keys.size() == 1 ? keys.first() : RegKey{};
}

QByteArray hexBytes(const char *hex) { return QByteArray::fromHex(hex); }

} // namespace

class TestSettingsRegFile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void readsValueLines_data()
    {
        QTest::addColumn<QString>("lines");
        QTest::addColumn<QString>("name");
        QTest::addColumn<quint32>("type");
        QTest::addColumn<QByteArray>("data");

        QTest::newRow("dword") << u"\"A\"=dword:00000003"_s << u"A"_s << quint32(RegDword) << hexBytes("03000000");
        QTest::newRow("dword all bits") << u"\"A\"=dword:FFFFFFFE"_s << u"A"_s << quint32(RegDword) << hexBytes("feffffff");
        QTest::newRow("escaped string") << u"\"A\"=\"C:\\\\Temp \\\"x\\\"\""_s << u"A"_s << quint32(RegSz)
                                        << stringValue({}, u"C:\\Temp \"x\""_s).data;
        QTest::newRow("lone backslash kept") << u"\"A\"=\"C:\\Temp\""_s << u"A"_s << quint32(RegSz)
                                             << stringValue({}, u"C:\\Temp"_s).data;
        QTest::newRow("binary") << u"\"A\"=hex:00,00,00,00,00,80,66,40"_s << u"A"_s << quint32(RegBinary)
                                << hexBytes("0000000000806640");
        QTest::newRow("empty binary") << u"\"A\"=hex:"_s << u"A"_s << quint32(RegBinary) << QByteArray();
        QTest::newRow("expand string") << u"\"A\"=hex(2):25,00,41,00,25,00,00,00"_s << u"A"_s
                                       << quint32(RegExpandSz) << stringValue({}, u"%A%"_s).data;
        QTest::newRow("hex(1) with line break") << u"\"A\"=hex(1):61,00,0d,00,0a,00,62,00,00,00"_s << u"A"_s
                                                << quint32(RegSz) << stringValue({}, u"a\r\nb"_s).data;
        QTest::newRow("continued hex") << u"\"A\"=hex(2):25,00,\\\r\n  41,00,\\\r\n  25,00,00,00"_s << u"A"_s
                                       << quint32(RegExpandSz) << stringValue({}, u"%A%"_s).data;
        QTest::newRow("quoted name") << u"\"N\\\"a\\\\me\"=dword:1"_s << u"N\"a\\me"_s << quint32(RegDword)
                                     << hexBytes("01000000");
        QTest::newRow("default value") << u"@=\"x\""_s << QString() << quint32(RegSz) << stringValue({}, u"x"_s).data;
        QTest::newRow("later line wins") << u"\"A\"=dword:1\r\n\"a\"=dword:2"_s << u"a"_s << quint32(RegDword)
                                         << hexBytes("02000000");
    }
    void readsValueLines()
    {
        QFETCH(QString, lines);
        QFETCH(QString, name);
        QFETCH(quint32, type);
        QFETCH(QByteArray, data);
        const RegKey key = onlyKey(exportOf(lines));
        QCOMPARE(key.values.size(), 1);
        const RegValue *value = key.find(name);
        QVERIFY(value);
        QCOMPARE(value->type, type);
        QCOMPARE(value->data, data);
    }

    // A damaged line costs its own value and nothing else.
    void skipsLinesItCannotRead_data()
    {
        QTest::addColumn<QString>("line");
        QTest::newRow("unterminated string") << u"\"A\"=\"Vexil"_s;
        QTest::newRow("junk after string") << u"\"A\"=\"x\" y"_s;
        QTest::newRow("bad dword digits") << u"\"A\"=dword:00zz0000"_s;
        QTest::newRow("dword too long") << u"\"A\"=dword:123456789"_s;
        QTest::newRow("empty dword") << u"\"A\"=dword:"_s;
        QTest::newRow("bad hex byte") << u"\"A\"=hex:00,0g"_s;
        QTest::newRow("three-digit byte") << u"\"A\"=hex:001"_s;
        QTest::newRow("cut-off continuation") << u"\"A\"=hex(2):25,00,\\"_s;
        QTest::newRow("unknown kind") << u"\"A\"=word:1"_s;
        QTest::newRow("no value") << u"\"A\""_s;
        QTest::newRow("unquoted name") << u"A=dword:1"_s;
        QTest::newRow("binary noise") << QString::fromLatin1("\x01\x7f\"\xff=");
    }
    void skipsLinesItCannotRead()
    {
        QFETCH(QString, line);
        const RegKey key = onlyKey(exportOf(line + u"\r\n\"B\"=dword:00000001"_s));
        QVERIFY(!key.find(u"A"));
        QVERIFY(key.find(u"B"));
    }

    void honoursDeletionsAndComments()
    {
        const QList<RegKey> keys = parseRegExport(
            u"REGEDIT4\n\n[HKEY_CURRENT_USER\\K1]\n\"A\"=dword:1\n; \"C\"=dword:1\n\"B\"=dword:2\n\"A\"=-\n\n"
            "[HKEY_CURRENT_USER\\K2]\n\"A\"=dword:1\n[-HKEY_CURRENT_USER\\k2]\n\"Z\"=dword:1\n"_s);
        QCOMPARE(keys.size(), 1);
        QCOMPARE(keys[0].values.size(), 1);
        QCOMPARE(keys[0].values[0].name, u"B"_s);
    }

    void writesRegeditLines_data()
    {
        QTest::addColumn<RegValue>("value");
        QTest::addColumn<QString>("line");
        QTest::newRow("dword") << dwordValue(u"Port"_s, 3) << u"\"Port\"=dword:00000003"_s;
        QTest::newRow("negative dword") << dwordValue(u"X"_s, -2) << u"\"X\"=dword:fffffffe"_s;
        QTest::newRow("escaped string") << stringValue(u"T\"i\\t"_s, u"a\\b \"c\""_s)
                                        << u"\"T\\\"i\\\\t\"=\"a\\\\b \\\"c\\\"\""_s;
        QTest::newRow("umlauts stay text") << stringValue(u"T"_s, u"Überlingen"_s) << u"\"T\"=\"Überlingen\""_s;
        QTest::newRow("binary") << RegValue{u"Dist"_s, RegBinary, hexBytes("0000000000806640")}
                                << u"\"Dist\"=hex:00,00,00,00,00,80,66,40"_s;
        QTest::newRow("line break as hex(1)") << stringValue(u"T"_s, u"a\r\nb"_s)
                                              << u"\"T\"=hex(1):61,00,0d,00,0a,00,62,00,00,00"_s;
        QTest::newRow("expand string") << stringValue(u"T"_s, u"%A%"_s, RegExpandSz)
                                       << u"\"T\"=hex(2):25,00,41,00,25,00,00,00"_s;
        QTest::newRow("default value") << RegValue{QString(), 0xb, hexBytes("01")} << u"@=hex(b):01"_s;
        // regedit breaks once a line has reached 77 characters and indents by two.
        QTest::newRow("long hex wraps")
            << RegValue{u"Data"_s, RegBinary, QByteArray(24, '\x11')}
            << u"\"Data\"=hex:11,11,11,11,11,11,11,11,11,11,11,11,11,11,11,11,11,11,11,11,11,11,\\\r\n"
               "  11,11"_s;
    }
    void writesRegeditLines()
    {
        QFETCH(RegValue, value);
        QFETCH(QString, line);
        const QString text = formatRegExport({RegKey{u"HKEY_CURRENT_USER\\K"_s, {value}}});
        QCOMPARE(text, u"Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\K]\r\n"_s + line
                           + u"\r\n\r\n"_s);
        const QList<RegKey> back = parseRegExport(text);
        QCOMPARE(back.size(), 1);
        QCOMPARE(back[0].values, QList<RegValue>{value});
    }

    void longValuesSurviveWrapping()
    {
        QString title;
        for (int i = 0; i < 40; ++i)
            title += u"Zeile %1 mit Ä, ö und \\ \"\r\n"_s.arg(i);
        const QList<RegKey> keys{{u"HKEY_CURRENT_USER\\K"_s,
                                  {stringValue(u"Title2"_s, title), RegValue{u"B"_s, 0x7, QByteArray(1000, 'x')}}}};
        const QString text = formatRegExport(keys);
        for (QStringView line : QStringView(text).split(u"\r\n"))
            QVERIFY2(line.size() <= 80, qPrintable(line.toString()));
        QCOMPARE(parseRegExport(text), keys);
    }

    void decodesEveryEncoding_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        const QString text = u"REGEDIT4\r\n\"T\"=\"Ä–ß €\"\r\n"_s;
        QTest::newRow("UTF-16LE with BOM") << encodeRegFile(text);
        QTest::newRow("UTF-16BE with BOM") << QByteArray("\xFE\xFF") + QByteArray(QStringEncoder(QStringEncoder::Utf16BE)(text));
        QTest::newRow("UTF-16LE without BOM") << QByteArray(QStringEncoder(QStringEncoder::Utf16LE)(text));
        QTest::newRow("UTF-16BE without BOM") << QByteArray(QStringEncoder(QStringEncoder::Utf16BE)(text));
        QTest::newRow("UTF-8 with BOM") << QByteArray("\xEF\xBB\xBF" + text.toUtf8());
        QTest::newRow("UTF-8") << text.toUtf8();
        // Written by hand, REGEDIT4 or an editor's Latin text: formerly read as
        // UTF-8 and written back broken.
        QTest::newRow("Windows-1252") << QByteArray("REGEDIT4\r\n\"T\"=\"\xC4\x96\xDF \x80\"\r\n");
    }
    void decodesEveryEncoding()
    {
        QFETCH(QByteArray, bytes);
        QCOMPARE(decodeRegFile(bytes), u"REGEDIT4\r\n\"T\"=\"Ä–ß €\"\r\n"_s);
    }

    void reportsWhatItCouldNotRead_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("header");
        QTest::addColumn<int>("unreadable");
        QTest::newRow("clean") << exportOf(u"\"A\"=dword:1\r\n; note\r\n\"B\"=-"_s) << true << 0;
        QTest::newRow("damaged dword") << exportOf(u"\"Sound\"=dword:1x\r\n\"B\"=dword:2"_s) << true << 1;
        QTest::newRow("cut-off key and name")
            << exportOf(u"\"A\"=dword:1\r\n[HKEY_CURRENT_USER\\X\r\n\"B"_s) << true << 2;
        QTest::newRow("no header") << u"[HKEY_CURRENT_USER\\T]\r\n\"A\"=dword:1\r\n"_s << false << 0;
        QTest::newRow("not an export at all") << u"Hallo Welt"_s << false << 1;
    }
    void reportsWhatItCouldNotRead()
    {
        QFETCH(QString, text);
        QFETCH(bool, header);
        QFETCH(int, unreadable);
        const RegExport read = readRegExport(text);
        QCOMPARE(read.headerFound, header);
        QCOMPARE(read.unreadableLines, unreadable);
        QCOMPARE(read.keys, parseRegExport(text));
    }
};

QTEST_GUILESS_MAIN(TestSettingsRegFile)
#include "test_settings_regfile.moc"
