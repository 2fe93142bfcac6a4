#include "backup/backupnames.h"
#include "backup/backupstore.h"
#include "backup/folderlock.h"
#include "../support/filesizelimit.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace vex;

namespace {

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(bytes), bytes.size());
}

// A protocol of a realistic size, different for every n.
QByteArray protocol(int n)
{
    QByteArray bytes = "KLASSE: Bambini\r\n\r\n";
    for (int row = 0; row < 50; ++row)
        bytes += QByteArray::number(row) + "\tFahrer " + QByteArray::number(n) + "\t12,34\t\r\n";
    return bytes;
}

// Refuses to write while told to, otherwise writes for real.
class RefusingReplacer final : public FileReplacer
{
public:
    bool refuse = false;
    bool replace(const QString &path, QByteArrayView bytes) override
    {
        return !refuse && m_real.replace(path, bytes);
    }

private:
    DurableFileReplacer m_real;
};

} // namespace

class TestBackupStore : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QDateTime m_now;
    RefusingReplacer m_replacer;

    BackupStore::Clock clock()
    {
        return [this] { return m_now; };
    }
    QString path(const QString &name) const { return m_dir.filePath(name); }
    QStringList files() const { return QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name); }
    QStringList historyFiles(QDate day) const
    {
        return QDir(m_dir.path()).entryList({backupnames::historyPattern(day)}, QDir::Files, QDir::Name);
    }

private Q_SLOTS:
    void init()
    {
        QDir(m_dir.path()).removeRecursively();
        QDir().mkpath(m_dir.path());
        m_now = QDateTime(QDate(2026, 12, 7), QTime(10, 15, 30));
        m_replacer.refuse = false;
    }

    void writesTheWholeProtocolBeforeReturning()
    {
        BackupStore store(path(u"neu/tiefer"_s), m_replacer, clock());
        QVERIFY(!store.needsRecovery());
        QVERIFY(!store.write(protocol(1)));
        QCOMPARE(readAll(store.backupPath()), protocol(1));
        QCOMPARE(store.backupPath(), path(u"neu/tiefer/Sicherung.txt"_s));
    }

    void asksOnlyForResultsNeitherSavedNorCleared_data()
    {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<bool>("asks");
        QTest::newRow("nothing written") << QStringList{} << false;
        QTest::newRow("written") << QStringList{u"1"_s} << true;
        QTest::newRow("saved") << QStringList{u"1"_s, u"saved"_s} << false;
        QTest::newRow("changed after saving") << QStringList{u"1"_s, u"saved"_s, u"2"_s} << true;
        QTest::newRow("same bytes after saving") << QStringList{u"1"_s, u"saved"_s, u"1"_s} << false;
        QTest::newRow("saved before anything was written") << QStringList{u"saved"_s, u"1"_s} << true;
    }
    void asksOnlyForResultsNeitherSavedNorCleared()
    {
        QFETCH(QStringList, steps);
        QFETCH(bool, asks);
        {
            BackupStore store(m_dir.path(), m_replacer, clock());
            for (const QString &step : std::as_const(steps)) {
                if (step == u"saved"_s)
                    store.markSaved();
                else
                    QVERIFY(!store.write(protocol(step.toInt())));
            }
        }
        BackupStore restarted(m_dir.path(), m_replacer, clock());
        QCOMPARE(restarted.needsRecovery(), asks);
    }

    void keepAsideNeverOverwritesAnEarlierCopy()
    {
        writeFile(path(u"Sicherung-2026-12-07-10-15.txt"_s), "erste");
        writeFile(path(u"Sicherung-2026-12-07-10-15-2.txt"_s), "zweite");
        {
            BackupStore store(m_dir.path(), m_replacer, clock());
            QVERIFY(!store.write(protocol(1)));
        }
        BackupStore store(m_dir.path(), m_replacer, clock());
        QVERIFY(store.needsRecovery());
        QCOMPARE(store.keepAside(), path(u"Sicherung-2026-12-07-10-15-3.txt"_s));
        QVERIFY(!store.needsRecovery());
        QCOMPARE(readAll(path(u"Sicherung-2026-12-07-10-15.txt"_s)), "erste");
        QCOMPARE(readAll(path(u"Sicherung-2026-12-07-10-15-2.txt"_s)), "zweite");
        QCOMPARE(readAll(path(u"Sicherung-2026-12-07-10-15-3.txt"_s)), protocol(1));
        QVERIFY(!QFile::exists(store.backupPath()));
        QVERIFY(!BackupStore(m_dir.path(), m_replacer, clock()).needsRecovery());
    }

    void unreadableBackupIsSetAsideBeforeAsking_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("zero byte") << QByteArray(protocol(1) + '\0');
        QTest::newRow("line too long") << QByteArray(16 * 1024 + 1, 'x');
        QTest::newRow("too large") << protocol(1).repeated(16 * 1024 * 1024 / protocol(1).size() + 1);
    }
    void unreadableBackupIsSetAsideBeforeAsking()
    {
        QFETCH(QByteArray, bytes);
        writeFile(path(backupnames::current()), bytes);
        writeFile(path(backupnames::marker()), {});
        BackupStore store(m_dir.path(), m_replacer, clock());
        const std::optional<QString> message = store.setAsideIfUnreadable();
        QVERIFY(!store.needsRecovery());
        const QString aside = path(u"Sicherung-2026-12-07-10-15.txt"_s);
        QVERIFY(message && message->contains(QDir::toNativeSeparators(aside)));
        QVERIFY(!store.write(protocol(3)));
        QCOMPARE(readAll(aside), bytes);
    }

    // A second copy never takes the folder from a running one, however long
    // that has been running.
    void folderIsHeldByTheRunningCopy()
    {
        FolderLock first(m_dir.path());
        QCOMPARE(first.take(), FolderLock::Outcome::Taken);
        QFile lock(path(backupnames::lock()));
#ifdef Q_OS_WIN
        // Windows keeps a held lock file from everyone else, old or not.
        QVERIFY(!lock.open(QIODevice::ReadWrite));
#else
        QVERIFY(lock.open(QIODevice::ReadWrite));
        QVERIFY(lock.setFileTime(QDateTime::currentDateTime().addSecs(-3600), QFileDevice::FileModificationTime));
        lock.close();
#endif
        QCOMPARE(FolderLock(m_dir.path()).take(), FolderLock::Outcome::HeldByAnotherCopy);
    }

    void aWriteBeforeTheAnswerSetsTheOldBackupAside()
    {
        {
            BackupStore store(m_dir.path(), m_replacer, clock());
            QVERIFY(!store.write(protocol(1)));
        }
        BackupStore store(m_dir.path(), m_replacer, clock());
        QVERIFY(!store.write(protocol(2)));
        QCOMPARE(readAll(path(u"Sicherung-2026-12-07-10-15.txt"_s)), protocol(1));
        QCOMPARE(readAll(store.backupPath()), protocol(2));
        QVERIFY(!store.needsRecovery());
    }

    void aRecoveredBackupIsWrittenOverButStaysInTheHistory_data()
    {
        QTest::addColumn<bool>("fromTheDayBefore");
        QTest::newRow("same day") << false;
        QTest::newRow("day before") << true;
    }
    void aRecoveredBackupIsWrittenOverButStaysInTheHistory()
    {
        QFETCH(bool, fromTheDayBefore);
        {
            BackupStore store(m_dir.path(), m_replacer, clock());
            QVERIFY(!store.write(protocol(1)));
        }
        if (fromTheDayBefore)
            m_now = m_now.addDays(1);
        const QDate day = m_now.date();
        BackupStore store(m_dir.path(), m_replacer, clock());
        store.recovered();
        QVERIFY(!store.needsRecovery());
        // Taking it back writes the same bytes: no new entry for them.
        QVERIFY(!store.write(protocol(1)));
        QVERIFY(!store.write(protocol(2)));
        QCOMPARE(historyFiles(day), (QStringList{backupnames::history(day, 1), backupnames::history(day, 2)}));
        QCOMPARE(readAll(path(backupnames::history(day, 1))), protocol(1));
        QCOMPARE(readAll(path(backupnames::history(day, 2))), protocol(2));
        QVERIFY(files().filter(u"-10-15"_s).isEmpty());
        // Still not saved: the next start asks again.
        QVERIFY(BackupStore(m_dir.path(), m_replacer, clock()).needsRecovery());
    }

    void anUnreadableBackupIsSetAsideNotWrittenOver()
    {
        {
            BackupStore store(m_dir.path(), m_replacer, clock());
            QVERIFY(!store.write(protocol(1)));
        }
        // Something in its place that can't be read as a file, for root too.
        QVERIFY(QFile::remove(path(u"Sicherung.txt"_s)));
        QVERIFY(QDir(m_dir.path()).mkdir(u"Sicherung.txt"_s));
        BackupStore store(m_dir.path(), m_replacer, clock());
        QVERIFY(store.needsRecovery());
        store.recovered();
        QVERIFY(!store.needsRecovery());
        QVERIFY(!store.write(protocol(2)));
        QVERIFY(QFile::exists(path(u"Sicherung-2026-12-07-10-15.txt"_s)));
        QCOMPARE(readAll(store.backupPath()), protocol(2));
    }

    void historyKeepsTheLastTwentyStatesOfTheDay()
    {
        const QDate day = m_now.date();
        {
            BackupStore store(m_dir.path(), m_replacer, clock());
            for (int n = 1; n <= 25; ++n)
                QVERIFY(!store.write(protocol(n)));
            QCOMPARE(historyFiles(day).size(), 25);
            store.pruneHistory();
        }
        QStringList expected;
        for (int n = 6; n <= 25; ++n)
            expected.append(backupnames::history(day, n));
        QCOMPARE(historyFiles(day), expected);
        QCOMPARE(readAll(path(backupnames::history(day, 6))), protocol(6));
        QCOMPARE(readAll(path(backupnames::history(day, 25))), protocol(25));

        // A restart goes on counting; the next day starts again at 1 and
        // leaves the day before alone.
        BackupStore store(m_dir.path(), m_replacer, clock());
        store.recovered();
        QVERIFY(!store.write(protocol(26)));
        store.pruneHistory();
        QCOMPARE(readAll(path(backupnames::history(day, 26))), protocol(26));
        QVERIFY(!QFile::exists(path(backupnames::history(day, 6))));
        QVERIFY(QFile::exists(path(backupnames::history(day, 7))));
        m_now = m_now.addDays(1);
        QVERIFY(!store.write(protocol(27)));
        QCOMPARE(historyFiles(m_now.date()), QStringList{backupnames::history(m_now.date(), 1)});
        QCOMPARE(historyFiles(day).size(), backupnames::kHistoryKept);
    }

    void aFailedWriteKeepsThePreviousBackup_data()
    {
        QTest::addColumn<bool>("diskLimit");
        QTest::newRow("refused") << false;
        QTest::newRow("disk full halfway") << true;
    }
    void aFailedWriteKeepsThePreviousBackup()
    {
        QFETCH(bool, diskLimit);
        BackupStore store(m_dir.path(), m_replacer, clock());
        if (diskLimit)
            VEX_REQUIRE_FILE_SIZE_LIMIT();
        QVERIFY(!store.write(protocol(1)));
        const QStringList before = files();
        std::optional<QString> error;
        {
            m_replacer.refuse = !diskLimit;
            std::optional<FileSizeLimit> limit;
            if (diskLimit)
                limit.emplace(rlim_t(protocol(2).size() / 2));
            error = store.write(protocol(2));
        }
        QCOMPARE(error, u"Die Sicherung der Ergebnisse konnte nicht geschrieben werden: "_s
                            + QDir::toNativeSeparators(store.backupPath()));
        QCOMPARE(readAll(store.backupPath()), protocol(1));
        QCOMPARE(files(), before);

        // The same bytes are tried again once the disk takes them.
        m_replacer.refuse = false;
        QVERIFY(!store.write(protocol(2)));
        QCOMPARE(readAll(store.backupPath()), protocol(2));
    }

    void leftoversOfCutOffWritesGoAtStart()
    {
        writeFile(path(u"Sicherung.txt.aB3xYz"_s), "halb");
        writeFile(path(u"Sicherung.txt"_s), protocol(1));
        writeFile(path(u"Sicherung-2026-12-06-18-00.txt"_s), protocol(2));
        BackupStore store(m_dir.path(), m_replacer, clock());
        QCOMPARE(files(), (QStringList{u"Sicherung-2026-12-06-18-00.txt"_s, u"Sicherung.txt"_s}));
        // A backup without the marker was saved or cleared.
        QVERIFY(!store.needsRecovery());
    }

    void historyNumbersAreReadOnlyFromTheDaysOwnNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("number");
        QTest::newRow("own") << u"Sicherung-2026-12-07-Stand-0042.txt"_s << 42;
        QTest::newRow("beyond four digits") << u"Sicherung-2026-12-07-Stand-12345.txt"_s << 12345;
        QTest::newRow("other day") << u"Sicherung-2026-12-06-Stand-0042.txt"_s << -1;
        QTest::newRow("set aside") << u"Sicherung-2026-12-07-10-15.txt"_s << -1;
        QTest::newRow("not a number") << u"Sicherung-2026-12-07-Stand-00a2.txt"_s << -1;
        QTest::newRow("signed") << u"Sicherung-2026-12-07-Stand-+042.txt"_s << -1;
        QTest::newRow("zero") << u"Sicherung-2026-12-07-Stand-0000.txt"_s << -1;
    }
    void historyNumbersAreReadOnlyFromTheDaysOwnNames()
    {
        QFETCH(QString, name);
        QFETCH(int, number);
        QCOMPARE(backupnames::historyNumber(name, QDate(2026, 12, 7)), number);
    }
};

QTEST_GUILESS_MAIN(TestBackupStore)
#include "test_backupstore.moc"
