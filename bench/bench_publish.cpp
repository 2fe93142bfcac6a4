// Publishing to the club's web space during an event: an entry every second
// through the race core (the 10 ms clock ticking on Qt's timers), the live
// page served and polled for /results.json, and the results uploaded to a
// loopback FTP server that waits 200 ms before each reply. The same event
// without publishing is the baseline, measured in the same run: the entry
// command, the race thread's CPU per run and the live page's replies may not
// grow by more than 10 %. With publishing on, the uploads may never come
// closer than the interval, and every entry must be on the server within the
// interval and 5 s more; the last one must be there at the end.
//
// Bounded: VEX_PUBLISH_SECONDS seconds per case (default 600, the event's
// ten minutes); the server is the tests' loopback_server.py (Debian's
// python3-pyftpdlib), and the bench says so and ends when it is missing.

#include "files/racefiles.h"
#include "live/liveserver.h"
#include "publish/resultspublisher.h"
#include "race/race.h"
#include "results/competition.h"
#include "results/ranking.h"
#include "results/recording.h"
#include "timing/tickclock.h"
#include "timing/timers.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

using namespace Qt::StringLiterals;
using namespace vex;

namespace {

constexpr int kClasses = 8;
constexpr int kDriversPerClass = 40;
constexpr int kIntervalS = 15;
constexpr int kServerDelayMs = 200;
constexpr int kPollMs = 250;

QElapsedTimer g_clock;

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

void waitMs(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

double percentile(std::vector<double> v, double p)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, size_t(p * double(v.size())))];
}

void fillCompetition(Race &race)
{
    RaceFiles(race).importWith([](Competition &c) {
        QRandomGenerator rng(7);
        QStringList names;
        for (int k = 0; k < kClasses; ++k) {
            ResultPage &page = *c.page(k);
            for (int i = 1; i <= kDriversPerClass; ++i) {
                RunEntry e{QString::number(k * 100 + i), u"Fahrer %1, Vorname (2012)"_s.arg(i), u"MSC Ort"_s, 1,
                           qint32(rng.bounded(40000, 70000)), int(rng.bounded(3)) * 2};
                enterRun(page, e);
            }
            page.setCaption(u"Klasse %1"_s.arg(k + 1));
            page.setTabVisible(true);
            RankPage(page, true);
            names.append(page.caption());
        }
        c.setClasses(names);
        return std::optional<QString>();
    });
    race.chooseClass(0);
    race.chooseRun(2);
}

// Asks the live page for /results.json every kPollMs on a thread of its own
// and keeps each reply's time.
class Poller : public QObject
{
public:
    explicit Poller(quint16 port)
        : m_port(port)
    {
    }
    void start()
    {
        m_timer = new QTimer(this);
        connect(m_timer, &QTimer::timeout, this, &Poller::ask);
        m_timer->start(kPollMs);
    }
    std::vector<double> replyMs;
    int failures = 0;

private:
    void ask()
    {
        QTcpSocket socket;
        const double t0 = nowMs();
        socket.connectToHost(u"127.0.0.1"_s, m_port);
        if (!socket.waitForConnected(2000)) {
            ++failures;
            return;
        }
        socket.write("GET /results.json HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n");
        QByteArray reply;
        while (socket.waitForReadyRead(2000))
            reply += socket.readAll();
        reply += socket.readAll();
        if (!reply.startsWith("HTTP/1.1 200")) {
            ++failures;
            return;
        }
        replyMs.push_back(nowMs() - t0);
    }
    quint16 m_port;
    QTimer *m_timer = nullptr;
};

struct CaseResult
{
    std::vector<double> enterMs;
    std::vector<double> enteredAt;
    std::vector<double> liveReplyMs;
    double guiCpuMsPerRun = 0;
    std::vector<double> uploadStarts;
    std::vector<std::pair<double, double>> uploads; // start, end of each successful one
    int uploadFailures = 0;
};

CaseResult runEvent(int seconds, const PublishOptions *publishing, const QString &serverRoot)
{
    SteadyTickSource ticks;
    QtTimers timers;
    RaceResults results;
    Race race(results, ticks, timers);
    fillCompetition(race);
    LiveServer live(race, u"Vexilor"_s);
    live.start(0, QHostAddress::LocalHost);
    QEventLoop started;
    quint16 port = 0;
    QObject::connect(&live, &LiveServer::started, &started, [&](quint16 p) {
        port = p;
        started.quit();
    });
    if (!live.isRunning())
        started.exec();

    CaseResult r;
    ResultsPublisher publisher(race, u"Vexilor"_s, ticks, timers);
    double startedAt = 0;
    QObject::connect(&publisher, &ResultsPublisher::uploadStarted, [&] {
        startedAt = nowMs();
        r.uploadStarts.push_back(startedAt);
    });
    QObject::connect(&publisher, &ResultsPublisher::uploadFinished, [&](const UploadResult &u, int) {
        if (u.ok())
            r.uploads.emplace_back(startedAt, nowMs());
        else
            ++r.uploadFailures;
    });
    if (publishing) {
        publisher.setPassword(u"geheim"_s);
        publisher.setOptions(*publishing);
    }

    QThread pollThread;
    auto *poller = new Poller(port);
    poller->moveToThread(&pollThread);
    pollThread.start();
    QMetaObject::invokeMethod(poller, [poller] { poller->start(); }, Qt::QueuedConnection);

    const double cpu0 = threadCpuMs();
    for (int i = 0; i < seconds; ++i) {
        const double second = nowMs();
        race.start(ticks.now());
        waitMs(600);
        race.stop(ticks.now());
        race.addPenalty(2);
        const double t0 = nowMs();
        race.enter();
        r.enterMs.push_back(nowMs() - t0);
        r.enteredAt.push_back(t0);
        race.next();
        waitMs(std::max(1, int(second + 1000 - nowMs())));
    }
    r.guiCpuMsPerRun = (threadCpuMs() - cpu0) / seconds;
    if (publishing) {
        // The last change goes up at the latest one interval after the last
        // upload's start.
        waitMs((kIntervalS + 10) * 1000);
        Q_UNUSED(serverRoot);
    }
    QMetaObject::invokeMethod(
        poller,
        [poller, &r] {
            r.liveReplyMs = poller->replyMs;
            delete poller;
        },
        Qt::BlockingQueuedConnection);
    pollThread.quit();
    pollThread.wait();
    return r;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    g_clock.start();
    const int seconds = std::max(10, qEnvironmentVariableIntValue("VEX_PUBLISH_SECONDS") > 0
                                         ? qEnvironmentVariableIntValue("VEX_PUBLISH_SECONDS")
                                         : 600);
    QTemporaryDir dir;
    const QString root = dir.filePath(u"www"_s);
    QDir().mkpath(root);
    QProcess server;
    server.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    server.start(QStringLiteral(VEX_PYTHON),
                 {u"-W"_s, u"ignore"_s, QStringLiteral(VEX_SERVER_SCRIPT), u"ftp"_s, u"--root"_s, root, u"--state"_s,
                  dir.filePath(u"state"_s), u"--delay"_s, QString::number(kServerDelayMs)});
    if (!server.waitForStarted(5000) || !server.waitForReadyRead(30000)) {
        std::printf("bench_publish: no loopback FTP server (python3-pyftpdlib missing?), skipped\n");
        return 0;
    }
    const QList<QByteArray> ready = server.readLine().trimmed().split(' ');
    const int ftpPort = ready.value(1).toInt();

    std::printf("bench_publish: %d entries (one a second) per case, %d classes x %d drivers, FTP reply delay %d ms, "
                "interval %d s\n",
                seconds, kClasses, kDriversPerClass, kServerDelayMs, kIntervalS);
    const CaseResult base = runEvent(seconds, nullptr, root);

    PublishOptions o;
    o.enabled = true;
    o.address = u"ftp://127.0.0.1:%1"_s.arg(ftpPort);
    o.user = u"club"_s;
    o.intervalMs = kIntervalS * 1000;
    const CaseResult pub = runEvent(seconds, &o, root);
    server.closeWriteChannel();
    server.waitForFinished(5000);

    const auto row = [](const char *what, double baseline, double with) {
        std::printf("  %-34s %9.3f %9.3f   x%.2f\n", what, baseline, with, baseline > 0 ? with / baseline : 0.0);
    };
    std::printf("  %-34s %9s %9s   ratio\n", "figure", "baseline", "publish");
    row("entry command, median ms", percentile(base.enterMs, 0.5), percentile(pub.enterMs, 0.5));
    row("entry command, p99 ms", percentile(base.enterMs, 0.99), percentile(pub.enterMs, 0.99));
    row("race thread CPU per run, ms", base.guiCpuMsPerRun, pub.guiCpuMsPerRun);
    row("live /results.json, median ms", percentile(base.liveReplyMs, 0.5), percentile(pub.liveReplyMs, 0.5));
    row("live /results.json, p99 ms", percentile(base.liveReplyMs, 0.99), percentile(pub.liveReplyMs, 0.99));

    // The throttle: starts never closer than the interval (the first one
    // is at the switch-on, before the event's first entry).
    double closest = 1e12;
    for (size_t i = 1; i < pub.uploadStarts.size(); ++i)
        closest = std::min(closest, pub.uploadStarts[i] - pub.uploadStarts[i - 1]);
    // Every entry up: the end of the first successful upload started after it.
    double worst = 0;
    int missing = 0;
    for (double at : pub.enteredAt) {
        const auto up = std::find_if(pub.uploads.begin(), pub.uploads.end(),
                                     [at](const auto &u) { return u.first >= at; });
        if (up == pub.uploads.end())
            ++missing;
        else
            worst = std::max(worst, up->second - at);
    }
    double longest = 0;
    for (const auto &u : pub.uploads)
        longest = std::max(longest, u.second - u.first);
    std::printf("  uploads: %zu started, %zu done, %d failed; closest starts %.0f ms apart (interval %d000)\n",
                pub.uploadStarts.size(), pub.uploads.size(), pub.uploadFailures, closest, kIntervalS);
    std::printf("  longest upload %.0f ms; an entry on the server after at most %.0f ms (limit %d000); "
                "entries never up: %d\n",
                longest, worst, kIntervalS + 5, missing);
    const bool ok = closest >= kIntervalS * 1000 - 5 && worst <= (kIntervalS + 5) * 1000.0 && missing == 0
        && pub.uploadFailures == 0;
    std::printf("bench_publish: %s\n", ok ? "throttle and freshness hold" : "FAILED");
    return ok ? 0 : 1;
}
