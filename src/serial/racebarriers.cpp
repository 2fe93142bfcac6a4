#include "serial/racebarriers.h"

#include "race/race.h"
#include "serial/barriercontacts.h"
#include "serial/barriertest.h"
#include "serial/comerrors.h"
#include "serial/comport.h"
#include "serial/contactlog.h"
#include "serial/lightbarrierport.h"
#include "serial/raceboard.h"
#include "serial/racetimer.h"
#include "serial/racecontacttarget.h"
#include "timing/timers.h"

#include <utility>

#ifdef Q_OS_WIN
#include "serial/winbytedevice.h"
#include "serial/winlinedevice.h"
#include "serial/winportmap.h"
#else
#include "serial/portmap.h"
#include "serial/posixbytedevice.h"
#include "serial/posixlinedevice.h"
#endif

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
#ifdef Q_OS_WIN
        m_ownPorts = std::make_unique<WindowsPortMap>();
        m_ownLineDevice = std::make_unique<WinLineDevice>(*m_ownPorts);
#else
        m_ownPorts = std::make_unique<LinuxPortMap>();
        m_ownLineDevice = std::make_unique<PosixLineDevice>(*m_ownPorts);
#endif
        lines = m_ownLineDevice.get();
    }
    m_lines = lines;
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
    m_test = std::make_unique<BarrierTest>(*m_comPort, *m_contacts, [this] { return m_race.settings().Alg; });
    if (!services.logPath.isEmpty()) {
        m_log = std::make_unique<ContactLog>(services.logPath);
        m_contacts->setLog(m_log.get());
        // Corrections of a run belong beside the contacts that caused them.
        connect(&race, &Race::correctionLogged, this, [this](const QString &line) { m_log->append(line); });
    }
    m_port = services.port;
    if (!m_port) {
        m_ownPort = std::make_unique<ComPortBarriers>(*m_comPort);
        m_port = m_ownPort.get();
    }
    // The timer and the board on byte streams of their own.
    ByteDevice *timerDevice = services.timerDevice;
    ByteDevice *boardDevice = services.boardDevice;
    if (!m_ownPorts && (!timerDevice || !boardDevice)) {
#ifdef Q_OS_WIN
        m_ownPorts = std::make_unique<WindowsPortMap>();
#else
        m_ownPorts = std::make_unique<LinuxPortMap>();
#endif
    }
    auto ownByteDevice = [this]() -> std::unique_ptr<ByteDevice> {
#ifdef Q_OS_WIN
        return std::make_unique<WinByteDevice>(*m_ownPorts);
#else
        return std::make_unique<PosixByteDevice>(*m_ownPorts);
#endif
    };
    if (!timerDevice) {
        m_ownTimerDevice = ownByteDevice();
        timerDevice = m_ownTimerDevice.get();
    }
    if (!boardDevice) {
        m_ownBoardDevice = ownByteDevice();
        boardDevice = m_ownBoardDevice.get();
    }
    m_timer = std::make_unique<RaceTimer>(race, timers, *timerDevice, *clock, m_log.get());
    m_board = std::make_unique<RaceBoard>(race, timers, *boardDevice, *clock);
    // While the barriers are tested, the timer's lines act on no run either.
    connect(m_test.get(), &BarrierTest::activeChanged, m_timer.get(),
            [this](bool active) { m_timer->impulses().setTesting(active); });

    m_reopen = timers.make(u"TimerPortOpen"_s, false, [this] { open(); });
    m_reconnect = timers.make(u"TimerPortReconnect"_s, true, [this] { reconnect(); });

    connect(&race, &Race::settingsChanged, this, [this] { m_contacts->setAlg(m_race.settings().Alg); });
    connect(m_comPort.get(), &TComPort::portLost, this, [this](const QString &message) {
        // Contacts stop here; the log says why.
        if (m_log)
            m_log->append(message);
        Q_EMIT portLost(message);
        // A USB adapter pulled by accident is usually plugged in again soon.
        m_lostPort = m_comPort->Port();
        m_reconnect->start(1000);
    });
    connect(m_comPort.get(), &TComPort::OnOpen, this, &RaceBarriers::portOpened);
    connect(m_comPort.get(), &TComPort::realTimeRefused, this, [this](int code) {
        if (std::exchange(m_realTimeSaid, true))
            return;
        const QString message =
            u"Lichtschranken ohne Echtzeit-Priorität (%1): unter Last können Kontakte etwas später gestempelt werden"_s
                .arg(systemErrorText(code));
        if (m_log)
            m_log->append(message);
        Q_EMIT realTimeUnavailable(message);
    });
    connect(&race, &Race::runControlsChanged, this, &RaceBarriers::updateArming);
    connect(m_test.get(), &BarrierTest::activeChanged, this, &RaceBarriers::updateArming);
    updateArming();
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
    return m_comPort->portNumbers();
}

void RaceBarriers::updateArming()
{
    const RunController &run = m_race.runController();
    m_comPort->setArmed(m_test->active() || run.startBarrierFree() || run.state() == RunState::Running);
}

void RaceBarriers::open()
{
    m_reconnect->stop();
    const int port = m_race.settings().Port;
    if (m_race.settings().Quelle == 1)
        m_timer->open();
    else if (port != 0)
        m_race.setPortOpen(m_port->open(port));
    m_board->open();
}

void RaceBarriers::close()
{
    m_reopen->stop();
    m_reconnect->stop();
    m_port->close();
    m_timer->close();
    m_board->close();
    m_race.setPortOpen(false);
}

void RaceBarriers::reopenSoon()
{
    const Settings &s = m_race.settings();
    if (s.Port != 0 || s.Quelle == 1 || !s.TafelPort.trimmed().isEmpty())
        m_reopen->start(50);
}

void RaceBarriers::reconnect()
{
    // Opening a device that isn't there would only fail; one that is there
    // may still refuse for a moment while the system sets it up.
    if (!m_lines->portPresent(m_lostPort) || !m_port->open(m_lostPort))
        return;
    m_reconnect->stop();
    m_race.setPortOpen(true);
    const QString message = u"Verbindung zu COM%1 wiederhergestellt"_s.arg(m_lostPort);
    if (m_log)
        m_log->append(message);
    Q_EMIT portRestored(message);
}

} // namespace vex
