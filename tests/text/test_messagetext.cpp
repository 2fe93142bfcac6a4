#include "text/messagetext.h"

#include <QTest>

using namespace Qt::StringLiterals;
using namespace vex;

class TestMessageText : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void cut_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<qsizetype>("max");
        QTest::addColumn<QString>("shown");
        QTest::newRow("short text unchanged") << u"Klasse A"_s << qsizetype(10) << u"Klasse A"_s;
        QTest::newRow("exactly the limit") << u"0123456789"_s << qsizetype(10) << u"0123456789"_s;
        QTest::newRow("cut with a mark") << u"0123456789AB"_s << qsizetype(10) << u"01234567 …"_s;
        QTest::newRow("surrogate pair stays whole") << u"0123456😀89"_s << qsizetype(10) << u"0123456 …"_s;
    }
    void cut()
    {
        QFETCH(QString, text);
        QFETCH(qsizetype, max);
        QFETCH(QString, shown);
        QCOMPARE(cutForMessage(text, max), shown);
    }

    void classNameOfTwoMegabytes()
    {
        const QString shown = cutForMessage(u"Nicht geladen: "_s + QString(2 * 1024 * 1024, u'x'));
        QCOMPARE(shown.size(), kMessageTextLimit);
        QVERIFY(shown.startsWith(u"Nicht geladen: xxx"_s));
    }
};

QTEST_GUILESS_MAIN(TestMessageText)
#include "test_messagetext.moc"
