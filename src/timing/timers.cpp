#include "timing/timers.h"

#include <QTimer>

namespace vex {

namespace {

class QtTimer final : public Timer
{
public:
    QtTimer(const QString &name, bool repeating, std::function<void()> onTimeout)
    {
        m_timer.setObjectName(name);
        m_timer.setSingleShot(!repeating);
        if (repeating)
            m_timer.setTimerType(Qt::PreciseTimer);
        QObject::connect(&m_timer, &QTimer::timeout, &m_timer, std::move(onTimeout));
    }
    void start(int intervalMs) override { m_timer.start(qMax(0, intervalMs)); }
    void stop() override { m_timer.stop(); }
    bool isActive() const override { return m_timer.isActive(); }

private:
    QTimer m_timer;
};

} // namespace

std::unique_ptr<Timer> QtTimers::make(const QString &name, bool repeating, std::function<void()> onTimeout)
{
    return std::make_unique<QtTimer>(name, repeating, std::move(onTimeout));
}

} // namespace vex
