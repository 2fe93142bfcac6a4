#include "app/cfgexchange.h"

#include <QTest>

using namespace Qt::StringLiterals;
using namespace vex;

class TestCfgExchange : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void portEntries();
    void portFromEntry_data();
    void portFromEntry();
    void screenEntries_data();
    void screenEntries();
    void excelCell_data();
    void excelCell();
    void excelKeyFilter_data();
    void excelKeyFilter();
};

void TestCfgExchange::portEntries()
{
    QCOMPARE(PortEntries({12, 3, 1, 3, 0}), (QStringList{u"Kein"_s, u"COM1"_s, u"COM3"_s, u"COM12"_s}));
    QCOMPARE(PortEntries({}), QStringList{u"Kein"_s});
}

void TestCfgExchange::portFromEntry_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<int>("port");
    QTest::newRow("one digit") << u"COM1"_s << 1;
    QTest::newRow("two digits") << u"COM12"_s << 12;
    QTest::newRow("none") << u"Kein"_s << 0;
    QTest::newRow("no number") << u"COMx"_s << 0;
}

void TestCfgExchange::portFromEntry()
{
    QFETCH(QString, entry);
    QFETCH(int, port);
    QCOMPARE(PortFromEntry(entry), port);
}

void TestCfgExchange::screenEntries_data()
{
    QTest::addColumn<QList<QRect>>("screens");
    QTest::addColumn<QStringList>("entries");
    QTest::newRow("none") << QList<QRect>{} << QStringList{u"nicht angeschlossen"_s};
    QTest::newRow("one") << QList<QRect>{{0, 0, 1920, 1080}} << QStringList{u"nicht angeschlossen"_s};
    QTest::newRow("two side by side")
        << QList<QRect>{{0, 0, 1280, 1024}, {1280, 0, 1024, 768}}
        << QStringList{u"1=(0,0)-(1280,1024)"_s, u"2=(1280,0)-(1024,768)"_s};
    QTest::newRow("left of the first") << QList<QRect>{{0, 0, 800, 600}, {-1024, -10, 1024, 768}}
                                       << QStringList{u"1=(0,0)-(800,600)"_s, u"2=(-1024,-10)-(1024,768)"_s};
}

void TestCfgExchange::screenEntries()
{
    QFETCH(QList<QRect>, screens);
    QFETCH(QStringList, entries);
    QCOMPARE(ScreenEntries(screens), entries);
}

void TestCfgExchange::excelCell_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("column");
    QTest::addColumn<int>("row");
    QTest::newRow("B12") << u"B12"_s << 1 << 12;
    QTest::newRow("column only keeps") << u"C"_s << 7 << 99;
    QTest::newRow("row no number keeps") << u"CA"_s << 7 << 99;
    QTest::newRow("letter after the row keeps") << u"A0F"_s << 7 << 99;
    QTest::newRow("row 0 keeps") << u"A0"_s << 7 << 99;
    QTest::newRow("A6") << u"A6"_s << 0 << 6;
    QTest::newRow("empty keeps") << QString() << 7 << 99;
}

void TestCfgExchange::excelCell()
{
    QFETCH(QString, text);
    QFETCH(int, column);
    QFETCH(int, row);
    int x = 7;
    int y = 99;
    ReadExcelCell(text, x, y);
    QCOMPARE(x, column);
    QCOMPARE(y, row);
}

void TestCfgExchange::excelKeyFilter_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<QString>("shown");
    QTest::newRow("lower case") << u"b12"_s << true << u"B12"_s;
    QTest::newRow("letters") << u"ab"_s << true << u"AB"_s;
    QTest::newRow("empty") << QString() << true << QString();
    QTest::newRow("digit first") << u"1"_s << false << QString();
    QTest::newRow("fourth character") << u"B123"_s << false << QString();
    QTest::newRow("letter past F") << u"G"_s << false << QString();
    QTest::newRow("space") << u"A 1"_s << false << QString();
}

void TestCfgExchange::excelKeyFilter()
{
    QFETCH(QString, input);
    QFETCH(bool, accepted);
    QFETCH(QString, shown);
    ExcelCellValidator validator;
    int pos = 0;
    const QValidator::State state = validator.validate(input, pos);
    QCOMPARE(state == QValidator::Acceptable, accepted);
    if (accepted)
        QCOMPARE(input, shown);
}

QTEST_APPLESS_MAIN(TestCfgExchange)
#include "test_cfgexchange.moc"
