#pragma once

#include "serial/contactstamp.h"
#include "serial/linedevice.h"

#include <QObject>
#include <QString>

namespace vex {

class ContactLog;
class ContactTarget;
class TComPort;

// What one contact did.
enum class ContactOutcome {
    Started,
    Stopped,
    IgnoredLocked,       // the barrier's flag is 0
    IgnoredNotReady,     // a start contact while no run can start
    IgnoredNotRunning,   // a finish contact while no run is timed
    IgnoredTooEarly,     // a finish contact sooner after the start than a run can be
    IgnoredSameStatus,   // the line has no edge of its own in this wake-up
    IgnoredContactLogic, // the contact moved the other way than Alg acts on
    NoAction,            // DSR: watched, but without effect
    Tested,              // the barriers are being tested: nothing acts
};

enum class ContactLine { Cts, Dsr, Rlsd };

QString contactOutcomeText(ContactOutcome outcome);

// The edges of one line in a wake-up.
// The bit of the modem status that shows the line's level.
quint32 lineBit(ContactLine line);
int edgesOf(const LineEdges &edges, ContactLine line);
// Whether the contact of the line moved the way the contact logic acts on:
// Alg 0 when it closed (line on), 1 when it opened, any other value never.
// Two edges or more went both ways, whatever the line shows now.
bool contactLogicActs(int alg, ContactLine line, const LineChange &change);

// Opens the barriers' port COMn; 0 opens nothing. A port that can't be opened
// stays closed without a word to the operator: the run is timed by hand.
void openBarrierPort(TComPort &port, int number);

// The main window's three line handlers for the light barriers: CTS is the
// start contact, DCD (RLSD) the finish contact, DSR is only recorded. Each
// decides on the edges its own line counted in the wake-up, not on the lines
// as they are when the handler runs: a contact that closed and opened again
// before then still acts. Alg 0 acts when a contact closes (line on), 1 when
// it opens, any other value never.
class BarrierContacts : public QObject
{
    Q_OBJECT
public:
    static constexpr quint32 kNoStatusYet = 0x55555555;

    BarrierContacts(TComPort &port, ContactTarget &target, QObject *parent = nullptr);

    // Sets the port's properties as the barriers need them.
    static void setUpPort(TComPort &port);

    int alg() const { return m_alg; }
    void setAlg(int alg) { m_alg = alg; }
    quint32 lastModemStatus() const { return m_lastModemStatus; }
    // Contacts are appended here when set; not owned.
    void setLog(ContactLog *log) { m_log = log; }
    // While the barriers are tested, contacts are logged but act on nothing.
    void setTesting(bool testing) { m_testing = testing; }
    bool testing() const { return m_testing; }

public Q_SLOTS:
    void ComPortStart(vex::TComPort *port);
    void ComPortStop(vex::TComPort *port);
    void ComPortDSR(vex::TComPort *port);
    void ComPortOpen(vex::TComPort *port);
    void ComPortClose(vex::TComPort *port);

Q_SIGNALS:
    void contactHandled(vex::ContactLine line, quint32 status, vex::ContactOutcome outcome);

private:
    void handleLine(TComPort &port, ContactLine line);
    ContactOutcome act(ContactLine line, const ContactStamp &stamp);
    void record(ContactLine line, const LineChange &change, ContactOutcome outcome);

    ContactTarget &m_target;
    ContactLog *m_log = nullptr;
    int m_alg = 0;
    bool m_testing = false;
    quint32 m_lastModemStatus = kNoStatusYet;
};

} // namespace vex
