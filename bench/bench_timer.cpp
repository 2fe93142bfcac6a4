// A timer and a display board on pseudo-terminals, through the real ports,
// the race and its windows' load on the GUI thread.
//
// Timer: impulses fed at the pace of a 9600-baud line (a line is about 25 ms
// on the wire; writes 40 to 60 ms apart, a finish with its run-time line in
// one burst, now and then a line split over two writes). The next kart is
// made ready at once after each finish (every 50th run entered, the others
// thrown away, so the class stays the size of a day's), and its start line
// comes 40 to 60 ms after that. Figures: impulses lost, runs whose recorded time isn't the
// timer's difference cut to hundredths, and the time from the line's write
// to the run's change of state. The baseline is a bare thread reading the
// same pseudo-terminal and handing each line to the GUI thread.
//
// Board: a run timed for a while at 2400 baud; the gaps between the board's
// running-time lines and how far the shown time lags the run, beside a bare
// thread writing a line every 100 ms to the same kind of terminal.
//
// Usage: bench_timer [--quick]   (--quick: 1,000 impulses, a shorter run)

#include "../tests/serial/ptypair.h"

#include "race/race.h"
#include "race/raceresults.h"
#include "results/ranking.h"
#include "results/recording.h"
#include "results/resultpage.h"
#include "serial/boardlines.h"
#include "serial/bytestream.h"
#include "serial/portmap.h"
#include "serial/posixbytedevice.h"
#include "serial/raceboard.h"
#include "serial/racetimer.h"
#include "timing/tickclock.h"
#include "timing/timers.h"
#include "timing/timetext.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <mutex>
#include <thread>
#include <vector>

using namespace vex;
using namespace Qt::StringLiterals;

namespace {

using Clock = std::chrono::steady_clock;

qint64 nowMicros()
{
    return std::chrono::duration_cast<std::chrono::microseconds>(Clock::now().time_since_epoch()).count();
}

struct Percentiles
{
    double p50 = 0, p99 = 0, max = 0;
};

Percentiles percentiles(std::vector<double> values)
{
    Percentiles p;
    if (values.empty())
        return p;
    std::sort(values.begin(), values.end());
    auto at = [&](double q) { return values[std::min(values.size() - 1, size_t(q * double(values.size())))]; };
    p.p50 = at(0.50);
    p.p99 = at(0.99);
    p.max = values.back();
    return p;
}

void print(const char *what, const std::vector<double> &values, const char *unit)
{
    const Percentiles p = percentiles(values);
    std::printf("  %-44s n=%6zu  p50 %8.2f %s  p99 %8.2f %s  max %8.2f %s\n", what, values.size(), p.p50, unit, p.p99,
                unit, p.max, unit);
}

// The GUI thread's load: a 1,000-driver page entered into and ranked every
// 100 ms, on top of the race's own 10 ms clock.
class GuiLoad
{
public:
    GuiLoad()
    {
        m_page.setRow(0, defaultColumnTitles());
        for (int i = 1; i <= 1000; ++i)
            enterRun(m_page, RunEntry{QString::number(i), u"Fahrer %1"_s.arg(i), u"MSC Ort"_s, 1, randomMs(), 0});
        RankPage(m_page, true);
        QObject::connect(&m_ranking, &QTimer::timeout, [this] {
            QElapsedTimer t;
            t.start();
            const int n = int(m_rng.bounded(1, 1001));
            enterRun(m_page, RunEntry{QString::number(n), QString(), QString(), 2, randomMs(), 0});
            RankPage(m_page, true);
            m_busyMs.push_back(double(t.nsecsElapsed()) / 1e6);
        });
    }
    void start() { m_ranking.start(100); }
    void stop() { m_ranking.stop(); }
    // How long the GUI thread was held each time: a line that comes meanwhile waits.
    const std::vector<double> &busyMs() const { return m_busyMs; }

private:
    qint32 randomMs() { return qint32(m_rng.bounded(40000, 70000)); }
    ResultPage m_page;
    QRandomGenerator m_rng{7};
    QTimer m_ranking;
    std::vector<double> m_busyMs;
};

class NoPorts final : public PortLocator
{
public:
    QString devicePath(int) const override { return {}; }
    bool present(int) const override { return false; }
    bool reserved(int) const override { return false; }
};

QByteArray timeText(qint64 micros)
{
    const qint64 s = micros / 1'000'000;
    char text[32];
    std::snprintf(text, sizeof text, "%02lld:%02lld:%02lld,%04lld", s / 3600 % 24, s / 60 % 60, s % 60,
                  micros % 1'000'000 / 100);
    return text;
}

// One write of the fake timer: its bytes, and the impulse it carries (-1
// for none) whose state change is awaited.
struct Write
{
    QByteArray bytes;
    int impulse = -1;
    int startOfRun = -1; // the first write of this run's start
};

struct Script
{
    std::vector<Write> writes;
    std::vector<qint32> expectedMs; // per run: the timer's difference cut to hundredths
};

Script makeScript(int impulses)
{
    Script script;
    QRandomGenerator rng(35);
    // From late evening on, so runs cross midnight too.
    qint64 tod = (23LL * 3600 + 30 * 60) * 1'000'000;
    for (int run = 0; run < impulses / 2; ++run) {
        const int number = 1 + run % 999;
        const qint64 start = tod;
        const qint64 finish = start + 20'000'000 + qint64(rng.bounded(40'000'000)) / 100 * 100;
        tod = finish + 1'000'000;
        const QByteArray nr = QByteArray::number(number).rightJustified(4, '0');
        const QByteArray startLine = nr + " c0 " + timeText(start % (86'400LL * 1'000'000)) + " 00\r";
        const qint64 ms = (finish - start) / 1000;
        script.expectedMs.push_back(qint32(ms / 10 * 10));
        if (run % 7 == 3) {
            // Split in two reads of the port.
            script.writes.push_back({startLine.left(9), -1, run});
            script.writes.push_back({startLine.mid(9), 2 * run, -1});
        } else {
            script.writes.push_back({startLine, 2 * run, run});
        }
        // The finish with the timer's own run time right behind it.
        const QByteArray rt = QByteArray(MsToText(qint32(ms)).toLatin1()).replace(',', '.');
        script.writes.push_back({nr + " c1 " + timeText(finish % (86'400LL * 1'000'000)) + " 00\r" + nr + " RT "
                                     + "00:" + (ms >= 60'000 ? "" : "00:") + rt + "\r",
                                 2 * run + 1, -1});
    }
    return script;
}

// Feeds the script at the line's pace: a write no sooner than its bytes'
// wire time after the last, and 40 to 60 ms apart. A run starts only once
// the kart is ready (readied counts the runs the operator made ready; null:
// no operator), as no start comes before the operator has readied the kart.
void feed(PtyPair &pty, const Script &script, std::vector<qint64> &writtenAt, std::atomic<bool> &stop,
          const std::atomic<int> *readied = nullptr)
{
    QRandomGenerator rng(9);
    qint64 next = nowMicros() + 200'000;
    for (const Write &w : script.writes) {
        if (stop.load())
            return;
        if (readied && w.startOfRun >= 0) {
            const qint64 giveUp = nowMicros() + 2'000'000;
            while (readied->load() <= w.startOfRun && nowMicros() < giveUp && !stop.load())
                std::this_thread::sleep_for(std::chrono::microseconds(200));
            next = std::max(next, nowMicros() + 40'000 + qint64(rng.bounded(20'000)));
        }
        std::this_thread::sleep_until(Clock::time_point(std::chrono::microseconds(next)));
        const qint64 at = nowMicros();
        pty.send(w.bytes);
        if (w.impulse >= 0)
            writtenAt[size_t(w.impulse)] = at;
        const qint64 wire = qint64(w.bytes.size()) * 10 * 1'000'000 / 9600;
        next = at + std::max<qint64>(wire, 40'000 + qint64(rng.bounded(20'000)));
    }
}

struct TimerFigures
{
    std::vector<double> busyMs;
    int impulses = 0;
    int changes = 0;
    int wrongTimes = 0;
    std::vector<double> latencyMs;
};

TimerFigures timerThroughRace(const Script &script, int impulses)
{
    TimerFigures figures;
    figures.impulses = impulses;
    PtyPair pty;
    SteadyTickSource ticks;
    QtTimers timers;
    RaceResults results;
    Race race(results, ticks, timers);
    Settings s = race.settings();
    s.StartLock = 0;
    s.Quelle = 1;
    s.TimerPort = pty.path();
    race.applySettings(s);
    race.typeStartNumber(u"1"_s);
    race.chooseRun(1);
    NoPorts ports;
    PosixByteDevice device(ports);
    SteadyContactClock clock;
    RaceTimer timer(race, timers, device, clock, nullptr);
    timer.open();
    race.toggleStartBarrier();

    std::vector<qint64> writtenAt(size_t(impulses), 0);
    std::vector<qint64> changedAt;
    changedAt.reserve(size_t(impulses));
    std::atomic<int> readied{1};
    RunState last = race.runController().state();
    QObject::connect(&race, &Race::runControlsChanged, [&] {
        const RunState state = race.runController().state();
        if (state == last)
            return;
        last = state;
        if (state == RunState::Running)
            changedAt.push_back(nowMicros());
        else if (state == RunState::Stopped) {
            changedAt.push_back(nowMicros());
            const size_t run = changedAt.size() / 2 - 1;
            const qint32 ms = race.runController().runTimeMs();
            if (run >= script.expectedMs.size() || ms / 10 * 10 != script.expectedMs[run])
                ++figures.wrongTimes;
            // The operator readies the next kart: every 50th run is entered,
            // the others thrown away, so the results stay the size of a day's.
            QMetaObject::invokeMethod(&race, [&race, &readied, run] {
                if (run % 50 == 0) {
                    race.enter();
                    race.next();
                } else {
                    race.discardRun();
                }
                race.toggleStartBarrier();
                readied.store(int(run) + 2);
            }, Qt::QueuedConnection);
        }
    });
    GuiLoad load;
    load.start();
    std::atomic<bool> stop{false};
    std::thread feeder([&] { feed(pty, script, writtenAt, stop, &readied); });
    QElapsedTimer wall;
    wall.start();
    const qint64 limitMs = qint64(script.writes.size()) * 80 + 10'000;
    while (int(changedAt.size()) < impulses && wall.elapsed() < limitMs)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    stop.store(true);
    feeder.join();
    load.stop();
    figures.busyMs = load.busyMs();
    timer.close();
    figures.changes = int(changedAt.size());
    for (size_t k = 0; k < changedAt.size() && k < writtenAt.size(); ++k)
        figures.latencyMs.push_back(double(changedAt[k] - writtenAt[k]) / 1000.0);
    return figures;
}

// The baseline: a bare thread reads the same terminal and hands each line to
// the GUI thread, which notes its arrival.
std::vector<double> timerBaseline(const Script &script, int impulses)
{
    PtyPair pty;
    NoPorts ports;
    PosixByteDevice device(ports);
    device.open(pty.path(), 9600);
    SteadyContactClock clock;
    std::vector<qint64> writtenAt(size_t(impulses), 0);
    std::vector<qint64> arrivedAt;
    QObject context;
    std::atomic<bool> stop{false};
    std::thread reader([&] {
        QByteArray pending;
        while (!stop.load()) {
            QByteArray bytes;
            ContactStamp stamp;
            int code = 0;
            if (device.read(clock, bytes, stamp, code) != ByteDevice::Outcome::Done)
                continue;
            pending += bytes;
            for (qsizetype end; (end = pending.indexOf('\r')) >= 0;) {
                const QByteArray line = pending.left(end);
                pending.remove(0, end + 1);
                if (line.contains(" c0 ") || line.contains(" c1 "))
                    QMetaObject::invokeMethod(&context, [&arrivedAt] { arrivedAt.push_back(nowMicros()); },
                                              Qt::QueuedConnection);
            }
        }
    });
    GuiLoad load;
    load.start();
    std::thread feeder([&] { feed(pty, script, writtenAt, stop); });
    QElapsedTimer wall;
    wall.start();
    const qint64 limitMs = qint64(script.writes.size()) * 80 + 10'000;
    while (int(arrivedAt.size()) < impulses && wall.elapsed() < limitMs)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    stop.store(true);
    feeder.join();
    device.interruptRead();
    reader.join();
    device.close();
    load.stop();
    std::vector<double> latency;
    for (size_t k = 0; k < arrivedAt.size() && k < writtenAt.size(); ++k)
        latency.push_back(double(arrivedAt[k] - writtenAt[k]) / 1000.0);
    return latency;
}

struct BoardFigures
{
    std::vector<double> gapsMs;
    std::vector<double> lagMs; // the run's time at receipt minus the time shown
    int lines = 0;
    quint64 dropped = 0;
};

// Reads the board's terminal, noting each running-time line's arrival and
// the time it shows.
void readBoard(PtyPair &pty, std::atomic<bool> &stop, std::vector<std::pair<qint64, qint64>> &seen)
{
    QByteArray pending;
    while (!stop.load()) {
        pending += pty.receive(20);
        for (qsizetype end; (end = pending.indexOf('\r')) >= 0;) {
            const QByteArray line = pending.left(end);
            pending.remove(0, end + 1);
            if (line.size() != 22 || line[3] != '.')
                continue;
            // HH:MM:SS.z with blanks for leading zeros.
            const QByteArray t = line.mid(8, 10);
            const auto field = [&](int at) { return t.mid(at, 2).trimmed().toLongLong(); };
            const qint64 shownMs = ((field(0) * 60 + field(3)) * 60 + field(6)) * 1000 + (t[9] - '0') * 100;
            seen.emplace_back(nowMicros(), shownMs);
        }
    }
}

BoardFigures boardThroughRace(int seconds)
{
    BoardFigures figures;
    PtyPair pty;
    SteadyTickSource ticks;
    QtTimers timers;
    RaceResults results;
    Race race(results, ticks, timers);
    Settings s = race.settings();
    s.TafelPort = pty.path();
    s.TafelBaud = 2400;
    race.applySettings(s);
    race.typeStartNumber(u"12"_s);
    NoPorts ports;
    PosixByteDevice device(ports);
    SteadyContactClock clock;
    RaceBoard board(race, timers, device, clock);
    board.open();
    std::atomic<bool> stop{false};
    std::vector<std::pair<qint64, qint64>> seen;
    std::thread reader([&] { readBoard(pty, stop, seen); });
    GuiLoad load;
    load.start();
    const ContactStamp start = clock.now();
    race.start(start.tick, start.micros);
    QElapsedTimer wall;
    wall.start();
    while (wall.elapsed() < seconds * 1000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    race.abort();
    load.stop();
    stop.store(true);
    reader.join();
    figures.dropped = board.stream().dropped();
    board.close();
    figures.lines = int(seen.size());
    for (size_t k = 0; k < seen.size(); ++k) {
        if (k > 0)
            figures.gapsMs.push_back(double(seen[k].first - seen[k - 1].first) / 1000.0);
        figures.lagMs.push_back(double(seen[k].first - start.micros) / 1000.0 - double(seen[k].second));
    }
    return figures;
}

// A bare thread writes a running-time line every 100 ms.
BoardFigures boardBaseline(int seconds)
{
    BoardFigures figures;
    PtyPair pty;
    NoPorts ports;
    PosixByteDevice device(ports);
    device.open(pty.path(), 2400);
    std::atomic<bool> stop{false};
    std::vector<std::pair<qint64, qint64>> seen;
    std::thread reader([&] { readBoard(pty, stop, seen); });
    const qint64 start = nowMicros();
    std::thread writer([&] {
        for (qint64 tenth = 0; tenth < seconds * 10; ++tenth) {
            std::this_thread::sleep_until(Clock::time_point(std::chrono::microseconds(start + tenth * 100'000)));
            int code = 0;
            device.write(boardRunningLine(u"12"_s, (nowMicros() - start) / 1000), code);
        }
    });
    writer.join();
    stop.store(true);
    reader.join();
    device.close();
    for (size_t k = 0; k < seen.size(); ++k) {
        if (k > 0)
            figures.gapsMs.push_back(double(seen[k].first - seen[k - 1].first) / 1000.0);
        figures.lagMs.push_back(double(seen[k].first - start) / 1000.0 - double(seen[k].second));
    }
    figures.lines = int(seen.size());
    return figures;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    const bool quick = app.arguments().contains(u"--quick"_s);
    const int impulses = quick ? 1000 : 10000;
    const int boardSeconds = quick ? 10 : 60;
    const Script script = makeScript(impulses);

    std::printf("Timer at 9600 baud, %d impulses (%zu writes, 40-60 ms apart), GUI busy:\n", impulses,
                script.writes.size());
    const TimerFigures timer = timerThroughRace(script, impulses);
    std::printf("  impulses %d, state changes %d, lost %d (goal 0); runs whose time isn't the timer's: %d (goal 0)\n",
                timer.impulses, timer.changes, timer.impulses - timer.changes, timer.wrongTimes);
    print("line written -> run state changed", timer.latencyMs, "ms");
    print("GUI held by one entry and ranking", timer.busyMs, "ms");
    const std::vector<double> bare = timerBaseline(script, impulses);
    print("baseline: bare thread -> GUI thread", bare, "ms");
    const Percentiles pt = percentiles(timer.latencyMs), pb = percentiles(bare);
    std::printf("  p99 %.2f ms (goal < 5 ms), ratio to baseline: p50 %.2fx, p99 %.2fx\n", pt.p99,
                pb.p50 > 0 ? pt.p50 / pb.p50 : 0.0, pb.p99 > 0 ? pt.p99 / pb.p99 : 0.0);

    std::printf("Board at 2400 baud, a run timed for %d s, GUI busy:\n", boardSeconds);
    const BoardFigures board = boardThroughRace(boardSeconds);
    print("gap between running-time lines", board.gapsMs, "ms");
    print("run's time at receipt - time shown", board.lagMs, "ms");
    std::printf("  lines %d, replaced before they were begun %llu\n", board.lines,
                static_cast<unsigned long long>(board.dropped));
    const BoardFigures boardBare = boardBaseline(boardSeconds);
    print("baseline: gap, bare thread every 100 ms", boardBare.gapsMs, "ms");
    print("baseline: time at receipt - time shown", boardBare.lagMs, "ms");
    const Percentiles gap = percentiles(board.gapsMs), gapBare = percentiles(boardBare.gapsMs);
    const Percentiles lag = percentiles(board.lagMs), lagBare = percentiles(boardBare.lagMs);
    std::printf("  max gap %.1f ms (goal <= 150 ms), ratio to baseline %.2fx; max lag %.1f ms (one line behind at most:"
                " < 300 ms), ratio %.2fx\n",
                gap.max, gapBare.max > 0 ? gap.max / gapBare.max : 0.0, lag.max,
                lagBare.max > 0 ? lag.max / lagBare.max : 0.0);
    return 0;
}
