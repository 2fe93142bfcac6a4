#include "backup/backupnames.h"
#include "backup/folderlock.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace vex;

class TestFolderLock : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void secondCopyFindsTheFolderHeld_data()
    {
        QTest::addColumn<QString>("holder");
        QTest::addColumn<int>("outcome");
        QTest::newRow("running copy") << u"running"_s << int(FolderLock::Outcome::HeldByAnotherCopy);
        QTest::newRow("running copy, held for an hour") << u"running for long"_s
                                                         << int(FolderLock::Outcome::HeldByAnotherCopy);
        QTest::newRow("copy that was killed") << u"ended"_s << int(FolderLock::Outcome::Taken);
    }
    void secondCopyFindsTheFolderHeld()
    {
        QFETCH(QString, holder);
        QFETCH(int, outcome);
        QTemporaryDir dir;
        const QString folder = dir.filePath(u"Vexilor"_s);
        const QString lockPath = QDir(folder).filePath(backupnames::lock());

        FolderLock first(folder);
        if (holder != u"ended")
            QCOMPARE(first.take(), FolderLock::Outcome::Taken);
        QFile lockFile(lockPath);
        if (holder == u"running for long") {
            QVERIFY(lockFile.open(QIODevice::ReadWrite));
            QVERIFY(lockFile.setFileTime(QDateTime::currentDateTime().addSecs(-3600), QFileDevice::FileModificationTime));
            lockFile.close();
        } else if (holder == u"ended") {
            // The lock a killed copy leaves: its process is gone.
            QVERIFY(QDir().mkpath(folder));
            QProcess ended;
            ended.start(u"true"_s, {});
            QVERIFY(ended.waitForStarted());
            const qint64 pid = ended.processId();
            QVERIFY(ended.waitForFinished());
            QVERIFY(lockFile.open(QIODevice::WriteOnly | QIODevice::Truncate));
            lockFile.write(QByteArray::number(pid) + '\n' + QCoreApplication::applicationName().toUtf8() + '\n'
                           + QSysInfo::machineHostName().toUtf8() + '\n');
            lockFile.close();
        }

        FolderLock second(folder);
        QCOMPARE(int(second.take()), outcome);
    }
};

QTEST_MAIN(TestFolderLock)
#include "test_folderlock.moc"
