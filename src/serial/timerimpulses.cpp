#include "serial/timerimpulses.h"

#include "serial/contactlog.h"
#include "serial/contacttarget.h"

using namespace Qt::StringLiterals;

namespace vex {

namespace {

constexpr int kSeenKept = 32;

bool startChannel(TimerChannel c)
{
    return c == TimerChannel::Start || c == TimerChannel::StartKeypad;
}

bool finishChannel(TimerChannel c)
{
    return c == TimerChannel::Finish || c == TimerChannel::FinishKeypad;
}

// Only an impulse as it happens acts. A line from memory, a cleared or
// disqualified one repeats or takes back a time; a new start number comes
// with a time the timer sent before.
bool acts(const TimerLine &line)
{
    if (!startChannel(line.channel) && !finishChannel(line.channel))
        return false;
    return line.info == ' ' || line.info == '?' || line.info == 'i';
}

} // namespace

QString timerOutcomeText(TimerOutcome outcome)
{
    switch (outcome) {
    case TimerOutcome::Started:
        return u"startet den Lauf"_s;
    case TimerOutcome::Stopped:
        return u"stoppt den Lauf"_s;
    case TimerOutcome::IgnoredLocked:
        return u"keine Wirkung (Lichtschranke gesperrt)"_s;
    case TimerOutcome::IgnoredNotReady:
        return u"keine Wirkung (kein Start möglich)"_s;
    case TimerOutcome::IgnoredNotRunning:
        return u"keine Wirkung (kein Lauf)"_s;
    case TimerOutcome::IgnoredTooEarly:
        return u"keine Wirkung (zu früh nach dem Start)"_s;
    case TimerOutcome::Repeated:
        return u"keine Wirkung (dieselbe Zeit noch einmal)"_s;
    case TimerOutcome::LoggedOnly:
        return u"nur protokolliert"_s;
    case TimerOutcome::Tested:
        return u"Test: würde im Lauf wirken"_s;
    case TimerOutcome::Unreadable:
        return u"nicht lesbar"_s;
    }
    return {};
}

TimerImpulses::TimerImpulses(ContactTarget &target, std::function<QString()> programNumber, QObject *parent)
    : QObject(parent)
    , m_target(target)
    , m_programNumber(std::move(programNumber))
{
}

qint64 TimerImpulses::finishMicros(qint64 startMicros, qint64 timeOfDay)
{
    // The timer's clock runs through the day; a finish that reads earlier
    // than its start came after midnight.
    qint64 finish = timeOfDay;
    while (finish < startMicros)
        finish += kDayMicros;
    return finish;
}

void TimerImpulses::take(const QByteArray &bytes, const ContactStamp &arrival)
{
    for (const TimerLineSplitter::Line &line : m_splitter.feed(bytes, arrival))
        handle(line.text, line.arrival);
}

void TimerImpulses::handle(const QByteArray &text, const ContactStamp &arrival)
{
    TimerImpulse impulse;
    impulse.text = text;
    impulse.arrival = arrival;
    impulse.decoded = decodeTimerLine(text);
    impulse.programNumber = m_programNumber ? m_programNumber().trimmed() : QString();
    if (impulse.decoded.ok) {
        const TimerLine &line = impulse.decoded.line;
        impulse.handTime = acts(line)
            && (line.info == 'i' || line.channel == TimerChannel::StartKeypad
                || line.channel == TimerChannel::FinishKeypad);
        if (!m_testing)
            impulse.outcome = act(line, arrival);
        else
            impulse.outcome = acts(line) ? TimerOutcome::Tested : TimerOutcome::LoggedOnly;
    }
    record(impulse);
    if (impulse.decoded.ok)
        checkStartNumber(impulse);
}

TimerOutcome TimerImpulses::act(const TimerLine &line, const ContactStamp &arrival)
{
    if (!acts(line))
        return TimerOutcome::LoggedOnly;
    const std::pair seen{line.channel, line.micros};
    if (m_seen.contains(seen))
        return TimerOutcome::Repeated;
    TimerOutcome outcome;
    if (startChannel(line.channel)) {
        if (!m_target.startBarrierFree())
            return TimerOutcome::IgnoredLocked;
        if (!m_target.startEnabled())
            return TimerOutcome::IgnoredNotReady;
        m_startMicros = line.micros;
        m_target.start({arrival.tick, line.micros});
        outcome = TimerOutcome::Started;
    } else {
        if (!m_target.finishBarrierFree())
            return TimerOutcome::IgnoredLocked;
        if (!m_target.stopEnabled())
            return TimerOutcome::IgnoredNotRunning;
        m_target.stop({arrival.tick, finishMicros(m_startMicros, line.micros)});
        // The target refuses a finish that comes sooner than any run can be.
        if (m_target.stopEnabled())
            return TimerOutcome::IgnoredTooEarly;
        outcome = TimerOutcome::Stopped;
    }
    m_seen.append(seen);
    if (m_seen.size() > kSeenKept)
        m_seen.removeFirst();
    return outcome;
}

void TimerImpulses::checkStartNumber(const TimerImpulse &impulse)
{
    const TimerLine &line = impulse.decoded.line;
    if (impulse.outcome != TimerOutcome::Started && impulse.outcome != TimerOutcome::Stopped)
        return;
    // A time without a valid number says nothing about the driver.
    if (line.startNumber <= 0 || line.info == '?' || impulse.programNumber.isEmpty())
        return;
    bool numeric = false;
    const int program = impulse.programNumber.toInt(&numeric);
    if (numeric && program == line.startNumber)
        return;
    Q_EMIT startNumberMismatch(u"Zeitmessgerät: Startnummer %1 am Gerät, Nr. %2 im Programm"_s.arg(line.startNumber).arg(
        impulse.programNumber));
}

void TimerImpulses::record(const TimerImpulse &impulse)
{
    // Written after the command, so the log never delays a start or a stop.
    if (m_log) {
        const QString meaning = impulse.decoded.ok ? timerLineMeaning(impulse.decoded.line) : impulse.decoded.error;
        m_log->append(u"tick %1\ttimer\t\"%2\"\t%3%4\tProgramm Nr. %5\t%6"_s.arg(impulse.arrival.tick)
                          .arg(QString::fromLatin1(impulse.text), meaning,
                               impulse.handTime ? u", Handzeit"_s : QString(),
                               impulse.programNumber.isEmpty() ? u"–"_s : impulse.programNumber,
                               timerOutcomeText(impulse.outcome)));
    }
    Q_EMIT lineHandled(impulse);
}

} // namespace vex
