// One entry through the race core on a class of 1,000 drivers, with no
// window: the driver is chosen, started and stopped with the ticks of the
// two events, his run entered (the page ranked, the best time found, every
// observer told) and the next driver prepared. The bare minimum for the same
// work is sorting the page's totals as plain strings; the figure is printed
// against it.

#include "files/racefiles.h"
#include "race/race.h"
#include "results/ranking.h"
#include "results/recording.h"
#include "timing/timetext.h"

#include <QCoreApplication>
#include <QRandomGenerator>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <vector>

using namespace Qt::StringLiterals;
using namespace vex;

namespace {

constexpr int kDrivers = 1000;

class StillTicks final : public TickSource
{
public:
    quint32 now() const override { return 0; }
};

// Timers that never run out: a bench measures the commands, not waiting.
class IdleTimers final : public Timers
{
    class Idle final : public Timer
    {
    public:
        void start(int) override { m_active = true; }
        void stop() override { m_active = false; }
        bool isActive() const override { return m_active; }

    private:
        bool m_active = false;
    };

public:
    std::unique_ptr<Timer> make(const QString &, bool, std::function<void()>) override
    {
        return std::make_unique<Idle>();
    }
};

qint32 randomRunMs(QRandomGenerator &rng)
{
    return qint32(rng.bounded(40000, 70000));
}

// A ranked class of drivers who all drove both scoring runs, chosen.
void fillRankedClass(Race &race, QRandomGenerator &rng)
{
    RaceFiles(race).importWith([&rng](Competition &competition) {
        ResultPage &page = *competition.page(0);
        for (int i = 1; i <= kDrivers; ++i) {
            const QString stNr = QString::number(i);
            RunEntry e{stNr, u"Fahrer %1, Vorname"_s.arg(i), u"MSC Ort"_s, 1, randomRunMs(rng), 0};
            enterRun(page, e);
            e.run = 2;
            e.runTimeMs = randomRunMs(rng);
            e.penaltySeconds = int(rng.bounded(3)) * 2;
            enterRun(page, e);
        }
        page.setCaption(u"Bambini"_s);
        RankPage(page, true);
        competition.setClasses({u"Bambini"_s});
        return std::optional<QString>();
    });
    race.chooseClass(0);
    race.chooseRun(2);
}

void BM_RaceEntry1000(benchmark::State &state)
{
    QRandomGenerator rng(42);
    StillTicks ticks;
    IdleTimers timers;
    RaceResults raceResults;
    Race race(raceResults, ticks, timers);
    fillRankedClass(race, rng);
    // An observer of the kind every window is: it reads what it is told.
    qint64 seen = 0;
    QObject::connect(&race, &Race::entryChanged, &race, [&] { seen += race.entry().startNumber.size(); });
    QObject::connect(&race, &Race::bestTimeChanged, &race, [&] { seen += race.bestTimeMs(); });
    QObject::connect(&race.results(), &RaceResults::resultsChanged, &race, [&](int page) { seen += page; });
    quint32 tick = 1000;
    for (auto _ : state) {
        race.chooseDriver(int(rng.bounded(kDrivers)));
        race.start(tick);
        tick += quint32(randomRunMs(rng));
        race.stop(tick);
        race.addPenalty(2);
        race.enter();
        race.next();
        benchmark::DoNotOptimize(race.bestTimeMs());
    }
    benchmark::DoNotOptimize(seen);
    state.SetItemsProcessed(state.iterations());
}

// The same 1,000 totals, one of them new, sorted as plain strings.
void BM_Baseline_SortTotals1000(benchmark::State &state)
{
    QRandomGenerator rng(42);
    StillTicks ticks;
    IdleTimers timers;
    RaceResults raceResults;
    Race race(raceResults, ticks, timers);
    fillRankedClass(race, rng);
    const ResultPage &page = *race.activePage();
    QStringList ranked;
    for (int row = 1; row < page.rows(); ++row)
        ranked.append(page.cell(row, ColTotal));
    for (auto _ : state) {
        QStringList totals = ranked;
        totals[int(rng.bounded(kDrivers))] = MsToText(2 * randomRunMs(rng));
        std::stable_sort(totals.begin(), totals.end());
        benchmark::DoNotOptimize(totals.constData());
    }
    state.SetItemsProcessed(state.iterations());
}

BENCHMARK(BM_Baseline_SortTotals1000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RaceEntry1000)->Unit(benchmark::kMicrosecond);

// Prints the console report and, at the end, the entry against its baseline,
// in wall-clock and in CPU time (the machine may be busy with other work).
// With repetitions the medians count.
class RatioReporter : public benchmark::ConsoleReporter
{
public:
    void ReportRuns(const std::vector<Run> &runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run &run : runs) {
            const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            if (run.run_type == Run::RT_Aggregate && !median)
                continue;
            const std::string name = run.run_name.str();
            if (!median && m_fromMedian.count(name))
                continue;
            if (median)
                m_fromMedian.insert(name);
            const double toMicroseconds = benchmark::GetTimeUnitMultiplier(benchmark::kMicrosecond)
                / benchmark::GetTimeUnitMultiplier(run.time_unit);
            m_times[name] = {run.GetAdjustedRealTime() * toMicroseconds, run.GetAdjustedCPUTime() * toMicroseconds};
        }
    }

    void Finalize() override
    {
        ConsoleReporter::Finalize();
        const auto a = m_times.find("BM_RaceEntry1000");
        const auto b = m_times.find("BM_Baseline_SortTotals1000");
        if (a == m_times.end() || b == m_times.end() || b->second.first <= 0 || b->second.second <= 0)
            return;
        std::printf("entry through the race core, 1,000 drivers, no window: %.1f us vs. %.1f us plain string "
                    "sort = %.2fx (CPU time %.1f us vs. %.1f us = %.2fx)\n",
                    a->second.first, b->second.first, a->second.first / b->second.first, a->second.second,
                    b->second.second, a->second.second / b->second.second);
    }

private:
    std::map<std::string, std::pair<double, double>> m_times; // real, CPU
    std::set<std::string> m_fromMedian;
};

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    // The two figures are a few hundred microseconds each and a virtual
    // machine's speed drifts within seconds: by default both are measured in
    // turns, in random order, and the medians compared. Flags given win.
    std::vector<char *> args(argv, argv + argc);
    char repetitions[] = "--benchmark_repetitions=12";
    char interleaving[] = "--benchmark_enable_random_interleaving=true";
    char minTime[] = "--benchmark_min_time=0.2";
    if (argc == 1)
        args.insert(args.end(), {repetitions, interleaving, minTime});
    int count = int(args.size());
    benchmark::Initialize(&count, args.data());
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
