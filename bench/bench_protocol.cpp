// Saving and loading a big competition (ten classes of 1,000 drivers) through
// the protocol writer and reader, against the bare minimum for the same work:
// writing and reading the very same bytes with plain buffered file I/O. As
// reading has to make every cell a string of its own, which a plain read never
// does, loading is also set against reading the bytes and cutting them into
// one std::string per cell.

#include "reports/protocolfile.h"
#include "reports/protocoltext.h"
#include "results/competition.h"

#include "walltime.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

using namespace Qt::StringLiterals;
using namespace vex;

namespace {

constexpr int kClasses = 10;
constexpr int kDrivers = 1000;

struct Setup
{
    QTemporaryDir dir;
    Competition competition;
    QByteArray bytes;
    QString protocolPath;
    std::string baselinePath;

    Setup()
    {
        QStringList classes;
        for (int k = 0; k < kClasses; ++k) {
            const QString name = u"Klasse %1 Jugend"_s.arg(k + 1);
            classes.append(name);
            ResultPage &page = *competition.page(k);
            page.setCaption(name);
            page.setRowCount(kDrivers + 1);
            for (int i = 1; i <= kDrivers; ++i) {
                page.setRow(i, {QString::number(i), u"Müller-Lüdenscheidt, Jörg %1"_s.arg(i),
                                u"MSC Köln-Süd"_s, u"52,31"_s, u"0"_s, u"48,17"_s, u"2"_s, u"1:01,05"_s,
                                u"0"_s, u"1:51,22"_s, QString::number(i)});
            }
        }
        competition.setClasses(classes);
        bytes = formatProtocolText(competition);
        protocolPath = dir.filePath(u"protokoll.txt"_s);
        baselinePath = dir.filePath(u"baseline.txt"_s).toStdString();
        WriteProtocolText(competition, protocolPath);
        std::ofstream(baselinePath, std::ios::binary).write(bytes.constData(), bytes.size());
    }
};

Setup *g_setup = nullptr;
double g_baselineWriteNs = 0;
double g_baselineReadNs = 0;
double g_baselineSplitNs = 0;
double g_writeNs = 0;
double g_readNs = 0;

void BM_BaselineWrite(benchmark::State &state)
{
    g_baselineWriteNs = timeLoop(state, [] {
        std::ofstream out(g_setup->baselinePath, std::ios::binary | std::ios::trunc);
        out.write(g_setup->bytes.constData(), g_setup->bytes.size());
    });
    state.counters["ms"] = g_baselineWriteNs / 1e6;
    state.SetBytesProcessed(state.iterations() * g_setup->bytes.size());
}

void BM_WriteProtocolText(benchmark::State &state)
{
    g_writeNs = timeLoop(state, [] {
        const auto error = WriteProtocolText(g_setup->competition, g_setup->protocolPath);
        benchmark::DoNotOptimize(error);
    });
    setRatio(state, g_writeNs, g_baselineWriteNs);
    state.SetBytesProcessed(state.iterations() * g_setup->bytes.size());
}

void BM_BaselineRead(benchmark::State &state)
{
    g_baselineReadNs = timeLoop(state, [] {
        std::ifstream in(g_setup->baselinePath, std::ios::binary | std::ios::ate);
        std::string text(static_cast<std::size_t>(in.tellg()), '\0');
        in.seekg(0);
        in.read(text.data(), std::streamsize(text.size()));
        benchmark::DoNotOptimize(text);
    });
    state.counters["ms"] = g_baselineReadNs / 1e6;
    state.SetBytesProcessed(state.iterations() * g_setup->bytes.size());
}

void BM_BaselineReadSplit(benchmark::State &state)
{
    g_baselineSplitNs = timeLoop(state, [] {
        std::ifstream in(g_setup->baselinePath, std::ios::binary | std::ios::ate);
        std::string text(static_cast<std::size_t>(in.tellg()), '\0');
        in.seekg(0);
        in.read(text.data(), std::streamsize(text.size()));
        std::vector<std::vector<std::string>> rows;
        std::size_t pos = 0;
        while (pos < text.size()) {
            std::size_t end = text.find('\n', pos);
            if (end == std::string::npos)
                end = text.size();
            std::vector<std::string> &cells = rows.emplace_back();
            for (std::size_t from = pos; from < end;) {
                std::size_t at = text.find('\t', from);
                if (at == std::string::npos || at > end)
                    at = end;
                cells.emplace_back(text, from, at - from);
                from = at + 1;
            }
            pos = end + 1;
        }
        benchmark::DoNotOptimize(rows);
    });
    state.counters["ms"] = g_baselineSplitNs / 1e6;
    state.SetBytesProcessed(state.iterations() * g_setup->bytes.size());
}

void BM_ReadProtocolText(benchmark::State &state)
{
    Competition loaded;
    g_readNs = timeLoop(state, [&loaded] {
        const auto result = ReadProtocolText(loaded, g_setup->protocolPath);
        benchmark::DoNotOptimize(result);
    });
    if (loaded.page(kClasses - 1)->rows() != kDrivers + 1)
        state.SkipWithError("the protocol did not load completely");
    setRatio(state, g_readNs, g_baselineReadNs);
    if (g_baselineSplitNs > 0)
        state.counters["x_split"] = g_readNs / g_baselineSplitNs;
    state.SetBytesProcessed(state.iterations() * g_setup->bytes.size());
}

BENCHMARK(BM_BaselineWrite)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteProtocolText)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BaselineRead)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BaselineReadSplit)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadProtocolText)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    Setup setup;
    g_setup = &setup;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (g_baselineWriteNs > 0 && g_baselineReadNs > 0) {
        std::printf("protocol of %d x %d drivers (%lld bytes): write %.2f ms (%.1fx baseline), "
                    "read %.2f ms (%.1fx baseline, %.1fx reading and cutting into cells); "
                    "goal < 50 ms and < 5x each way\n",
                    kClasses, kDrivers, static_cast<long long>(setup.bytes.size()), g_writeNs / 1e6,
                    g_writeNs / g_baselineWriteNs, g_readNs / 1e6, g_readNs / g_baselineReadNs,
                    g_baselineSplitNs > 0 ? g_readNs / g_baselineSplitNs : 0.0);
    }
    return 0;
}
