// The timer's lines as they come off the port: cut into lines whatever the
// reads and line ends, read field by field, refused when they don't fit;
// and the display board's lines.

#include "serial/boardlines.h"
#include "serial/timerline.h"

#include <QTest>

using namespace vex;
using namespace Qt::StringLiterals;

namespace {

constexpr qint64 us(int h, int m, int s, qint64 micros = 0)
{
    return ((h * 60LL + m) * 60 + s) * 1'000'000 + micros;
}

} // namespace

class TestTimerLine : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void decodes_data();
    void decodes();
    void refuses_data();
    void refuses();
    void splitsTheStreamIntoLines_data();
    void splitsTheStreamIntoLines();
    void writesTheBoardsLines_data();
    void writesTheBoardsLines();
};

void TestTimerLine::decodes_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<char>("info");
    QTest::addColumn<int>("number");
    QTest::addColumn<int>("channel");
    QTest::addColumn<qint64>("micros");
    QTest::addColumn<int>("decimals");
    QTest::addColumn<QString>("trailer");

    const int start = int(TimerChannel::Start), finish = int(TimerChannel::Finish);
    QTest::newRow("start, comma, group and rank 00")
        << "0001 c0 15:43:49,8863 00"_ba << ' ' << 1 << start << us(15, 43, 49, 886300) << 4 << u"00"_s;
    QTest::newRow("from memory") << "m 0009 c0 15:44:00,5499 00"_ba << 'm' << 9 << start << us(15, 44, 0, 549900) << 4
                                 << u"00"_s;
    QTest::newRow("keypad start") << "0015 c0M 15:43:55,6200 00"_ba << ' ' << 15 << int(TimerChannel::StartKeypad)
                                  << us(15, 43, 55, 620000) << 4 << u"00"_s;
    QTest::newRow("no leading zeros, two blanks, point, no trailer")
        << " 12 c1  10:27:30.1234"_ba << ' ' << 12 << finish << us(10, 27, 30, 123400) << 4 << QString();
    QTest::newRow("group and rank") << "0007 c1 09:02:03.4567 010003"_ba << ' ' << 7 << finish << us(9, 2, 3, 456700)
                                    << 4 << u"010003"_s;
    QTest::newRow("info glued to four digits") << "?0012 c1 11:00:00.0001"_ba << '?' << 12 << finish
                                               << us(11, 0, 0, 100) << 4 << QString();
    QTest::newRow("no start number at all") << "   c0 08:00:01.50"_ba << ' ' << -1 << start << us(8, 0, 1, 500000) << 2
                                            << QString();
    QTest::newRow("cleared") << "c 0003 c1 12:00:00.000"_ba << 'c' << 3 << finish << us(12, 0, 0) << 3 << QString();
    QTest::newRow("disqualified") << "d 3 c1 12:00:00,1"_ba << 'd' << 3 << finish << us(12, 0, 0, 100000) << 1
                                  << QString();
    QTest::newRow("typed in") << "i 0004 c0 7:05:09"_ba << 'i' << 4 << start << us(7, 5, 9) << 0 << QString();
    QTest::newRow("new start number") << "n0020 c0 13:14:15.1617 00"_ba << 'n' << 20 << start
                                      << us(13, 14, 15, 161700) << 4 << u"00"_s;
    QTest::newRow("further channel") << "0005 c4 13:00:00.0000"_ba << ' ' << 5 << int(TimerChannel::Other)
                                     << us(13, 0, 0) << 4 << QString();
    QTest::newRow("run time") << "0005 RT 00:00:55.12"_ba << ' ' << 5 << int(TimerChannel::RunTime)
                              << us(0, 0, 55, 120000) << 2 << QString();
    QTest::newRow("total time without hours") << "0005 TT 1:55.1200"_ba << ' ' << 5 << int(TimerChannel::TotalTime)
                                              << us(0, 1, 55, 120000) << 4 << QString();
    QTest::newRow("tab between fields") << "0002\tc1\t23:59:59.9999"_ba << ' ' << 2 << finish
                                        << us(23, 59, 59, 999900) << 4 << QString();
}

void TestTimerLine::decodes()
{
    QFETCH(QByteArray, text);
    const TimerDecode d = decodeTimerLine(text);
    QVERIFY2(d.ok, qPrintable(d.error));
    QTEST(d.line.info, "info");
    QTEST(d.line.startNumber, "number");
    QTEST(int(d.line.channel), "channel");
    QTEST(d.line.micros, "micros");
    QTEST(d.line.decimals, "decimals");
    QTEST(d.line.trailer, "trailer");
}

void TestTimerLine::refuses_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::newRow("empty") << "   "_ba;
    QTest::newRow("line noise") << "\x13\x11~~~"_ba;
    QTest::newRow("no channel") << "0001 15:43:49,8863"_ba;
    QTest::newRow("channel 9") << "0001 c9 15:43:49,8863"_ba;
    QTest::newRow("keypad of no channel") << "0001 cM 15:43:49,8863"_ba;
    QTest::newRow("no time") << "0001 c0"_ba;
    QTest::newRow("five decimals") << "0001 c0 15:43:49,88631"_ba;
    QTest::newRow("minute 60") << "0001 c0 15:60:49,8863"_ba;
    QTest::newRow("hour 24") << "0001 c0 24:00:00,0000"_ba;
    QTest::newRow("time of day without hours") << "0001 c0 43:49,8863"_ba;
    QTest::newRow("two points") << "0001 c0 15:43:49.88.63"_ba;
    QTest::newRow("words after the time") << "0001 c0 15:43:49,8863 OK"_ba;
    QTest::newRow("three trailing groups") << "0001 c0 15:43:49,8863 00 01 02"_ba;
    QTest::newRow("start number of six digits") << "123456 c0 15:43:49,8863"_ba;
    QTest::newRow("half a line") << "9 c1 15:4"_ba;
    QTest::newRow("non-ASCII") << "0001 c0 15:43:49,8863 \xb0"_ba;
}

void TestTimerLine::refuses()
{
    QFETCH(QByteArray, text);
    const TimerDecode d = decodeTimerLine(text);
    QVERIFY(!d.ok);
    QVERIFY(!d.error.isEmpty());
}

void TestTimerLine::splitsTheStreamIntoLines_data()
{
    QTest::addColumn<QList<QByteArray>>("reads");
    QTest::addColumn<QList<QByteArray>>("lines");
    QTest::addColumn<QList<int>>("arrivals"); // the read that ended each line
    QTest::addColumn<QByteArray>("left");

    QTest::newRow("CR") << QList<QByteArray>{"a\rb\r"} << QList<QByteArray>{"a", "b"} << QList<int>{0, 0} << QByteArray();
    QTest::newRow("CR LF") << QList<QByteArray>{"a\r\nb\r\n"} << QList<QByteArray>{"a", "b"} << QList<int>{0, 0}
                           << QByteArray();
    QTest::newRow("LF CR") << QList<QByteArray>{"a\n\rb\n\r"} << QList<QByteArray>{"a", "b"} << QList<int>{0, 0}
                           << QByteArray();
    QTest::newRow("LF") << QList<QByteArray>{"a\nb\n"} << QList<QByteArray>{"a", "b"} << QList<int>{0, 0} << QByteArray();
    QTest::newRow("split across reads") << QList<QByteArray>{"0001 c0 15:4", "3:49,8863", " 00\r"}
                                        << QList<QByteArray>{"0001 c0 15:43:49,8863 00"} << QList<int>{2} << QByteArray();
    QTest::newRow("CR and LF in two reads") << QList<QByteArray>{"a\r", "\nb\r"} << QList<QByteArray>{"a", "b"}
                                            << QList<int>{0, 1} << QByteArray();
    QTest::newRow("a burst and a rest") << QList<QByteArray>{"a\rb\rc"} << QList<QByteArray>{"a", "b"}
                                        << QList<int>{0, 0} << "c"_ba;
    QTest::newRow("overlong without end") << QList<QByteArray>{QByteArray(TimerLineSplitter::kMaxLine + 5, 'x')}
                                          << QList<QByteArray>{QByteArray(TimerLineSplitter::kMaxLine, 'x')}
                                          << QList<int>{0} << "xxxxx"_ba;
}

void TestTimerLine::splitsTheStreamIntoLines()
{
    QFETCH(QList<QByteArray>, reads);
    TimerLineSplitter splitter;
    QList<QByteArray> lines;
    QList<int> arrivals;
    for (int k = 0; k < reads.size(); ++k) {
        for (const auto &line : splitter.feed(reads[k], ContactStamp{quint32(k), k * 1000}))
        {
            lines.append(line.text);
            arrivals.append(int(line.arrival.tick));
        }
    }
    QTEST(lines, "lines");
    QTEST(arrivals, "arrivals");
    QTEST(splitter.pending(), "left");
}

void TestTimerLine::writesTheBoardsLines_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QByteArray>("expected");
    //                                                     NNN.xxxxHH:MM:SS.zhtRR
    QTest::newRow("running, seconds") << boardRunningLine(u"7"_s, 43'217) << "  7.          43.2    \r"_ba;
    QTest::newRow("running, minutes") << boardRunningLine(u"123"_s, 83'017) << "123.        1:23.0    \r"_ba;
    QTest::newRow("running, hours") << boardRunningLine(u"12"_s, 3'723'456) << " 12.     1:02:03.4    \r"_ba;
    QTest::newRow("running, no number") << boardRunningLine(QString(), 0) << "   .           0.0    \r"_ba;
    QTest::newRow("finish with rank") << boardFinishLine(u"7"_s, 43'217, 3) << "  7           43.21  3\r"_ba;
    QTest::newRow("finish without rank") << boardFinishLine(u"1234"_s, 61'005, 0) << "234         1:01.00   \r"_ba;
    QTest::newRow("rank beyond two places") << boardFinishLine(u"5"_s, 1'000, 100) << "  5            1.00   \r"_ba;
    QTest::newRow("blank") << boardBlankLine() << "                      \r"_ba;
}

void TestTimerLine::writesTheBoardsLines()
{
    QFETCH(QByteArray, line);
    QTEST(line, "expected");
    QCOMPARE(line.size(), 23);
}

QTEST_GUILESS_MAIN(TestTimerLine)
#include "test_timerline.moc"
