#include "serial/racetimer.h"

#include "race/race.h"
#include "serial/bytestream.h"
#include "serial/contactlog.h"
#include "serial/racecontacttarget.h"

using namespace Qt::StringLiterals;

namespace vex {

RaceTimer::RaceTimer(Race &race, Timers &timers, ByteDevice &device, const ContactClock &clock, ContactLog *log,
                     QObject *parent)
    : QObject(parent)
    , m_race(race)
    , m_log(log)
{
    m_target = std::make_unique<RaceContactTarget>(race);
    m_impulses = std::make_unique<TimerImpulses>(*m_target, [&race] { return race.entry().startNumber; });
    m_impulses->setLog(log);
    m_stream = std::make_unique<ByteStream>(device, clock, timers, u"Zeitmessgerät"_s, true);
    connect(m_stream.get(), &ByteStream::received, m_impulses.get(), &TimerImpulses::take);
    connect(m_stream.get(), &ByteStream::stateChanged, this, [this] {
        // The barrier pictures show while the source of the impulses is open.
        const bool open = m_stream->isOpen();
        if (open)
            m_impulses->restart();
        if (m_race.settings().Quelle == 1)
            m_race.setPortOpen(open);
        Q_EMIT stateChanged();
    });
    connect(m_stream.get(), &ByteStream::message, this, [this](const QString &text) {
        if (m_log)
            m_log->append(text);
        Q_EMIT message(text);
    });
    connect(m_impulses.get(), &TimerImpulses::startNumberMismatch, this, &RaceTimer::message);
    // Keypad impulses and times typed in on the timer are hand times
    // (TimerImpulse::handTime). The results have no mark for them yet; the
    // log and the test window say so, and lineHandled is where a run would
    // be marked once they have one.
}

RaceTimer::~RaceTimer()
{
    // The stream's threads end before what they hand their bytes to.
    m_stream.reset();
}

void RaceTimer::open()
{
    const Settings &s = m_race.settings();
    if (s.Quelle != 1 || s.TimerPort.trimmed().isEmpty())
        return;
    m_stream->open(s.TimerPort, s.TimerBaud);
}

void RaceTimer::close()
{
    m_stream->close();
}

} // namespace vex
