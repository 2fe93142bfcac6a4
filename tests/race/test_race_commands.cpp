// Random sequences of every command of the results, with undo and redo
// interleaved, against what must always hold: the backup is what "Speichern"
// writes, and that file, read back, holds every time a cell holds; what is
// kept of earlier readings (rows' scores, the awards) is what reading afresh
// gives; totals, struck runs, places, the day's best run, "Best:" and the
// team points are what a plain restatement of the README's rules makes of
// the cells (the oracle below, which calls none of the scoring code); undoing
// everything gives back the first pages byte for byte and redoing everything
// the last. Each seed starts under a random regulation, and regulation
// changes, loads of files written under another regulation, start orders
// and disqualifications are among the steps.
#include "racefixture.h"

#include "backup/backupstore.h"
#include "backup/filereplacer.h"
#include "backup/racebackup.h"
#include "reports/protocolfile.h"
#include "reports/protocoltext.h"
#include "results/awardstracker.h"
#include "results/ranking.h"
#include "timing/timetext.h"

#include <QRandomGenerator>
#include <QRegularExpression>

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

// ---- The oracle: the README's rules, restated without the program's code.
// A run counts with its time plus one second per penalty second up to the
// cap; a driver has a total once as many scoring runs hold a time as count,
// the best of them summed (of equal runs the later one struck), none of an
// hour or more; equal totals share a place unless the better counted run
// decides; the day's best is the fastest counted run of the regulation's
// scoring runs of a driver not disqualified.
struct Oracle
{
    bool hasTotal = false;
    qint64 total = 0;
    QList<qint64> counted; // best first
    QList<int> struck;
};

bool isTime(const QString &cell)
{
    static const QRegularExpression time(u"^(\\d{1,2}:)?\\d{1,2},\\d\\d$"_s);
    return time.match(cell.trimmed()).hasMatch();
}

bool isDisqualified(const QStringList &cells)
{
    const QString total = cells.value(ColTotal).trimmed();
    return total == u"-"_s || total == u"DIS"_s;
}

qint64 runValue(const QStringList &cells, int run, const Regulation &r)
{
    const QString pen = cells.value(penaltyColumn(run)).trimmed();
    int seconds = pen.size() < 9 && !pen.isEmpty() && std::all_of(pen.begin(), pen.end(), [](QChar c) { return c.isDigit(); })
        ? pen.toInt() : 0;
    if (r.penaltyCap > 0)
        seconds = std::min(seconds, r.penaltyCap);
    return TextToMs(cells.value(timeColumn(run))) + 1000 * qint64(seconds);
}

Oracle oracle(const QStringList &cells, const Regulation &r)
{
    QList<std::pair<qint64, int>> timed; // value, run
    for (int run = 1; run <= r.scoringRuns; ++run) {
        if (isTime(cells.value(timeColumn(run))))
            timed.append({runValue(cells, run, r), run});
    }
    Oracle o;
    if (timed.size() < r.countingRuns)
        return o;
    std::sort(timed.begin(), timed.end()); // equal values: the earlier run first
    for (int i = 0; i < timed.size(); ++i) {
        if (i < r.countingRuns) {
            o.total += timed.at(i).first;
            o.counted.append(timed.at(i).first);
        } else {
            o.struck.append(timed.at(i).second);
        }
    }
    o.hasTotal = o.total > 0 && o.total < 3'600'000;
    return o;
}

// Negative when a ranks before b.
int rankOrder(const Oracle &a, const Oracle &b, const Regulation &r)
{
    if (a.total != b.total)
        return a.total < b.total ? -1 : 1;
    if (r.tieBreak == Regulation::BetterSingleRun && a.counted != b.counted)
        return a.counted < b.counted ? -1 : 1;
    return 0;
}

QString oracleFault(const ResultPage &p)
{
    const Regulation &r = p.regulation();
    QList<Oracle> rows(p.rows());
    for (int row = 1; row < p.rows(); ++row)
        rows[row] = oracle(p.row(row), r);
    for (int row = 1; row < p.rows(); ++row) {
        const Oracle &o = rows.at(row);
        const QString label = u"row %1 (%2)"_s.arg(row).arg(p.row(row).join(u'|'));
        if (isDisqualified(p.row(row)))
            continue;
        const QString total = o.hasTotal ? MsToText(qint32(o.total)) : QString();
        if (p.cell(row, ColTotal).trimmed() != total)
            return label + u": total should be "_s + total;
        for (int run = 1; run <= r.scoringRuns; ++run) {
            if (p.isStruckRun(row, run) != (o.hasTotal && o.struck.contains(run)))
                return label + u": run %1 struck wrongly"_s.arg(run);
        }
        int place = 1;
        for (int other = 1; other < p.rows(); ++other) {
            if (rows.at(other).hasTotal && !isDisqualified(p.row(other)) && rankOrder(rows.at(other), o, r) < 0)
                ++place;
        }
        if (p.cell(row, ColPlace).trimmed() != (o.hasTotal ? QString::number(place) : QString()))
            return label + u": place should be %1"_s.arg(o.hasTotal ? place : 0);
    }
    return {};
}

// The day's best run as "ms page row".
QString oracleDayBest(const Competition &c, int classes)
{
    qint64 best = 0;
    QString where;
    for (int k = 0; k < classes; ++k) {
        const ResultPage &p = *c.page(k);
        for (int row = 1; row < p.rows(); ++row) {
            for (int run = 1; run <= p.regulation().scoringRuns && !isDisqualified(p.row(row)); ++run) {
                const qint64 value = runValue(p.row(row), run, p.regulation());
                if (isTime(p.cell(row, timeColumn(run))) && value < 3'600'000 && (best == 0 || value < best)) {
                    best = value;
                    where = u"%1 %2 %3"_s.arg(value).arg(k).arg(row);
                }
            }
        }
    }
    return where;
}

// Team -> points: each driver his class place's points, a team its best counting.
QMap<QString, int> oracleTeams(const Competition &c, int classes, const TeamRules &rules)
{
    QMap<QString, QList<int>> members;
    for (int k = 0; k < classes; ++k) {
        const ResultPage &p = *c.page(k);
        for (int row = 1; row < p.rows(); ++row) {
            const QString team = (p.team(row).isEmpty() ? p.cell(row, ColClub) : p.team(row)).trimmed().toCaseFolded();
            const bool placed = oracle(p.row(row), p.regulation()).hasTotal && !isDisqualified(p.row(row));
            if (!team.isEmpty())
                members[team].append(placed ? rules.points.forPlace(p.cell(row, ColPlace).toInt()) : 0);
        }
    }
    QMap<QString, int> points;
    for (auto it = members.begin(); it != members.end(); ++it) {
        std::sort(it->begin(), it->end(), std::greater<>());
        points[it.key()] = std::accumulate(it->begin(), it->begin() + std::min<qsizetype>(it->size(), rules.countingDrivers), 0);
    }
    return points;
}

// Every time a cell of the first pages holds, as a sorted list.
QStringList timesOf(const QList<QStringList> &rows, const QList<int> &columns)
{
    QStringList times;
    for (const QStringList &row : rows.mid(1)) {
        for (qsizetype i = 0; i < row.size() && i < columns.size(); ++i) {
            QString cell = row.at(i).trimmed();
            if (cell.startsWith(u'(') && cell.endsWith(u')'))
                cell = cell.mid(1, cell.size() - 2);
            if (scoringRunOfTimeColumn(columns.at(i)) > 0 && isTime(cell))
                times.append(cell);
        }
    }
    times.sort();
    return times;
}

QString hiddenTimeFault(const Competition &c, int classes, const QByteArray &saved)
{
    const QList<ProtocolBlock> blocks = parseProtocolBytes(saved);
    for (int k = 0; k < classes; ++k) {
        const ResultPage &p = *c.page(k);
        QList<QStringList> rows;
        for (int row = 0; row < p.rows(); ++row)
            rows.append(p.row(row));
        const QStringList held = timesOf(rows, QList<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14});
        const QStringList written = k < blocks.size()
            ? timesOf(blocks.at(k).rows, pageColumns(blocks.at(k).scoringRuns)) : QStringList();
        if (held != written)
            return u"class %1 holds %2, the file %3"_s.arg(k).arg(held.join(u' '), written.join(u' '));
    }
    return {};
}

Regulation randomRegulation(QRandomGenerator &random)
{
    Regulation r;
    r.scoringRuns = 2 + int(random.bounded(3));
    r.countingRuns = 2 + int(random.bounded(r.scoringRuns - 1));
    r.tieBreak = random.bounded(2) ? Regulation::BetterSingleRun : Regulation::SharedPlace;
    r.penaltyCap = random.bounded(3) ? 0 : 4;
    return r;
}

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
    void randomCommandsKeepTheInvariants_data()
    {
        QTest::addColumn<quint32>("seed");
        QTest::newRow("a") << quint32(20261207);
        QTest::newRow("b") << quint32(20261208);
    }

    void randomCommandsKeepTheInvariants()
    {
        QFETCH(quint32, seed);
        QTemporaryDir dir;
        QuickReplacer replacer;
        RaceFixture f;
        BackupStore store(dir.path(), replacer);
        RaceBackup backup(f.files, store);
        QRandomGenerator random(seed);
        const auto pick = [&](int n) { return int(random.bounded(n)); };
        // A file naming no regulation whose runs disagree with the settings
        // asks; either answer must leave a consistent event.
        f.files.setQuestion([&](const QString &) { return pick(2) == 0; });
        f.changeSettings([&](Settings &s) { setRegulationFields(s, randomRegulation(random)); });
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
        const TeamRules rules;
        AwardsTracker awards(results.competition());
        const QString scratch = dir.filePath(u"protokoll.txt"_s);
        const QString other = dir.filePath(u"anderes.txt"_s);
        QByteArray first = protocol(f.files, scratch);

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
                    race.chooseRun(pick(5));
                    race.setPenalty(pick(3) * 2);
                    race.start(tick);
                    race.stop(tick += 30'000 + quint32(pick(20'000)));
                }
                race.enter();
            },
            [&] { results.editCell(anyRow(), penaltyColumn(pick(5)), QString::number(pick(12))); },
            [&] { results.editCell(anyRow(), pick(2) ? ColName : ColClub, u"Name %1"_s.arg(pick(4))); },
            [&] { results.deleteTimes(anyRow()); },
            [&] { results.toggleDisqualified(anyRow()); },
            [&] { pick(2) ? race.addRow() : (results.removeRow(anyRow()), RowId()); },
            [&] { pick(10) ? race.rank() : race.clearResults(); },
            [&] {
                const RowId from = anyRow();
                const ResultPage &p = results.page(results.pageOfRow(from));
                results.moveRun(from, pick(5), p.rowId(1 + pick(p.dataRows())));
            },
            [&] { results.grantReRun(anyRow(), pick(5)); },
            [&] { pick(2) ? race.drawStartOrder(random.generate()) : race.reverseStartOrder(); },
            [&] { // the regulation changed as the settings dialog changes it
                if (race.runController().state() == RunState::Ready || race.runController().state() == RunState::Entered) {
                    Settings s = race.settingsForDialog();
                    setRegulationFields(s, randomRegulation(random));
                    race.applySettings(s);
                }
            },
            [&] { // a file written under this regulation opened under another
                if (pick(4) != 0 || race.runController().state() == RunState::Stopped)
                    return;
                protocol(f.files, other);
                f.changeSettings([&](Settings &s) { setRegulationFields(s, randomRegulation(random)); });
                QVERIFY(f.files.load(other).opened);
                first = protocol(f.files, scratch);
            },
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
            const QString hidden = hiddenTimeFault(results.competition(), 3, now);
            QVERIFY2(hidden.isEmpty(), qPrintable(u"step %1: %2"_s.arg(steps).arg(hidden)));
            for (int k = 0; k < 3; ++k) {
                for (const QString &fault : {placesFault(results.page(k)), scoreFault(results.page(k)),
                                             oracleFault(results.page(k))})
                    QVERIFY2(fault.isEmpty(), qPrintable(u"step %1, class %2: %3"_s.arg(steps).arg(k).arg(fault)));
                const RankResult best = FindPageBest(results.page(k));
                if (best.bestRow >= 1)
                    QCOMPARE(results.page(k).cell(best.bestRow, ColPlace), u"1"_s);
            }
            QCOMPARE(race.bestTimeMs(), FindPageBest(*race.activePage()).bestTimeMs);
            awards.everythingChanged();
            QCOMPARE(teamsText(awards.teams()), teamsText(rankTeams(results.competition(), rules)));
            QCOMPARE(awards.dayBest().text(), findDayBest(results.competition()).text());
            const DayBest day = findDayBest(results.competition());
            const QString dayText =
                day.found ? u"%1 %2 %3"_s.arg(day.ms).arg(day.page).arg(results.page(day.page).rowOfId(day.row)) : QString();
            QCOMPARE(dayText, oracleDayBest(results.competition(), 3));
            QMap<QString, int> teamPoints;
            for (const TeamStanding &t : rankTeams(results.competition(), rules).teams)
                teamPoints[t.team.trimmed().toCaseFolded()] = t.points;
            QMap<QString, int> expected = oracleTeams(results.competition(), 3, rules);
            expected.removeIf([&](auto it) { return it.value() == 0 && !teamPoints.contains(it.key()); });
            QCOMPARE(teamPoints, expected);
        }

        // A run waiting to be entered holds the stack at its entry.
        if (race.runController().state() == RunState::Stopped)
            race.enter();
        // The steps may have ended on an undo: "everything" is up to here.
        const QByteArray last = protocol(f.files, scratch);
        const int count = int(results.stack().index());
        QVERIFY(count > 0);
        for (int i = 0; i <= count && results.stack().canUndo(); ++i) {
            // An entry taken back leaves its run waiting; thrown away, the
            // steps before it can go back too.
            if (!race.canUndo())
                race.discardRun();
            race.undo();
        }
        QCOMPARE(protocol(f.files, scratch), first);
        QCOMPARE(readAll(store.backupPath()), first);
        while (results.stack().index() < count && race.canRedo())
            race.redo();
        QCOMPARE(results.stack().index(), count);
        QCOMPARE(protocol(f.files, scratch), last);
    }
};

QTEST_GUILESS_MAIN(TestRaceCommands)
#include "test_race_commands.moc"
