#include "reports/textcodec.h"

#include <QStringDecoder>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace vex;

class TestTextCodec : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void systemAndTableAgreeOnEveryByte();
    void unrepresentableBecomesQuestionMark_data();
    void unrepresentableBecomesQuestionMark();
};

void TestTextCodec::systemAndTableAgreeOnEveryByte()
{
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(char(b));
    const QString decoded = decodeWindows1252(all);
    QStringDecoder system("windows-1252");
    if (system.isValid())
        QCOMPARE(decoded, system.decode(all));
    QCOMPARE(decoded.at(0x80), QChar(0x20AC));
    QCOMPARE(decoded.at(0x9F), QChar(0x0178));
    QCOMPARE(decoded.at(0xFC), QChar(0xFC));
    // Every byte survives a load and a save, the undefined ones included.
    QCOMPARE(encodeWindows1252(decoded), all);
    QCOMPARE(detail::encodeWindows1252ByTable(decoded), all);
    for (const QChar c : decoded)
        QVERIFY(fitsWindows1252(c.unicode()));
}

void TestTextCodec::unrepresentableBecomesQuestionMark_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("Greek") << u"aΩb"_s << QByteArray("a?b");
    QTest::newRow("Polish") << u"Łódź"_s << QByteArray("?\xF3" "d?");
    QTest::newRow("outside the BMP is one character") << u"x😀y"_s << QByteArray("x?y");
    QTest::newRow("lone surrogate") << (u"x"_s + QChar(0xD800) + u"y"_s) << QByteArray("x?y");
    QTest::newRow("C1 control without a byte") << (u"x"_s + QChar(0x80) + u"y"_s) << QByteArray("x?y");
}

void TestTextCodec::unrepresentableBecomesQuestionMark()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    QCOMPARE(encodeWindows1252(text), bytes);
    QCOMPARE(detail::encodeWindows1252ByTable(text), bytes);
}

QTEST_GUILESS_MAIN(TestTextCodec)
#include "test_textcodec.moc"
