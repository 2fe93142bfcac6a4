#pragma once

#include "serial/linedevice.h"

#include <QList>

#include <condition_variable>
#include <mutex>
#include <optional>

// A line device without hardware. The test (or a script thread) moves the
// lines; the component's real waiting thread sees the change, stamps it and
// hands it over as it would for a port. Like a UART it counts line changes,
// so changes made while nobody waits are reported together on the next wait.
class FakeLineDevice final : public vex::LineDevice
{
public:
    // --- scripting, from any thread
    void setPresentPorts(QList<int> ports);
    void failNextOpen(vex::LineOpenError error);
    // The lines read `status` from now on (MsCtsOn ... bits). With a stamp,
    // the waiting thread reports that moment instead of reading its clock.
    // Returns the steady clock's microseconds at the change, read under the
    // same lock the waiting thread sees the change through.
    qint64 setStatus(quint32 status, std::optional<vex::ContactStamp> stamp = {});
    // The lines in `statusBits` closed and opened again before anyone read
    // them: levels unchanged, counters moved.
    void pulse(quint32 statusBits, std::optional<vex::ContactStamp> stamp = {});
    // The device is gone: the current or next wait fails with this code.
    void failWait(int code);

    // --- observation
    bool isOpen() const override;
    int openedPort() const;
    vex::LineSettings openedSettings() const;
    int opens() const;
    // The waiting thread sits in the wait with nothing left to report.
    bool settled() const;
    // Blocks up to timeoutMs until settled(); false on time-out.
    bool waitSettled(int timeoutMs) const;

    // --- LineDevice
    bool portPresent(int port) override;
    vex::LineOpenError open(int port, const vex::LineSettings &settings) override;
    void close() override;
    WaitOutcome waitForChange(const vex::ContactClock &clock, vex::LineChange &change, int &errorCode) override;
    void interruptWait() override;
    quint32 modemStatus() override;

private:
    struct Counters
    {
        int cts = 0, dsr = 0, dcd = 0;
    };
    quint32 unreportedLocked() const;
    void countChanges(quint32 bits);

    mutable std::mutex m_mutex;
    mutable std::condition_variable m_changed;
    QList<int> m_present;
    vex::LineOpenError m_openError;
    bool m_open = false;
    int m_port = 0;
    int m_opens = 0;
    vex::LineSettings m_settings;
    quint32 m_status = 0;
    Counters m_counters;
    quint32 m_seenStatus = 0;
    Counters m_seenCounters;
    std::optional<vex::ContactStamp> m_stamp;
    int m_failCode = 0;
    bool m_interrupt = false;
    bool m_waiting = false;
};
