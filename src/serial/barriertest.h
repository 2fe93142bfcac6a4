#pragma once

#include "serial/barriercontacts.h"
#include "serial/contactstamp.h"

#include <QList>
#include <QObject>
#include <QString>

#include <functional>

namespace vex {

class TComPort;

// The light barriers under test, before the first run of the day: whether
// both are aligned and wired the right way round. While a test is on, the
// contacts act on no run (they are still logged); every contact is listed
// with the time since the one before it and what it would do in a run, the
// contacts are counted per line, and a test run is timed from a start to a
// finish contact as a run would be, without touching any result.
class BarrierTest : public QObject
{
    Q_OBJECT
public:
    struct Contact
    {
        ContactLine line = ContactLine::Cts;
        bool on = false;             // the line's level after the contact
        int edges = 0;
        qint64 sincePreviousUs = -1; // -1: the first contact of the test
        ContactStamp stamp;
        bool byComparison = false;
        QString inRun;               // what it would do in a run
    };
    enum class RunPhase { Off, WaitingForStart, Running, Done };

    // alg: the contact logic the run would use, read at each contact.
    BarrierTest(TComPort &port, BarrierContacts &contacts, std::function<int()> alg, QObject *parent = nullptr);

    // The test window opened or closed; begin() starts with empty counts.
    void begin();
    void end();
    bool active() const { return m_active; }

    bool portOpen() const;
    int portNumber() const;
    quint32 lines() const { return m_lines; }
    int count(ContactLine line) const { return m_counts[int(line)]; }
    const QList<Contact> &contacts() const { return m_contacts; }

    // Waits for the next start contact that a run would take.
    void startTestRun();
    RunPhase runPhase() const { return m_phase; }
    const ContactStamp &runStart() const { return m_runStart; }
    // The time of a finished test run, as a run would record it.
    qint32 runTimeMs() const { return m_runTimeMs; }

    static QString lineText(ContactLine line);

Q_SIGNALS:
    void activeChanged(bool active);
    void linesChanged(quint32 lines);
    void contactSeen(const vex::BarrierTest::Contact &contact);
    void runChanged();
    void portChanged(bool open);

private:
    void onContact(TComPort *port, ContactLine line);
    QString inRun(ContactLine line, const LineChange &change, bool acts) const;

    TComPort &m_port;
    BarrierContacts &m_barrierContacts;
    std::function<int()> m_alg;
    bool m_active = false;
    quint32 m_lines = 0;
    int m_counts[3] = {0, 0, 0};
    QList<Contact> m_contacts;
    RunPhase m_phase = RunPhase::Off;
    ContactStamp m_runStart;
    qint32 m_runTimeMs = 0;
};

} // namespace vex
