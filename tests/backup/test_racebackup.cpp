#include "backup/backupstore.h"
#include "backup/racebackup.h"
#include "files/racefiles.h"
#include "race/race.h"
#include "reports/protocoltext.h"
#include "timing/tickclock.h"

#include "../timing/faketimers.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace vex;

namespace {

class FakeTicks final : public TickSource
{
public:
    quint32 now() const override { return value; }
    quint32 value = 1000;
};

// Counts the writes that reach the disk; refuses them while told to.
class CountingReplacer final : public FileReplacer
{
public:
    int writes = 0;
    bool refuse = false;
    bool replace(const QString &path, QByteArrayView bytes) override
    {
        if (refuse)
            return false;
        ++writes;
        return m_real.replace(path, bytes);
    }

private:
    DurableFileReplacer m_real;
};

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QByteArray protocolOf(RaceFiles &files)
{
    QByteArray bytes;
    files.exportWith([&bytes](const Competition &c) {
        bytes = formatProtocolText(c);
        return std::optional<QString>();
    });
    return bytes;
}

QByteArray startList()
{
    QList<ProtocolBlock> blocks;
    for (const QString &name : {u"Bambini"_s, u"Junioren"_s}) {
        ProtocolBlock block;
        block.hasHeading = true;
        block.classEntry = name;
        block.rows = {defaultColumnTitles(), {u"1"_s, name + u" Eins"_s, u"MSC"_s}, {u"2"_s, name + u" Zwei"_s, u"MSC"_s}};
        blocks.append(block);
    }
    return formatProtocolBlocks(blocks);
}

enum class Command { Entry, HandCorrection, NewRow, RemoveRow, DeleteTimes, Disqualify, Clear, Load, Rank };

} // namespace

class TestRaceBackup : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_folder;
    QString m_list;
    FakeTicks m_ticks;
    FakeTimers m_timers;
    CountingReplacer m_replacer;

    void enter(Race &race, int page, const QString &number, int run, qint32 ms)
    {
        race.chooseClass(page);
        race.typeStartNumber(number);
        race.chooseRun(run);
        race.start(m_ticks.value);
        m_ticks.value += quint32(ms);
        race.stop(m_ticks.value);
        race.enter();
        race.next();
    }
    bool offeredAtNextStart() { return BackupStore(m_folder, m_replacer).needsRecovery(); }

private Q_SLOTS:
    void init()
    {
        m_folder = m_dir.filePath(u"%1-%2"_s.arg(QString::fromUtf8(QTest::currentTestFunction()), QString::fromUtf8(QTest::currentDataTag())));
        m_list = m_dir.filePath(u"Startliste.txt"_s);
        QFile list(m_list);
        QVERIFY(list.open(QIODevice::WriteOnly));
        list.write(startList());
        m_replacer = {};
    }

    void everyChangeIsWrittenOnceBeforeTheCommandReturns_data()
    {
        QTest::addColumn<Command>("command");
        QTest::newRow("entry") << Command::Entry;
        QTest::newRow("hand correction") << Command::HandCorrection;
        QTest::newRow("new row") << Command::NewRow;
        QTest::newRow("row removed") << Command::RemoveRow;
        QTest::newRow("Zeit löschen") << Command::DeleteTimes;
        QTest::newRow("Disqualifizieren") << Command::Disqualify;
        QTest::newRow("clear") << Command::Clear;
        QTest::newRow("load") << Command::Load;
        QTest::newRow("ranking") << Command::Rank;
    }
    void everyChangeIsWrittenOnceBeforeTheCommandReturns()
    {
        QFETCH(Command, command);
        RaceResults raceResults;
        Race race(raceResults, m_ticks, m_timers);
        RaceFiles files(race);
        BackupStore store(m_folder, m_replacer);
        RaceBackup backup(files, store);
        if (command != Command::Load) {
            files.load(m_list);
            enter(race, 0, u"2"_s, 1, 45'120);
        }
        if (command == Command::Rank) {
            // A total entered while the ranking was off gets its place from the command.
            Settings s = race.settings();
            s.AutoRang = false;
            race.applySettings(s);
            enter(race, 0, u"1"_s, 1, 44'000);
            enter(race, 0, u"1"_s, 2, 45'000);
            s.AutoRang = true;
            race.applySettings(s);
        }
        const QByteArray before = readAll(store.backupPath());
        const int writesBefore = m_replacer.writes;
        const ResultPage &page = *race.competition().page(0);
        const RowId leader = page.rowId(1);
        switch (command) {
        case Command::Entry:
            enter(race, 1, u"1"_s, 2, 51'000);
            break;
        case Command::HandCorrection:
            race.results().editCell(leader, penaltyColumn(1), u"3"_s);
            break;
        case Command::NewRow:
            race.chooseClass(0);
            race.addRow();
            break;
        case Command::RemoveRow:
            race.results().removeRow(leader);
            break;
        case Command::DeleteTimes:
            race.results().deleteTimes(leader);
            break;
        case Command::Disqualify:
            race.results().toggleDisqualified(leader);
            break;
        case Command::Clear:
            race.chooseClass(0);
            race.clearResults();
            break;
        case Command::Load:
            files.load(m_list);
            break;
        case Command::Rank:
            race.rank();
            break;
        }
        const QByteArray after = protocolOf(files);
        QVERIFY(after != before);
        QCOMPARE(readAll(store.backupPath()), after);
        QCOMPARE(m_replacer.writes - writesBefore, 1);
    }

    void aSavedProtocolIsNotOfferedAgain()
    {
        {
            RaceResults raceResults;
            Race race(raceResults, m_ticks, m_timers);
            RaceFiles files(race);
            BackupStore store(m_folder, m_replacer);
            RaceBackup backup(files, store);
            files.load(m_list);
            enter(race, 0, u"1"_s, 1, 45'000);
            QVERIFY(files.save(m_dir.filePath(u"Protokoll.txt"_s)) == std::nullopt);
        }
        QVERIFY(!offeredAtNextStart());
        {
            RaceResults raceResults;
            Race race(raceResults, m_ticks, m_timers);
            RaceFiles files(race);
            BackupStore store(m_folder, m_replacer);
            RaceBackup backup(files, store);
            files.load(m_dir.filePath(u"Protokoll.txt"_s));
            enter(race, 0, u"2"_s, 1, 46'000);
            // A save that fails keeps the offer.
            QVERIFY(files.save(m_dir.filePath(u"kein/Ordner/Protokoll.txt"_s)) != std::nullopt);
        }
        QVERIFY(offeredAtNextStart());
    }

    void clearingIsNotOfferedOnlyWhenNoResultsAreLeft_data()
    {
        QTest::addColumn<bool>("otherClassHasResults");
        QTest::newRow("results in one class") << false;
        QTest::newRow("results in two classes") << true;
    }
    void clearingIsNotOfferedOnlyWhenNoResultsAreLeft()
    {
        QFETCH(bool, otherClassHasResults);
        {
            RaceResults raceResults;
            Race race(raceResults, m_ticks, m_timers);
            RaceFiles files(race);
            BackupStore store(m_folder, m_replacer);
            RaceBackup backup(files, store);
            files.load(m_list);
            enter(race, 0, u"1"_s, 1, 45'000);
            if (otherClassHasResults)
                enter(race, 1, u"2"_s, 0, 47'000);
            race.chooseClass(0);
            race.clearResults();
        }
        QCOMPARE(offeredAtNextStart(), otherClassHasResults);
    }

    void aFailingBackupIsReportedOncePerStreak()
    {
        RaceResults raceResults;
        Race race(raceResults, m_ticks, m_timers);
        RaceFiles files(race);
        BackupStore store(m_folder, m_replacer);
        RaceBackup backup(files, store);
        QSignalSpy failed(&backup, &RaceBackup::failed);
        files.load(m_list);
        m_replacer.refuse = true;
        enter(race, 0, u"1"_s, 1, 45'000);
        enter(race, 0, u"2"_s, 1, 46'000);
        QCOMPARE(failed.size(), 1);
        QCOMPARE(failed.at(0).at(0).toString(), store.writeErrorText());
        m_replacer.refuse = false;
        enter(race, 0, u"1"_s, 2, 47'000);
        QCOMPARE(readAll(store.backupPath()), protocolOf(files));
        m_replacer.refuse = true;
        enter(race, 0, u"2"_s, 2, 48'000);
        QCOMPARE(failed.size(), 2);
    }
};

QTEST_GUILESS_MAIN(TestRaceBackup)
#include "test_racebackup.moc"
