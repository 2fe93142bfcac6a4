#include "serial/contactlog.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace vex;
using namespace Qt::StringLiterals;

class TestContactLog : public QObject
{
    Q_OBJECT

    static QByteArray contents(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }

private Q_SLOTS:
    void startsAnewOnTheFirstContactOfADay()
    {
        QTemporaryDir dir;
        QDateTime now(QDate(2026, 12, 6), QTime(23, 59, 59, 500));
        ContactLog log(dir.filePath(u"kontakte.log"_s), [&] { return now; });
        log.append(u"a"_s);
        now = now.addMSecs(400);
        log.append(u"b"_s);
        QCOMPARE(contents(log.filePath()), QByteArray("2026-12-06 23:59:59.500\ta\n2026-12-06 23:59:59.900\tb\n"));
        now = now.addMSecs(200); // past midnight
        log.append(u"c"_s);
        log.append(u"d"_s);
        QCOMPARE(contents(log.filePath()), QByteArray("2026-12-07 00:00:00.100\tc\n2026-12-07 00:00:00.100\td\n"));
    }

    void aMissingFolderIsMade()
    {
        QTemporaryDir dir;
        ContactLog log(dir.filePath(u"Vexilor/kontakte.log"_s));
        log.append(u"x"_s);
        QVERIFY(QFile::exists(log.filePath()));
    }

    void anUnwritableLogLosesTheLineSilently()
    {
        QTemporaryDir dir;
        QFile blocker(dir.filePath(u"plain"_s));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        // A folder can't be made where a file is.
        ContactLog log(dir.filePath(u"plain/kontakte.log"_s));
        log.append(u"x"_s);
        QVERIFY(!QFile::exists(log.filePath()));
    }
};

QTEST_GUILESS_MAIN(TestContactLog)
#include "test_contactlog.moc"
