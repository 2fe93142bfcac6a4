// The live page under an event's load, on loopback: runs are timed through
// the race core with Qt's own timers (the 10 ms clock ticking), entered and
// the next driver prepared, while 200 viewers follow the WebSocket push and
// 50 more ask for /results.json every 100 ms. Every viewer must see every
// entry; the figure is the time from the entry to the viewers. The same runs
// without the server, and with the server but nobody watching, are the
// baseline: what the live page costs the race's thread.
//
// Bounded: VEX_LIVE_RUNS runs (default 30) of about 0.6 s each per case.

#include "live/liveserver.h"
#include "files/racefiles.h"
#include "race/race.h"
#include "results/ranking.h"
#include "results/recording.h"
#include "timing/tickclock.h"
#include "timing/timers.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QMutex>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QRandomGenerator>
#include <QThread>
#include <QTimer>
#include <QWebSocket>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <map>
#include <vector>

using namespace Qt::StringLiterals;
using namespace vex;

namespace {

constexpr int kClasses = 8;
constexpr int kDriversPerClass = 40;
constexpr int kViewers = 200;
constexpr int kPollers = 50;
constexpr int kPollMs = 100;

QElapsedTimer g_clock; // one steady clock for every thread

double nowMs()
{
    return double(g_clock.nsecsElapsed()) / 1e6;
}

double threadCpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

// The top-level version of a results document (it sorts last).
qint64 versionOf(const QByteArray &doc)
{
    if (!doc.startsWith("{\"classes\""))
        return -1;
    const qsizetype at = doc.lastIndexOf("\"version\":");
    return at < 0 ? -1 : doc.mid(at + 10, 20).split('}').first().toLongLong();
}

// What the clients saw, written on the clients' thread, read after it ended.
struct Seen
{
    std::vector<std::map<qint64, double>> viewers{kViewers}; // version -> first arrival
    std::map<qint64, double> pollers;                        // version -> first arrival at any poller
    int pollReplies = 0;
    int pollFailures = 0;
    int refused = 0;
};

// The viewers and pollers, on a thread of their own so they don't weigh on
// the race's thread the figures are taken on.
class Clients : public QObject
{
public:
    Clients(quint16 port, Seen &seen)
        : m_port(port)
        , m_seen(seen)
    {
    }

    void open()
    {
        for (int i = 0; i < kViewers; ++i) {
            auto *ws = new QWebSocket(QString(), QWebSocketProtocol::VersionLatest, this);
            connect(ws, &QWebSocket::textMessageReceived, this, [this, i](const QString &text) {
                const qint64 v = versionOf(text.toUtf8());
                if (v >= 0)
                    m_seen.viewers[std::size_t(i)].emplace(v, nowMs());
            });
            connect(ws, &QWebSocket::disconnected, this, [this] { ++m_seen.refused; });
            ws->open(QUrl(u"ws://127.0.0.1:%1/live"_s.arg(m_port)));
        }
        for (int i = 0; i < kPollers; ++i) {
            auto *nam = new QNetworkAccessManager(this);
            auto *timer = new QTimer(this);
            timer->setInterval(kPollMs);
            connect(timer, &QTimer::timeout, this, [this, nam] { poll(nam); });
            // Spread over the interval, as phones are.
            QTimer::singleShot(i * kPollMs / kPollers, timer, qOverload<>(&QTimer::start));
        }
    }

    void closeAll()
    {
        const auto sockets = findChildren<QWebSocket *>();
        for (QWebSocket *ws : sockets) {
            ws->disconnect(this);
            ws->abort();
        }
        const auto timers = findChildren<QTimer *>();
        for (QTimer *t : timers)
            t->stop();
    }

private:
    void poll(QNetworkAccessManager *nam)
    {
        QNetworkReply *reply = nam->get(QNetworkRequest(QUrl(u"http://127.0.0.1:%1/results.json"_s.arg(m_port))));
        connect(reply, &QNetworkReply::finished, this, [this, reply] {
            reply->deleteLater();
            if (reply->error() != QNetworkReply::NoError) {
                ++m_seen.pollFailures;
                return;
            }
            ++m_seen.pollReplies;
            const qint64 v = versionOf(reply->readAll());
            if (v >= 0)
                m_seen.pollers.emplace(v, nowMs());
        });
    }

    quint16 m_port;
    Seen &m_seen;
};

// A class list of the size of a big club event, every driver with a first run.
void fillCompetition(Race &race)
{
    QRandomGenerator rng(7);
    QStringList names;
    for (int k = 0; k < kClasses; ++k) {
        ResultPage &page = *race.competition().page(k);
        for (int i = 1; i <= kDriversPerClass; ++i) {
            RunEntry e{QString::number(k * 100 + i), u"Fahrer %1, Vorname"_s.arg(i), u"MSC Ort"_s, 1,
                       qint32(rng.bounded(40000, 70000)), int(rng.bounded(3)) * 2};
            enterRun(page, e);
        }
        page.setCaption(u"Klasse %1"_s.arg(k + 1));
        page.setTabVisible(true);
        RankPage(page, true);
        names.append(page.caption());
    }
    race.competition().setClasses(names);
    race.chooseClass(0);
    race.chooseRun(2);
}

void waitMs(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

struct CaseResult
{
    std::vector<double> enterMs;   // wall time of the entry command itself
    std::vector<double> enteredAt; // when each entry was made
    double guiCpuMsPerRun = 0;
};

// runs runs through the race core: start, 400 ms of running clock, stop,
// entry, next driver, a short pause.
CaseResult timeRuns(Race &race, const SteadyTickSource &ticks, int runs)
{
    CaseResult result;
    const double cpu0 = threadCpuMs();
    for (int i = 0; i < runs; ++i) {
        race.start(ticks.now());
        waitMs(400);
        race.stop(ticks.now());
        race.addPenalty(2);
        const double t0 = nowMs();
        race.enter();
        const double t1 = nowMs();
        result.enterMs.push_back(t1 - t0);
        result.enteredAt.push_back(t0);
        race.next();
        waitMs(200);
    }
    result.guiCpuMsPerRun = (threadCpuMs() - cpu0) / runs;
    return result;
}

double median(std::vector<double> v)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

double percentile(std::vector<double> v, double p)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, std::size_t(p * double(v.size())))];
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    g_clock.start();
    const int runs = qEnvironmentVariableIsSet("VEX_LIVE_RUNS") ? qEnvironmentVariableIntValue("VEX_LIVE_RUNS") : 30;
    SteadyTickSource ticks;
    QtTimers timers;

    // 1: no server.
    CaseResult bare;
    {
        RaceResults raceResults;
        Race race(raceResults, ticks, timers);
        RaceFiles files(race);
        fillCompetition(race);
        bare = timeRuns(race, ticks, runs);
    }
    // 2: the server on, nobody watching.
    CaseResult idle;
    {
        RaceResults raceResults;
        Race race(raceResults, ticks, timers);
        RaceFiles files(race);
        fillCompetition(race);
        LiveServer server(race, u"Vexilor"_s);
        server.start(0, QHostAddress::LocalHost);
        while (!server.isRunning())
            waitMs(10);
        idle = timeRuns(race, ticks, runs);
    }
    // 3: the server with its viewers and pollers.
    Seen seen;
    CaseResult watched;
    {
        RaceResults raceResults;
        Race race(raceResults, ticks, timers);
        RaceFiles files(race);
        fillCompetition(race);
        LiveServer server(race, u"Vexilor"_s);
        server.start(0, QHostAddress::LocalHost);
        while (!server.isRunning())
            waitMs(10);
        QThread clientThread;
        auto *clients = new Clients(server.port(), seen);
        clients->moveToThread(&clientThread);
        clientThread.start();
        QMetaObject::invokeMethod(clients, [clients] { clients->open(); });
        waitMs(3000); // every viewer connected and served the state
        watched = timeRuns(race, ticks, runs);
        waitMs(1000); // the last entry reaches everybody
        QMetaObject::invokeMethod(clients, [clients] { clients->closeAll(); }, Qt::BlockingQueuedConnection);
        QMetaObject::invokeMethod(clients, [clients] { delete clients; }, Qt::BlockingQueuedConnection);
        clientThread.quit();
        clientThread.wait();
    }

    // The entries' versions: the last `runs` versions the server published.
    qint64 last = 0;
    for (const auto &v : seen.viewers)
        if (!v.empty())
            last = std::max(last, v.rbegin()->first);
    const qint64 firstEntry = last - runs + 1;
    int complete = 0;
    std::vector<double> latency;
    for (const auto &v : seen.viewers) {
        bool all = true;
        for (int i = 0; i < runs; ++i) {
            const auto it = v.find(firstEntry + i);
            if (it == v.end()) {
                all = false;
                continue;
            }
            latency.push_back(it->second - watched.enteredAt[std::size_t(i)]);
        }
        complete += all ? 1 : 0;
    }
    std::vector<double> pollLatency;
    for (int i = 0; i < runs; ++i) {
        const auto it = seen.pollers.find(firstEntry + i);
        if (it != seen.pollers.end())
            pollLatency.push_back(it->second - watched.enteredAt[std::size_t(i)]);
    }

    std::printf("live page, %d classes x %d drivers, %d runs per case (loopback)\n", kClasses, kDriversPerClass, runs);
    std::printf("  entry command, median: no server %.3f ms | server, no clients %.3f ms | %d viewers + %d pollers "
                "%.3f ms\n",
                median(bare.enterMs), median(idle.enterMs), kViewers, kPollers, median(watched.enterMs));
    std::printf("  race thread CPU per run (start, 400 ms clock, stop, entry, next): %.2f ms | %.2f ms | %.2f ms "
                "(%.2fx the bare run)\n",
                bare.guiCpuMsPerRun, idle.guiCpuMsPerRun, watched.guiCpuMsPerRun,
                bare.guiCpuMsPerRun > 0 ? watched.guiCpuMsPerRun / bare.guiCpuMsPerRun : 0.0);
    std::printf("  viewers with every entry: %d of %d (refused or dropped: %d)\n", complete, kViewers, seen.refused);
    std::printf("  entry -> WebSocket viewer: median %.1f ms, p95 %.1f ms, max %.1f ms (%zu deliveries)\n",
                median(latency), percentile(latency, 0.95), percentile(latency, 1.0), latency.size());
    std::printf("  entry -> first poller: median %.1f ms, max %.1f ms; %d replies, %d failures\n",
                median(pollLatency), percentile(pollLatency, 1.0), seen.pollReplies, seen.pollFailures);
    return complete == kViewers ? 0 : 1;
}
