#include "serial/racebarriers.h"

#include "race/race.h"
#include "serial/barriercontacts.h"
#include "serial/comport.h"
#include "serial/contactlog.h"
#include "serial/lightbarrierport.h"
#include "serial/portmap.h"
#include "serial/posixlinedevice.h"
#include "serial/racecontacttarget.h"
#include "timing/timers.h"

using namespace Qt::StringLiterals;

namespace vex {

namespace {

// The settings and the end of the program drive the own serial port through
// the same seam as a test's fake.
class ComPortBarriers final : public LightBarrierPort
{
public:
    explicit ComPortBarriers(TComPort &port) : m_port(port) {}
    void close() override { m_port.Close(); }
    bool open(int portNumber) override
    {
        openBarrierPort(m_port, portNumber);
        return m_port.Connected();
    }

private:
    TComPort &m_port;
};

} // namespace

RaceBarriers::RaceBarriers(Race &race, Timers &timers, const BarrierServices &services, QObject *parent)
    : QObject(parent)
    , m_race(race)
{
    LineDevice *lines = services.lineDevice;
    if (!lines) {
        m_ownPorts = std::make_unique<LinuxPortMap>();
        m_ownLineDevice = std::make_unique<PosixLineDevice>(*m_ownPorts);
        lines = m_ownLineDevice.get();
    }
    const ContactClock *clock = services.contactClock;
    if (!clock) {
        m_ownContactClock = std::make_unique<SteadyContactClock>();
        clock = m_ownContactClock.get();
    }
    m_comPort = std::make_unique<TComPort>(*lines, *clock);
    BarrierContacts::setUpPort(*m_comPort);
    m_target = std::make_unique<RaceContactTarget>(race);
    m_contacts = std::make_unique<BarrierContacts>(*m_comPort, *m_target);
    m_contacts->setAlg(race.settings().Alg);
    if (!services.logPath.isEmpty()) {
        m_log = std::make_unique<ContactLog>(services.logPath);
        m_contacts->setLog(m_log.get());
    }
    m_port = services.port;
    if (!m_port) {
        m_ownPort = std::make_unique<ComPortBarriers>(*m_comPort);
        m_port = m_ownPort.get();
    }
    m_reopen = timers.make(u"TimerPortOpen"_s, false, [this] { open(); });

    connect(&race, &Race::settingsChanged, this, [this] { m_contacts->setAlg(m_race.settings().Alg); });
    connect(m_comPort.get(), &TComPort::portLost, this, [this](const QString &message) {
        // Contacts stop here; the log says why.
        if (m_log)
            m_log->append(message);
        Q_EMIT portLost(message);
    });
    connect(m_comPort.get(), &TComPort::OnOpen, this, &RaceBarriers::portOpened);
    // Probed before this program opens a port, so its own port is listed too.
    m_comPort->ProbePorts();
}

RaceBarriers::~RaceBarriers() = default;

quint32 RaceBarriers::portList() const
{
    return m_comPort->portList();
}

QList<int> RaceBarriers::comPortNumbers() const
{
    return comNumbers(m_comPort->portList());
}

void RaceBarriers::open()
{
    const int port = m_race.settings().Port;
    if (port != 0)
        m_race.setPortOpen(m_port->open(port));
}

void RaceBarriers::close()
{
    m_reopen->stop();
    m_port->close();
    m_race.setPortOpen(false);
}

void RaceBarriers::reopenSoon()
{
    if (m_race.settings().Port != 0)
        m_reopen->start(50);
}

} // namespace vex
