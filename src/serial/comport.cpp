#include "serial/comport.h"

#include "serial/comerrors.h"
#include "serial/comthread.h"

using namespace Qt::StringLiterals;

namespace vex {

namespace {

constexpr int kBaudRates[] = {110,   300,   600,   1200,  2400,   4800,   9600,  14400,
                              19200, 38400, 56000, 57600, 115200, 128000, 256000};

} // namespace

TComPort::TComPort(LineDevice &device, const ContactClock &clock, QObject *parent)
    : QObject(parent)
    , m_device(device)
    , m_clock(clock)
{
    setObjectName(u"ComPort"_s);
}

TComPort::~TComPort()
{
    // The notifications must not reach half-destroyed receivers.
    blockSignals(true);
    Close();
}

LineSettings TComPort::lineSettings() const
{
    LineSettings s;
    s.baudRate = m_baudRate == BaudRate::brUser ? m_baudRateUser : kBaudRates[int(m_baudRate)];
    s.dataBits = m_dataBits;
    static constexpr char parities[] = {'N', 'O', 'E', 'M', 'S'};
    s.parity = parities[int(m_parity)];
    s.stopBits = m_stopBits == StopBits::sbOneStopBit ? 1 : 2;
    s.xonXoff = m_flowControl == FlowControl::fcXonXoff;
    s.enableDtr = m_enableDtr;
    return s;
}

void TComPort::Open()
{
    Close();
    const LineOpenError error = m_device.open(m_port, lineSettings());
    if (error.stage == LineOpenError::Stage::Open)
        throw EComHandle(error.code);
    if (error.stage == LineOpenError::Stage::Configure)
        throw EComState(error.code);

    ++m_session;
    m_thread = std::make_unique<TComThread>(*this, m_device, m_clock, m_events, m_session);
    m_thread->start();
    m_connected = true;
    Q_EMIT OnOpen(this);
}

void TComPort::Close()
{
    if (!m_connected || m_closing)
        return;
    m_closing = true;
    m_thread->requestStop();
    // Closed from inside a notification: the hand-over being served can't be
    // finished first, so the waiting thread is let go at once.
    if (m_serving)
        releaseHandOver();
    // The waiting thread may be blocked in the device's wait, which only a
    // line change or an interruption ends, or in a hand-over, which only this
    // thread can serve. Both are seen to until it has left.
    for (;;) {
        serveHandOver();
        m_device.interruptWait();
        if (m_thread->wait(QDeadlineTimer(2)))
            break;
    }
    m_thread.reset();
    m_device.close();
    m_connected = false;
    m_closing = false;
    Q_EMIT OnClose(this);
}

quint32 TComPort::ReadModemStatus()
{
    return m_device.isOpen() ? m_device.modemStatus() : 0;
}

quint32 TComPort::ProbePorts()
{
    quint32 list = 0;
    for (quint32 n = 1; n <= 16; ++n) {
        if (m_device.portPresent(int(n)))
            list = (1u << (n - 1)) | (list & 0xFFFFu) | (n << 16);
    }
    m_portList = list;
    return list;
}

void TComPort::handOver(const LineChange &change)
{
    std::unique_lock lock(m_handOver.mutex);
    m_handOver.change = change;
    m_handOver.pending = true;
    const quint64 sequence = ++m_handOver.sequence;
    lock.unlock();
    QMetaObject::invokeMethod(this, &TComPort::serveHandOver, Qt::QueuedConnection);
    lock.lock();
    m_handOver.served.wait(lock, [&] { return !m_handOver.pending || m_handOver.sequence != sequence; });
}

void TComPort::serveHandOver()
{
    if (m_serving)
        return;
    LineChange change;
    quint64 sequence = 0;
    {
        std::lock_guard lock(m_handOver.mutex);
        if (!m_handOver.pending)
            return;
        change = m_handOver.change;
        sequence = m_handOver.sequence;
    }
    m_serving = true;
    m_eventStamp = change.stamp;
    dispatch(change.events, m_session);
    m_serving = false;
    {
        std::lock_guard lock(m_handOver.mutex);
        if (m_handOver.sequence == sequence)
            m_handOver.pending = false;
    }
    m_handOver.served.notify_all();
}

void TComPort::releaseHandOver()
{
    {
        std::lock_guard lock(m_handOver.mutex);
        m_handOver.pending = false;
    }
    m_handOver.served.notify_all();
}

void TComPort::dispatch(quint32 events, quint64 session)
{
    // A notification may close the port; the rest of the word is then void.
    // A word served by Close() itself is still dispatched: its contact was
    // seen while the port was open.
    auto live = [&] { return m_connected && m_session == session; };
    if ((events & EvRxChar) && live())
        Q_EMIT OnRxChar(this, 0);
    if ((events & EvTxEmpty) && live())
        Q_EMIT OnTxEmpty(this);
    if ((events & EvBreak) && live())
        Q_EMIT OnBreak(this);
    if ((events & EvRing) && live())
        Q_EMIT OnRing(this);
    if ((events & EvCts) && live())
        Q_EMIT OnCTS(this);
    if ((events & EvDsr) && live())
        Q_EMIT OnDSR(this);
    if ((events & EvRxFlag) && live())
        Q_EMIT OnRxFlag(this);
    if ((events & EvRlsd) && live())
        Q_EMIT OnRLSD(this);
    if ((events & EvError) && live())
        Q_EMIT OnError(this);
}

void TComPort::waitingThreadFailed(quint64 session, int code)
{
    if (!m_connected || session != m_session)
        return;
    const int port = m_port;
    Close();
    Q_EMIT portLost(u"Verbindung zu COM%1 verloren (%2) – Lichtschranken aus, Zeitnahme von Hand"_s.arg(port).arg(
        systemErrorText(code)));
}

QList<int> comNumbers(quint32 portList)
{
    QList<int> numbers;
    for (int n = 1; n <= 16; ++n) {
        if (portList & (1u << (n - 1)))
            numbers.append(n);
    }
    return numbers;
}

} // namespace vex
