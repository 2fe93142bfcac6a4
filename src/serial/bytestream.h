#pragma once

#include "serial/contactstamp.h"

#include <QByteArray>
#include <QObject>
#include <QString>

#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>

class QThread;

namespace vex {

class ByteDevice;
class Timer;
class Timers;

// One serial byte stream of the program (the timer, the display board) on
// the GUI thread. While open, a reading thread blocks in the device and
// hands every arrival over whole, stamped, by a queued call; a writing
// thread sends the newest line given to it. Neither waits for the GUI
// thread, and the GUI thread never waits for the device: a line given while
// another is on the wire replaces the one still waiting, so a slow or
// missing device never holds anything up and never falls behind by more
// than one line. A device that goes away is looked for once a second and
// opened again when it is back.
class ByteStream : public QObject
{
    Q_OBJECT
public:
    enum class State { Off, Open, Refused, Lost };

    // what: the device in the operator's words ("Zeitmessgerät"); reads:
    // whether the stream has a reading thread.
    ByteStream(ByteDevice &device, const ContactClock &clock, Timers &timers, QString what, bool reads,
               QObject *parent = nullptr);
    ~ByteStream() override;

    // Opens the named port (closing first); an empty name opens nothing.
    // False when the port can't be opened now (State::Refused; it is
    // looked for again like a lost one).
    bool open(const QString &port, int baudRate);
    void close();
    bool isOpen() const { return m_state == State::Open; }
    State state() const { return m_state; }
    const QString &port() const { return m_port; }
    // The state in the operator's words, with the port; and in short, for
    // the status bar.
    QString stateText() const;
    QString shortStateText() const;

    // The line goes out next, replacing one that hasn't begun yet.
    void send(const QByteArray &line);
    // Lines written whole, and lines replaced before they were begun.
    quint64 written() const;
    quint64 dropped() const;

Q_SIGNALS:
    void received(const QByteArray &bytes, const vex::ContactStamp &arrival);
    void stateChanged();
    // Lost, restored: for the log and the status bar.
    void message(const QString &text);

private:
    bool openNow();
    void startThreads();
    void stopThreads();
    void failed(quint64 session, int code);
    void lookAgain();
    void setState(State state);
    void readLoop(quint64 session);
    void writeLoop(quint64 session);

    ByteDevice &m_device;
    const ContactClock &m_clock;
    const QString m_what;
    const bool m_reads;
    QString m_port;
    int m_baudRate = 9600;
    State m_state = State::Off;
    quint64 m_session = 0;
    std::unique_ptr<Timer> m_retry;
    std::unique_ptr<QThread> m_reader;
    std::unique_ptr<QThread> m_writer;

    mutable std::mutex m_mutex;
    std::condition_variable m_lineWaiting;
    std::optional<QByteArray> m_pending;
    bool m_stop = false;
    quint64 m_written = 0;
    quint64 m_dropped = 0;
};

} // namespace vex
