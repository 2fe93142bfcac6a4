#pragma once

#include "serial/contactstamp.h"

#include <QByteArray>
#include <QList>
#include <QString>

namespace vex {

// What a timer's channel stands for.
enum class TimerChannel {
    Start,        // c0: the start barrier
    Finish,       // c1: the finish barrier
    StartKeypad,  // c0M: the start key of the timer's keypad
    FinishKeypad, // c1M: the finish key
    Other,        // c2...c8 and keypad impulses of them
    RunTime,      // RT: a run time the timer worked out itself
    TotalTime,    // TT: a total of several runs
};

// One line of a timer's printer output, read field by field.
struct TimerLine
{
    // ' ' for an ordinary impulse, else the info character: '?' no valid
    // start number, 'm' from the timer's memory, 'c' cleared, 'd'
    // disqualified, 'i' typed in by hand, 'n' a new start number.
    char info = ' ';
    int startNumber = -1; // -1: the line names none
    TimerChannel channel = TimerChannel::Other;
    QString channelText;  // as the timer wrote it: "c0", "c1M", "RT"
    // The time of day (a duration for RT and TT) in microseconds, exactly
    // the decimals the timer gave.
    qint64 micros = 0;
    int decimals = 0;
    QString trailer;      // group and rank, as written ("00", "010003")
};

struct TimerDecode
{
    bool ok = false;
    TimerLine line;
    QString error; // why a line that isn't ok can't be read
};

// Reads one line without its end. The fields are separated by any number of
// blanks; a line that doesn't fit the format is refused with the reason,
// never completed by guessing.
TimerDecode decodeTimerLine(const QByteArray &text);

// The time as the timer wrote it, to the decimals it gave: "15:43:49,8863".
QString timerTimeText(qint64 micros, int decimals);

// What a decoded line says, in the operator's words.
QString timerLineMeaning(const TimerLine &line);

// Cuts the byte stream into lines. A line ends with CR, LF, or both in
// either order; empty lines are dropped. A line is stamped with the arrival
// of the bytes that ended it. An overlong run of bytes without an end is
// handed on as a line of its own (which won't decode), so a chattering or
// mis-set port can't grow the buffer.
class TimerLineSplitter
{
public:
    static constexpr int kMaxLine = 120;

    struct Line
    {
        QByteArray text;
        ContactStamp arrival;
    };

    QList<Line> feed(const QByteArray &bytes, const ContactStamp &arrival);
    // Whatever waits for its end, e.g. when the port closes.
    const QByteArray &pending() const { return m_pending; }
    void clear() { m_pending.clear(); }

private:
    QByteArray m_pending;
};

} // namespace vex
