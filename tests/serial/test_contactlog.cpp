#include "serial/contactlog.h"

#include <QDir>
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
    // The first contact of a day moves the last day's file aside; of those,
    // the newest are kept.
    void keepsEarlierDaysBesideIt_data()
    {
        QTest::addColumn<int>("days");         // one contact a day, from 2026-12-06
        QTest::addColumn<QStringList>("kept"); // the day files, oldest first, with their contents
        QTest::newRow("the next day") << 2 << QStringList{u"2026-12-06: 2026-12-06 23:59:59.500\ta\n"_s};
        QTest::newRow("a long season keeps the newest days")
            << ContactLog::kKeepDays + 5
            << QStringList{u"2026-12-10: 2026-12-10 23:59:59.500\ta\n"_s, u"..."_s,
                           u"2027-04-08: 2027-04-08 23:59:59.500\ta\n"_s};
    }
    void keepsEarlierDaysBesideIt()
    {
        QFETCH(int, days);
        QFETCH(QStringList, kept);
        QTemporaryDir dir;
        QDateTime now(QDate(2026, 12, 6), QTime(23, 59, 59, 500));
        ContactLog log(dir.filePath(u"kontakte.log"_s), [&] { return now; });
        for (int day = 0; day < days; ++day, now = now.addDays(1))
            log.append(u"a"_s);
        QCOMPARE(contents(log.filePath()), now.addDays(-1).toString(u"yyyy-MM-dd hh:mm:ss.zzz"_s).toUtf8() + "\ta\n");
        QStringList files = QDir(dir.path()).entryList({u"kontakte-*.log"_s}, QDir::Files, QDir::Name);
        QStringList found;
        for (const QString &name : std::as_const(files))
            found << name.mid(9, 10) + u": "_s + QString::fromUtf8(contents(dir.filePath(name)));
        if (found.size() > 2)
            found = QStringList{found.first(), u"..."_s, found.last()};
        QCOMPARE(found, kept);
        QCOMPARE(files.size(), qMin(days - 1, ContactLog::kKeepDays));
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
