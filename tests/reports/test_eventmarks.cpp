#include "reports/eventmarks.h"
#include "reports/protocoltext.h"
#include "results/competition.h"

#include <QTest>

using namespace Qt::StringLiterals;
using namespace vex;

namespace {

QStringList row(const QString &stNr, const QString &name, const QString &run1 = {}, const QString &run2 = {})
{
    QStringList r(kColumnCount);
    r[ColStNr] = stNr;
    r[ColName] = name;
    r[ColRun1] = run1;
    r[ColRun2] = run2;
    return r;
}

RowMarks marksOf(Gender gender, quint8 hand, int disRun = -1, const QString &kept = {})
{
    RowMarks m;
    m.gender = gender;
    m.handTimes = hand;
    if (disRun >= 0)
        m.setDisqualifiedRun(disRun, true, kept);
    return m;
}

// Class K1: Anna, an empty row, Ben; class K2: Cem.
void fill(Competition &c)
{
    c.setClasses({u"K1"_s, u"K2"_s});
    ResultPage &k1 = *c.page(0);
    k1.setCaption(u"K1"_s);
    k1.setRowCount(4);
    k1.setRow(0, defaultColumnTitles());
    k1.setRow(1, row(u"1"_s, u"Anna"_s, u"45,12"_s));
    k1.setRow(3, row(u"3"_s, u"Ben"_s, u"47,00"_s, u"DIS"_s));
    k1.setMarks(1, marksOf(Gender::Girl, 0b10));
    k1.setMarks(3, marksOf(Gender::Boy, 0, 2, u"44,00"_s));
    ResultPage &k2 = *c.page(1);
    k2.setCaption(u"K2"_s);
    k2.setRow(0, defaultColumnTitles());
    k2.setRow(1, row(u"7"_s, u"Cem"_s, u"50,00"_s, u"51,00"_s));
    k2.setMarks(1, marksOf(Gender::None, 0b110));
}

} // namespace

class TestEventMarks : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void keysAsWritten()
    {
        Competition c;
        QCOMPARE(eventMarkKeys(c), EventKeys());
        fill(c);
        c.setEventDate(QDate(2026, 6, 14));
        c.setEventPlace(u"Talheim\r\nam Neckar"_s);
        const EventKeys expected{
            {u"Datum"_s, u"2026-06-14"_s},
            {u"Ort"_s, u"Talheim  am Neckar"_s},
            {u"Klasse 1.Zeile 1.mw"_s, u"w"_s},
            {u"Klasse 1.Zeile 1.Handzeit"_s, u"1"_s},
            {u"Klasse 1.Zeile 2.mw"_s, u"m"_s},
            {u"Klasse 1.Zeile 2.Lauf 2 DIS"_s, u"44,00"_s},
            {u"Klasse 2.Zeile 1.Handzeit"_s, u"1,2"_s},
        };
        QCOMPARE(eventMarkKeys(c), expected);
    }

    // Written after the rows behind Ctrl+Z, read back into the rows as the
    // file numbers them, and written again byte for byte.
    void keysTakenBack()
    {
        Competition c;
        fill(c);
        c.setEventDate(QDate(2026, 6, 14));
        c.setEventPlace(u"Überlingen"_s);
        const QByteArray bytes = formatProtocolText(c);
        QVERIFY(bytes.contains("\r\n\x1A\r\n[Veranstaltung]\r\nDatum=2026-06-14\r\nOrt=\xDC" "berlingen\r\nKlasse 1.Zeile 1.mw=w\r\n"));
        Competition again;
        parseProtocolText(again, bytes);
        QCOMPARE(formatProtocolText(again), bytes);
        QCOMPARE(again.eventDate(), QDate(2026, 6, 14));
        QCOMPARE(again.eventPlace(), u"Überlingen"_s);
        QCOMPARE(again.page(0)->marks(1), c.page(0)->marks(1));
        QCOMPARE(again.page(0)->marks(2), c.page(0)->marks(3));
        QCOMPARE(again.page(1)->marks(1), c.page(1)->marks(1));
        QCOMPARE(eventMarkKeys(again), eventMarkKeys(c));
    }

    void strangeKeysPassedOver_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::addColumn<bool>("mine");
        QTest::newRow("someone else's") << u"Wertungslaeufe"_s << u"3"_s << false;
        QTest::newRow("a class the file hasn't") << u"Klasse 9.Zeile 1.mw"_s << u"w"_s << true;
        QTest::newRow("a row the class hasn't") << u"Klasse 1.Zeile 40.mw"_s << u"w"_s << true;
        QTest::newRow("the title row") << u"Klasse 1.Zeile 0.mw"_s << u"w"_s << true;
        QTest::newRow("a hand mark without a time") << u"Klasse 1.Zeile 1.Handzeit"_s << u"2,x,9"_s << true;
        QTest::newRow("DIS where the cell holds a time") << u"Klasse 1.Zeile 1.Lauf 1 DIS"_s << u"40,00"_s << true;
        QTest::newRow("no date") << u"Datum"_s << u"14.06.2026"_s << true;
    }
    void strangeKeysPassedOver()
    {
        QFETCH(QString, key);
        QFETCH(QString, value);
        QFETCH(bool, mine);
        Competition c;
        fill(c);
        const PageRows before = c.page(0)->rowsState();
        QCOMPARE(applyEventMarkKey(c, key, value), mine);
        QCOMPARE(c.page(0)->rowsState(), before);
        QVERIFY(!c.eventDate().isValid());
    }
};

QTEST_MAIN(TestEventMarks)
#include "test_eventmarks.moc"
