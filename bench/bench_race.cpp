// One entry through the race core on a class of 1,000 drivers, with no
// window: the driver is chosen, started and stopped with the ticks of the
// two events, his run entered (the page ranked, the best time found, every
// observer told) and the next driver prepared. The bare minimum for the same
// work is sorting the page's totals as plain strings; the figure is printed
// against it.

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
#include <string>

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
    ResultPage &page = *race.competition().page(0);
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
    race.competition().setClasses({u"Bambini"_s});
    race.chooseClass(0);
    race.chooseRun(2);
}

void BM_RaceEntry1000(benchmark::State &state)
{
    QRandomGenerator rng(42);
    StillTicks ticks;
    IdleTimers timers;
    Race race(ticks, timers);
    fillRankedClass(race, rng);
    // An observer of the kind every window is: it reads what it is told.
    qint64 seen = 0;
    QObject::connect(&race, &Race::entryChanged, &race, [&] { seen += race.entry().startNumber.size(); });
    QObject::connect(&race, &Race::bestTimeChanged, &race, [&] { seen += race.bestTimeMs(); });
    QObject::connect(&race, &Race::resultsChanged, &race, [&](int page) { seen += page; });
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
    Race race(ticks, timers);
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

// Prints the console report and, at the end, the entry against its baseline.
class RatioReporter : public benchmark::ConsoleReporter
{
public:
    void ReportRuns(const std::vector<Run> &runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run &run : runs) {
            if (run.run_type == Run::RT_Iteration)
                m_microseconds[run.benchmark_name()] = run.GetAdjustedRealTime()
                    * benchmark::GetTimeUnitMultiplier(benchmark::kMicrosecond)
                    / benchmark::GetTimeUnitMultiplier(run.time_unit);
        }
    }

    void Finalize() override
    {
        ConsoleReporter::Finalize();
        const auto a = m_microseconds.find("BM_RaceEntry1000");
        const auto b = m_microseconds.find("BM_Baseline_SortTotals1000");
        if (a == m_microseconds.end() || b == m_microseconds.end() || b->second <= 0)
            return;
        std::printf("entry through the race core, 1,000 drivers, no window: %.1f us vs. %.1f us plain string "
                    "sort = %.2fx\n",
                    a->second, b->second, a->second / b->second);
    }

private:
    std::map<std::string, double> m_microseconds;
};

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
