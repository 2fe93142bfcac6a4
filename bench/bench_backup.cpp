// What the automatic backup adds to one entry: an entry through the race core
// (driver chosen, started, stopped, entered, ranked, next driver) without a
// backup, against the same entry with the backup following the race, once
// flushed to the disk as the program does it and once without the flush. Two
// races: one class of 1,000 drivers and ten classes of 100.

#include "backup/backupstore.h"
#include "backup/racebackup.h"
#include "files/racefiles.h"
#include "race/race.h"
#include "reports/protocoltext.h"
#include "results/competition.h"
#include "results/ranking.h"
#include "timing/tickclock.h"
#include "timing/timers.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTemporaryFile>

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>

using namespace Qt::StringLiterals;
using namespace vex;

namespace {

// The same replacement without the flushes to the disk: what the backup
// costs apart from waiting for the disk.
class UnsyncedReplacer final : public FileReplacer
{
public:
    bool replace(const QString &path, QByteArrayView bytes) override
    {
        QTemporaryFile file(path + u".XXXXXX"_s);
        file.setAutoRemove(false);
        if (!file.open() || file.write(bytes.data(), bytes.size()) != bytes.size() || !file.flush())
            return false;
        file.close();
        std::error_code error;
        std::filesystem::rename(QFile::encodeName(file.fileName()).toStdString(),
                                QFile::encodeName(path).toStdString(), error);
        return !error;
    }
};

class NoTicks final : public TickSource
{
public:
    quint32 now() const override { return 0; }
};

// A race with its drivers loaded; every entry goes through the race core as
// F5, F5, F9 and F10 make it.
struct Event
{
    NoTicks ticks;
    QtTimers timers;
    RaceResults raceResults;
    Race race{raceResults, ticks, timers};
    RaceFiles files{race};
    int entries = 0;
    quint32 tick = 1000;

    Event(int classes, int drivers)
    {
        files.importWith([&](Competition &competition) {
            QStringList names;
            for (int k = 0; k < classes; ++k) {
                const QString name = u"Klasse %1 Jugend"_s.arg(k + 1);
                names.append(name);
                ResultPage &page = *competition.page(k);
                page.setCaption(name);
                page.setRowCount(drivers + 1);
                page.setRow(0, defaultColumnTitles());
                for (int i = 1; i <= drivers; ++i) {
                    page.setRow(i, {QString::number(i), u"Müller-Lüdenscheidt, Jörg %1"_s.arg(i), u"MSC Köln-Süd"_s,
                                    u"52,31"_s, u"0"_s, u"48,17"_s, u"2"_s, {}, {}, u"50,17"_s, {}});
                }
                RankPage(page, true);
            }
            competition.setClasses(names);
            return std::optional<QString>();
        });
    }

    // One driver's second run, a different time every time.
    void enterOne()
    {
        const int classes = int(race.competition().classes().size());
        const int page = entries % classes;
        race.chooseClass(page);
        race.typeStartNumber(QString::number(1 + (entries * 37) % race.competition().page(page)->dataRows()));
        race.chooseRun(2);
        race.start(tick);
        tick += quint32(45'000 + (entries * 7919) % 20'000);
        race.stop(tick);
        race.setPenalty(entries % 3);
        race.enter();
        race.next();
        tick += 1000;
        ++entries;
    }
};

enum class Backup { None, Unsynced, Durable };

void settle(const QString &folder)
{
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::syncfs(fd);
        ::close(fd);
    }
}

std::map<std::string, double> g_ms;

void BM_Entry(benchmark::State &state, int classes, int drivers, Backup backup, std::string key)
{
    Event event(classes, drivers);
    QTemporaryDir dir;
    UnsyncedReplacer unsynced;
    DurableFileReplacer durable;
    FileReplacer &replacer = backup == Backup::Durable ? static_cast<FileReplacer &>(durable) : unsynced;
    BackupStore store(dir.path(), replacer);
    std::optional<RaceBackup> keeper;
    if (backup != Backup::None)
        keeper.emplace(event.files, store);
    const auto firstWrite = event.files.exportWith([&store](const Competition &c) {
        return store.write(formatProtocolText(c));
    });
    if (firstWrite)
        state.SkipWithError("the backup was not written");
    QElapsedTimer timer;
    qint64 total = 0;
    qint64 pruning = 0;
    for (auto _ : state) {
        timer.start();
        event.enterOne();
        total += timer.nsecsElapsed();
        // The program tidies the history up once the command is through.
        timer.start();
        store.pruneHistory();
        pruning += timer.nsecsElapsed();
        // Seconds pass between two entries, in which the file system writes
        // its journal on its own; this stands in for them, untimed.
        if (backup == Backup::Durable)
            settle(dir.path());
    }
    const double ms = state.iterations() ? double(total) / double(state.iterations()) / 1e6 : 0.0;
    g_ms[key] = ms;
    state.counters["ms"] = ms;
    if (backup != Backup::None && state.iterations())
        state.counters["prune_ms_after"] = double(pruning) / double(state.iterations()) / 1e6;
    const auto base = g_ms.find(key.substr(0, key.find('/')) + "/none");
    if (backup != Backup::None && base != g_ms.end())
        state.counters["added_ms"] = ms - base->second;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    const struct
    {
        const char *name;
        int classes;
        int drivers;
    } races[] = {{"1x1000", 1, 1000}, {"10x100", 10, 100}};
    for (const auto &race : races) {
        for (const auto &[backup, label] : {std::pair{Backup::None, "none"}, std::pair{Backup::Unsynced, "unsynced"},
                                            std::pair{Backup::Durable, "durable"}}) {
            const std::string key = std::string(race.name) + "/" + label;
            benchmark::RegisterBenchmark(("BM_Entry/" + key).c_str(), BM_Entry, race.classes, race.drivers, backup, key)
                ->Unit(benchmark::kMillisecond);
        }
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    for (const char *race : {"1x1000", "10x100"}) {
        const std::string r = race;
        if (!g_ms.count(r + "/none") || !g_ms.count(r + "/durable") || !g_ms.count(r + "/unsynced"))
            continue;
        std::printf("entry on %s: %.3f ms alone; backup adds %.3f ms flushed to the disk, %.3f ms without the flush%s\n",
                    race, g_ms[r + "/none"], g_ms[r + "/durable"] - g_ms[r + "/none"],
                    g_ms[r + "/unsynced"] - g_ms[r + "/none"], r == "10x100" ? " (goal: < 5 ms flushed)" : "");
    }
    return 0;
}
