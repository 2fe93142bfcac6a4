#pragma once

#include "serial/timerimpulses.h"

#include <QObject>
#include <QString>

#include <memory>

namespace vex {

class ByteDevice;
class ByteStream;
class ContactClock;
class ContactLog;
class Race;
class RaceContactTarget;
class Timers;

// A timer on a serial port of its own as the source of start and finish,
// instead of the light barriers on the modem lines: its lines act on the
// race, every one goes into the contact log, and the port follows the
// settings (the source, the port, the rate) and comes back after a replug.
class RaceTimer : public QObject
{
    Q_OBJECT
public:
    RaceTimer(Race &race, Timers &timers, ByteDevice &device, const ContactClock &clock, ContactLog *log,
              QObject *parent = nullptr);
    ~RaceTimer() override;

    ByteStream &stream() { return *m_stream; }
    TimerImpulses &impulses() { return *m_impulses; }

    // Opens the port the settings name when the timer is the source.
    void open();
    void close();

Q_SIGNALS:
    // For the status bar: the port's state changed, or a message (lost,
    // restored, a start number that doesn't match).
    void stateChanged();
    void message(const QString &text);

private:
    Race &m_race;
    ContactLog *m_log;
    std::unique_ptr<RaceContactTarget> m_target;
    std::unique_ptr<TimerImpulses> m_impulses;
    std::unique_ptr<ByteStream> m_stream;
};

} // namespace vex
