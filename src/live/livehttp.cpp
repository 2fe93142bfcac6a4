#include "live/livehttp.h"

#include "live/livedocuments.h"
#include "live/liveplaces.h"
#include "timing/tickclock.h"

// The only file that sees the library: it is slow to compile.
#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/ip/v6_only.hpp>
#include <boost/asio/post.hpp>
#include <boost/asio/steady_timer.hpp>
#include <boost/beast/core/flat_buffer.hpp>
#include <boost/beast/http.hpp>
#include <boost/beast/websocket.hpp>

#include <atomic>
#include <cerrno>
#include <deque>
#include <future>
#include <optional>
#include <thread>
#include <vector>

using namespace Qt::StringLiterals;

namespace vex {

namespace {

namespace asio = boost::asio;
namespace beast = boost::beast;
namespace http = beast::http;
namespace websocket = beast::websocket;
using tcp = asio::ip::tcp;
using boost::system::error_code;

// A request line, or all of a request's header lines, may be this long.
constexpr std::uint32_t kMaxHeadBytes = 8192;
// The application's own close code: too many viewers, as 429 is for HTTP.
constexpr std::uint16_t kTooManyViewers = 4029;
// A new viewer's first ping, after this.
constexpr int kFirstPingMs = 1000;

using Response = http::response<http::string_body>;
using Header = std::pair<http::field, std::string>;

std::shared_ptr<Response> makeResponse(unsigned status, const QByteArray &type, const QByteArray &body, bool head,
                                       bool close, const std::vector<Header> &extra = {})
{
    auto r = std::make_shared<Response>();
    r->version(11);
    r->result(status);
    if (!type.isEmpty())
        r->set(http::field::content_type, std::string_view(type.constData(), std::size_t(type.size())));
    for (const Header &h : extra)
        r->set(h.first, h.second);
    r->body().assign(body.constData(), std::size_t(body.size()));
    r->prepare_payload();
    // HEAD learns the length of what GET would send, and nothing of it.
    if (head)
        r->body().clear();
    r->keep_alive(!close);
    return r;
}

std::shared_ptr<Response> textResponse(unsigned status, const QString &text, bool head, bool close,
                                       const std::vector<Header> &extra = {})
{
    return makeResponse(status, "text/plain; charset=utf-8", (text + u'\n').toUtf8(), head, close, extra);
}

// The client's address, IPv4 in its own form when it came over IPv6.
QString addressText(const tcp::socket &socket)
{
    error_code ec;
    asio::ip::address a = socket.remote_endpoint(ec).address();
    if (ec)
        return {};
    if (a.is_v6() && a.to_v6().is_v4_mapped())
        a = asio::ip::make_address_v4(asio::ip::v4_mapped, a.to_v6());
    return QString::fromStdString(a.to_string());
}

bool outOfResources(const error_code &ec)
{
    return ec == asio::error::no_descriptors || ec == asio::error::no_buffer_space || ec == asio::error::no_memory
           || ec == error_code(ENFILE, boost::system::system_category());
}

class Connection;

} // namespace

struct LiveHttp::Impl
{
    Impl(const LiveLimits &l, const TickSource &t)
        : limits(l)
        , ticks(t)
    {
    }

    void acceptNext();
    void take(tcp::socket socket);
    // The connection among these that gives way to a newcomer goes.
    void giveUpAPlace(const std::vector<Connection *> &holders);
    std::vector<Connection *> open(bool viewersOnly) const;
    void forget(Connection *c);
    void sweep();
    void scheduleSweep();
    void push(const QByteArray &message);
    struct Reply
    {
        unsigned status;
        QByteArray type;
        QByteArray body;
    };
    Reply route(std::string_view target);

    quint32 now() const { return ticks.now(); }

    // Declared first, so it goes last: whatever waits on it still holds its
    // connections when they are let go.
    asio::io_context ioc{1};
    LiveLimits limits;
    const TickSource &ticks;
    tcp::acceptor acceptor{ioc};
    asio::steady_timer sweeper{ioc};
    asio::steady_timer acceptPause{ioc};
    std::optional<asio::executor_work_guard<asio::io_context::executor_type>> work;
    std::thread thread;
    std::vector<std::shared_ptr<Connection>> connections; // in order of arrival
    quint64 arrivals = 0;
    LiveDocuments docs;
    QByteArray season;
    SuspectAddresses suspects;
    std::atomic<int> viewers{0};
    std::atomic<int> count{0};
    std::atomic<int> acceptFailures{0};
};

namespace {

// One client's connection: HTTP/1.1 requests one at a time, then perhaps a
// WebSocket. The next request is read only once the last answer is out, so
// a client that floods or never reads costs a bounded amount of memory; the
// sweep closes it when it keeps the server waiting too long.
class Connection : public std::enable_shared_from_this<Connection>
{
public:
    enum class State { Http, Upgrading, WebSocket, Closing };

    Connection(LiveHttp::Impl &server, tcp::socket socket, quint64 arrival)
        : m_server(server)
        , m_socket(std::move(socket))
        , m_address(addressText(m_socket))
        , m_arrival(arrival)
    {
        m_waitingSince = m_server.now();
    }

    State state() const { return m_state; }
    const QString &address() const { return m_address; }

    PlaceHolder holder() const
    {
        return PlaceHolder{m_served > 0, m_sendsOther, m_writing || !m_outbox.empty(), m_answeredPing, m_arrival};
    }

    void start() { readRequest(); }

    // Turns the client away with this response, reading nothing of it.
    void refuse(std::shared_ptr<Response> response) { respond(std::move(response), true); }

    // A message to a viewer; one that has left too much unread is let go.
    void send(const QByteArray &message)
    {
        if (m_state != State::WebSocket)
            return;
        // Too slow: cut at once, not closed politely behind what it doesn't
        // read; its page asks again by itself.
        if (m_queuedBytes > m_server.limits.maxBacklog) {
            cut();
            return;
        }
        m_outbox.push_back(message);
        m_queuedBytes += message.size();
        writeNext();
    }

    // Gives way to a newcomer: a quiet viewer is told why, the others cut.
    void giveWay()
    {
        const PlaceHolder h = holder();
        if (m_state == State::WebSocket && !h.sendsOther && !h.updateUnwritten)
            closeViewer(kTooManyViewers, "Zu viele Zuschauer verbunden");
        else
            cut();
    }

    void sweep()
    {
        const LiveLimits &limits = m_server.limits;
        switch (m_state) {
        case State::Http:
        case State::Upgrading:
            if (m_writing ? since(m_writeStarted) > limits.stalledWriteMs
                          : since(m_waitingSince) > (m_served > 0 ? limits.requestMs
                                                                  : firstRequestMs(limits, m_server.count.load()))) {
                if (!m_writing && m_served == 0)
                    m_server.suspects.mark(m_address, m_server.now());
                cut();
            }
            break;
        case State::WebSocket:
            if (since(m_lastPong) > limits.pongMs) {
                cut();
            } else if (since(m_lastPing) >= limits.pingEveryMs && !m_pinging) {
                m_lastPing = m_server.now();
                m_pinging = true;
                m_ws->async_ping({}, [self = shared_from_this()](error_code ec) {
                    self->m_pinging = false;
                    if (ec)
                        self->cut();
                });
            }
            break;
        case State::Closing:
            if (since(m_closingSince) > limits.closingMs)
                cut();
            break;
        }
    }

    // Closed at once, whatever waits to be written; the place is free now.
    void cut()
    {
        error_code ignored;
        lowest().close(ignored);
        setState(State::Closing);
        m_server.forget(this);
    }

private:
    tcp::socket &lowest() { return m_ws ? m_ws->next_layer() : m_socket; }

    qint32 since(quint32 tick) const { return elapsedMs(tick, m_server.now()); }

    void setState(State s)
    {
        if (m_state == s)
            return;
        if (m_state == State::WebSocket)
            --m_server.viewers;
        if (s == State::WebSocket)
            ++m_server.viewers;
        m_state = s;
        if (s == State::Closing)
            m_closingSince = m_server.now();
    }

    void readRequest()
    {
        m_parser.emplace();
        m_parser->header_limit(kMaxHeadBytes);
        m_waitingSince = m_server.now();
        http::async_read_header(m_socket, m_buffer, *m_parser,
                                [self = shared_from_this()](error_code ec, std::size_t) { self->onRequest(ec); });
    }

    void onRequest(error_code ec)
    {
        if (m_state != State::Http)
            return;
        if (ec == http::error::header_limit) {
            // Whatever came ends a line, or the request line itself is too long.
            const std::string_view head(static_cast<const char *>(m_buffer.data().data()), m_buffer.size());
            respond(makeResponse(head.find("\r\n") == std::string_view::npos ? 414 : 431, {}, {}, false, true), true);
            return;
        }
        // A body announced beyond any limit: nothing here takes one anyway.
        if (ec == http::error::body_limit) {
            respond(makeResponse(413, {}, {}, false, true), true);
            return;
        }
        if (ec == http::error::bad_version) {
            respond(makeResponse(505, {}, {}, false, true), true);
            return;
        }
        if (ec == http::error::end_of_stream || ec == http::error::partial_message
            || (ec && ec.category() != http::make_error_code(http::error::end_of_stream).category())) {
            cut();
            return;
        }
        if (ec) {
            respond(makeResponse(400, {}, {}, false, true), true);
            return;
        }
        ++m_served;
        serve(m_parser->get());
    }

    void serve(const http::request<http::empty_body> &req)
    {
        const bool head = req.method() == http::verb::head;
        if (req.version() != 10 && req.version() != 11) {
            respond(makeResponse(505, {}, {}, false, true), true);
            return;
        }
        // Nothing here takes a body; whatever one holds is never read.
        if (m_parser->chunked() || req.count(http::field::transfer_encoding) > 0
            || m_parser->content_length().value_or(0) != 0) {
            respond(makeResponse(413, {}, {}, head, true), true);
            return;
        }
        const bool keepAlive = req.keep_alive();
        if (req.method() != http::verb::get && !head) {
            respond(makeResponse(405, {}, {}, false, !keepAlive, {{http::field::allow, "GET, HEAD"}}), !keepAlive);
            return;
        }
        const std::string_view target = req.target();
        const std::string_view path = target.substr(0, target.find('?'));
        // An upgrade is taken only where the page asks for one; anywhere else
        // the document is answered as to any request.
        if (path == "/live") {
            if (!websocket::is_upgrade(req)) {
                respond(textResponse(400, u"Hier gibt es nur die WebSocket-Verbindung der Live-Seite."_s, head, true),
                        true);
            } else if (req[http::field::sec_websocket_version] != "13") {
                respond(textResponse(426, u"WebSocket-Version 13 wird erwartet."_s, head, true,
                                     {{http::field::sec_websocket_version, "13"}}),
                        true);
            } else if (const auto origin = req[http::field::origin], host = req[http::field::host];
                       !originAllowed(QByteArrayView(origin.data(), qsizetype(origin.size())),
                                      QByteArrayView(host.data(), qsizetype(host.size())))) {
                // Another web site's page in a spectator's browser.
                respond(textResponse(403, u"Die Live-Verbindung gehört zur Live-Seite dieses Rechners."_s, head, true),
                        true);
            } else {
                upgrade(req);
            }
            return;
        }
        const LiveHttp::Impl::Reply reply = m_server.route(path);
        // A refused request ends its connection (a client that sends such is
        // no page of ours); one for a missing page doesn't.
        const bool close = !keepAlive || (reply.status >= 400 && reply.status != 404);
        respond(makeResponse(reply.status, reply.type, reply.body, head, close), close);
    }

    void respond(std::shared_ptr<Response> response, bool close)
    {
        m_writing = true;
        m_writeStarted = m_server.now();
        http::async_write(m_socket, *response,
                          [self = shared_from_this(), response, close](error_code ec, std::size_t) {
                              self->m_writing = false;
                              if (self->m_state != State::Http)
                                  return;
                              if (ec)
                                  self->cut();
                              else if (close)
                                  self->startClosing();
                              else
                                  self->readRequest();
                          });
    }

    // The answer is out; what the client still sends is read away for a
    // moment, so the close reaches it as one and not as a reset.
    void startClosing()
    {
        setState(State::Closing);
        error_code ignored;
        m_socket.shutdown(tcp::socket::shutdown_send, ignored);
        drain();
    }

    void drain()
    {
        m_buffer.clear();
        m_socket.async_read_some(m_buffer.prepare(4096), [self = shared_from_this()](error_code ec, std::size_t) {
            if (ec)
                self->cut();
            else
                self->drain();
        });
    }

    void upgrade(const http::request<http::empty_body> &req)
    {
        if (m_server.viewers.load() >= m_server.limits.maxViewers) {
            if (m_server.suspects.isSuspect(m_address, m_server.now())) {
                respond(textResponse(503, u"Zu viele Zuschauer verbunden. Bitte in einigen Sekunden erneut versuchen."_s,
                                     false, true, {{http::field::retry_after, "5"}}),
                        true);
                return;
            }
            m_server.giveUpAPlace(m_server.open(true));
        }
        setState(State::Upgrading);
        m_ws.emplace(std::move(m_socket));
        m_ws->read_message_max(std::size_t(m_server.limits.maxMessage));
        m_ws->auto_fragment(false);
        m_ws->set_option(websocket::stream_base::decorator(
            [](websocket::response_type &res) { res.set(http::field::server, "Vexilor"); }));
        m_ws->control_callback([this](websocket::frame_type kind, beast::string_view) { onControl(kind); });
        m_ws->async_accept(req, [self = shared_from_this()](error_code ec) { self->onUpgraded(ec); });
    }

    void onUpgraded(error_code ec)
    {
        if (m_state != State::Upgrading)
            return;
        if (ec) {
            cut();
            return;
        }
        setState(State::WebSocket);
        m_lastPong = m_frameWindow = m_server.now();
        // The first ping comes soon: a page that answers it has shown it is
        // one, before anyone needs its place.
        m_lastPing = m_lastPong - quint32(std::max(0, m_server.limits.pingEveryMs - kFirstPingMs));
        send(m_server.docs.document());
        readMessage();
    }

    void readMessage()
    {
        m_ws->async_read(m_message, [self = shared_from_this()](error_code ec, std::size_t) {
            if (self->m_state == State::Closing && !ec)
                return; // a close of ours is under way; it ends the connection
            if (ec) {
                self->cut();
                return;
            }
            // Our page sends no message at all.
            self->m_sendsOther = true;
            self->m_message.clear();
            if (self->countFrame())
                self->readMessage();
        });
    }

    void onControl(websocket::frame_type kind)
    {
        if (kind == websocket::frame_type::pong) {
            m_lastPong = m_server.now();
            m_answeredPing = true;
        }
        if (kind == websocket::frame_type::ping)
            m_sendsOther = true;
        if (kind != websocket::frame_type::close)
            countFrame();
    }

    // The page sends a pong now and then: more than a few frames a second
    // come from something else. False once over the limit.
    bool countFrame()
    {
        if (since(m_frameWindow) >= 1000) {
            m_frameWindow = m_server.now();
            m_framesInWindow = 0;
        }
        if (++m_framesInWindow <= m_server.limits.maxFramesPerSecond)
            return true;
        // Not from within the library's read: the close is sent after it.
        asio::post(m_server.ioc, [self = shared_from_this()] { self->closeViewer(1008, {}); });
        return false;
    }

    void closeViewer(std::uint16_t code, const char *reason)
    {
        if (m_state != State::WebSocket)
            return;
        setState(State::Closing);
        m_ws->async_close(websocket::close_reason(websocket::close_code(code), reason ? reason : ""),
                          [self = shared_from_this()](error_code) { self->cut(); });
    }

    void writeNext()
    {
        if (m_writing || m_outbox.empty() || m_state != State::WebSocket)
            return;
        m_writing = true;
        const QByteArray &next = m_outbox.front();
        m_queuedBytes -= next.size();
        m_ws->text(true);
        m_ws->async_write(asio::buffer(next.constData(), std::size_t(next.size())),
                          [self = shared_from_this()](error_code ec, std::size_t) {
                              self->m_writing = false;
                              self->m_outbox.pop_front();
                              if (ec)
                                  self->cut();
                              else
                                  self->writeNext();
                          });
    }

    LiveHttp::Impl &m_server;
    tcp::socket m_socket;
    std::optional<websocket::stream<tcp::socket>> m_ws;
    QString m_address;
    quint64 m_arrival;
    State m_state = State::Http;
    beast::flat_buffer m_buffer;
    std::optional<http::request_parser<http::empty_body>> m_parser;
    beast::flat_buffer m_message;
    std::deque<QByteArray> m_outbox; // its front is being written while m_writing
    qint64 m_queuedBytes = 0;        // waiting behind the one being written
    int m_served = 0;
    bool m_writing = false;
    bool m_pinging = false;
    bool m_sendsOther = false;
    bool m_answeredPing = false;
    quint32 m_waitingSince = 0;
    quint32 m_writeStarted = 0;
    quint32 m_closingSince = 0;
    quint32 m_lastPong = 0;
    quint32 m_lastPing = 0;
    quint32 m_frameWindow = 0;
    int m_framesInWindow = 0;
};

} // namespace

void LiveHttp::Impl::acceptNext()
{
    acceptor.async_accept([this](error_code ec, tcp::socket socket) {
        if (ec == asio::error::operation_aborted)
            return;
        if (!ec) {
            take(std::move(socket));
            acceptNext();
            return;
        }
        // Out of descriptors or memory the call fails at once, as often as it
        // is made: a moment's pause, and a place given up for the one waiting.
        ++acceptFailures;
        if (outOfResources(ec))
            giveUpAPlace(open(false));
        acceptPause.expires_after(std::chrono::milliseconds(limits.acceptPauseMs));
        acceptPause.async_wait([this](error_code waited) {
            if (!waited)
                acceptNext();
        });
    });
}

std::vector<Connection *> LiveHttp::Impl::open(bool viewersOnly) const
{
    std::vector<Connection *> out;
    for (const auto &c : connections) {
        const auto s = c->state();
        if (viewersOnly ? s == Connection::State::WebSocket : s != Connection::State::Closing)
            out.push_back(c.get());
    }
    return out;
}

void LiveHttp::Impl::giveUpAPlace(const std::vector<Connection *> &holders)
{
    std::vector<PlaceHolder> seen;
    seen.reserve(holders.size());
    for (const Connection *c : holders)
        seen.push_back(c->holder());
    const int i = placeToGiveUp(seen);
    if (i < 0)
        return;
    if (gaveWayForCause(seen[std::size_t(i)]))
        suspects.mark(holders[std::size_t(i)]->address(), now());
    holders[std::size_t(i)]->giveWay();
}

void LiveHttp::Impl::take(tcp::socket socket)
{
    auto c = std::make_shared<Connection>(*this, std::move(socket), ++arrivals);
    // Connections being closed don't count: they go within a moment.
    const std::vector<Connection *> holders = open(false);
    const auto fromThere = std::count_if(holders.begin(), holders.end(),
                                         [&](const Connection *o) { return o->address() == c->address(); });
    connections.push_back(c);
    count = int(connections.size());
    if (fromThere >= limits.maxPerAddress) {
        c->refuse(textResponse(503, u"Zu viele Verbindungen von diesem Gerät. Bitte andere Seiten der Live-Seite schließen."_s,
                               false, true, {{http::field::retry_after, "5"}}));
        return;
    }
    if (int(holders.size()) >= limits.maxConnections) {
        // The same device back again: closed at once, at no one's cost.
        if (suspects.isSuspect(c->address(), now())) {
            c->cut();
            return;
        }
        giveUpAPlace(holders);
    }
    c->start();
}

void LiveHttp::Impl::forget(Connection *c)
{
    const auto at = std::find_if(connections.begin(), connections.end(), [c](const auto &o) { return o.get() == c; });
    if (at != connections.end())
        connections.erase(at);
    count = int(connections.size());
}

void LiveHttp::Impl::sweep()
{
    suspects.forgetOld(now());
    // A connection cut while this runs leaves the list, but lives on here.
    const auto all = connections;
    for (const auto &c : all)
        c->sweep();
}

void LiveHttp::Impl::scheduleSweep()
{
    if (limits.sweepMs <= 0)
        return;
    sweeper.expires_after(std::chrono::milliseconds(limits.sweepMs));
    sweeper.async_wait([this](error_code ec) {
        if (ec)
            return;
        sweep();
        scheduleSweep();
    });
}

void LiveHttp::Impl::push(const QByteArray &message)
{
    const auto all = connections;
    for (const auto &c : all)
        c->send(message);
}

LiveHttp::Impl::Reply LiveHttp::Impl::route(std::string_view path)
{
    if (path == "/")
        return {200, "text/html; charset=utf-8", docs.page()};
    if (path == "/results.json")
        return {200, "application/json; charset=utf-8", docs.document()};
    // The protocol's own bytes: Windows-1252, as the file is written.
    if (path == "/protocol.txt")
        return {200, "text/plain; charset=windows-1252", docs.protocolText()};
    if (path == "/protocol.html")
        return {200, "text/html; charset=windows-1252", docs.protocolHtml()};
    // The season's standings while a season is open in the program.
    if (path == "/season.html" && !season.isEmpty())
        return {200, "text/html; charset=utf-8", season};
    return {404, "text/plain; charset=utf-8", u"Diese Seite gibt es hier nicht.\n"_s.toUtf8()};
}

QString listenFailureText(quint16 port, ListenFailure failure, const QString &detail)
{
    const QString head = u"Die Live-Seite kann nicht starten: "_s;
    switch (failure) {
    case ListenFailure::InUse:
        return head + u"Port %1 ist schon belegt. Bitte einen anderen Port wählen."_s.arg(port);
    case ListenFailure::Denied:
        return head + u"Port %1 darf nicht geöffnet werden. Bitte einen Port ab 1024 wählen."_s.arg(port);
    case ListenFailure::Other:
        break;
    }
    return head + u"Port %1 lässt sich nicht öffnen (%2)."_s.arg(port).arg(detail);
}

LiveHttp::LiveHttp(const LiveLimits &limits, const TickSource &ticks)
    : d(std::make_unique<Impl>(limits, ticks))
{
}

LiveHttp::~LiveHttp()
{
    if (d->thread.joinable()) {
        d->ioc.stop();
        d->thread.join();
    }
    // Closed here, before the documents they may still hold go.
    const auto all = d->connections;
    for (const auto &c : all)
        c->cut();
}

std::variant<quint16, QString> LiveHttp::listen(const QHostAddress &address, quint16 port)
{
    tcp::endpoint at;
    bool dualStack = false;
    if (address == QHostAddress::Any) {
        at = tcp::endpoint(tcp::v6(), port);
        dualStack = true;
    } else if (address == QHostAddress::AnyIPv4) {
        at = tcp::endpoint(tcp::v4(), port);
    } else if (address == QHostAddress::AnyIPv6) {
        at = tcp::endpoint(tcp::v6(), port);
    } else {
        error_code ec;
        at = tcp::endpoint(asio::ip::make_address(address.toString().toStdString(), ec), port);
        if (ec)
            return listenFailureText(port, ListenFailure::Other, QString::fromStdString(ec.message()));
    }
    error_code ec;
    d->acceptor.open(at.protocol(), ec);
    if (ec && dualStack) {
        // A system without IPv6 listens on IPv4 alone.
        at = tcp::endpoint(tcp::v4(), port);
        dualStack = false;
        d->acceptor.open(at.protocol(), ec);
    }
    if (!ec && dualStack)
        d->acceptor.set_option(asio::ip::v6_only(false), ec);
#ifndef _WIN32
    // A port just left by the program is taken again at once; on Windows
    // this option would let another program take the port from under it.
    if (!ec)
        d->acceptor.set_option(tcp::acceptor::reuse_address(true), ec);
#endif
    if (!ec)
        d->acceptor.bind(at, ec);
    // Every viewer may come at once, after the program starts in the middle
    // of an event.
    if (!ec)
        d->acceptor.listen(d->limits.maxConnections, ec);
    if (ec) {
        const ListenFailure failure = ec == asio::error::address_in_use ? ListenFailure::InUse
                                      : ec == asio::error::access_denied ? ListenFailure::Denied
                                                                           : ListenFailure::Other;
        error_code ignored;
        d->acceptor.close(ignored);
        return listenFailureText(port, failure, QString::fromLocal8Bit(ec.message().c_str()));
    }
    const quint16 listening = d->acceptor.local_endpoint(ec).port();
    d->work.emplace(d->ioc.get_executor());
    d->acceptNext();
    d->scheduleSweep();
    d->thread = std::thread([impl = d.get()] { impl->ioc.run(); });
    return listening;
}

void LiveHttp::takeResults(LiveResultsPtr results)
{
    asio::post(d->ioc, [impl = d.get(), results = std::move(results)]() mutable {
        impl->docs.setResults(std::move(results));
        if (impl->viewers.load() > 0)
            impl->push(impl->docs.document());
    });
}

void LiveHttp::takeCourse(const LiveCourse &course)
{
    asio::post(d->ioc, [impl = d.get(), course] {
        impl->docs.setCourse(course);
        if (impl->viewers.load() > 0)
            impl->push(impl->docs.courseMessage());
    });
}

void LiveHttp::takeSeason(const QByteArray &page)
{
    asio::post(d->ioc, [impl = d.get(), page] {
        const bool wasOpen = !impl->season.isEmpty();
        impl->season = page;
        // The pages learn that the tab comes or goes, or that it holds news.
        if (wasOpen || !page.isEmpty())
            impl->push(page.isEmpty() ? QByteArrayLiteral("{\"season\":false}") : QByteArrayLiteral("{\"season\":true}"));
    });
}

void LiveHttp::sweepNow()
{
    std::promise<void> done;
    asio::post(d->ioc, [impl = d.get(), &done] {
        impl->sweep();
        done.set_value();
    });
    done.get_future().wait();
}

int LiveHttp::viewerCount() const
{
    return d->viewers.load();
}

int LiveHttp::connectionCount() const
{
    return d->count.load();
}

int LiveHttp::failedAccepts() const
{
    return d->acceptFailures.load();
}

} // namespace vex
