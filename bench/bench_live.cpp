// The live page under an event's load, on loopback: runs are timed through
// the race core with Qt's own timers (the 10 ms clock ticking), entered and
// the next driver prepared, while 200 viewers follow the WebSocket push and
// 50 more ask for /results.json every 100 ms, each phone from a loopback
// address of its own. Every viewer must see every entry; the figure is the
// time from the entry to the viewers. The same runs without the server, and
// with the server but nobody watching, are the baseline: what the live page
// costs the race's thread. Then all of it again while a hostile device (a
// process of its own) holds 1,000 idle sockets, sends ten POSTs of 100 MB and
// floods WebSockets with pings: every viewer must still see every entry, and
// the program's peak memory may grow by less than 50 MB. Last, the lockout:
// 100 quiet viewers, then a device with 50 addresses holding WebSockets that
// ping and never read until every place is taken, and 1,000 half-sent
// requests; ten honest viewers come one a second and must be live within
// 2 s and see every entry within 1 s, the quiet ones keep their places.
// Throughout, a barrier's hand-over to the race's thread (as the serial
// thread makes it) is timed: its p99 is the timing's cost of each load.
//
// Bounded: VEX_LIVE_RUNS runs (default 30) of about 0.6 s each per case;
// VEX_LIVE_LOCKOUT_ONLY gives the other cases one run and traces newcomers.

#include "live/liveserver.h"
#include "files/racefiles.h"
#include "race/race.h"
#include "results/competition.h"
#include "results/ranking.h"
#include "results/recording.h"
#include "timing/tickclock.h"
#include "timing/timers.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QTcpSocket>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <map>
#include <memory>
#include <vector>

using namespace Qt::StringLiterals;
using namespace vex;

namespace {

constexpr int kClasses = 8;
constexpr int kDriversPerClass = 40;
constexpr int kViewers = 200;
constexpr int kPollers = 50;
constexpr int kPollMs = 100;
constexpr int kQuietBeforeLockout = 100;
constexpr int kNewcomers = 10;

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
    std::vector<double> newcomerOpened = std::vector<double>(kNewcomers, 0);
    std::vector<double> newcomerLive = std::vector<double>(kNewcomers, 0); // its first message
    std::vector<std::map<qint64, double>> newcomers{kNewcomers};
    std::map<qint64, double> pollers;                        // version -> first arrival at any poller
    int pollReplies = 0;
    int pollFailures = 0;
    int refused = 0;
};

// A frame from a client: masked, as the protocol asks.
QByteArray maskedFrame(quint8 opcode, const QByteArray &payload)
{
    QByteArray f;
    f.append(char(0x80 | opcode));
    f.append(char(0x80 | payload.size())); // control frames only: under 126 bytes
    const char mask[4] = {0x0a, 0x0b, 0x0c, 0x0d};
    f.append(mask, 4);
    for (qsizetype i = 0; i < payload.size(); ++i)
        f.append(char(payload[i] ^ mask[i % 4]));
    return f;
}

QByteArray upgradeRequest()
{
    return "GET /live HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: Upgrade\r\nUpgrade: websocket\r\n"
           "Sec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\nSec-WebSocket-Version: 13\r\n\r\n";
}

// Each phone on a loopback address of its own, as each has its own on the
// club's network (the server lets one address hold only a few connections).
QHostAddress phoneAddress(int net, int i)
{
    return QHostAddress(quint32((127u << 24) | (quint32(net) << 16) | (quint32(i / 250) << 8) | quint32(1 + i % 250)));
}

// One viewer's page: the WebSocket read frame by frame, pings answered.
class Viewer : public QObject
{
public:
    Viewer(int index, quint16 port, Seen &seen, QObject *parent, bool newcomer = false)
        : QObject(parent)
        , m_index(index)
        , m_seen(seen)
        , m_newcomer(newcomer)
    {
        if (newcomer)
            m_seen.newcomerOpened[std::size_t(index)] = nowMs();
        m_socket.bind(phoneAddress(newcomer ? 8 : 1, index));
        connect(&m_socket, &QTcpSocket::connected, this, [this] {
            if (m_newcomer && qEnvironmentVariableIsSet("VEX_LIVE_LOCKOUT_ONLY"))
                std::fprintf(stderr, "newcomer %d connected after %.0f ms\n", m_index, nowMs() - m_seen.newcomerOpened[std::size_t(m_index)]);
            m_socket.write(upgradeRequest());
        });
        connect(&m_socket, &QTcpSocket::readyRead, this, &Viewer::read);
        connect(&m_socket, &QTcpSocket::disconnected, this, [this] { ++m_seen.refused; });
        m_socket.connectToHost(QHostAddress::LocalHost, port);
    }
    void close()
    {
        m_socket.disconnect(this);
        m_socket.abort();
    }

private:
    void read()
    {
        m_buffer += m_socket.readAll();
        if (!m_upgraded) {
            const qsizetype end = m_buffer.indexOf("\r\n\r\n");
            if (end < 0)
                return;
            m_upgraded = m_buffer.startsWith("HTTP/1.1 101");
            m_buffer.remove(0, end + 4);
        }
        while (m_buffer.size() >= 2) {
            quint64 length = quint8(m_buffer[1]) & 0x7F;
            qsizetype header = 2;
            if (length == 126) {
                if (m_buffer.size() < 4)
                    return;
                length = (quint64(quint8(m_buffer[2])) << 8) | quint8(m_buffer[3]);
                header = 4;
            } else if (length == 127) {
                if (m_buffer.size() < 10)
                    return;
                length = 0;
                for (int i = 2; i < 10; ++i)
                    length = (length << 8) | quint8(m_buffer[i]);
                header = 10;
            }
            if (m_buffer.size() < header + qsizetype(length))
                return;
            const int opcode = quint8(m_buffer[0]) & 0x0F;
            const QByteArray payload = m_buffer.mid(header, qsizetype(length));
            m_buffer.remove(0, header + qsizetype(length));
            if (opcode == 0x1) {
                const qint64 v = versionOf(payload);
                auto &seen = m_newcomer ? m_seen.newcomers : m_seen.viewers;
                if (m_newcomer && m_seen.newcomerLive[std::size_t(m_index)] == 0)
                    m_seen.newcomerLive[std::size_t(m_index)] = nowMs();
                if (v >= 0)
                    seen[std::size_t(m_index)].emplace(v, nowMs());
            } else if (opcode == 0x9) {
                m_socket.write(maskedFrame(0xA, payload));
            }
        }
    }

    int m_index;
    Seen &m_seen;
    bool m_newcomer;
    QTcpSocket m_socket;
    QByteArray m_buffer;
    bool m_upgraded = false;
};

// A page that lost its WebSocket: asks for /results.json on a connection it
// keeps, every so often.
class Poller : public QObject
{
public:
    Poller(int index, quint16 port, Seen &seen, QObject *parent)
        : QObject(parent)
        , m_index(index)
        , m_port(port)
        , m_seen(seen)
    {
        connect(&m_socket, &QTcpSocket::readyRead, this, &Poller::read);
        connect(&m_socket, &QTcpSocket::disconnected, this, [this] {
            if (m_waiting)
                ++m_seen.pollFailures;
            m_waiting = false;
            m_buffer.clear();
        });
    }
    void poll()
    {
        if (m_socket.state() == QAbstractSocket::UnconnectedState) {
            m_socket.bind(phoneAddress(2, m_index));
            m_socket.connectToHost(QHostAddress::LocalHost, m_port);
        }
        if (m_socket.state() != QAbstractSocket::ConnectedState || m_waiting)
            return;
        m_waiting = true;
        m_socket.write("GET /results.json HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n");
    }
    void close()
    {
        m_socket.disconnect(this);
        m_socket.abort();
    }

private:
    void read()
    {
        m_buffer += m_socket.readAll();
        const qsizetype end = m_buffer.indexOf("\r\n\r\n");
        if (end < 0)
            return;
        const qsizetype at = m_buffer.indexOf("Content-Length: ");
        const qsizetype length = at < 0 || at > end ? 0 : m_buffer.mid(at + 16, 12).split('\r').first().toLongLong();
        if (m_buffer.size() < end + 4 + length)
            return;
        if (m_buffer.startsWith("HTTP/1.1 200")) {
            ++m_seen.pollReplies;
            const qint64 v = versionOf(m_buffer.mid(end + 4, length));
            if (v >= 0)
                m_seen.pollers.emplace(v, nowMs());
        } else {
            ++m_seen.pollFailures;
        }
        m_buffer.remove(0, end + 4 + length);
        m_waiting = false;
    }

    int m_index;
    quint16 m_port;
    Seen &m_seen;
    QTcpSocket m_socket;
    QByteArray m_buffer;
    bool m_waiting = false;
};

// The viewers and pollers, on a thread of their own so they don't weigh on
// the race's thread the figures are taken on.
class Clients : public QObject
{
public:
    Clients(quint16 port, Seen &seen, int viewers, int pollers)
        : m_port(port)
        , m_seen(seen)
        , m_viewerCount(viewers)
        , m_pollerCount(pollers)
    {
    }

    // Honest viewers coming one a second, each from a phone of its own.
    void openNewcomers()
    {
        for (int i = 0; i < kNewcomers; ++i)
            QTimer::singleShot(i * 1000, this, [this, i] { m_viewers.push_back(new Viewer(i, m_port, m_seen, this, true)); });
    }

    void open()
    {
        for (int i = 0; i < m_viewerCount; ++i)
            m_viewers.push_back(new Viewer(i, m_port, m_seen, this));
        for (int i = 0; i < m_pollerCount; ++i) {
            auto *poller = new Poller(i, m_port, m_seen, this);
            m_pollers.push_back(poller);
            auto *timer = new QTimer(this);
            timer->setInterval(kPollMs);
            connect(timer, &QTimer::timeout, poller, &Poller::poll);
            // Spread over the interval, as phones are.
            QTimer::singleShot(i * kPollMs / kPollers, timer, qOverload<>(&QTimer::start));
        }
    }

    void closeAll()
    {
        for (Viewer *v : m_viewers)
            v->close();
        for (Poller *p : m_pollers)
            p->close();
        const auto timers = findChildren<QTimer *>();
        for (QTimer *t : timers)
            t->stop();
    }

private:
    quint16 m_port;
    Seen &m_seen;
    int m_viewerCount;
    int m_pollerCount;
    std::vector<Viewer *> m_viewers;
    std::vector<Poller *> m_pollers;
};

// A class list of the size of a big club event, every driver with a first
// run, loaded as an imported start list is: through the race.
void fillCompetition(Race &race)
{
    RaceFiles(race).importWith([](Competition &c) {
        QRandomGenerator rng(7);
        QStringList names;
        for (int k = 0; k < kClasses; ++k) {
            ResultPage &page = *c.page(k);
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
        c.setClasses(names);
        return std::optional<QString>();
    });
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
    std::vector<double> handoverMs; // a barrier's event from another thread until the race's thread has it
    double guiCpuMsPerRun = 0;
};

// Stands in for the serial thread: every 20 ms an event with the moment it
// was taken, handed to the race's thread by a queued call.
class BarrierProbe
{
public:
    explicit BarrierProbe(std::vector<double> &handover)
    {
        QObject *receiver = QCoreApplication::instance();
        m_thread.start();
        m_timer.moveToThread(&m_thread);
        m_timer.setTimerType(Qt::PreciseTimer);
        m_timer.setInterval(20);
        QObject::connect(&m_timer, &QTimer::timeout, &m_timer, [receiver, &handover] {
            QMetaObject::invokeMethod(receiver, [&handover, taken = nowMs()] { handover.push_back(nowMs() - taken); },
                                      Qt::QueuedConnection);
        });
        QMetaObject::invokeMethod(&m_timer, qOverload<>(&QTimer::start), Qt::BlockingQueuedConnection);
    }
    ~BarrierProbe()
    {
        QMetaObject::invokeMethod(&m_timer, &QTimer::stop, Qt::BlockingQueuedConnection);
        m_thread.quit();
        m_thread.wait();
        QCoreApplication::processEvents(); // what is still queued arrives, into the vector that outlives this
    }

private:
    QThread m_thread;
    QTimer m_timer;
};

// runs runs through the race core: start, 400 ms of running clock, stop,
// entry, next driver, a short pause.
CaseResult timeRuns(Race &race, const SteadyTickSource &ticks, int runs)
{
    CaseResult result;
    auto probe = std::make_unique<BarrierProbe>(result.handoverMs);
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
    probe.reset();
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

// The program's peak resident memory since the last reset, in MB.
double peakMb()
{
    QFile status(u"/proc/self/status"_s);
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
    }
    return 0;
}

void resetPeak()
{
    QFile clear(u"/proc/self/clear_refs"_s);
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

// What a hostile device on the network does, in a process of its own so its
// own buffers don't count as the program's: 1,000 sockets that never send,
// ten POSTs of 100 MB, and WebSocket clients that ping as fast as they can
// and read nothing, coming back whenever they are cut. Ends after `seconds`
// and prints what it got done.
int hostileClients(quint16 port, int seconds)
{
    int idleOpen = 0;
    int idleClosed = 0;
    qint64 postBytes = 0;
    int postsCut = 0;
    qint64 pings = 0;
    int floodConnections = 0;
    std::vector<std::unique_ptr<QTcpSocket>> idle;
    for (int i = 0; i < 1000; ++i) {
        auto s = std::make_unique<QTcpSocket>();
        s->bind(phoneAddress(3, i % 10));
        QObject::connect(s.get(), &QTcpSocket::connected, [&] { ++idleOpen; });
        QObject::connect(s.get(), &QTcpSocket::disconnected, [&] { ++idleClosed; });
        s->connectToHost(QHostAddress::LocalHost, port);
        idle.push_back(std::move(s));
    }
    // Each POST is sent again whenever the server cuts it, for the whole time.
    const QByteArray chunk(4 * 1024 * 1024, 'x');
    constexpr qint64 kPost = 100 * 1024 * 1024;
    int postsStarted = 0;
    std::vector<std::unique_ptr<QTcpSocket>> posts;
    for (int i = 0; i < 10; ++i) {
        auto s = std::make_unique<QTcpSocket>();
        QTcpSocket *p = s.get();
        auto queued = std::make_shared<qint64>(0);
        auto more = [p, queued, &chunk] {
            while (*queued < kPost && p->bytesToWrite() < 2 * chunk.size()) {
                p->write(chunk);
                *queued += chunk.size();
            }
        };
        QObject::connect(p, &QTcpSocket::connected, [p, more, queued, &postsStarted] {
            ++postsStarted;
            *queued = 0;
            p->write("POST / HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Length: 104857600\r\n\r\n");
            more();
        });
        QObject::connect(p, &QTcpSocket::bytesWritten, [&postBytes, more](qint64 n) {
            postBytes += n;
            more();
        });
        QObject::connect(p, &QTcpSocket::disconnected, [p, i, port, &postsCut] {
            ++postsCut;
            QTimer::singleShot(10, p, [p, i, port] {
                p->bind(phoneAddress(4, i));
                p->connectToHost(QHostAddress::LocalHost, port);
            });
        });
        p->bind(phoneAddress(4, i));
        p->connectToHost(QHostAddress::LocalHost, port);
        posts.push_back(std::move(s));
    }
    std::vector<std::unique_ptr<QTcpSocket>> flood;
    for (int i = 0; i < 5; ++i) {
        auto s = std::make_unique<QTcpSocket>();
        QTcpSocket *f = s.get();
        f->setReadBufferSize(1); // reads nothing the server sends
        QObject::connect(f, &QTcpSocket::connected, [f, &floodConnections] {
            ++floodConnections;
            f->write(upgradeRequest());
        });
        QObject::connect(f, &QTcpSocket::disconnected, [f, i, port] {
            QTimer::singleShot(10, f, [f, i, port] {
                f->bind(phoneAddress(5, i));
                f->connectToHost(QHostAddress::LocalHost, port);
            });
        });
        f->bind(phoneAddress(5, i));
        f->connectToHost(QHostAddress::LocalHost, port);
        flood.push_back(std::move(s));
    }
    const QByteArray pingBurst = maskedFrame(0x9, "ping").repeated(100);
    QTimer pinger;
    QObject::connect(&pinger, &QTimer::timeout, [&] {
        for (auto &f : flood) {
            if (f->state() == QAbstractSocket::ConnectedState && f->bytesToWrite() < 64 * 1024) {
                f->write(pingBurst);
                pings += 100;
            }
        }
    });
    pinger.start(1);
    waitMs(seconds * 1000);
    std::printf("hostile: idle sockets connected %d, closed by the server %d; POSTs of 100 MB begun %d, cut %d, "
                "%.1f MB of them sent; pings sent %lld over %d WebSocket connections\n",
                idleOpen, idleClosed, postsStarted, postsCut, double(postBytes) / 1048576.0, pings, floodConnections);
    std::fflush(stdout);
    return 0;
}

// The device that locks spectators out, in a process of its own: from 50
// addresses, four WebSockets each that ping and never read, and 1,000
// requests that are never finished, each back a moment after the server
// lets it go. Ends after `seconds` and prints what it got done.
int lockoutClients(quint16 port, int seconds)
{
    constexpr int kAddresses = 50;
    int hoarders = 0;
    int hoardersLetGo = 0;
    int halfSent = 0;
    int halfSentLetGo = 0;
    std::vector<std::unique_ptr<QTcpSocket>> sockets;
    auto keep = [&](QHostAddress from, int backMs, QByteArray hello, int &opened, int &letGo) {
        auto s = std::make_unique<QTcpSocket>();
        QTcpSocket *h = s.get();
        h->setReadBufferSize(1); // reads nothing the server sends
        QObject::connect(h, &QTcpSocket::connected, [h, hello, &opened] {
            ++opened;
            h->write(hello);
        });
        QObject::connect(h, &QTcpSocket::disconnected, [h, from, port, backMs, &letGo] {
            ++letGo;
            QTimer::singleShot(backMs, h, [h, from, port] {
                h->bind(from);
                h->connectToHost(QHostAddress::LocalHost, port);
            });
        });
        h->bind(from);
        h->connectToHost(QHostAddress::LocalHost, port);
        sockets.push_back(std::move(s));
    };
    for (int i = 0; i < 4 * kAddresses; ++i)
        keep(phoneAddress(6, i % kAddresses), 500, upgradeRequest(), hoarders, hoardersLetGo);
    for (int i = 0; i < 1000; ++i)
        keep(phoneAddress(7, i % kAddresses), 500, "GET / HTTP/1.1\r\nHost: 127.0.0.1\r\nX-Wart", halfSent, halfSentLetGo);
    // Pings as often as the server lets a client send, from every hoarder.
    const QByteArray ping = maskedFrame(0x9, "da");
    QTimer pinger;
    QObject::connect(&pinger, &QTimer::timeout, [&] {
        for (std::size_t i = 0; i < 4 * kAddresses; ++i) {
            QTcpSocket *h = sockets[i].get();
            if (h->state() == QAbstractSocket::ConnectedState && h->bytesToWrite() < 4096)
                h->write(ping);
        }
    });
    pinger.start(200);
    waitMs(seconds * 1000);
    std::printf("lockout: WebSockets opened by the hoarder %d, let go by the server %d; half-sent requests %d, "
                "let go %d\n",
                hoarders, hoardersLetGo, halfSent, halfSentLetGo);
    std::fflush(stdout);
    return 0;
}

struct WatchedResult
{
    CaseResult runs;
    int complete = 0;
    int refused = 0;
    std::vector<double> latency;
    std::vector<double> pollLatency;
    int pollReplies = 0;
    int pollFailures = 0;
    double peakMb = 0;
    QByteArray hostileReport;
    // The lockout's honest newcomers: connect to first message, entry to them.
    std::vector<double> newcomerLiveMs;
    std::vector<double> newcomerLatency;
    int newcomersLive = 0;     // live within 2 s
    int newcomersComplete = 0; // every entry after they were live, each within 1 s
};

enum class Load { Quiet, Hostile, Lockout };

// The runs with the server, its viewers and pollers, and, when hostile, a
// hostile device's load beside them.
WatchedResult watchedRuns(const SteadyTickSource &ticks, QtTimers &timers, int runs, Load load, const QString &self)
{
    const bool hostile = load != Load::Quiet;
    const int viewers = load == Load::Lockout ? kQuietBeforeLockout : kViewers;
    WatchedResult out;
    Seen seen;
    RaceResults raceResults;
    Race race(raceResults, ticks, timers);
    fillCompetition(race);
    LiveServer server(race, u"Vexilor"_s);
    server.start(0, QHostAddress::LocalHost);
    while (!server.isRunning())
        waitMs(10);
    resetPeak();
    QThread clientThread;
    auto *clients = new Clients(server.port(), seen, viewers, load == Load::Lockout ? 0 : kPollers);
    clients->moveToThread(&clientThread);
    clientThread.start();
    QMetaObject::invokeMethod(clients, [clients] { clients->open(); });
    waitMs(3000); // every viewer connected and served the state
    QProcess attacker;
    if (hostile) {
        const int seconds = int(runs * 0.6) + 6;
        const QStringList args{load == Load::Lockout ? u"--lockout"_s : u"--hostile"_s, QString::number(server.port()),
                               QString::number(seconds)};
        // The lockout's device is another machine on the network: what it
        // spends of its own time is not the timing PC's.
        if (load == Load::Lockout && !QStandardPaths::findExecutable(u"nice"_s).isEmpty())
            attacker.start(u"nice"_s, QStringList{u"-n"_s, u"19"_s, self} + args);
        else
            attacker.start(self, args);
        attacker.waitForStarted();
        waitMs(load == Load::Lockout ? 3000 : 1000); // under attack before the first entry, every place taken
    }
    if (load == Load::Lockout)
        QMetaObject::invokeMethod(clients, [clients] { clients->openNewcomers(); });
    out.runs = timeRuns(race, ticks, runs);
    waitMs(1000); // the last entry reaches everybody
    if (hostile) {
        while (attacker.state() != QProcess::NotRunning)
            waitMs(100);
        out.hostileReport = attacker.readAllStandardOutput().trimmed();
    }
    out.peakMb = peakMb();
    QMetaObject::invokeMethod(clients, [clients] { clients->closeAll(); }, Qt::BlockingQueuedConnection);
    QMetaObject::invokeMethod(clients, [clients] { delete clients; }, Qt::BlockingQueuedConnection);
    clientThread.quit();
    clientThread.wait();

    // The entries' versions: the last `runs` versions the server published.
    qint64 last = 0;
    for (const auto &v : seen.viewers)
        if (!v.empty())
            last = std::max(last, v.rbegin()->first);
    const qint64 firstEntry = last - runs + 1;
    for (std::size_t n = 0; n < seen.viewers.size() && int(n) < viewers; ++n) {
        const auto &v = seen.viewers[n];
        bool all = true;
        for (int i = 0; i < runs; ++i) {
            const auto it = v.find(firstEntry + i);
            if (it == v.end()) {
                all = false;
                continue;
            }
            out.latency.push_back(it->second - out.runs.enteredAt[std::size_t(i)]);
        }
        out.complete += all ? 1 : 0;
    }
    for (int i = 0; i < runs; ++i) {
        const auto it = seen.pollers.find(firstEntry + i);
        if (it != seen.pollers.end())
            out.pollLatency.push_back(it->second - out.runs.enteredAt[std::size_t(i)]);
    }
    for (std::size_t n = 0; load == Load::Lockout && n < std::size_t(kNewcomers); ++n) {
        const double live = seen.newcomerLive[n];
        if (live == 0)
            continue;
        out.newcomerLiveMs.push_back(live - seen.newcomerOpened[n]);
        out.newcomersLive += live - seen.newcomerOpened[n] <= 2000 ? 1 : 0;
        bool all = true;
        for (int i = 0; i < runs; ++i) {
            if (out.runs.enteredAt[std::size_t(i)] < live)
                continue;
            const auto it = seen.newcomers[n].find(firstEntry + i);
            const double late = it == seen.newcomers[n].end() ? 1e9 : it->second - out.runs.enteredAt[std::size_t(i)];
            if (late < 1e9)
                out.newcomerLatency.push_back(late);
            all = all && late <= 1000;
        }
        out.newcomersComplete += all ? 1 : 0;
    }
    out.refused = seen.refused;
    out.pollReplies = seen.pollReplies;
    out.pollFailures = seen.pollFailures;
    return out;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    g_clock.start();
    if (argc == 4 && QByteArrayView(argv[1]) == "--hostile")
        return hostileClients(quint16(QByteArray(argv[2]).toUInt()), QByteArray(argv[3]).toInt());
    if (argc == 4 && QByteArrayView(argv[1]) == "--lockout")
        return lockoutClients(quint16(QByteArray(argv[2]).toUInt()), QByteArray(argv[3]).toInt());
    const int runs = qEnvironmentVariableIsSet("VEX_LIVE_RUNS") ? qEnvironmentVariableIntValue("VEX_LIVE_RUNS") : 30;
    SteadyTickSource ticks;
    QtTimers timers;

    // 1: no server.
    CaseResult bare;
    {
        RaceResults raceResults;
        Race race(raceResults, ticks, timers);
        fillCompetition(race);
        bare = timeRuns(race, ticks, runs);
    }
    // 2: the server on, nobody watching.
    CaseResult idle;
    {
        RaceResults raceResults;
        Race race(raceResults, ticks, timers);
        fillCompetition(race);
        LiveServer server(race, u"Vexilor"_s);
        server.start(0, QHostAddress::LocalHost);
        while (!server.isRunning())
            waitMs(10);
        idle = timeRuns(race, ticks, runs);
    }
    // 3: the server with its viewers and pollers; 4: the same beside a
    // hostile device.
    const QString self = QCoreApplication::applicationFilePath();
    const bool lockoutOnly = qEnvironmentVariableIsSet("VEX_LIVE_LOCKOUT_ONLY"); // the other cases a single run each
    const WatchedResult quiet = watchedRuns(ticks, timers, lockoutOnly ? 1 : runs, Load::Quiet, self);
    const WatchedResult hostile = watchedRuns(ticks, timers, lockoutOnly ? 1 : runs, Load::Hostile, self);
    const WatchedResult lockout = watchedRuns(ticks, timers, runs, Load::Lockout, self);

    std::printf("live page, %d classes x %d drivers, %d runs per case (loopback)\n", kClasses, kDriversPerClass, runs);
    std::printf("  entry command, median: no server %.3f ms | server, no clients %.3f ms | %d viewers + %d pollers "
                "%.3f ms | the same under attack %.3f ms\n",
                median(bare.enterMs), median(idle.enterMs), kViewers, kPollers, median(quiet.runs.enterMs),
                median(hostile.runs.enterMs));
    std::printf("  race thread CPU per run (start, 400 ms clock, stop, entry, next): %.2f ms | %.2f ms | %.2f ms "
                "(%.2fx the bare run) | %.2f ms under attack\n",
                bare.guiCpuMsPerRun, idle.guiCpuMsPerRun, quiet.runs.guiCpuMsPerRun,
                bare.guiCpuMsPerRun > 0 ? quiet.runs.guiCpuMsPerRun / bare.guiCpuMsPerRun : 0.0,
                hostile.runs.guiCpuMsPerRun);
    for (const WatchedResult *r : {&quiet, &hostile}) {
        std::printf("  %s:\n", r == &quiet ? "quiet" : "under attack");
        std::printf("    viewers with every entry: %d of %d (refused or dropped: %d)\n", r->complete, kViewers,
                    r->refused);
        std::printf("    entry -> WebSocket viewer: median %.1f ms, p95 %.1f ms, max %.1f ms (%zu deliveries)\n",
                    median(r->latency), percentile(r->latency, 0.95), percentile(r->latency, 1.0), r->latency.size());
        std::printf("    entry -> first poller: median %.1f ms, max %.1f ms; %d replies, %d failures\n",
                    median(r->pollLatency), percentile(r->pollLatency, 1.0), r->pollReplies, r->pollFailures);
        std::printf("    peak memory of the program with its viewers: %.1f MB\n", r->peakMb);
        if (!r->hostileReport.isEmpty())
            std::printf("    %s\n", r->hostileReport.constData());
    }
    const double extra = hostile.peakMb - quiet.peakMb;
    std::printf("  memory under attack: %+.1f MB against the quiet run (limit +50 MB)\n", extra);

    std::printf("  lockout (%d quiet viewers, then hoarders from 50 addresses and 1,000 half-sent requests):\n",
                kQuietBeforeLockout);
    std::printf("    quiet viewers with every entry: %d of %d (dropped: %d)\n", lockout.complete, kQuietBeforeLockout,
                lockout.refused);
    std::printf("    new viewers live within 2 s: %d of %d (connect to first message: median %.0f ms, max %.0f ms)\n",
                lockout.newcomersLive, kNewcomers, median(lockout.newcomerLiveMs),
                percentile(lockout.newcomerLiveMs, 1.0));
    std::printf("    new viewers with every later entry within 1 s: %d of %d (entry to them: median %.1f ms, max %.1f ms)\n",
                lockout.newcomersComplete, kNewcomers, median(lockout.newcomerLatency),
                percentile(lockout.newcomerLatency, 1.0));
    std::printf("    %s\n", lockout.hostileReport.constData());
    const double lockoutExtra = lockout.peakMb - quiet.peakMb;
    std::printf("    peak memory %.1f MB: %+.1f MB against the quiet run (limit +50 MB)\n", lockout.peakMb, lockoutExtra);
    const double p99Quiet = percentile(quiet.runs.handoverMs, 0.99);
    const double p99Lockout = percentile(lockout.runs.handoverMs, 0.99);
    std::printf("  barrier hand-over to the race's thread, p99: no server %.2f ms | quiet %.2f ms | under attack %.2f ms | "
                "lockout %.2f ms (%.2fx the quiet run; limit 1.10x)\n",
                percentile(bare.handoverMs, 0.99), p99Quiet, percentile(hostile.runs.handoverMs, 0.99), p99Lockout,
                p99Quiet > 0 ? p99Lockout / p99Quiet : 0.0);
    const bool lockoutHeld = lockout.complete == kQuietBeforeLockout && lockout.newcomersLive == kNewcomers
                             && lockout.newcomersComplete == kNewcomers && lockoutExtra < 50;
    return quiet.complete == kViewers && hostile.complete == kViewers && extra < 50 && lockoutHeld ? 0 : 1;
}
