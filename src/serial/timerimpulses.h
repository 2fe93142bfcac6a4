#pragma once

#include "serial/timerline.h"

#include <QList>
#include <QObject>
#include <QString>

#include <functional>

namespace vex {

class ContactLog;
class ContactTarget;

// What one line of the timer did.
enum class TimerOutcome {
    Started,
    Stopped,
    IgnoredLocked,     // the barrier's flag is 0
    IgnoredNotReady,   // a start while no run can start
    IgnoredNotRunning, // a finish while no run is timed
    IgnoredTooEarly,   // a finish sooner after the start than a run can be
    Repeated,          // the same impulse again (same channel, same time)
    LoggedOnly,        // a line that never starts or stops a run
    Tested,            // the barriers are being tested: nothing acts
    Unreadable,        // the line doesn't fit the format
};

QString timerOutcomeText(TimerOutcome outcome);

// One line of the timer as it was handled.
struct TimerImpulse
{
    QByteArray text;
    ContactStamp arrival;
    TimerDecode decoded;
    TimerOutcome outcome = TimerOutcome::Unreadable;
    QString programNumber; // the program's driver when the line came
    bool handTime = false; // a keypad impulse or a time typed in on the timer
};

// The timer's lines acting on the run, as the light barriers do: c0 starts
// a run that is ready with the start barrier free, c1 stops a running one
// with the finish barrier free, the keypad's c0M and c1M the same as hand
// times. Every other line (cleared, disqualified, from memory, a new start
// number, other channels, RT and TT) is logged and acts on nothing, and so
// is an impulse that comes again. The run is judged and recorded on the
// timer's own clock: a start carries the timer's time of day as its
// microseconds, a finish the same (a day later when it is earlier than the
// start, across midnight), while the tick is the line's arrival, which the
// running clock on screen goes by.
class TimerImpulses : public QObject
{
    Q_OBJECT
public:
    static constexpr qint64 kDayMicros = 86'400'000'000;

    // programNumber: the start number of the driver the program is timing.
    TimerImpulses(ContactTarget &target, std::function<QString()> programNumber, QObject *parent = nullptr);

    // Every line is appended here when set; not owned.
    void setLog(ContactLog *log) { m_log = log; }
    // While the barriers are tested, lines are logged but act on nothing.
    void setTesting(bool testing) { m_testing = testing; }

    // Bytes as they came from the port.
    void take(const QByteArray &bytes, const ContactStamp &arrival);
    // The port opened afresh: a half line from before is dropped.
    void restart() { m_splitter.clear(); }

    // The microseconds a finish at this time of day carries, for a run
    // whose start was at startMicros.
    static qint64 finishMicros(qint64 startMicros, qint64 timeOfDay);

Q_SIGNALS:
    void lineHandled(const vex::TimerImpulse &impulse);
    // The timer's start number isn't the program's driver's; for the
    // operator, nothing is changed.
    void startNumberMismatch(const QString &text);

private:
    void handle(const QByteArray &text, const ContactStamp &arrival);
    TimerOutcome act(const TimerLine &line, const ContactStamp &arrival);
    void checkStartNumber(const TimerImpulse &impulse);
    void record(const TimerImpulse &impulse);

    ContactTarget &m_target;
    std::function<QString()> m_programNumber;
    ContactLog *m_log = nullptr;
    bool m_testing = false;
    TimerLineSplitter m_splitter;
    qint64 m_startMicros = 0;
    // The impulses that acted lately, so one sent twice acts once.
    QList<std::pair<TimerChannel, qint64>> m_seen;
};

} // namespace vex
