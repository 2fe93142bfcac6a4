// What a long command stack costs an entry: F9 through the race core, the
// command pushed, the page ranked, the backup written (without waiting for
// the disk) and the live page's feed told, with an empty stack against the
// same with 10,000 commands on it. Reports p50 and p99 of single entries, the
// ratio of the p99s, and the memory each command on the stack holds.

#include "files/racefiles.h"
#include "race/race.h"
#include "race/raceresults.h"
#include "results/ranking.h"
#include "station/racestation.h"
#include "backup/filereplacer.h"
#include "timing/tickclock.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QSaveFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <optional>
#include <string>
#include <vector>

using namespace Qt::StringLiterals;
using namespace vex;

namespace {

class QuickReplacer final : public FileReplacer
{
public:
    bool replace(const QString &path, QByteArrayView bytes) override
    {
        QSaveFile f(path);
        f.setDirectWriteFallback(false);
        return f.open(QIODevice::WriteOnly) && f.write(bytes.data(), bytes.size()) == bytes.size() && f.commit();
    }
};

class Ticks final : public TickSource
{
public:
    quint32 now() const override { return value; }
    quint32 value = 1000;
};

// The resident memory of this process in bytes.
qint64 residentBytes()
{
    QFile statm(u"/proc/self/statm"_s);
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.value(1).toLongLong() * 4096;
}

std::map<std::string, double> g_p99;

void BM_EntryOnStack(benchmark::State &state, int depth, std::string key)
{
    QTemporaryDir dir;
    QuickReplacer replacer;
    Ticks ticks;
    StationServices services;
    services.ticks = &ticks;
    services.backupFolder = dir.path();
    services.backupReplacer = &replacer;
    RaceStation station(services);
    station.start(Settings());
    Race &race = station.race();
    station.files().importWith([](Competition &competition) {
        QStringList names;
        for (int k = 0; k < 10; ++k) {
            names.append(u"Klasse %1"_s.arg(k + 1));
            ResultPage &page = *competition.page(k);
            page.setCaption(names.last());
            page.setRowCount(101);
            for (int i = 1; i <= 100; ++i)
                page.setRow(i, {QString::number(i), u"Fahrer %1"_s.arg(i), u"MSC"_s, u"52,31"_s, u"0"_s,
                                u"48,17"_s, u"2"_s, {}, {}, {}, {}});
            RankPage(page, true);
        }
        competition.setClasses(names);
        return std::optional<QString>();
    });
    const qint64 before = residentBytes();
    for (int i = 0; i < depth; ++i) {
        const ResultPage &page = race.results().page(i % 10);
        race.results().editCell(page.rowId(1 + i % 100), penaltyColumn(1), QString::number(i % 7));
    }
    if (depth > 0)
        state.counters["bytes_per_command"] = double(residentBytes() - before) / depth;

    std::vector<double> us;
    int n = 0;
    for (auto _ : state) {
        race.chooseClass(n % 10);
        race.typeStartNumber(QString::number(1 + (n * 37) % 100));
        race.chooseRun(2);
        race.start(ticks.value);
        ticks.value += quint32(45'000 + (n * 7919) % 20'000);
        race.stop(ticks.value);
        QElapsedTimer timer;
        timer.start();
        race.enter(); // F9: entry, ranking, backup, live feed
        us.push_back(double(timer.nsecsElapsed()) / 1000.0);
        race.next();
        ticks.value += 1000;
        ++n;
    }
    std::sort(us.begin(), us.end());
    const auto at = [&us](double q) { return us.empty() ? 0.0 : us[std::size_t(q * double(us.size() - 1))]; };
    state.counters["p50_us"] = at(0.50);
    state.counters["p99_us"] = at(0.99);
    state.counters["stack"] = double(race.results().stack().count());
    g_p99[key] = at(0.99);
}

BENCHMARK_CAPTURE(BM_EntryOnStack, empty_stack, 0, "empty")->Iterations(400)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_EntryOnStack, stack_10000, 10'000, "full")->Iterations(400)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (g_p99.count("empty") && g_p99.count("full") && g_p99["empty"] > 0)
        std::printf("F9 p99 with 10,000 commands on the stack: %.0f us, %.2fx the empty stack's %.0f us\n",
                    g_p99["full"], g_p99["full"] / g_p99["empty"], g_p99["empty"]);
    return 0;
}
