#include "results/runcell.h"

#include <QTest>

using namespace Qt::StringLiterals;
using namespace vex;

class TestRunCell : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void readsTimesMarksAndNothing_data();
    void readsTimesMarksAndNothing();
};

void TestRunCell::readsTimesMarksAndNothing_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("kind");
    QTest::addColumn<qint32>("ms");
    QTest::newRow("empty") << QString() << int(RunCell::Nothing) << 0;
    QTest::newRow("blank") << u" "_s << int(RunCell::Nothing) << 0;
    QTest::newRow("tab and blanks") << u" \t "_s << int(RunCell::Nothing) << 0;
    QTest::newRow("no-break space") << u"\u00a0"_s << int(RunCell::Nothing) << 0;
    QTest::newRow("hyphen") << u"-"_s << int(RunCell::Disqualified) << 0;
    QTest::newRow("blank hyphen") << u" -"_s << int(RunCell::Other) << 0;
    QTest::newRow("DIS") << u"DIS"_s << int(RunCell::Dis) << 0;
    QTest::newRow("lower-case dis") << u"dis"_s << int(RunCell::Other) << 0;
    QTest::newRow("zero time") << u"0,00"_s << int(RunCell::Time) << 0;
    QTest::newRow("time") << u"1:23,45"_s << int(RunCell::Time) << 83450;
    QTest::newRow("full form") << u"01:23,45"_s << int(RunCell::Time) << 83450;
    QTest::newRow("seconds past 59") << u"1:75,00"_s << int(RunCell::Other) << 0;
    QTest::newRow("letters") << u"abc"_s << int(RunCell::Other) << 0;
}

void TestRunCell::readsTimesMarksAndNothing()
{
    QFETCH(QString, text);
    QFETCH(int, kind);
    QFETCH(qint32, ms);
    const RunCell cell = readRunCell(text);
    QCOMPARE(int(cell.kind), kind);
    QCOMPARE(cell.ms, ms);
    const bool noTime = kind == RunCell::Nothing || kind == RunCell::Disqualified || kind == RunCell::Dis;
    QCOMPARE(cell.isNoTime(), noTime);
}

QTEST_GUILESS_MAIN(TestRunCell)
#include "test_runcell.moc"
