#pragma once

#include <QList>
#include <QObject>
#include <QString>

#include <memory>

namespace vex {

class BarrierContacts;
class BarrierTest;
class ByteDevice;
class ContactClock;
class ContactLog;
class LightBarrierPort;
class LineDevice;
class PortLocator;
class Race;
class RaceBoard;
class RaceContactTarget;
class RaceTimer;
class TComPort;
class Timer;
class Timers;

// What the light barriers are given; a null entry is this machine's own.
struct BarrierServices
{
    LightBarrierPort *port = nullptr; // opened and closed as the settings say; null: the serial port below
    LineDevice *lineDevice = nullptr; // the serial port's lines; null: this machine's ports
    const ContactClock *contactClock = nullptr; // stamps contacts; null: the steady clock
    QString logPath; // every contact is logged here; empty: no log
    ByteDevice *timerDevice = nullptr; // the timer's port; null: this machine's ports
    ByteDevice *boardDevice = nullptr; // the display board's port; null: this machine's ports
};

// The light barriers of one race: the serial port with its waiting thread,
// the contacts acting on the race, their log, and the port following the
// race's settings (its number, the contact logic). A port whose device went
// away is looked for once a second and opened again when it is back. The
// port's wait is armed (see LineDevice::setArmed()) while a contact can act:
// the start barrier free, a run being timed, or the barriers under test.
class RaceBarriers : public QObject
{
    Q_OBJECT
public:
    RaceBarriers(Race &race, Timers &timers, const BarrierServices &services, QObject *parent = nullptr);
    ~RaceBarriers() override;

    TComPort &comPort() { return *m_comPort; }
    // The timer that stands in for the barriers when the settings say so,
    // and the display board; both on serial ports of their own.
    RaceTimer &timer() { return *m_timer; }
    RaceBoard &board() { return *m_board; }
    // The barrier test of the test window.
    BarrierTest &barrierTest() { return *m_test; }
    // The ports found when the barriers were made, before any was opened by
    // this program: what the settings offer.
    quint32 portList() const;
    // The COM numbers found, ascending (also above 16): what follows "Kein"
    // in the port list.
    QList<int> comPortNumbers() const;

    // Opens the port the settings name, none for "Kein"; the race learns
    // whether it is open. The barriers' port stays closed while the timer
    // is the source; the board's port opens whatever the source.
    void open();
    // Closes the port at once; a pending reopen or reconnection is dropped.
    void close();
    // Opens the settings' port again a moment after close(): the device gets
    // its pause between closing and opening.
    void reopenSoon();

Q_SIGNALS:
    // The device failed and the port closed itself; the text is for the
    // operator, who times by hand from now on.
    void portLost(const QString &message);
    void portOpened();
    // The lost port's device came back and the port is open again; the
    // text is for the operator. Follows portOpened().
    void portRestored(const QString &message);
    // The waiting thread can't have real-time priority; said once, the text
    // is for the operator.
    void realTimeUnavailable(const QString &message);

private:
    void reconnect();
    void updateArming();

    Race &m_race;
    // Destroyed in reverse order: the port and its thread before what they use.
    std::unique_ptr<PortLocator> m_ownPorts;
    std::unique_ptr<LineDevice> m_ownLineDevice;
    std::unique_ptr<ContactClock> m_ownContactClock;
    std::unique_ptr<ContactLog> m_log;
    std::unique_ptr<RaceContactTarget> m_target;
    std::unique_ptr<TComPort> m_comPort;
    std::unique_ptr<BarrierContacts> m_contacts;
    std::unique_ptr<BarrierTest> m_test;
    std::unique_ptr<LightBarrierPort> m_ownPort;
    std::unique_ptr<ByteDevice> m_ownTimerDevice;
    std::unique_ptr<ByteDevice> m_ownBoardDevice;
    std::unique_ptr<RaceTimer> m_timer;
    std::unique_ptr<RaceBoard> m_board;
    LightBarrierPort *m_port = nullptr;
    LineDevice *m_lines = nullptr;
    std::unique_ptr<Timer> m_reopen;
    std::unique_ptr<Timer> m_reconnect;
    int m_lostPort = 0;
    bool m_realTimeSaid = false;
};

} // namespace vex
