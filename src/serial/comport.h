#pragma once

#include "serial/comthread.h"
#include "serial/contactstamp.h"
#include "serial/linedevice.h"
#include "serial/modemstatus.h"

#include <QList>
#include <QObject>

#include <memory>

namespace vex {

enum class BaudRate { br110, br300, br600, br1200, br2400, br4800, br9600, br14400, br19200,
                      br38400, br56000, br57600, br115200, br128000, br256000, brUser };
enum class Parity { prNone, prOdd, prEven, prMark, prSpace };
enum class StopBits { sbOneStopBit, sbOne5StopBits, sbTwoStopBits };
enum class FlowControl { fcNone, fcRtsCts, fcXonXoff };

// The serial-port component of the light barriers. It lives on the GUI
// thread; while it is open one waiting thread (TComThread) blocks in the
// device's wait and sends each wake-up here as a whole value (stamp, levels,
// edges) without waiting for it to be handled. Notifications are signals
// carrying the component, emitted in a fixed order within one event word;
// inside them lineChange() is the value being dispatched.
class TComPort : public QObject
{
    Q_OBJECT
public:
    TComPort(LineDevice &device, const ContactClock &clock, QObject *parent = nullptr);
    ~TComPort() override;

    // Properties; a change takes effect at the next Open().
    int Port() const { return m_port; }
    void setPort(int port) { m_port = qBound(0, port, 255); }
    BaudRate baudRate() const { return m_baudRate; }
    void setBaudRate(BaudRate rate) { m_baudRate = rate; }
    int baudRateUser() const { return m_baudRateUser; }
    void setBaudRateUser(int rate) { m_baudRateUser = rate; }
    Parity parity() const { return m_parity; }
    void setParity(Parity parity) { m_parity = parity; }
    StopBits stopBits() const { return m_stopBits; }
    void setStopBits(StopBits bits) { m_stopBits = bits; }
    int dataBits() const { return m_dataBits; }
    void setDataBits(int bits) { m_dataBits = qBound(5, bits, 8); }
    FlowControl flowControl() const { return m_flowControl; }
    void setFlowControl(FlowControl flow) { m_flowControl = flow; }
    bool enableDTR() const { return m_enableDtr; }
    void setEnableDTR(bool on) { m_enableDtr = on; }
    int readBufSize() const { return m_readBufSize; }
    int writeBufSize() const { return m_writeBufSize; }
    void setBufSizes(int read, int write) { m_readBufSize = read; m_writeBufSize = write; }
    quint32 events() const { return m_events; }
    void setEvents(quint32 mask) { m_events = mask; }

    bool Connected() const { return m_connected; }

    // Opens the device of Port, starts the waiting thread, then OnOpen.
    // Throws EComHandle or EComState; on failure the component stays closed.
    void Open();
    // Ends the waiting thread, dispatches what it saw before it left,
    // releases the device, then OnClose. Returns within about 100 ms.
    void Close();
    // The current modem-status word, 0 while closed.
    quint32 ReadModemStatus();

    // The wake-up being dispatched: when it was seen, the lines after it and
    // the edges per line; valid inside the notifications.
    const LineChange &lineChange() const { return m_lineChange; }
    const ContactStamp &eventStamp() const { return m_lineChange.stamp; }

    // Finds the ports present: bit n-1 for COMn up to COM16, the highest n
    // in the upper 16 bits. The result is kept for portList(), and every COM
    // number found (also above 16) for portNumbers().
    quint32 ProbePorts();
    quint32 portList() const { return m_portList; }
    const QList<int> &portNumbers() const { return m_portNumbers; }

    // A contact can act now (see LineDevice::setArmed()).
    void setArmed(bool armed) { m_device.setArmed(armed); }
    // How the waiting thread asks for real-time priority; for tests and
    // measurements. Takes effect at the next Open().
    void setPriorityRequest(TComThread::PriorityRequest request) { m_priorityRequest = request; }

Q_SIGNALS:
    void OnRxChar(vex::TComPort *port, int count);
    void OnTxEmpty(vex::TComPort *port);
    void OnBreak(vex::TComPort *port);
    void OnRing(vex::TComPort *port);
    void OnCTS(vex::TComPort *port);
    void OnDSR(vex::TComPort *port);
    void OnRxFlag(vex::TComPort *port);
    void OnRLSD(vex::TComPort *port);
    void OnError(vex::TComPort *port);
    void OnOpen(vex::TComPort *port);
    void OnClose(vex::TComPort *port);
    // The device failed while open and the component closed itself; the
    // text is for the operator.
    void portLost(const QString &message);
    // The waiting thread of this opening runs without real-time priority;
    // the system's error number says why.
    void realTimeRefused(int errorCode);

private:
    LineSettings lineSettings() const;
    // The waiting thread's values, queued to the GUI thread.
    void deliver(quint64 session, const vex::LineChange &change);
    void dispatch(quint32 events, quint64 session);
    void waitingThreadFailed(quint64 session, int code);

    LineDevice &m_device;
    const ContactClock &m_clock;
    int m_port = 0;
    BaudRate m_baudRate = BaudRate::br9600;
    int m_baudRateUser = 9600;
    Parity m_parity = Parity::prNone;
    StopBits m_stopBits = StopBits::sbOneStopBit;
    int m_dataBits = 8;
    FlowControl m_flowControl = FlowControl::fcNone;
    bool m_enableDtr = true;
    int m_readBufSize = 1024;
    int m_writeBufSize = 1024;
    quint32 m_events = kWatchedEvents;

    bool m_connected = false;
    bool m_closing = false;
    int m_dispatching = 0;
    quint64 m_session = 0;
    quint32 m_portList = 0;
    QList<int> m_portNumbers;
    TComThread::PriorityRequest m_priorityRequest = &TComThread::requestRealTimePriority;
    LineChange m_lineChange;
    std::unique_ptr<TComThread> m_thread;
};

// The COM numbers of a port list, ascending.
QList<int> comNumbers(quint32 portList);

} // namespace vex
