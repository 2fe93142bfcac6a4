// Random sequences of every command of the results (hand times, run
// disqualifications and girls and boys among them), with undo and redo
// interleaved, against what must always hold: the backup is what "Speichern"
// writes, places are shared only by equal totals, what is kept of earlier
// readings (rows' scores, the awards) is what reading afresh gives, undoing
// everything gives back the first pages byte for byte and redoing
// everything the last. Three scoring runs of which two count, ties broken by
// the better run, so that struck runs and tie-breaks come up too.
#include "racefixture.h"

#include "backup/backupstore.h"
#include "backup/filereplacer.h"
#include "backup/racebackup.h"
#include "reports/protocolfile.h"
#include "results/awardstracker.h"
#include "results/runcell.h"
#include "timing/timetext.h"

#include <QRandomGenerator>

#include <functional>
#include <QTemporaryDir>

using namespace vex;
using namespace Qt::StringLiterals;

namespace {

// Files written without waiting for the disk: the model runs thousands of steps.
class QuickReplacer final : public FileReplacer
{
public:
    bool replace(const QString &path, QByteArrayView bytes) override
    {
        QFile f(path);
        return f.open(QIODevice::WriteOnly) && f.write(bytes.data(), bytes.size()) == bytes.size();
    }
};

QString placesFault(const ResultPage &p)
{
    QHash<QString, QString> totalOfPlace;
    for (int r = 1; r < p.rows(); ++r) {
        const QString place = p.cell(r, ColPlace);
        if (place.isEmpty() || place == u"DIS"_s)
            continue;
        const QString total = p.cell(r, ColTotal);
        if (TextToMs(total) <= 0)
            return u"place %1 without a total in row %2"_s.arg(place).arg(r);
        const auto seen = totalOfPlace.constFind(place);
        if (seen != totalOfPlace.cend() && *seen != total)
            return u"place %1 for %2 and %3"_s.arg(place, *seen, total);
        totalOfPlace.insert(place, total);
    }
    return {};
}

QString teamsText(const TeamRanking &ranking)
{
    QStringList lines;
    for (const TeamStanding &t : ranking.teams) {
        QStringList members;
        for (const TeamMember &m : t.counting)
            members.append(u"%1 %2 %3 %4"_s.arg(m.startNumber, m.className).arg(m.place).arg(m.points));
        lines.append(u"%1. %2 %3 (%4 of %5: %6)"_s.arg(t.place).arg(t.team).arg(t.points).arg(t.bestPlace)
                         .arg(t.members).arg(members.join(u", "_s)));
    }
    return lines.join(u'\n');
}

// A hand time's mark on a time (or on the "DIS" that keeps it), a
// disqualified run's on "DIS".
QString marksFault(const ResultPage &p)
{
    for (int r = 1; r < p.rows(); ++r) {
        const RowMarks &m = p.marks(r);
        for (int run = 0; run <= kMaxScoringRuns; ++run) {
            const QString cell = p.cell(r, timeColumn(run)).trimmed();
            if (m.isDisqualifiedRun(run) ? cell != kDisMark : m.isHandTime(run) && TextToMs(cell) <= 0)
                return u"row %1 marks run %2, which holds „%3“"_s.arg(r).arg(run).arg(cell);
        }
    }
    return {};
}

QString scoreFault(const ResultPage &p)
{
    for (int r = 1; r < p.rows(); ++r) {
        const RowScore &kept = p.score(r);
        const RowScore fresh = scoreRow(p.row(r), p.regulation());
        if (kept.hasTotal != fresh.hasTotal || kept.totalMs != fresh.totalMs || kept.struckRuns != fresh.struckRuns
            || kept.counted != fresh.counted)
            return u"row %1 kept a stale score"_s.arg(r);
    }
    return {};
}

} // namespace

class TestRaceCommands : public QObject
{
    Q_OBJECT

    QByteArray protocol(RaceFiles &files, const QString &path)
    {
        files.exportWith([&](const Competition &c) { return WriteProtocolText(c, path); });
        return readAll(path);
    }

private Q_SLOTS:
    void randomCommandsKeepTheInvariants()
    {
        QTemporaryDir dir;
        QuickReplacer replacer;
        RaceFixture f;
        BackupStore store(dir.path(), replacer);
        RaceBackup backup(f.files, store);
        QList<QList<QStringList>> classes;
        for (int k = 0; k < 3; ++k) {
            QList<QStringList> rows;
            for (int d = 1; d <= 6; ++d)
                rows.append(driver(QString::number(k * 10 + d), u"Fahrer %1"_s.arg(d),
                                   QStringList{u"MSC"_s, u"AMC"_s, u" msc"_s}.at(d % 3)));
            classes.append(rows);
        }
        f.load(classes, {u"K1"_s, u"K2"_s, u"K3"_s});
        Race &race = f.race;
        RaceResults &results = race.results();
        Regulation regulation;
        regulation.scoringRuns = 3;
        regulation.tieBreak = Regulation::BetterSingleRun;
        results.setRegulation(regulation);
        const TeamRules rules;
        AwardsTracker awards(results.competition());
        const QString scratch = dir.filePath(u"protokoll.txt"_s);
        const QByteArray first = protocol(f.files, scratch);

        QRandomGenerator random(20261207);
        const auto pick = [&](int n) { return int(random.bounded(n)); };
        const auto anyRow = [&] {
            const ResultPage &p = results.page(pick(3));
            return p.rowId(1 + pick(p.dataRows()));
        };
        quint32 tick = 1000;
        const QList<std::function<void()>> commands{
            [&] { // a run timed and entered, or the one waiting entered
                if (race.runController().state() == RunState::Entered)
                    race.next();
                if (race.runController().state() == RunState::Ready) {
                    race.chooseClass(pick(3));
                    race.chooseDriver(pick(int(race.walkOrder().size())));
                    race.chooseRun(pick(4));
                    race.setPenalty(pick(3) * 2);
                    race.start(tick);
                    race.stop(tick += 30'000 + quint32(pick(20'000)));
                }
                race.enter();
            },
            [&] { results.editCell(anyRow(), penaltyColumn(pick(4)), QString::number(pick(12))); },
            [&] { results.editCell(anyRow(), pick(2) ? ColName : ColClub, u"Name %1"_s.arg(pick(4))); },
            [&] { results.deleteTimes(anyRow()); },
            [&] { results.toggleDisqualified(anyRow()); },
            [&] { pick(2) ? race.addRow() : (results.removeRow(anyRow()), RowId()); },
            [&] { pick(10) ? race.rank() : race.clearResults(); },
            [&] {
                const RowId from = anyRow();
                const ResultPage &p = results.page(results.pageOfRow(from));
                results.moveRun(from, pick(4), p.rowId(1 + pick(p.dataRows())));
            },
            [&] { results.grantReRun(anyRow(), pick(4)); },
            [&] { results.enterHandTime(anyRow(), pick(4), 30'000 + pick(30'000), pick(3) * 2); },
            [&] {
                const RowId row = anyRow();
                const ResultPage &p = results.page(results.pageOfRow(row));
                const int run = pick(4);
                results.setRunDisqualified(row, run, !p.marks(p.rowOfId(row)).isDisqualifiedRun(run));
            },
            [&] { results.setGender(anyRow(), Gender(pick(3))); },
            [&] { pick(2) ? results.drawStartOrder(pick(3), random.generate()) : results.reverseStartOrder(pick(3)); },
            [&] { race.undo(); },
            [&] { race.undo(); },
            [&] { race.redo(); },
        };
        int steps = 0;
        for (; steps < 2500; ++steps) {
            // Entries weigh three times as much as any other command.
            const int i = pick(int(commands.size()) + 2);
            commands.at(std::max(0, i - 2))();
            const QByteArray now = protocol(f.files, scratch);
            QCOMPARE(readAll(store.backupPath()), now);
            for (int k = 0; k < 3; ++k) {
                const QString fault = placesFault(results.page(k));
                QVERIFY2(fault.isEmpty(), qPrintable(u"step %1: %2"_s.arg(steps).arg(fault)));
                const QString stale = scoreFault(results.page(k));
                QVERIFY2(stale.isEmpty(), qPrintable(u"step %1: %2"_s.arg(steps).arg(stale)));
                const QString marks = marksFault(results.page(k));
                QVERIFY2(marks.isEmpty(), qPrintable(u"step %1: %2"_s.arg(steps).arg(marks)));
            }
            awards.everythingChanged();
            QCOMPARE(teamsText(awards.teams()), teamsText(rankTeams(results.competition(), rules)));
            QCOMPARE(awards.dayBest().text(), findDayBest(results.competition()).text());
        }

        // A run waiting to be entered holds the stack at its entry.
        if (race.runController().state() == RunState::Stopped)
            race.enter();
        const QByteArray last = protocol(f.files, scratch);
        const int count = int(results.stack().count());
        QVERIFY(count > 100);
        for (int i = 0; i <= count && results.stack().canUndo(); ++i) {
            // An entry taken back leaves its run waiting; thrown away, the
            // steps before it can go back too.
            if (!race.canUndo())
                race.discardRun();
            race.undo();
        }
        QCOMPARE(protocol(f.files, scratch), first);
        QCOMPARE(readAll(store.backupPath()), first);
        while (results.stack().canRedo() && race.canRedo())
            race.redo();
        QCOMPARE(results.stack().index(), count);
        QCOMPARE(protocol(f.files, scratch), last);
    }
};

QTEST_GUILESS_MAIN(TestRaceCommands)
#include "test_race_commands.moc"
