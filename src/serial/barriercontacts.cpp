#include "serial/barriercontacts.h"

#include "serial/comerrors.h"
#include "serial/comport.h"
#include "serial/contactlog.h"
#include "serial/contacttarget.h"
#include "serial/modemstatus.h"

using namespace Qt::StringLiterals;

namespace vex {

quint32 lineBit(ContactLine line)
{
    switch (line) {
    case ContactLine::Cts:
        return MsCtsOn;
    case ContactLine::Dsr:
        return MsDsrOn;
    case ContactLine::Rlsd:
        return MsRlsdOn;
    }
    return 0;
}

int edgesOf(const LineEdges &edges, ContactLine line)
{
    switch (line) {
    case ContactLine::Cts:
        return edges.cts;
    case ContactLine::Dsr:
        return edges.dsr;
    case ContactLine::Rlsd:
        return edges.dcd;
    }
    return 0;
}

namespace {

QString lineName(ContactLine line)
{
    switch (line) {
    case ContactLine::Cts:
        return u"CTS"_s;
    case ContactLine::Dsr:
        return u"DSR"_s;
    case ContactLine::Rlsd:
        return u"DCD"_s;
    }
    return {};
}

} // namespace

QString contactOutcomeText(ContactOutcome outcome)
{
    switch (outcome) {
    case ContactOutcome::Started:
        return u"started"_s;
    case ContactOutcome::Stopped:
        return u"stopped"_s;
    case ContactOutcome::IgnoredLocked:
        return u"ignored: locked"_s;
    case ContactOutcome::IgnoredNotReady:
        return u"ignored: not ready"_s;
    case ContactOutcome::IgnoredNotRunning:
        return u"ignored: not running"_s;
    case ContactOutcome::IgnoredTooEarly:
        return u"ignored: too early"_s;
    case ContactOutcome::IgnoredSameStatus:
        return u"ignored: same status"_s;
    case ContactOutcome::IgnoredContactLogic:
        return u"ignored: contact logic"_s;
    case ContactOutcome::NoAction:
        return u"no action"_s;
    case ContactOutcome::Tested:
        return u"barrier test"_s;
    }
    return {};
}

void openBarrierPort(TComPort &port, int number)
{
    port.setPort(number);
    if (number <= 0)
        return;
    try {
        port.Open();
    } catch (const EComError &) {
    }
}

BarrierContacts::BarrierContacts(TComPort &port, ContactTarget &target, QObject *parent)
    : QObject(parent)
    , m_target(target)
{
    connect(&port, &TComPort::OnCTS, this, &BarrierContacts::ComPortStart);
    connect(&port, &TComPort::OnDSR, this, &BarrierContacts::ComPortDSR);
    connect(&port, &TComPort::OnRLSD, this, &BarrierContacts::ComPortStop);
    connect(&port, &TComPort::OnOpen, this, &BarrierContacts::ComPortOpen);
    connect(&port, &TComPort::OnClose, this, &BarrierContacts::ComPortClose);
}

void BarrierContacts::setUpPort(TComPort &port)
{
    port.setBaudRate(BaudRate::br9600);
    port.setParity(Parity::prNone);
    port.setStopBits(StopBits::sbOneStopBit);
    port.setDataBits(5);
    port.setFlowControl(FlowControl::fcRtsCts);
    port.setEnableDTR(true);
    port.setBufSizes(64, 64);
    port.setEvents(EvCts | EvDsr | EvRlsd);
}

void BarrierContacts::ComPortStart(TComPort *port)
{
    handleLine(*port, ContactLine::Cts);
}

void BarrierContacts::ComPortStop(TComPort *port)
{
    handleLine(*port, ContactLine::Rlsd);
}

void BarrierContacts::ComPortDSR(TComPort *port)
{
    handleLine(*port, ContactLine::Dsr);
}

void BarrierContacts::ComPortOpen(TComPort *)
{
    m_target.setPortOpen(true);
}

void BarrierContacts::ComPortClose(TComPort *)
{
    m_target.setPortOpen(false);
}

void BarrierContacts::handleLine(TComPort &port, ContactLine line)
{
    const LineChange &change = port.lineChange();
    m_lastModemStatus = change.status;
    ContactOutcome outcome = ContactOutcome::IgnoredSameStatus;
    if (edgesOf(change.edges, line) > 0) {
        if (m_testing)
            outcome = ContactOutcome::Tested;
        else if (line == ContactLine::Dsr)
            outcome = ContactOutcome::NoAction;
        else if (!contactLogicActs(m_alg, line, change))
            outcome = ContactOutcome::IgnoredContactLogic;
        else
            outcome = act(line, change.stamp);
    }
    record(line, change, outcome);
}

bool contactLogicActs(int alg, ContactLine line, const LineChange &change)
{
    if (alg != 0 && alg != 1)
        return false;
    // Two edges or more: the contact went both ways, whatever it shows now.
    // One edge: it went to where it is now.
    const bool on = change.status & lineBit(line);
    return edgesOf(change.edges, line) >= 2 || on == (alg == 0);
}

ContactOutcome BarrierContacts::act(ContactLine line, const ContactStamp &stamp)
{
    if (line == ContactLine::Cts) {
        if (!m_target.startBarrierFree())
            return ContactOutcome::IgnoredLocked;
        if (!m_target.startEnabled())
            return ContactOutcome::IgnoredNotReady;
        m_target.start(stamp);
        return ContactOutcome::Started;
    }
    if (!m_target.finishBarrierFree())
        return ContactOutcome::IgnoredLocked;
    if (!m_target.stopEnabled())
        return ContactOutcome::IgnoredNotRunning;
    m_target.stop(stamp);
    // The target refuses a finish that comes sooner than any run can be.
    return m_target.stopEnabled() ? ContactOutcome::IgnoredTooEarly : ContactOutcome::Stopped;
}

void BarrierContacts::record(ContactLine line, const LineChange &change, ContactOutcome outcome)
{
    // Written after the command, so the log never delays a start or a stop.
    if (m_log) {
        const quint32 status = change.status;
        auto level = [&](quint32 bit) { return (status & bit) ? 1 : 0; };
        // A contact that slipped past the system's wait and was found by
        // comparing the lines says so: its stamp is the comparison's.
        const QString found = change.byComparison ? u"found by comparison\t"_s : QString();
        m_log->append(u"tick %1\tus %2\t%3\tCTS=%4 DSR=%5 DCD=%6 RI=%7\tedges CTS=%8 DSR=%9 DCD=%10\t%11%12"_s
                          .arg(change.stamp.tick)
                          .arg(change.stamp.micros)
                          .arg(lineName(line))
                          .arg(level(MsCtsOn))
                          .arg(level(MsDsrOn))
                          .arg(level(MsRlsdOn))
                          .arg(level(MsRingOn))
                          .arg(change.edges.cts)
                          .arg(change.edges.dsr)
                          .arg(change.edges.dcd)
                          .arg(found, contactOutcomeText(outcome)));
    }
    Q_EMIT contactHandled(line, change.status, outcome);
}

} // namespace vex
