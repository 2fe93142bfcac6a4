// Opening a season of ten events, each with ten classes of 100 drivers:
// reading every event's protocol file and computing the standings of all
// classes and the teams (which must take well under a second). The baseline
// reads the same files' bytes and nothing more. A second figure reads the
// events as workbooks the program exported.

#include "reports/protocoltext.h"
#include "season/season.h"
#include "season/seasonreport.h"
#include "office/workbookdata.h"

#include "walltime.h"

#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

using namespace Qt::StringLiterals;
using namespace vex;

namespace {

constexpr int kEvents = 10;
constexpr int kClasses = 10;
constexpr int kDrivers = 100;

struct Setup
{
    QTemporaryDir dir;
    SeasonDefinition text;
    SeasonDefinition books;

    Setup()
    {
        const QStringList titles{u"StNr"_s, u"Fahrer/in"_s, u"Ortsclub"_s, u"TR"_s, u"StS"_s, u"Lauf 1"_s,
                                 u"StS"_s, u"Lauf 2"_s, u"StS"_s, u"Gesamt"_s, u"Platz"_s};
        text.rules.counting = SeasonRules::Counting::BestN;
        text.rules.bestN = 7;
        text.rules.minStarts = 3;
        text.rules.qualification = SeasonRules::Qualification::Percent;
        for (int e = 0; e < kEvents; ++e) {
            QList<ProtocolBlock> blocks;
            WorkbookData book;
            for (int k = 0; k < kClasses; ++k) {
                ProtocolBlock block;
                block.hasHeading = true;
                block.classEntry = u"K%1"_s.arg(k + 1);
                block.rows.append(titles);
                WorksheetData sheet;
                sheet.name = block.classEntry;
                for (int c = 0; c < titles.size(); ++c)
                    sheet.cell(1, c + 1) = typedCell(titles.at(c));
                for (int d = 0; d < kDrivers; ++d) {
                    // The field shifts from event to event; every tenth driver
                    // spells the umlaut out at odd events.
                    const int place = (d + e * 7) % kDrivers + 1;
                    const QString name = (d % 10 == 0 && e % 2 ? u"Fahrer Mueller %1"_s : u"Fahrer Müller %1"_s).arg(d);
                    const QStringList row{QString::number(d + 1), name, u"Club %1"_s.arg(d % 12), u"50,00"_s,
                                          u" "_s, u"50,00"_s, u" "_s, u"50,00"_s, u" "_s,
                                          u"1:40,%1"_s.arg(place, 2, 10, QChar(u'0')), QString::number(place)};
                    block.rows.append(row);
                    for (int c = 0; c < row.size(); ++c)
                        sheet.cell(d + 2, c + 1) = typedCell(row.at(c));
                }
                blocks.append(block);
                book.sheets.append(sheet);
            }
            const QString path = dir.filePath(u"lauf%1.txt"_s.arg(e + 1));
            QFile file(path);
            file.open(QIODevice::WriteOnly);
            file.write(formatProtocolBlocks(blocks));
            file.close();
            text.events.append({path, u"Lauf %1"_s.arg(e + 1), QDate(2026, 3 + e % 9, 1 + e)});
            const QString bookPath = dir.filePath(u"lauf%1.xlsx"_s.arg(e + 1));
            writeXlsxFile(book, bookPath);
            books.events.append({bookPath, u"Lauf %1"_s.arg(e + 1), QDate(2026, 3 + e % 9, 1 + e)});
        }
        books.rules = text.rules;
    }
};

Setup &setup()
{
    static Setup s;
    return s;
}

double g_baselineNs = 0;

void BM_ReadBytesBaseline(benchmark::State &state)
{
    g_baselineNs = timeLoop(state, [] {
        qint64 total = 0;
        for (const SeasonEvent &e : setup().text.events) {
            QFile file(e.path);
            file.open(QIODevice::ReadOnly);
            total += file.readAll().size();
        }
        benchmark::DoNotOptimize(total);
    });
    setRatio(state, g_baselineNs, 0);
}

void BM_OpenSeasonOfProtocols(benchmark::State &state)
{
    const double ns = timeLoop(state, [] {
        const SeasonReport report = evaluateSeason(setup().text, readSeasonEvents(setup().text.events));
        benchmark::DoNotOptimize(report.standings.classes.size());
    });
    setRatio(state, ns, g_baselineNs);
}

void BM_OpenSeasonOfWorkbooks(benchmark::State &state)
{
    const double ns = timeLoop(state, [] {
        const SeasonReport report = evaluateSeason(setup().books, readSeasonEvents(setup().books.events));
        benchmark::DoNotOptimize(report.standings.classes.size());
    });
    setRatio(state, ns, g_baselineNs);
}

void BM_SeasonHtml(benchmark::State &state)
{
    const SeasonReport report = evaluateSeason(setup().text, readSeasonEvents(setup().text.events));
    const double ns = timeLoop(state, [&report] { benchmark::DoNotOptimize(buildSeasonHtml(report).size()); });
    setRatio(state, ns, g_baselineNs);
}

} // namespace

BENCHMARK(BM_ReadBytesBaseline)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenSeasonOfProtocols)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenSeasonOfWorkbooks)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SeasonHtml)->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    setup();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
