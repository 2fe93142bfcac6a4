#include "serial/bytestream.h"

#include "serial/bytedevice.h"
#include "serial/comerrors.h"
#include "timing/timers.h"

#include <QThread>

using namespace Qt::StringLiterals;

namespace vex {

ByteStream::ByteStream(ByteDevice &device, const ContactClock &clock, Timers &timers, QString what, bool reads,
                       QObject *parent)
    : QObject(parent)
    , m_device(device)
    , m_clock(clock)
    , m_what(std::move(what))
    , m_reads(reads)
{
    m_retry = timers.make(u"Timer"_s + m_what, true, [this] { lookAgain(); });
}

ByteStream::~ByteStream()
{
    blockSignals(true);
    close();
}

bool ByteStream::open(const QString &port, int baudRate)
{
    close();
    m_port = port.trimmed();
    m_baudRate = baudRate;
    if (m_port.isEmpty())
        return false;
    if (openNow())
        return true;
    // Not plugged in yet, or busy: it may come.
    setState(State::Refused);
    m_retry->start(1000);
    return false;
}

bool ByteStream::openNow()
{
    if (m_device.open(m_port, m_baudRate))
        return false;
    ++m_session;
    {
        std::lock_guard lock(m_mutex);
        m_stop = false;
        m_pending.reset();
    }
    startThreads();
    setState(State::Open);
    return true;
}

void ByteStream::close()
{
    m_retry->stop();
    stopThreads();
    m_device.close();
    ++m_session; // what the threads handed over is stale now
    setState(State::Off);
}

void ByteStream::startThreads()
{
    const quint64 session = m_session;
    if (m_reads)
        m_reader.reset(QThread::create([this, session] { readLoop(session); }));
    m_writer.reset(QThread::create([this, session] { writeLoop(session); }));
    for (QThread *thread : {m_reader.get(), m_writer.get()}) {
        if (thread) {
            thread->setObjectName(m_what);
            thread->start();
        }
    }
}

void ByteStream::stopThreads()
{
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_lineWaiting.notify_all();
    // A wake that falls just before a thread enters its wait is spent; it is
    // sent again until the thread has left.
    for (QThread *thread : {m_reader.get(), m_writer.get()}) {
        while (thread && !thread->wait(QDeadlineTimer(20))) {
            m_device.interruptRead();
            m_device.interruptWrite();
        }
    }
    m_reader.reset();
    m_writer.reset();
}

void ByteStream::readLoop(quint64 session)
{
    for (;;) {
        {
            std::lock_guard lock(m_mutex);
            if (m_stop)
                return;
        }
        QByteArray bytes;
        ContactStamp stamp;
        int code = 0;
        switch (m_device.read(m_clock, bytes, stamp, code)) {
        case ByteDevice::Outcome::Interrupted:
            continue;
        case ByteDevice::Outcome::Failed:
            QMetaObject::invokeMethod(this, [this, session, code] { failed(session, code); }, Qt::QueuedConnection);
            return;
        case ByteDevice::Outcome::Done:
            QMetaObject::invokeMethod(
                this,
                [this, session, bytes, stamp] {
                    if (session == m_session && m_state == State::Open)
                        Q_EMIT received(bytes, stamp);
                },
                Qt::QueuedConnection);
            break;
        }
    }
}

void ByteStream::writeLoop(quint64 session)
{
    for (;;) {
        QByteArray line;
        {
            std::unique_lock lock(m_mutex);
            m_lineWaiting.wait(lock, [this] { return m_stop || m_pending.has_value(); });
            if (m_stop)
                return;
            line = *std::exchange(m_pending, std::nullopt);
        }
        int code = 0;
        const ByteDevice::Outcome outcome = m_device.write(line, code);
        if (outcome == ByteDevice::Outcome::Failed) {
            QMetaObject::invokeMethod(this, [this, session, code] { failed(session, code); }, Qt::QueuedConnection);
            return;
        }
        if (outcome == ByteDevice::Outcome::Done) {
            std::lock_guard lock(m_mutex);
            ++m_written;
        }
    }
}

void ByteStream::send(const QByteArray &line)
{
    if (m_state != State::Open)
        return;
    {
        std::lock_guard lock(m_mutex);
        if (m_pending)
            ++m_dropped;
        m_pending = line;
    }
    m_lineWaiting.notify_one();
}

quint64 ByteStream::written() const
{
    std::lock_guard lock(m_mutex);
    return m_written;
}

quint64 ByteStream::dropped() const
{
    std::lock_guard lock(m_mutex);
    return m_dropped;
}

void ByteStream::failed(quint64 session, int code)
{
    if (session != m_session || m_state != State::Open)
        return;
    stopThreads();
    m_device.close();
    ++m_session;
    setState(State::Lost);
    Q_EMIT message(u"%1: Verbindung zu %2 verloren (%3)"_s.arg(m_what, m_port, systemErrorText(code)));
    // A USB adapter pulled by accident is usually plugged in again soon.
    m_retry->start(1000);
}

void ByteStream::lookAgain()
{
    if (!m_device.present(m_port))
        return;
    const State before = m_state;
    if (!openNow())
        return;
    m_retry->stop();
    if (before == State::Lost)
        Q_EMIT message(u"%1: Verbindung zu %2 wiederhergestellt"_s.arg(m_what, m_port));
}

void ByteStream::setState(State state)
{
    if (m_state == state)
        return;
    m_state = state;
    Q_EMIT stateChanged();
}

QString ByteStream::stateText() const
{
    switch (m_state) {
    case State::Off:
        return u"%1: aus"_s.arg(m_what);
    case State::Open:
        return u"%1: %2 offen"_s.arg(m_what, m_port);
    case State::Refused:
        return u"%1: %2 nicht da"_s.arg(m_what, m_port);
    case State::Lost:
        return u"%1: %2 getrennt"_s.arg(m_what, m_port);
    }
    return {};
}

} // namespace vex

namespace vex {

QString ByteStream::shortStateText() const
{
    switch (m_state) {
    case State::Off:
        return u"%1 aus"_s.arg(m_what);
    case State::Open:
        return u"%1 bereit"_s.arg(m_what);
    case State::Refused:
        return u"%1 fehlt"_s.arg(m_what);
    case State::Lost:
        return u"%1 getrennt"_s.arg(m_what);
    }
    return {};
}

} // namespace vex
