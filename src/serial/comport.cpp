#include "serial/comport.h"

#include "serial/comerrors.h"
#include "serial/comthread.h"

#include <QCoreApplication>

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
    m_thread = std::make_unique<TComThread>(m_device, m_clock, m_events, m_session, m_priorityRequest);
    connect(m_thread.get(), &TComThread::lineChanged, this, &TComPort::deliver, Qt::QueuedConnection);
    connect(m_thread.get(), &TComThread::failed, this, &TComPort::waitingThreadFailed, Qt::QueuedConnection);
    connect(
        m_thread.get(), &TComThread::realTimeRefused, this,
        [this](quint64 session, int code) {
            if (m_connected && session == m_session)
                Q_EMIT realTimeRefused(code);
        },
        Qt::QueuedConnection);
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
    // Only the device's wait holds the thread. A wake that falls just before
    // the thread enters the wait is lost, so it is sent again until the
    // thread has left.
    m_device.interruptWait();
    while (!m_thread->wait(QDeadlineTimer(20)))
        m_device.interruptWait();
    // Contacts seen while the port was open still count. Closed from inside
    // a notification, though, the rest is void: handing it on here would
    // run the handlers inside one another.
    if (m_dispatching == 0)
        QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
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
    m_portNumbers = m_device.presentPorts();
    for (const int port : std::as_const(m_portNumbers)) {
        const quint32 n = quint32(port);
        list = (n <= 16 ? 1u << (n - 1) : 0u) | (list & 0xFFFFu) | (n << 16);
    }
    m_portList = list;
    return list;
}

void TComPort::deliver(quint64 session, const LineChange &change)
{
    if (!m_connected || session != m_session)
        return;
    // A handler that runs an event loop may let the next value in; the one
    // being dispatched is back in place when that returns.
    const LineChange outer = m_lineChange;
    m_lineChange = change;
    ++m_dispatching;
    dispatch(change.events, session);
    --m_dispatching;
    m_lineChange = outer;
}

void TComPort::dispatch(quint32 events, quint64 session)
{
    // A notification may close the port; the rest of the word is then void.
    // A word handed on by Close() itself is still dispatched: its contact was
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
    // A failure that Close() hands on was overtaken by the closing: the port
    // is closed on purpose, not lost.
    if (!m_connected || m_closing || session != m_session)
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
