// Kills the program with SIGKILL at random moments while it takes entries,
// starts it again, takes the backup back and checks that every entry the
// program had confirmed is there and that the backup was never a cut-off
// file. VEX_CRASH_KILLS sets the number of kills (default 200),
// VEX_CRASH_SEED the random seed (default: from the clock, printed), and
// VEX_CRASH_WINDOW=1 drives the whole program with its windows instead of the
// race core and its backup alone.

#include "reports/protocoltext.h"
#include "results/resultpage.h"
#include "timing/timetext.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#ifndef Q_OS_WIN
#include <signal.h>
#endif

#include <algorithm>
#include <random>

using namespace Qt::StringLiterals;
using namespace vex;

namespace {

constexpr int kClasses = 3;
constexpr int kDrivers = 30;
constexpr char kWriteBegins = 'w';
constexpr char kWriteEnds = 'W';

QString className(int k)
{
    return u"Klasse %1"_s.arg(k + 1);
}

QByteArray startList()
{
    QList<ProtocolBlock> blocks;
    for (int k = 0; k < kClasses; ++k) {
        ProtocolBlock block;
        block.hasHeading = true;
        block.classEntry = className(k);
        block.rows.append(defaultColumnTitles());
        for (int d = 1; d <= kDrivers; ++d)
            block.rows.append({QString::number(d), u"Fahrer %1-%2"_s.arg(k + 1).arg(d), u"MSC Süd"_s});
        blocks.append(block);
    }
    return formatProtocolBlocks(blocks);
}

struct Entry
{
    int page = 0;
    int driver = 0;
    int run = 0;
    qint32 ms = 0;
    int penalty = 0;

    QString key() const { return u"%1/%2/%3"_s.arg(page).arg(driver).arg(run); }
    QString value() const { return MsToText(ms) + u'/' + QString::number(penalty); }
    QByteArray command() const
    {
        return "enter\t" + QByteArray::number(page) + '\t' + QByteArray::number(driver) + '\t'
            + QByteArray::number(run) + '\t' + QByteArray::number(ms) + '\t' + QByteArray::number(penalty) + '\n';
    }
};

// The program under test, its replies read line by line.
class Driver
{
public:
    Driver(const QString &folder, bool window)
    {
        m_process.setProgram(window ? QStringLiteral(VEX_CRASH_DRIVER_WINDOW) : QStringLiteral(VEX_CRASH_DRIVER));
        m_process.setArguments({folder});
        m_process.start();
    }
    ~Driver()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished();
        }
    }

    bool started() { return m_process.waitForStarted(10'000); }
    // Returns once the bytes are in the pipe (QProcess holds them back until
    // asked to write).
    void send(const QByteArray &bytes)
    {
        m_process.write(bytes);
        while (m_process.bytesToWrite() > 0 && m_process.waitForBytesWritten(10'000)) {
        }
    }

    // The next line of the reply, without its line end; empty on a timeout.
    QByteArray line(int timeoutMs = 20'000)
    {
        QElapsedTimer waited;
        waited.start();
        for (;;) {
            m_out += m_process.readAllStandardOutput();
            m_err += m_process.readAllStandardError();
            const qsizetype end = m_out.indexOf('\n');
            if (end >= 0) {
                const QByteArray first = m_out.first(end);
                m_out.remove(0, end + 1);
                return first;
            }
            if (waited.elapsed() > timeoutMs || m_process.state() == QProcess::NotRunning)
                return {};
            m_process.waitForReadyRead(50);
        }
    }

    // Kills the program; returns how many commands it had acknowledged in
    // the lines not read yet, and whether it died inside a backup write.
    std::pair<int, bool> kill()
    {
#ifdef Q_OS_WIN
        m_process.kill(); // TerminateProcess: no chance to clean up either
#else
        ::kill(pid_t(m_process.processId()), SIGKILL);
#endif
        m_process.waitForFinished(10'000);
        m_out += m_process.readAllStandardOutput();
        m_err += m_process.readAllStandardError();
        int acknowledged = 0;
        for (const QByteArray &reply : m_out.split('\n')) {
            if (reply.startsWith("ok\t"))
                ++acknowledged;
        }
        m_out.clear();
        const qsizetype begins = m_err.lastIndexOf(kWriteBegins);
        const bool inWrite = begins >= 0 && m_err.indexOf(kWriteEnds, begins) < 0;
        m_err.clear();
        return {acknowledged, inWrite};
    }

    QByteArray errors() const { return m_err; }

private:
    QProcess m_process;
    QByteArray m_out;
    QByteArray m_err;
};

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A backup is whole when it holds every class with every driver and reads
// back into the very same bytes.
QString wholeBackupProblem(const QByteArray &bytes)
{
    const QList<ProtocolBlock> blocks = parseProtocolBytes(bytes);
    if (blocks.size() != kClasses)
        return u"%1 classes"_s.arg(blocks.size());
    for (const ProtocolBlock &block : blocks) {
        if (block.rows.size() != kDrivers + 1)
            return u"%1 rows in %2"_s.arg(block.rows.size()).arg(block.classEntry);
    }
    if (formatProtocolBlocks(blocks) != bytes)
        return u"does not read back into the same bytes"_s;
    return {};
}

// The start list of the test, in the folder; empty when it can't be written.
QString writeStartList(const QTemporaryDir &dir)
{
    const QString path = dir.filePath(u"Startliste.txt"_s);
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(startList()) > 0 ? path : QString();
}

// What the protocol holds for every entered cell: "time/penalty".
QHash<QString, QString> enteredCells(const QByteArray &protocol)
{
    QHash<QString, QString> cells;
    const QList<ProtocolBlock> blocks = parseProtocolBytes(protocol);
    for (int page = 0; page < blocks.size(); ++page) {
        const QList<QStringList> &rows = blocks.at(page).rows;
        for (int r = 1; r < rows.size(); ++r) {
            const QStringList &row = rows.at(r);
            for (int run = 0; run <= 2; ++run) {
                const QString time = row.value(timeColumn(run)).trimmed();
                if (!time.isEmpty())
                    cells.insert(u"%1/%2/%3"_s.arg(page).arg(row.value(ColStNr).trimmed()).arg(run),
                                 time + u'/' + row.value(penaltyColumn(run)).trimmed());
            }
        }
    }
    return cells;
}

} // namespace

class TestCrashKill : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void noConfirmedEntryIsLostWhereverTheProgramDies()
    {
        const int kills = qEnvironmentVariableIntValue("VEX_CRASH_KILLS") > 0
            ? qEnvironmentVariableIntValue("VEX_CRASH_KILLS") : 200;
        const quint32 seed = qEnvironmentVariableIsSet("VEX_CRASH_SEED")
            ? quint32(qEnvironmentVariableIntValue("VEX_CRASH_SEED")) : quint32(QDateTime::currentMSecsSinceEpoch());
        const bool window = qEnvironmentVariableIntValue("VEX_CRASH_WINDOW") == 1;
        const QByteArray context = "seed " + QByteArray::number(seed);
        std::mt19937 random(seed);
        auto uniform = [&random](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };

        QTemporaryDir dir;
        const QString folder = dir.filePath(u"Sicherung"_s);
        const QString list = writeStartList(dir);
        QVERIFY(!list.isEmpty());

        // Every value a cell may hold now: one once it was confirmed, more
        // while an entry that was never acknowledged may or may not be in.
        QHash<QString, QSet<QString>> allowed;
        int confirmed = 0;
        int killedInWrite = 0;
        qint32 nextMs = 30'000;
        int entryUs = 0;
        QElapsedTimer clock;
        clock.start();

        for (int round = 0; round <= kills; ++round) {
            const auto why = [&](const QByteArray &what) {
                return QByteArray(context + " round " + QByteArray::number(round) + ": " + what);
            };
            const QByteArray backup = readAll(folder + u"/Sicherung.txt"_s);
            if (round > 0) {
                const QString problem = wholeBackupProblem(backup);
                QVERIFY2(problem.isEmpty(), why("backup " + problem.toUtf8()).constData());
            }

            Driver driver(folder, window);
            QVERIFY2(driver.started(), context.constData());
            QCOMPARE(driver.line(), round > 0 ? QByteArray("ready\t1") : QByteArray("ready\t0"));
            if (round == 0) {
                driver.send("load\t" + list.toUtf8() + '\n');
                QCOMPARE(driver.line(), QByteArray("ok\t1"));
                // How long an entry takes here, so the kills spread over the
                // commands rather than falling before or after all of them.
                QElapsedTimer timed;
                timed.start();
                for (int n = 2; n <= 4; ++n) {
                    const Entry entry{0, n, 1, nextMs, 0};
                    nextMs += 10;
                    driver.send(entry.command());
                    QCOMPARE(driver.line(), "ok\t" + QByteArray::number(n));
                    allowed[entry.key()] = {entry.value()};
                    ++confirmed;
                }
                entryUs = std::max<int>(1000, int(timed.nsecsElapsed() / 3000));
            }

            driver.send("dump\n");
            const QByteArray dump = driver.line();
            QVERIFY2(dump.startsWith("dump\t"), why(dump + ' ' + driver.errors()).constData());
            const QByteArray protocol = QByteArray::fromBase64(dump.mid(5));
            if (round > 0)
                QVERIFY2(protocol == backup, why("taken back differs").constData());
            const QHash<QString, QString> cells = enteredCells(protocol);
            for (auto it = allowed.begin(); it != allowed.end(); ++it) {
                const QString found = cells.value(it.key());
                QVERIFY2(it->contains(found),
                         why(it.key().toUtf8() + " holds \"" + found.toUtf8() + '"').constData());
                *it = {found};
            }
            if (round == kills)
                break;

            QList<Entry> batch;
            QByteArray commands;
            for (int n = uniform(1, 8); n > 0; --n) {
                Entry entry{uniform(0, kClasses - 1), uniform(1, kDrivers), uniform(0, 2), nextMs, uniform(0, 12)};
                nextMs += 10;
                batch.append(entry);
                commands += entry.command();
            }
            driver.send(commands);
            QThread::usleep(ulong(uniform(0, int(batch.size()) * entryUs)));
            const auto [acknowledged, inWrite] = driver.kill();
            killedInWrite += inWrite ? 1 : 0;
            // Replies read before (load, dump) are not among these.
            const int done = std::clamp<int>(acknowledged, 0, int(batch.size()));
            for (int i = 0; i < batch.size(); ++i) {
                const Entry &entry = batch.at(i);
                QSet<QString> &values = allowed[entry.key()];
                if (i < done)
                    values = {entry.value()};
                else if (values.isEmpty())
                    values = {QString(), entry.value()};
                else
                    values.insert(entry.value());
            }
            confirmed += done;
        }
        const QStringList leftovers = QDir(folder).entryList({u"Sicherung.txt.*"_s}, QDir::Files | QDir::Hidden);
        QVERIFY2(leftovers.isEmpty(), qPrintable(leftovers.join(u' ')));
        qInfo("%d kills (%d inside a backup write), %d entries confirmed, %.1f s, %s", kills, killedInWrite, confirmed,
              double(clock.elapsed()) / 1000.0, context.constData());
        QVERIFY2(killedInWrite > 0, context.constData());
    }

    // A step back or forward is on the disk before it is acknowledged: killed
    // right after it, the program comes back with exactly what it showed.
    void undoAndRedoSurviveAKill()
    {
        QTemporaryDir dir;
        const QString folder = dir.filePath(u"Sicherung"_s);
        const QString list = writeStartList(dir);
        QVERIFY(!list.isEmpty());
        const QList<QByteArray> rounds{"undo\n", "redo\nundo\nundo\n", "redo\n"};
        QByteArray shown;
        for (int round = 0; round <= rounds.size(); ++round) {
            Driver driver(folder, false);
            QVERIFY(driver.started());
            QCOMPARE(driver.line(), round > 0 ? QByteArray("ready\t1") : QByteArray("ready\t0"));
            if (round == 0) {
                driver.send("load\t" + list.toUtf8() + '\n');
                QCOMPARE(driver.line(), QByteArray("ok\t1"));
            }
            driver.send("dump\n");
            const QByteArray dump = driver.line();
            if (round > 0)
                QCOMPARE(QByteArray::fromBase64(dump.mid(5)), shown);
            if (round == rounds.size())
                break;
            // The stack starts anew with every start: each round enters first.
            driver.send(Entry{0, 2, 1, 30'000 + round, 0}.command() + Entry{0, 3, 1, 31'000, 2}.command()
                        + rounds.at(round));
            for (qsizetype n = 2 + rounds.at(round).count('\n'); n > 0; --n)
                QVERIFY(driver.line().startsWith("ok\t"));
            driver.send("dump\n");
            shown = QByteArray::fromBase64(driver.line().mid(5));
            driver.kill();
        }
    }
};

QTEST_GUILESS_MAIN(TestCrashKill)
#include "test_crashkill.moc"
