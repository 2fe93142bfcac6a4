// How late and how exact a light-barrier contact is taken: from the moment a
// line changes to the timestamp the waiting thread takes and to the handler
// on the GUI thread, through the real waiting thread and hand-over over a
// line device without hardware. The baseline is a bare thread woken by the
// same mechanism. Then whole runs timed by the two barriers while the GUI
// thread is busy (the 10 ms clock plus a ranking of 1,000 rows every 100 ms):
// the recorded hundredth against the scripted interval, missed or doubled
// contacts, and how long Close() takes. Last, runs whose finish is a pulse of
// 50 us (a fast optical sensor) while the GUI thread is blocked most of the
// time, through the contact logic: finishes lost and the recorded time's
// error, beside bare threads taking the same pulses in the same device wait.
// Then the POSIX line device itself over the serial-port shim (the program
// preloads it into itself): contacts at random moments, a quarter of them
// falling as the waiting thread enters the driver's wait, with and without
// real-time priority, beside a bare thread in the driver's wait alone.
//
// Usage: bench_serial [--quick | --gap]   (--quick: a tenth of the contacts;
// --gap: only the POSIX device over the shim)

#include "fakelinedevice.h"
#include "serialfixture.h"

#include "results/ranking.h"
#include "results/recording.h"
#include "results/resultpage.h"
#include "serial/barriercontacts.h"
#include "serial/comport.h"
#include "serial/portmap.h"
#include "serial/posixlinedevice.h"
#include "serial/contactstamp.h"
#include "serial/modemstatus.h"
#include "timing/tickclock.h"
#include "timing/timetext.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <random>
#include <thread>

#include <dlfcn.h>
#include <fcntl.h>
#include <linux/serial.h>
#include <pthread.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <unistd.h>
#include <vector>

using namespace vex;
using namespace Qt::StringLiterals;

namespace {

using Clock = std::chrono::steady_clock;

qint64 nowMicros()
{
    return std::chrono::duration_cast<std::chrono::microseconds>(Clock::now().time_since_epoch()).count();
}

void sleepUntilMicros(qint64 us)
{
    std::this_thread::sleep_until(Clock::time_point(std::chrono::microseconds(us)));
}

struct Percentiles
{
    double p50 = 0, p99 = 0, p999 = 0, max = 0;
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
    p.p999 = at(0.999);
    p.max = values.back();
    return p;
}

void printLatency(const char *what, const std::vector<double> &us)
{
    const Percentiles p = percentiles(us);
    std::printf("  %-46s n=%6zu  p50 %7.1f us  p99 %7.1f us  max %8.1f us\n", what, us.size(), p.p50, p.p99, p.max);
}

// The GUI thread's load during a run: the clock every 10 ms, an entry and a
// ranking of a 1,000-driver page every 100 ms.
class GuiLoad
{
public:
    GuiLoad()
    {
        m_page.setRow(0, defaultColumnTitles());
        for (int i = 1; i <= 1000; ++i) {
            RunEntry e{QString::number(i), u"Fahrer %1"_s.arg(i), u"MSC Ort"_s, 1, randomMs(), 0};
            enterRun(m_page, e);
        }
        RankPage(m_page, true);
        m_started.start();
        QObject::connect(&m_clock, &QTimer::timeout, [this] { m_sink += MsToText(qint32(m_started.elapsed())).size(); });
        QObject::connect(&m_ranking, &QTimer::timeout, [this] {
            QElapsedTimer t;
            t.start();
            const int n = int(m_rng.bounded(1, 1001));
            enterRun(m_page, RunEntry{QString::number(n), QString(), QString(), 2, randomMs(), 0});
            RankPage(m_page, true);
            m_rankNs += t.nsecsElapsed();
            ++m_rankings;
        });
    }
    void start()
    {
        m_clock.start(10);
        m_ranking.start(100);
    }
    void stop()
    {
        m_clock.stop();
        m_ranking.stop();
    }
    double rankingMs() const { return m_rankings ? double(m_rankNs) / 1e6 / double(m_rankings) : 0.0; }

private:
    qint32 randomMs() { return qint32(m_rng.bounded(40000, 70000)); }

    ResultPage m_page;
    QRandomGenerator m_rng{7};
    QElapsedTimer m_started;
    QTimer m_clock;
    QTimer m_ranking;
    qint64 m_sink = 0;
    qint64 m_rankNs = 0;
    int m_rankings = 0;
};

// The simulated barriers move the lines at their moment like hardware
// would: their thread is not to be preempted between noting the moment and
// moving the line.
void runLikeHardware()
{
    sched_param param{};
    param.sched_priority = sched_get_priority_min(SCHED_FIFO) + 2;
    pthread_setschedparam(pthread_self(), SCHED_FIFO, &param);
}

// Pairs the contacts of one line with the events that reported them. An
// event reports every contact before its stamp not reported yet; the first
// of them gives the latency, the others were merged into it (two changes of
// one line while the waiting thread was away).
struct Matched
{
    std::vector<double> latencyUs;
    std::vector<std::optional<ContactStamp>> perContact;
    int merged = 0;
    int spurious = 0;
};

Matched match(const std::vector<qint64> &truths, const std::vector<ContactStamp> &seen)
{
    Matched m;
    m.perContact.assign(truths.size(), std::nullopt);
    size_t next = 0;
    for (const ContactStamp &s : seen) {
        if (next >= truths.size() || truths[next] > s.micros) {
            ++m.spurious;
            continue;
        }
        m.latencyUs.push_back(double(s.micros - truths[next]));
        m.perContact[next] = s;
        ++next;
        while (next < truths.size() && truths[next] <= s.micros) {
            ++m.merged;
            ++next;
        }
    }
    m.merged += int(truths.size() - next); // never reported at all
    return m;
}

// Baseline: a thread blocked in the same device wait, at the same
// scheduling priority as the port's waiting thread, nothing else.
std::vector<double> bareThreadLatency(int contacts, int spacingUs)
{
    FakeLineDevice device;
    SteadyContactClock clock;
    device.open(1, LineSettings{});
    std::vector<qint64> truth(static_cast<size_t>(contacts), 0);
    std::vector<qint64> stamps;
    stamps.reserve(size_t(contacts));
    std::thread waiter([&] {
        sched_param param{};
        param.sched_priority = sched_get_priority_min(SCHED_FIFO) + 1;
        pthread_setschedparam(pthread_self(), SCHED_FIFO, &param);
        LineChange change;
        int code = 0;
        while (device.waitForChange(clock, change, code) == LineDevice::WaitOutcome::Changed) {
            stamps.push_back(change.stamp.micros);
            if (stamps.size() == size_t(contacts))
                return;
        }
    });
    std::thread script([&] {
        runLikeHardware();
        quint32 status = 0;
        qint64 next = nowMicros() + 1000;
        for (int k = 0; k < contacts; ++k) {
            sleepUntilMicros(next);
            device.waitSettled(1000);
            status ^= MsCtsOn;
            truth[size_t(k)] = device.setStatus(status);
            next = truth[size_t(k)] + spacingUs;
        }
    });
    script.join();
    waiter.join();
    std::vector<double> latency;
    for (size_t k = 0; k < stamps.size(); ++k)
        latency.push_back(double(stamps[k] - truth[k]));
    return latency;
}

// One port scripted by its own thread: contacts on CTS and DCD at chosen
// moments, the true moment of each noted when the line is moved.
struct ScriptedPort
{
    FakeLineDevice device;
    SteadyContactClock clock;
    TComPort port{device, clock};
    std::vector<qint64> ctsTruth, dcdTruth;
    std::vector<ContactStamp> ctsSeen, dcdSeen;
    std::vector<qint64> ctsHandled, dcdHandled;
    std::atomic<bool> done{false};
    std::thread script;

    ScriptedPort()
    {
        for (auto *v : {&ctsTruth, &dcdTruth, &ctsHandled, &dcdHandled})
            v->reserve(20000);
        ctsSeen.reserve(20000);
        dcdSeen.reserve(20000);
        QObject::connect(&port, &TComPort::OnCTS, [this](TComPort *p) {
            ctsHandled.push_back(nowMicros());
            ctsSeen.push_back(p->eventStamp());
        });
        QObject::connect(&port, &TComPort::OnRLSD, [this](TComPort *p) {
            dcdHandled.push_back(nowMicros());
            dcdSeen.push_back(p->eventStamp());
        });
        port.setPort(1);
        port.Open();
    }
    ~ScriptedPort()
    {
        if (script.joinable())
            script.join();
    }
    size_t seen() const { return ctsSeen.size() + dcdSeen.size(); }
};

// Runs the GUI thread until every script finished and its contacts had
// their time to arrive.
void runUntilScriptsDone(const std::vector<std::unique_ptr<ScriptedPort>> &ports)
{
    QEventLoop loop;
    QTimer check;
    QElapsedTimer quiet;
    bool allDone = false;
    QObject::connect(&check, &QTimer::timeout, [&] {
        const bool now = std::all_of(ports.begin(), ports.end(), [](const auto &p) { return p->done.load(); });
        if (now && !allDone)
            quiet.start();
        allDone = now;
        if (allDone && quiet.elapsed() > 300)
            loop.quit();
    });
    check.start(5);
    loop.exec();
}

struct LatencyResult
{
    std::vector<double> stamp, handled;
    int merged = 0, spurious = 0;
    double rankingMs = 0;
};

// Contacts on CTS only, `spacingUs` apart, through the port and hand-over.
LatencyResult portLatency(int contacts, int spacingUs, bool busy)
{
    GuiLoad load;
    if (busy)
        load.start();
    std::vector<std::unique_ptr<ScriptedPort>> ports;
    ports.push_back(std::make_unique<ScriptedPort>());
    ScriptedPort &sp = *ports.front();
    sp.ctsTruth.reserve(size_t(contacts));
    sp.script = std::thread([&] {
        runLikeHardware();
        quint32 status = 0;
        qint64 next = nowMicros() + 20000;
        for (int k = 0; k < contacts; ++k) {
            sleepUntilMicros(next);
            status ^= MsCtsOn;
            const qint64 t = sp.device.setStatus(status);
            sp.ctsTruth.push_back(t);
            next = t + spacingUs;
        }
        sp.done = true;
    });
    runUntilScriptsDone(ports);
    sp.script.join();
    load.stop();
    LatencyResult r;
    const Matched m = match(sp.ctsTruth, sp.ctsSeen);
    r.stamp = m.latencyUs;
    // The handler ran for event e; its latency counts from the first
    // contact that event reported.
    size_t k = 0;
    for (size_t e = 0; e < sp.ctsSeen.size(); ++e) {
        while (k < sp.ctsTruth.size() && !(m.perContact[k] && *m.perContact[k] == sp.ctsSeen[e]))
            ++k;
        if (k == sp.ctsTruth.size())
            break;
        r.handled.push_back(double(sp.ctsHandled[e] - sp.ctsTruth[k]));
        ++k;
    }
    r.merged = m.merged;
    r.spurious = m.spurious;
    r.rankingMs = load.rankingMs();
    sp.port.Close();
    return r;
}

struct RunsResult
{
    int runs = 0;
    int contacts = 0;
    int missed = 0;
    int doubled = 0;
    int hundredthByMicros = 0;
    int hundredthByTicks = 0;
    std::vector<double> errorMs;   // |recorded ms - scripted interval truncated to the ms|
    std::vector<double> intervalErrorUs; // |stamped interval - scripted interval|
    std::vector<double> stampLatency;
    // Runs whose hundredth came out wrong: the true interval's distance to
    // the nearest hundredth it crossed, and the stamped interval's error.
    std::vector<double> wrongBoundaryUs, wrongErrorUs;
    int crossingByJitter = 0; // wrong runs whose error just reaches over the boundary
    double rankingMs = 0;
};

// Whole runs on `portCount` ports at once, GUI busy: start on CTS, finish on
// DCD 50 ms + f later, f spread evenly across a hundredth; the next start
// 50 ms after the finish. Every contact is 50 ms or more after the last one
// of its port.
RunsResult barrierRuns(int portCount, int runsPerPort)
{
    GuiLoad load;
    load.start();
    const int total = portCount * runsPerPort;
    // The fractions of a hundredth, evenly spread, dealt out at random.
    std::vector<int> fractionUs(static_cast<size_t>(total));
    for (int i = 0; i < total; ++i)
        fractionUs[size_t(i)] = int((qint64(i) * 10000 + 5000) / total);
    std::shuffle(fractionUs.begin(), fractionUs.end(), std::mt19937(42));

    std::vector<std::unique_ptr<ScriptedPort>> ports;
    for (int p = 0; p < portCount; ++p)
        ports.push_back(std::make_unique<ScriptedPort>());
    for (int p = 0; p < portCount; ++p) {
        ScriptedPort &sp = *ports[size_t(p)];
        sp.script = std::thread([&sp, &fractionUs, p, runsPerPort, portCount] {
            runLikeHardware();
            quint32 status = 0;
            // Ports start spread over the first 50 ms.
            qint64 next = nowMicros() + 20000 + p * 50000 / portCount;
            for (int r = 0; r < runsPerPort; ++r) {
                sleepUntilMicros(next);
                status ^= MsCtsOn;
                const qint64 start = sp.device.setStatus(status);
                sp.ctsTruth.push_back(start);
                sleepUntilMicros(start + 50000 + fractionUs[size_t(r * portCount + p)]);
                status ^= MsRlsdOn;
                const qint64 stop = sp.device.setStatus(status);
                sp.dcdTruth.push_back(stop);
                next = stop + 50000;
            }
            sp.done = true;
        });
    }
    runUntilScriptsDone(ports);
    load.stop();

    RunsResult result;
    for (auto &portPtr : ports) {
        ScriptedPort &sp = *portPtr;
        sp.script.join();
        sp.port.Close();
        result.contacts += int(sp.ctsTruth.size() + sp.dcdTruth.size());
        const Matched cts = match(sp.ctsTruth, sp.ctsSeen);
        const Matched dcd = match(sp.dcdTruth, sp.dcdSeen);
        result.missed += cts.merged + dcd.merged;
        result.doubled += cts.spurious + dcd.spurious;
        result.stampLatency.insert(result.stampLatency.end(), cts.latencyUs.begin(), cts.latencyUs.end());
        result.stampLatency.insert(result.stampLatency.end(), dcd.latencyUs.begin(), dcd.latencyUs.end());
        const size_t runs = std::min(sp.ctsTruth.size(), sp.dcdTruth.size());
        for (size_t r = 0; r < runs; ++r) {
            ++result.runs;
            if (!cts.perContact[r] || !dcd.perContact[r])
                continue; // counted wrong: a missed contact
            const ContactStamp start = *cts.perContact[r], stop = *dcd.perContact[r];
            const qint64 trueUs = sp.dcdTruth[r] - sp.ctsTruth[r];
            const qint64 trueHundredth = trueUs / 10000;
            const qint32 byMicros = barrierRunTimeMs(start.micros, stop.micros);
            const qint32 byTicks = elapsedMs(start.tick, stop.tick);
            result.hundredthByMicros += (byMicros / 10 == trueHundredth);
            if (byMicros / 10 != trueHundredth) {
                const qint64 errorUs = (stop.micros - start.micros) - trueUs;
                const qint64 below = trueUs % 10000, above = 10000 - below;
                const qint64 distance = errorUs < 0 ? below : above;
                result.wrongBoundaryUs.push_back(double(distance));
                result.wrongErrorUs.push_back(double(errorUs));
                result.crossingByJitter += std::abs(errorUs) >= distance && std::abs(errorUs) < 1000;
            }
            result.hundredthByTicks += (byTicks / 10 == trueHundredth);
            result.errorMs.push_back(std::abs(double(byMicros - qint32(trueUs / 1000))));
            result.intervalErrorUs.push_back(std::abs(double(stop.micros - start.micros - trueUs)));
        }
    }
    result.rankingMs = load.rankingMs();
    return result;
}

// The runs of one port with finish pulses: the script's true moments and the
// start and stop stamps of every run that stopped.
struct PulsedRuns
{
    std::vector<qint64> ctsTruth, dcdTruth;
    std::vector<std::pair<ContactStamp, ContactStamp>> runs;
    std::atomic<bool> done{false};
    std::thread script;

    PulsedRuns()
    {
        ctsTruth.reserve(20000);
        dcdTruth.reserve(20000);
        runs.reserve(20000);
    }
    ~PulsedRuns()
    {
        if (script.joinable())
            script.join();
    }
    // The start contact closes for 5 ms, the finish contact 20 ms + f after
    // the start closes for 50 us; the next start 20 ms later.
    void startScript(FakeLineDevice &device, int port, int portCount, int runCount)
    {
        script = std::thread([this, &device, port, portCount, runCount] {
            runLikeHardware();
            std::mt19937 rng(quint32(port) + 1);
            std::uniform_int_distribution<int> fraction(0, 9999);
            qint64 next = nowMicros() + 20000 + port * 20000 / portCount;
            for (int r = 0; r < runCount; ++r) {
                sleepUntilMicros(next);
                const qint64 start = device.setStatus(MsCtsOn);
                ctsTruth.push_back(start);
                sleepUntilMicros(start + 5000);
                device.setStatus(0);
                sleepUntilMicros(start + 20000 + fraction(rng));
                const qint64 finish = device.setStatus(MsRlsdOn);
                while (nowMicros() < finish + 50) {
                }
                device.setStatus(0);
                dcdTruth.push_back(finish);
                next = finish + 20000;
            }
            done = true;
        });
    }
};

// A port with the contact logic acting on a run that is ready again as soon
// as it stopped.
struct PulsedPort
{
    FakeLineDevice device;
    SteadyContactClock clock;
    TComPort port{device, clock};
    FakeTarget target;
    BarrierContacts contacts{port, target};
    PulsedRuns runs;

    PulsedPort()
    {
        BarrierContacts::setUpPort(port);
        QObject::connect(&contacts, &BarrierContacts::contactHandled,
                         [this](ContactLine, quint32, ContactOutcome outcome) {
                             if (outcome == ContactOutcome::Started)
                                 target.finishFree = true; // no lock time here
                             if (outcome != ContactOutcome::Stopped)
                                 return;
                             runs.runs.emplace_back(target.startStamp, target.stopStamp);
                             target.state = FakeTarget::State::Ready;
                             target.startFree = true;
                         });
        port.setPort(1);
        port.Open();
    }
    void finish() { port.Close(); }
};

// Baseline: a bare thread in the same device wait, at the same priority,
// taking a closing of the start line as the start and any edge of the finish
// line as the stop.
struct BarePulsedPort
{
    FakeLineDevice device;
    SteadyContactClock clock;
    PulsedRuns runs;
    std::atomic<bool> stop{false};
    std::thread waiter;

    BarePulsedPort()
    {
        device.open(1, LineSettings{});
        waiter = std::thread([this] {
            sched_param param{};
            param.sched_priority = sched_get_priority_min(SCHED_FIFO) + 1;
            pthread_setschedparam(pthread_self(), SCHED_FIFO, &param);
            std::optional<ContactStamp> start;
            LineChange change;
            int code = 0;
            while (!stop.load() && device.waitForChange(clock, change, code) == LineDevice::WaitOutcome::Changed) {
                if (change.edges.cts && (change.status & MsCtsOn) && !start)
                    start = change.stamp;
                if (change.edges.dcd && start) {
                    runs.runs.emplace_back(*start, change.stamp);
                    start.reset();
                }
            }
        });
    }
    void finish()
    {
        stop = true;
        device.interruptWait();
        waiter.join();
    }
};

// The GUI thread painting or in a dialog: blocked 15 ms of every 20.
class GuiBlocker
{
public:
    GuiBlocker()
    {
        QObject::connect(&m_timer, &QTimer::timeout, [] {
            const qint64 until = nowMicros() + 15000;
            while (nowMicros() < until) {
            }
        });
        m_timer.start(20);
    }

private:
    QTimer m_timer;
};

struct PulseResult
{
    int runs = 0;
    int lost = 0;
    std::vector<double> errorMs;   // |recorded ms - true interval truncated to the ms|
    std::vector<double> latencyUs; // finish pulse to its stamp
};

// A run counts when its start and its stop fall on the same scripted run; a
// lost finish makes the run end on a later one.
void account(const PulsedRuns &pr, PulseResult &result)
{
    result.runs += int(pr.dcdTruth.size());
    int good = 0;
    for (const auto &[start, stop] : pr.runs) {
        const auto s = std::upper_bound(pr.ctsTruth.begin(), pr.ctsTruth.end(), start.micros);
        const auto f = std::upper_bound(pr.dcdTruth.begin(), pr.dcdTruth.end(), stop.micros);
        if (s == pr.ctsTruth.begin() || f == pr.dcdTruth.begin() || s - pr.ctsTruth.begin() != f - pr.dcdTruth.begin())
            continue;
        const qint64 trueStart = *(s - 1), trueStop = *(f - 1);
        ++good;
        const qint32 recorded = barrierRunTimeMs(start.micros, stop.micros);
        result.errorMs.push_back(std::abs(double(recorded - qint32((trueStop - trueStart) / 1000))));
        result.latencyUs.push_back(double(stop.micros - trueStop));
    }
    result.lost += int(pr.dcdTruth.size()) - good;
}

// Runs with finish pulses on `portCount` ports at once while the GUI thread
// is blocked most of the time and busy in between.
template <typename Port>
PulseResult finishPulses(int portCount, int runsPerPort)
{
    GuiLoad load;
    load.start();
    GuiBlocker blocker;
    std::vector<std::unique_ptr<Port>> ports;
    for (int p = 0; p < portCount; ++p)
        ports.push_back(std::make_unique<Port>());
    for (int p = 0; p < portCount; ++p)
        ports[size_t(p)]->runs.startScript(ports[size_t(p)]->device, p, portCount, runsPerPort);
    QEventLoop loop;
    QTimer check;
    QObject::connect(&check, &QTimer::timeout, [&] {
        if (std::all_of(ports.begin(), ports.end(), [](const auto &p) { return p->runs.done.load(); }))
            loop.quit();
    });
    check.start(5);
    loop.exec();
    QElapsedTimer drain;
    drain.start();
    while (drain.elapsed() < 300)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    load.stop();

    PulseResult result;
    for (auto &port : ports) {
        port->runs.script.join();
        port->finish();
        account(port->runs, result);
    }
    return result;
}

// Close() with the waiting thread blocked in the device's wait.
std::vector<double> closeTimes(int rounds)
{
    FakeLineDevice device;
    SteadyContactClock clock;
    TComPort port(device, clock);
    port.setPort(1);
    std::vector<double> ms;
    for (int i = 0; i < rounds; ++i) {
        port.Open();
        device.waitSettled(1000);
        QElapsedTimer t;
        t.start();
        port.Close();
        ms.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    return ms;
}

// ---- The POSIX device over the serial-port shim

// The shim's controls, found in this process once it is preloaded.
struct TtyShim
{
    void (*reset)() = nullptr;
    long long (*setLinesAt)(int) = nullptr;
    void (*inject)(int, int, int) = nullptr;
    long long (*injectedAt)() = nullptr;
    void (*pulse)(int) = nullptr;

    bool load()
    {
        pulse = reinterpret_cast<void (*)(int)>(dlsym(RTLD_DEFAULT, "vexshim_pulse"));
        reset = reinterpret_cast<void (*)()>(dlsym(RTLD_DEFAULT, "vexshim_reset"));
        setLinesAt = reinterpret_cast<long long (*)(int)>(dlsym(RTLD_DEFAULT, "vexshim_set_lines_at"));
        inject = reinterpret_cast<void (*)(int, int, int)>(dlsym(RTLD_DEFAULT, "vexshim_inject"));
        injectedAt = reinterpret_cast<long long (*)()>(dlsym(RTLD_DEFAULT, "vexshim_injected_at"));
        return reset && setLinesAt && inject && injectedAt && pulse;
    }
};

class ShimPort final : public PortLocator
{
public:
    QString devicePath(int port) const override { return port == 1 ? u"/dev/ttyVEXFAKE0"_s : QString(); }
    bool present(int port) const override { return port == 1; }
    bool reserved(int) const override { return false; }
};

struct GapResult
{
    int contacts = 0;
    int atEntry = 0;
    int lost = 0;          // reported only together with another one, or never
    int byComparison = 0;
    std::vector<double> errorUs; // stamp - edge, every contact reported on its own
    std::vector<double> entryErrorUs; // of those that fell at the wait's entry
};

// The script: CTS toggles `contacts` times at random moments 1 to 4 ms
// apart, except every fourth contact: it falls as the waiting thread enters
// the driver's wait after handing over the contact before it (it is set up
// with that contact and counted inside the wait's entry). Returns the true
// moments and which fell at the entry.
void gapScript(TtyShim &shim, int contacts, std::vector<qint64> &truth, std::vector<bool> &atEntry)
{
    runLikeHardware();
    std::mt19937 rng(11);
    std::uniform_int_distribution<int> spacing(1000, 4000);
    int lines = 0;
    for (int k = 0; k < contacts; ++k) {
        const bool entry = k % 4 == 3;
        if (entry) {
            qint64 at = 0;
            const qint64 giveUp = nowMicros() + 2'000'000;
            while ((at = shim.injectedAt()) == 0 && nowMicros() < giveUp)
                std::this_thread::sleep_for(std::chrono::microseconds(20));
            truth.push_back(at);
            sleepUntilMicros(nowMicros() + spacing(rng));
        } else {
            sleepUntilMicros(nowMicros() + spacing(rng));
            lines ^= TIOCM_CTS;
            truth.push_back(shim.setLinesAt(lines));
        }
        atEntry.push_back(entry);
        if ((k + 1) % 4 == 3 && k + 1 < contacts) {
            lines ^= TIOCM_CTS;
            shim.inject(lines, 0, 0);
        }
    }
}

GapResult account(const std::vector<qint64> &truth, const std::vector<bool> &atEntry,
                  const std::vector<ContactStamp> &seen, int byComparison)
{
    GapResult r;
    r.contacts = int(truth.size());
    r.byComparison = byComparison;
    const Matched m = match(truth, seen);
    for (size_t k = 0; k < truth.size(); ++k) {
        r.atEntry += atEntry[k];
        // Reported only together with another contact, or never: its own
        // moment is gone.
        if (!m.perContact[k]) {
            ++r.lost;
            continue;
        }
        const double e = double(m.perContact[k]->micros - truth[k]);
        r.errorUs.push_back(e);
        if (atEntry[k])
            r.entryErrorUs.push_back(e);
    }
    return r;
}

int noRealTime()
{
    return EPERM;
}

// Through TComPort and its waiting thread on the POSIX device, armed.
GapResult gapThroughDevice(TtyShim &shim, int contacts, bool realTime)
{
    shim.reset();
    ShimPort ports;
    PosixLineDevice device(ports);
    SteadyContactClock clock;
    TComPort port(device, clock);
    port.setPriorityRequest(realTime ? &TComThread::requestRealTimePriority : &noRealTime);
    port.setArmed(true);
    std::vector<ContactStamp> seen;
    seen.reserve(size_t(contacts));
    int byComparison = 0;
    QObject::connect(&port, &TComPort::OnCTS, [&](TComPort *p) {
        seen.push_back(p->eventStamp());
        byComparison += p->lineChange().byComparison;
    });
    port.setPort(1);
    port.Open();
    std::vector<qint64> truth;
    std::vector<bool> atEntry;
    std::atomic<bool> done{false};
    std::thread script([&] {
        gapScript(shim, contacts, truth, atEntry);
        done = true;
    });
    QElapsedTimer quiet;
    while (!done.load() || !quiet.isValid() || quiet.elapsed() < 300) {
        if (done.load() && !quiet.isValid())
            quiet.start();
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    script.join();
    port.Close();
    return account(truth, atEntry, seen, byComparison);
}

// Baseline: a bare thread blocked in the driver's wait, stamping each return,
// at the same priority, without comparing anything.
GapResult gapBareThread(TtyShim &shim, int contacts)
{
    shim.reset();
    const int fd = ::open("/dev/ttyVEXFAKE0", O_RDWR);
    std::vector<ContactStamp> seen;
    seen.reserve(size_t(contacts));
    std::atomic<bool> stop{false};
    SteadyContactClock clock;
    std::thread waiter([&] {
        sched_param param{};
        param.sched_priority = sched_get_priority_min(SCHED_FIFO) + 1;
        pthread_setschedparam(pthread_self(), SCHED_FIFO, &param);
        while (!stop.load()) {
            if (::ioctl(fd, TIOCMIWAIT, TIOCM_CTS) == 0)
                seen.push_back(clock.now());
        }
    });
    std::vector<qint64> truth;
    std::vector<bool> atEntry;
    gapScript(shim, contacts, truth, atEntry);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    stop = true;
    const qint64 end = nowMicros();
    shim.pulse(TIOCM_CTS); // one more pulse ends the wait
    waiter.join();
    ::close(fd);
    seen.erase(std::remove_if(seen.begin(), seen.end(), [&](const ContactStamp &s) { return s.micros >= end; }),
               seen.end());
    return account(truth, atEntry, seen, 0);
}

// What the armed wait's periodic look costs: the process's CPU time while
// the port is open and armed and no line moves, as a share of one core.
double armedIdleCpuPercent(TtyShim &shim, bool armed)
{
    shim.reset();
    ShimPort ports;
    PosixLineDevice device(ports);
    SteadyContactClock clock;
    TComPort port(device, clock);
    port.setArmed(armed);
    port.setPort(1);
    port.Open();
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    auto cpuUs = [] {
        timespec t{};
        clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
        return qint64(t.tv_sec) * 1'000'000 + t.tv_nsec / 1000;
    };
    const qint64 cpu0 = cpuUs(), wall0 = nowMicros();
    std::this_thread::sleep_for(std::chrono::seconds(2));
    const double percent = 100.0 * double(cpuUs() - cpu0) / double(nowMicros() - wall0);
    port.Close();
    return percent;
}

void printGap(const char *what, const GapResult &r)
{
    const Percentiles all = percentiles(r.errorUs), entry = percentiles(r.entryErrorUs);
    std::printf("  %-34s contacts %5d (%d at the wait's entry), lost %d, found by comparison %d\n"
                "  %-34s stamp error: p50 %.1f us, p99 %.1f us, p99.9 %.1f us, max %.1f us;"
                " at the entry p50 %.1f us, max %.1f us\n",
                what, r.contacts, r.atEntry, r.lost, r.byComparison, "", all.p50, all.p99, all.p999, all.max,
                entry.p50, entry.max);
}

} // namespace

// The machine's load beside the figures: tail latencies measure the
// scheduler of a shared machine as much as this program.
void printLoad(const char *when)
{
    QFile file(u"/proc/loadavg"_s);
    if (file.open(QIODevice::ReadOnly))
        std::printf("load average %s: %s", when, file.readLine().constData());
}

int main(int argc, char **argv)
{
    // The POSIX device's part needs the serial-port shim in this process.
    TtyShim shim;
    if (!shim.load() && !qEnvironmentVariableIsSet("VEX_BENCH_NO_SHIM")) {
        qputenv("LD_PRELOAD", VEX_TTYSHIM_PATH);
        qputenv("VEX_BENCH_NO_SHIM", "1");
        ::execv("/proc/self/exe", argv);
    }
    QCoreApplication app(argc, argv);
    const bool quick = argc > 1 && std::strcmp(argv[1], "--quick") == 0;
    // --gap: only the POSIX device over the shim.
    const bool gapOnly = argc > 1 && std::strcmp(argv[1], "--gap") == 0;
    const int scale = quick ? 10 : 1;
    const int contacts = 10000 / scale;

    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    printLoad("at start");

    if (!gapOnly) {
    std::printf("Light-barrier contacts (%d contacts per latency figure)\n", contacts);
    std::printf("Contact to timestamp / to handler:\n");
    const std::vector<double> bare = bareThreadLatency(contacts, 500);
    printLatency("baseline: bare thread, same wake-up", bare);
    const LatencyResult idle = portLatency(contacts, 2000, false);
    printLatency("port, GUI idle: timestamp", idle.stamp);
    printLatency("port, GUI idle: handler ran", idle.handled);
    const LatencyResult busy = portLatency(contacts, 3000, true);
    printLatency("port, GUI busy: timestamp", busy.stamp);
    printLatency("port, GUI busy: handler ran", busy.handled);
    std::printf("  GUI busy: one entry and ranking of 1,000 rows took %.2f ms on average\n", busy.rankingMs);
    std::printf("  contacts merged with the next one (two changes of a line before the thread looked): idle %d, busy %d;"
                " spurious events: %d\n",
                idle.merged, busy.merged, idle.spurious + busy.spurious);
    const Percentiles pb = percentiles(bare), pi = percentiles(idle.stamp), pu = percentiles(busy.stamp);
    std::printf("  ratio to baseline, timestamp p50: idle %.2fx, busy %.2fx; p99: idle %.2fx, busy %.2fx\n",
                pi.p50 / std::max(pb.p50, 1.0), pu.p50 / std::max(pb.p50, 1.0), pi.p99 / std::max(pb.p99, 1.0),
                pu.p99 / std::max(pb.p99, 1.0));

    const int portCount = 16;
    const int runsPerPort = (10000 + portCount - 1) / portCount / scale;
    std::printf("Runs timed by both barriers, GUI busy, %d ports x %d runs, contacts >= 50 ms apart per port:\n",
                portCount, runsPerPort);
    const RunsResult runs = barrierRuns(portCount, runsPerPort);
    const Percentiles err = percentiles(runs.errorMs);
    std::printf("  runs %d, contacts %d, missed %d, doubled %d\n", runs.runs, runs.contacts, runs.missed, runs.doubled);
    std::printf("  hundredth right: microsecond stamps %.2f %% (goal >= 99 %%), millisecond ticks alone %.2f %%\n",
                100.0 * runs.hundredthByMicros / std::max(runs.runs, 1),
                100.0 * runs.hundredthByTicks / std::max(runs.runs, 1));
    const Percentiles iv = percentiles(runs.intervalErrorUs);
    std::printf("  recorded time's error: p50 %.0f ms, p99 %.0f ms, p99.9 %.0f ms (goal <= 1 ms), max %.0f ms\n",
                err.p50, err.p99, err.p999, err.max);
    std::printf("  stamped interval's error: p50 %.0f us, p99 %.0f us, p99.9 %.0f us, max %.0f us\n", iv.p50, iv.p99,
                iv.p999, iv.max);
    printLatency("16 ports, GUI busy: timestamp", runs.stampLatency);
    if (!runs.wrongErrorUs.empty()) {
        const Percentiles wb = percentiles(runs.wrongBoundaryUs);
        std::vector<double> absError;
        for (double e : runs.wrongErrorUs)
            absError.push_back(std::abs(e));
        const Percentiles we = percentiles(absError);
        std::printf("  wrong hundredths: %zu; %d of them the stamped interval's error (p50 %.0f us, max %.0f us) just"
                    " reaching over a hundredth the true interval lay within (p50 %.0f us, max %.0f us of it)\n",
                    runs.wrongErrorUs.size(), runs.crossingByJitter, we.p50, we.max, wb.p50, wb.max);
    }
    std::printf("  (ranking took %.2f ms on average)\n", runs.rankingMs);

    const int pulseRunsPerPort = (10000 + portCount - 1) / portCount / scale;
    std::printf("Finish pulses of 50 us, GUI blocked 15 ms of every 20 and busy, %d ports x %d runs:\n", portCount,
                pulseRunsPerPort);
    const PulseResult bareRuns = finishPulses<BarePulsedPort>(portCount, pulseRunsPerPort);
    const PulseResult pulses = finishPulses<PulsedPort>(portCount, pulseRunsPerPort);
    const Percentiles be = percentiles(bareRuns.errorMs), bl = percentiles(bareRuns.latencyUs);
    const Percentiles pe = percentiles(pulses.errorMs), pl = percentiles(pulses.latencyUs);
    std::printf("  runs %d, finishes lost %d (goal 0); baseline bare threads: runs %d, lost %d\n", pulses.runs,
                pulses.lost, bareRuns.runs, bareRuns.lost);
    std::printf("  recorded time's error: p50 %.0f ms, p99 %.0f ms, p99.9 %.0f ms (goal <= 1 ms), max %.0f ms;"
                " baseline: p99 %.0f ms, p99.9 %.0f ms, max %.0f ms\n",
                pe.p50, pe.p99, pe.p999, pe.max, be.p99, be.p999, be.max);
    std::printf("  finish pulse to stamp: p50 %.1f us, p99 %.1f us, p99.9 %.1f us;"
                " baseline: p50 %.1f us, p99 %.1f us, p99.9 %.1f us\n",
                pl.p50, pl.p99, pl.p999, bl.p50, bl.p99, bl.p999);

    }

    if (shim.load()) {
        std::printf("Edges at random moments, a quarter at the driver's wait entry, POSIX device over the shim, armed:\n");
        printGap("baseline: bare thread in the wait", gapBareThread(shim, contacts));
        printGap("port, real-time priority", gapThroughDevice(shim, contacts, true));
        printGap("port, ordinary priority", gapThroughDevice(shim, contacts, false));
        std::printf("  (goal: lost 0, p99.9 <= 1000 us)\n");
        std::printf("  no contacts, port open: CPU %.2f %% of a core armed, %.2f %% unarmed\n",
                    armedIdleCpuPercent(shim, true), armedIdleCpuPercent(shim, false));
    } else {
        std::printf("Edges at the driver's wait entry: skipped, the serial-port shim could not be preloaded\n");
    }

    const Percentiles close = percentiles(closeTimes(200 / scale));
    std::printf("Close() with the thread blocked: p50 %.2f ms, max %.2f ms (goal < 100 ms)\n", close.p50, close.max);
    printLoad("at end");
    return 0;
}
