// What recording a run costs on a big class: the entry writes one row, the
// ranking sorts and places the whole page and finds the best time, all while
// a grid shows the page. The bare minimum for the same work is sorting the
// page's totals as plain strings; each figure is printed against it.

#include "results/awardstracker.h"
#include "results/competition.h"
#include "results/ranking.h"
#include "results/recording.h"
#include "results/startnumbers.h"
#include "results/resultpage.h"
#include "timing/timetext.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTableView>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <memory>
#include <numeric>
#include <random>
#include <string>

using namespace Qt::StringLiterals;
using namespace vex;

namespace {

constexpr int kDrivers = 1000;
constexpr int kBigPage = 10000;

qint32 randomRunMs(QRandomGenerator &rng)
{
    return qint32(rng.bounded(40000, 70000));
}

// A class of drivers who all drove both scoring runs, ranked.
std::unique_ptr<ResultPage> rankedPage(int drivers, QRandomGenerator &rng)
{
    auto page = std::make_unique<ResultPage>();
    page->setRow(0, defaultColumnTitles());
    for (int i = 1; i <= drivers; ++i) {
        const QString stNr = QString::number(i);
        RunEntry e{stNr, u"Fahrer %1, Vorname"_s.arg(i), u"MSC Ort"_s, 1, randomRunMs(rng), 0};
        enterRun(*page, e);
        e.run = 2;
        e.runTimeMs = randomRunMs(rng);
        e.penaltySeconds = int(rng.bounded(3)) * 2;
        enterRun(*page, e);
    }
    RankPage(*page, true);
    return page;
}

QStringList totalsOf(const ResultPage &page)
{
    QStringList totals;
    for (int row = 1; row < page.rows(); ++row)
        totals.append(page.cell(row, ColTotal));
    return totals;
}

// A grid showing the page, as the main window does, with a current row.
struct ShownView
{
    QTableView view;
    explicit ShownView(ResultPage &page)
    {
        view.setModel(&page);
        view.setSelectionBehavior(QAbstractItemView::SelectRows);
        view.resize(1000, 600);
        view.show();
        view.selectRow(1);
        QCoreApplication::processEvents();
    }
};

// Entering a run 2 for a driver of a ranked class, then ranking: the work of
// one F9 press. The grid hears of every change; it paints later, when the
// program is back in its event loop, once however much changed.
void BM_EnterRun1000(benchmark::State &state)
{
    QRandomGenerator rng(42);
    auto page = rankedPage(kDrivers, rng);
    ShownView shown(*page);
    for (auto _ : state) {
        const RunEntry e{QString::number(rng.bounded(1, kDrivers + 1)), u"Fahrer, Vorname"_s, u"MSC Ort"_s, 2,
                         randomRunMs(rng), 2};
        enterRun(*page, e);
        const RankResult r = RankPage(*page, true);
        benchmark::DoNotOptimize(r.bestTimeMs);
    }
    state.SetItemsProcessed(state.iterations());
}

// The same 1,000 totals, one of them new, sorted as plain strings.
void BM_Baseline_SortTotals1000(benchmark::State &state)
{
    QRandomGenerator rng(42);
    auto page = rankedPage(kDrivers, rng);
    const QStringList ranked = totalsOf(*page);
    for (auto _ : state) {
        QStringList totals = ranked;
        totals[int(rng.bounded(kDrivers))] = MsToText(2 * randomRunMs(rng));
        std::stable_sort(totals.begin(), totals.end());
        benchmark::DoNotOptimize(totals.constData());
    }
    state.SetItemsProcessed(state.iterations());
}

// Ranking a page whose rows are in no order yet (a freshly loaded class).
void BM_RankPage10000(benchmark::State &state)
{
    QRandomGenerator rng(7);
    auto page = rankedPage(kBigPage, rng);
    QList<int> shuffle(kBigPage);
    std::iota(shuffle.begin(), shuffle.end(), 1);
    for (auto _ : state) {
        state.PauseTiming();
        std::shuffle(shuffle.begin(), shuffle.end(), rng);
        page->reorderDataRows(shuffle);
        state.ResumeTiming();
        const RankResult r = RankPage(*page, true);
        benchmark::DoNotOptimize(r.bestTimeMs);
    }
}

void BM_Baseline_SortTotals10000(benchmark::State &state)
{
    QRandomGenerator rng(7);
    auto page = rankedPage(kBigPage, rng);
    QStringList totals = totalsOf(*page);
    for (auto _ : state) {
        state.PauseTiming();
        std::shuffle(totals.begin(), totals.end(), rng);
        QStringList copy = totals;
        copy.detach();
        state.ResumeTiming();
        std::stable_sort(copy.begin(), copy.end());
        benchmark::DoNotOptimize(copy.constData());
    }
}

// An event day of ten classes of 1,000 drivers from 20 clubs, three scoring
// runs of which the best two count, ties shared (first argument 0) or broken
// by the better run (1): one entry, the class ranked, then (second argument
// 1) the team ranking and the day's best run brought up to date, as the team
// page follows each entry.
void fillEventDay(Competition &c, QRandomGenerator &rng, const Regulation &regulation)
{
    QStringList classes;
    for (int k = 0; k < kPageCount; ++k) {
        ResultPage &page = *c.page(k);
        page.setRegulation(regulation);
        page.setCaption(u"K%1"_s.arg(k + 1));
        classes.append(page.caption());
        for (int i = 1; i <= kDrivers; ++i) {
            const QString club = u"MSC Ort %1"_s.arg(rng.bounded(20));
            for (int run = 1; run <= regulation.scoringRuns; ++run)
                enterRun(page, RunEntry{QString::number(i), u"Fahrer %1, Vorname"_s.arg(i), club, run,
                                        randomRunMs(rng), int(rng.bounded(3)) * 2});
        }
        RankPage(page, true);
    }
    c.setClasses(classes);
}

void BM_EnterRunTeams10x1000(benchmark::State &state)
{
    QRandomGenerator rng(42);
    Competition c;
    Regulation regulation;
    regulation.scoringRuns = 3;
    regulation.countingRuns = 2;
    regulation.tieBreak = state.range(0) ? Regulation::BetterSingleRun : Regulation::SharedPlace;
    fillEventDay(c, rng, regulation);
    AwardsTracker awards(c);
    benchmark::DoNotOptimize(awards.teams().teams.size());
    for (auto _ : state) {
        const int k = int(rng.bounded(kPageCount));
        ResultPage &page = *c.page(k);
        const QString stNr = QString::number(rng.bounded(1, kDrivers + 1));
        const int row = FindRowByStartNumber(page, stNr);
        enterRunIntoRow(page, row, RunEntry{stNr, page.cell(row, ColName), page.cell(row, ColClub), 3,
                                            randomRunMs(rng), 2});
        const RankResult r = RankPage(page, true);
        awards.pageChanged(k);
        const TeamRanking teams = state.range(1) ? awards.teams() : TeamRanking{};
        const DayBest best = state.range(1) ? awards.dayBest() : DayBest{};
        benchmark::DoNotOptimize(r.bestTimeMs);
        benchmark::DoNotOptimize(teams.teams.size());
        benchmark::DoNotOptimize(best.ms);
    }
    state.SetItemsProcessed(state.iterations());
}

// The same day as today's program ranks it: entry and class ranking only,
// the classic two runs, in a random one of the ten classes, so the page is
// as far out of the processor's cache as in the day above.
void BM_EnterRun10x1000(benchmark::State &state)
{
    QRandomGenerator rng(42);
    Competition c;
    fillEventDay(c, rng, Regulation{});
    for (auto _ : state) {
        const int k = int(rng.bounded(kPageCount));
        ResultPage &page = *c.page(k);
        const QString stNr = QString::number(rng.bounded(1, kDrivers + 1));
        const int row = FindRowByStartNumber(page, stNr);
        enterRunIntoRow(page, row, RunEntry{stNr, page.cell(row, ColName), page.cell(row, ColClub), 2,
                                            randomRunMs(rng), 2});
        const RankResult r = RankPage(page, true);
        benchmark::DoNotOptimize(r.bestTimeMs);
    }
    state.SetItemsProcessed(state.iterations());
}

BENCHMARK(BM_Baseline_SortTotals1000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_EnterRun10x1000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_EnterRunTeams10x1000)->Args({0,1})->Args({1,1})->Args({0,0})->Args({1,0})->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_EnterRun1000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Baseline_SortTotals10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RankPage10000)->Unit(benchmark::kMillisecond);

// Prints the console report and, at the end, each figure against its baseline.
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
        ratio("BM_EnterRun1000", "BM_Baseline_SortTotals1000", "entry with ranking, 1,000 drivers, grid shown");
        ratio("BM_RankPage10000", "BM_Baseline_SortTotals10000", "ranking an unsorted page of 10,000 drivers");
        ratio("BM_EnterRunTeams10x1000/0/1", "BM_EnterRun10x1000",
              "entry with ranking, team ranking and day's best, 10 x 1,000 drivers, best 2 of 3, ties shared",
              "today's entry with ranking in a day of 10 x 1,000");
        ratio("BM_EnterRunTeams10x1000/1/1", "BM_EnterRun10x1000", "the same, ties broken by the better run",
              "today's entry with ranking in a day of 10 x 1,000");
        ratio("BM_EnterRunTeams10x1000/1/0", "BM_EnterRun10x1000",
              "entry with ranking alone, best 2 of 3, ties broken by the better run",
              "today's entry with ranking in a day of 10 x 1,000");
        const auto big = m_microseconds.find("BM_RankPage10000");
        if (big != m_microseconds.end())
            std::printf("ranking: %.3f ms per 1,000 rows\n", big->second / 1000.0 * 1000.0 / kBigPage);
    }

private:
    void ratio(const std::string &name, const std::string &baseline, const char *what,
               const char *against = "plain string sort")
    {
        const auto a = m_microseconds.find(name);
        const auto b = m_microseconds.find(baseline);
        if (a == m_microseconds.end() || b == m_microseconds.end() || b->second <= 0)
            return;
        std::printf("%s: %.1f us vs. %.1f us %s = %.2fx\n", what, a->second, b->second, against,
                    a->second / b->second);
    }

    std::map<std::string, double> m_microseconds;
};

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
