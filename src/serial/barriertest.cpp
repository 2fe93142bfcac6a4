#include "serial/barriertest.h"

#include "serial/comport.h"
#include "serial/modemstatus.h"

#include <algorithm>
#include <iterator>

using namespace Qt::StringLiterals;

namespace vex {

namespace {

// A long test keeps its newest contacts.
constexpr qsizetype kMaxContacts = 1000;

} // namespace

BarrierTest::BarrierTest(TComPort &port, BarrierContacts &contacts, std::function<int()> alg, QObject *parent)
    : QObject(parent)
    , m_port(port)
    , m_barrierContacts(contacts)
    , m_alg(std::move(alg))
{
    connect(&port, &TComPort::OnCTS, this, [this](TComPort *p) { onContact(p, ContactLine::Cts); });
    connect(&port, &TComPort::OnDSR, this, [this](TComPort *p) { onContact(p, ContactLine::Dsr); });
    connect(&port, &TComPort::OnRLSD, this, [this](TComPort *p) { onContact(p, ContactLine::Rlsd); });
    auto portMoved = [this](bool open) {
        if (!m_active)
            return;
        m_lines = open ? m_port.ReadModemStatus() : 0;
        Q_EMIT portChanged(open);
        Q_EMIT linesChanged(m_lines);
    };
    connect(&port, &TComPort::OnOpen, this, [portMoved] { portMoved(true); });
    connect(&port, &TComPort::OnClose, this, [portMoved] { portMoved(false); });
}

QString BarrierTest::lineText(ContactLine line)
{
    switch (line) {
    case ContactLine::Cts:
        return u"Start"_s;
    case ContactLine::Dsr:
        return u"DSR"_s;
    case ContactLine::Rlsd:
        return u"Ziel"_s;
    }
    return {};
}

void BarrierTest::begin()
{
    m_contacts.clear();
    std::fill(std::begin(m_counts), std::end(m_counts), 0);
    m_phase = RunPhase::Off;
    m_lines = m_port.ReadModemStatus();
    m_active = true;
    m_barrierContacts.setTesting(true);
    Q_EMIT activeChanged(true);
}

void BarrierTest::end()
{
    if (!m_active)
        return;
    m_active = false;
    m_phase = RunPhase::Off;
    m_barrierContacts.setTesting(false);
    Q_EMIT activeChanged(false);
}

bool BarrierTest::portOpen() const
{
    return m_port.Connected();
}

int BarrierTest::portNumber() const
{
    return m_port.Port();
}

void BarrierTest::startTestRun()
{
    if (!m_active)
        return;
    m_phase = RunPhase::WaitingForStart;
    m_runTimeMs = 0;
    Q_EMIT runChanged();
}

QString BarrierTest::inRun(ContactLine line, const LineChange &change, bool acts) const
{
    if (line == ContactLine::Dsr)
        return u"keine Wirkung (DSR)"_s;
    if (acts)
        return line == ContactLine::Cts ? u"startet den Lauf"_s : u"stoppt den Lauf"_s;
    const int alg = m_alg();
    if (alg != 0 && alg != 1)
        return u"keine Wirkung (Kontaktlogik)"_s;
    // The contact logic acts the other way ("Ein": closing, "Aus": opening).
    return (change.status & lineBit(line)) ? u"keine Wirkung (schließt)"_s : u"keine Wirkung (öffnet)"_s;
}

void BarrierTest::onContact(TComPort *port, ContactLine line)
{
    if (!m_active)
        return;
    const LineChange &change = port->lineChange();
    m_lines = change.status;
    Q_EMIT linesChanged(m_lines);
    const int edges = edgesOf(change.edges, line);
    if (edges == 0)
        return;
    const bool acts = line != ContactLine::Dsr && contactLogicActs(m_alg(), line, change);
    Contact contact;
    contact.line = line;
    contact.on = change.status & lineBit(line);
    contact.edges = edges;
    contact.stamp = change.stamp;
    contact.byComparison = change.byComparison;
    contact.inRun = inRun(line, change, acts);
    if (!m_contacts.isEmpty())
        contact.sincePreviousUs = change.stamp.micros - m_contacts.last().stamp.micros;
    ++m_counts[int(line)];
    if (m_contacts.size() == kMaxContacts)
        m_contacts.removeFirst();
    m_contacts.append(contact);
    Q_EMIT contactSeen(contact);

    // The test run takes the contacts a run would take: the first start
    // contact, then the first finish contact after it.
    if (acts && line == ContactLine::Cts && m_phase == RunPhase::WaitingForStart) {
        m_runStart = change.stamp;
        m_phase = RunPhase::Running;
        Q_EMIT runChanged();
    } else if (acts && line == ContactLine::Rlsd && m_phase == RunPhase::Running) {
        m_runTimeMs = barrierRunTimeMs(m_runStart.micros, change.stamp.micros);
        m_phase = RunPhase::Done;
        Q_EMIT runChanged();
    }
}

} // namespace vex
