#pragma once

#include "timing/tickclock.h"
#include "timing/timers.h"

#include <QObject>

#include <memory>

namespace vex {

// When the next upload starts. The last change always goes up; between two
// uploads lie at least the interval (from the start of one to the start of
// the next), and after a failure a pause that grows with each failure in a
// row. One upload at a time: a change during one is taken up after it.
class PublishScheduler : public QObject
{
    Q_OBJECT
public:
    static constexpr int kDefaultIntervalMs = 15000;
    static constexpr int kFirstRetryMs = 5000;
    static constexpr int kLongestRetryMs = 5 * 60 * 1000;

    PublishScheduler(const TickSource &ticks, Timers &timers, QObject *parent = nullptr);
    ~PublishScheduler() override;

    void setIntervalMs(int ms) { m_intervalMs = std::max(ms, 1000); }
    int intervalMs() const { return m_intervalMs; }

    // The state changed: it goes up as soon as the rules allow.
    void changed();
    // The operator's "Jetzt veröffentlichen": the current state goes up
    // now, or right after an upload under way.
    void publishNow();
    // The upload that due() started has ended.
    void finished(bool ok);
    // Nothing more goes up until the next change (publishing switched off).
    void stop();

    bool uploading() const { return m_uploading; }
    int failuresInRow() const { return m_failures; }
    // The pause after that many failures in a row.
    static int retryPauseMs(int failures);

Q_SIGNALS:
    // Upload the state as it stands now.
    void due();

private:
    void arm();
    void start();

    const TickSource &m_ticks;
    std::unique_ptr<Timer> m_timer;
    int m_intervalMs = kDefaultIntervalMs;
    bool m_pending = false;
    bool m_uploading = false;
    bool m_started = false;       // m_lastStart holds a start
    quint32 m_lastStart = 0;
    int m_failures = 0;
    quint32 m_failedAt = 0;
};

} // namespace vex
