#include "results/placepoints.h"

#include <QTest>

using namespace Qt::StringLiterals;

class TestPlacePoints : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void parse_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QList<int>>("points"); // empty: refused
        QTest::newRow("commas") << u"50, 45, 40"_s << QList<int>{50, 45, 40};
        QTest::newRow("semicolons and blanks") << u" 10;8  6 ;"_s << QList<int>{10, 8, 6};
        QTest::newRow("zero is a value") << u"3,0,1"_s << QList<int>{3, 0, 1};
        QTest::newRow("negative") << u"50, -5"_s << QList<int>{};
        QTest::newRow("decimal") << u"50, 4.5"_s << QList<int>{};
        QTest::newRow("word") << u"50, viele"_s << QList<int>{};
        QTest::newRow("nothing") << u" , ; "_s << QList<int>{};
        QTest::newRow("beyond any table") << u"50, 99999999999"_s << QList<int>{};
    }
    void parse()
    {
        QFETCH(QString, text);
        QFETCH(QList<int>, points);
        const std::optional<vex::PlacePoints> parsed = vex::PlacePoints::parse(text);
        QCOMPARE(parsed.has_value(), !points.isEmpty());
        if (parsed)
            QCOMPARE(parsed->points, points);
    }

    void forPlaceAndText()
    {
        const vex::PlacePoints table = vex::PlacePoints::defaults();
        QCOMPARE(table.forPlace(1), 50);
        QCOMPARE(table.forPlace(25), 1);
        QCOMPARE(table.forPlace(26), 0);
        QCOMPARE(table.forPlace(0), 0);
        QCOMPARE(table.forPlace(-3), 0);
        QCOMPARE(vex::PlacePoints::parse(table.toText())->points, table.points);
        QVERIFY(table.toText().startsWith(u"50, 45, 40, 36"_s));
    }
};

QTEST_APPLESS_MAIN(TestPlacePoints)
#include "test_placepoints.moc"
