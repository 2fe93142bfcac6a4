#pragma once

#include <QObject>

#include <memory>

namespace vex {

class ByteDevice;
class ByteStream;
class ContactClock;
class Race;
enum class RunState;
class Timers;

// The display board on a serial port of its own follows the race as the
// spectators' window does: the running time every tenth of a second while
// a run is timed, the stopped time, the entered time with the class rank
// after the entry, dark after an abort. What it shows and where it is come
// from the settings. Only the newest line ever waits for the port (see
// ByteStream), so a slow or missing board never holds up the timing.
class RaceBoard : public QObject
{
    Q_OBJECT
public:
    RaceBoard(Race &race, Timers &timers, ByteDevice &device, const ContactClock &clock, QObject *parent = nullptr);
    ~RaceBoard() override;

    ByteStream &stream() { return *m_stream; }

    void open();
    void close();

Q_SIGNALS:
    void stateChanged();
    void message(const QString &text);

private:
    void showRunningTime(qint32 ms);
    void followRunState();
    void showEntered();

    Race &m_race;
    std::unique_ptr<ByteStream> m_stream;
    RunState m_lastState;
    qint64 m_lastTenth = -1;
};

} // namespace vex
