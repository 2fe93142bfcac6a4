#include "timing/timetext.h"

#include <QTest>

using namespace Qt::StringLiterals;
using namespace vex;

class TestTimeText : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void msToText_data();
    void msToText();
    void textToMs_data();
    void textToMs();
    void roundTripKeepsTheText();
    void padTimeText_data();
    void padTimeText();
    void isTimeText_data();
    void isTimeText();
    void fileDateStamp_data();
    void fileDateStamp();
};

void TestTimeText::msToText_data()
{
    QTest::addColumn<qint32>("ms");
    QTest::addColumn<QString>("text");
    QTest::newRow("zero") << 0 << u"0,00"_s;
    QTest::newRow("hundredths only") << 50 << u"0,05"_s;
    QTest::newRow("milliseconds cut, not rounded") << 999 << u"0,99"_s;
    QTest::newRow("one second") << 1000 << u"1,00"_s;
    QTest::newRow("four seconds") << 4000 << u"4,00"_s;
    QTest::newRow("5329") << 5329 << u"5,32"_s;
    QTest::newRow("two-digit seconds") << 34560 << u"34,56"_s;
    QTest::newRow("just under a minute") << 59999 << u"59,99"_s;
    QTest::newRow("one minute") << 60000 << u"1:00,00"_s;
    QTest::newRow("83450") << 83450 << u"1:23,45"_s;
    QTest::newRow("ten minutes") << 600000 << u"10:00,00"_s;
    QTest::newRow("754560") << 754560 << u"12:34,56"_s;
    QTest::newRow("hour dropped") << 3600000 << u"0,00"_s;
    QTest::newRow("hour dropped, minutes kept") << 3600000 + 83450 << u"1:23,45"_s;
    QTest::newRow("single digits padded inside") << 61010 << u"1:01,01"_s;
}

void TestTimeText::msToText()
{
    QFETCH(qint32, ms);
    QFETCH(QString, text);
    QCOMPARE(MsToText(ms), text);
}

void TestTimeText::textToMs_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<qint32>("ms");
    QTest::newRow("minutes") << u"1:23,45"_s << 83450;
    QTest::newRow("seconds") << u"34,56"_s << 34560;
    QTest::newRow("short seconds") << u"5,32"_s << 5320;
    QTest::newRow("full form") << u"12:34,56"_s << 754560;
    QTest::newRow("zero") << u"0,00"_s << 0;
    QTest::newRow("empty") << QString() << 0;
    QTest::newRow("DIS") << u"DIS"_s << 0;
    QTest::newRow("hyphen") << u"-"_s << 0;
    QTest::newRow("nine characters") << u"12:34,567"_s << 0;
    // Each field stands alone: an unreadable one does not spoil the others.
    QTest::newRow("bad minutes") << u"xx:05,50"_s << 5500;
    QTest::newRow("bad seconds") << u"02:x5,50"_s << 120500;
    QTest::newRow("separators not examined") << u"01.05.50"_s << 65500;
    // A sign is no digit: no field is ever negative.
    QTest::newRow("signed minutes") << u"-1:00,00"_s << 0;
    QTest::newRow("signed seconds") << u"-5,00"_s << 0;
    QTest::newRow("plus sign") << u"+1:00,00"_s << 0;
}

void TestTimeText::textToMs()
{
    QFETCH(QString, text);
    QFETCH(qint32, ms);
    QCOMPARE(TextToMs(text), ms);
}

void TestTimeText::roundTripKeepsTheText()
{
    // Every hundredth in the hour, and the odd milliseconds that get cut off.
    for (qint32 ms = 0; ms < 3600000; ms += 7) {
        const QString text = MsToText(ms);
        if (MsToText(TextToMs(text)) != text || !vex::isTimeText(text))
            QFAIL(qPrintable(u"round trip of %1 ms (%2) failed"_s.arg(ms).arg(text)));
    }
}

void TestTimeText::padTimeText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("padded");
    QTest::newRow("seconds") << u"5,32"_s << u"00:05,32"_s;
    QTest::newRow("minutes") << u"1:23,45"_s << u"01:23,45"_s;
    QTest::newRow("two-digit seconds") << u"34,56"_s << u"00:34,56"_s;
    QTest::newRow("full form unchanged") << u"12:34,56"_s << u"12:34,56"_s;
    QTest::newRow("empty") << QString() << QString();
    QTest::newRow("blanks unchanged") << u"   "_s << u"   "_s;
    QTest::newRow("DIS") << u"DIS"_s << u"00:00DIS"_s;
    QTest::newRow("too long unchanged") << u"12:34,567"_s << u"12:34,567"_s;
}

void TestTimeText::padTimeText()
{
    QFETCH(QString, text);
    QFETCH(QString, padded);
    QCOMPARE(PadTimeText(text), padded);
}

void TestTimeText::isTimeText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("time");
    QTest::newRow("seconds") << u"5,32"_s << true;
    QTest::newRow("two-digit seconds") << u"34,56"_s << true;
    QTest::newRow("minutes") << u"1:23,45"_s << true;
    QTest::newRow("full form") << u"00:05,32"_s << true;
    QTest::newRow("zero") << u"0,00"_s << true;
    QTest::newRow("empty") << QString() << false;
    QTest::newRow("loader blank") << u" "_s << false;
    QTest::newRow("hyphen") << u"-"_s << false;
    QTest::newRow("DIS") << u"DIS"_s << false;
    QTest::newRow("letters") << u"ab,cd"_s << false;
    QTest::newRow("negative") << u"-1:00,00"_s << false;
    QTest::newRow("no comma") << u"532"_s << false;
    QTest::newRow("colon without minutes") << u":05,32"_s << false;
    QTest::newRow("blank in front") << u" 5,32"_s << false;
    QTest::newRow("sixty seconds") << u"1:60,00"_s << false;
    QTest::newRow("sixty minutes") << u"60:00,00"_s << false;
    QTest::newRow("nine characters") << u"12:34,567"_s << false;
}

void TestTimeText::isTimeText()
{
    QFETCH(QString, text);
    QFETCH(bool, time);
    QCOMPARE(vex::isTimeText(text), time);
}

void TestTimeText::fileDateStamp_data()
{
    QTest::addColumn<QDateTime>("now");
    QTest::addColumn<QString>("stamp");
    QTest::newRow("leading zeros") << QDateTime(QDate(2008, 3, 7), QTime(9, 5)) << u"2008-03-07-09-05"_s;
    QTest::newRow("24-hour clock") << QDateTime(QDate(2023, 12, 31), QTime(23, 59, 59)) << u"2023-12-31-23-59"_s;
}

void TestTimeText::fileDateStamp()
{
    QFETCH(QDateTime, now);
    QFETCH(QString, stamp);
    QCOMPARE(FileDateStamp(now), stamp);
}

QTEST_GUILESS_MAIN(TestTimeText)
#include "test_timetext.moc"
