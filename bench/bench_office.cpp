// The spreadsheet exchange through this program's own server with a big
// competition (ten classes of 1,000 drivers): exporting to a new workbook
// and importing it again, against saving and loading the same competition
// as a protocol text file in the same run.

#include "office/excelexchange.h"
#include "office/localservers.h"
#include "office/officeprogress.h"
#include "reports/protocolfile.h"
#include "results/competition.h"

#include "walltime.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>

using namespace Qt::StringLiterals;
using namespace vex;

namespace {

constexpr int kClasses = 10;
constexpr int kDrivers = 1000;

struct Setup
{
    QTemporaryDir dir;
    Competition competition;
    QString textPath;
    QString workbookPath;
    LocalAutomationServers servers{nullptr};
    OfficeProgress progress;

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
        textPath = dir.filePath(u"protokoll.txt"_s);
        workbookPath = dir.filePath(u"protokoll.xlsx"_s);
        WriteProtocolText(competition, textPath);
        ExportExcelProtocol(servers, competition, workbookPath, {{0, 1}, u"T"_s, u"T2"_s}, progress);
    }
};

Setup *g_setup = nullptr;
double g_textWriteNs = 0;
double g_textReadNs = 0;
double g_exportNs = 0;
double g_importNs = 0;

void BM_WriteProtocolText(benchmark::State &state)
{
    g_textWriteNs = timeLoop(state, [] { benchmark::DoNotOptimize(WriteProtocolText(g_setup->competition, g_setup->textPath)); });
    setRatio(state, g_textWriteNs, 0);
}

void BM_ReadProtocolText(benchmark::State &state)
{
    Competition loaded;
    g_textReadNs = timeLoop(state, [&loaded] { benchmark::DoNotOptimize(ReadProtocolText(loaded, g_setup->textPath)); });
    setRatio(state, g_textReadNs, 0);
}

void BM_ExportWorkbook(benchmark::State &state)
{
    g_exportNs = timeLoop(state, [] {
        // A new workbook each time, not an export into the last one.
        QFile::remove(g_setup->workbookPath);
        const auto error = ExportExcelProtocol(g_setup->servers, g_setup->competition, g_setup->workbookPath,
                                               {{0, 1}, u"T"_s, u"T2"_s}, g_setup->progress);
        if (error)
            qFatal("export failed");
    });
    setRatio(state, g_exportNs, g_textWriteNs);
}

void BM_ImportWorkbook(benchmark::State &state)
{
    Competition loaded;
    g_importNs = timeLoop(state, [&loaded] {
        const auto error = ImportExcelStartList(g_setup->servers, loaded, g_setup->workbookPath, {0, 1}, g_setup->progress);
        if (error)
            qFatal("import failed");
    });
    if (loaded.page(kClasses - 1)->rows() < kDrivers + 1)
        state.SkipWithError("the workbook did not load completely");
    setRatio(state, g_importNs, g_textReadNs);
}

BENCHMARK(BM_WriteProtocolText)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadProtocolText)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExportWorkbook)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ImportWorkbook)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    Setup setup;
    g_setup = &setup;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (g_textWriteNs > 0 && g_textReadNs > 0) {
        std::printf("workbook of %d x %d drivers: export %.1f ms (%.1fx the text protocol's save), "
                    "import %.1f ms (%.1fx its load); goal < 1000 ms each way\n",
                    kClasses, kDrivers, g_exportNs / 1e6, g_exportNs / g_textWriteNs, g_importNs / 1e6,
                    g_importNs / g_textReadNs);
    }
    return 0;
}
