#pragma once

#include "timing/timers.h"

#include <QHash>
#include <QString>

#include <functional>
#include <memory>

// Timers that run only when the test says so: fire(name) is the expiry of the
// timer of that name, if it is running; nothing waits for real time.
class FakeTimers final : public vex::Timers
{
public:
    struct State
    {
        bool active = false;
        bool repeating = false;
        int intervalMs = 0;
        std::function<void()> onTimeout;
    };

    std::unique_ptr<vex::Timer> make(const QString &name, bool repeating, std::function<void()> onTimeout) override
    {
        auto state = std::make_shared<State>();
        state->repeating = repeating;
        state->onTimeout = std::move(onTimeout);
        m_states.insert(name, state);
        return std::make_unique<FakeTimer>(state);
    }

    bool isActive(const QString &name) const
    {
        const auto s = m_states.value(name);
        return s && s->active;
    }
    int intervalMs(const QString &name) const
    {
        const auto s = m_states.value(name);
        return s ? s->intervalMs : -1;
    }
    // Returns whether the timer was running and so fired.
    bool fire(const QString &name)
    {
        const auto s = m_states.value(name);
        if (!s || !s->active)
            return false;
        if (!s->repeating)
            s->active = false;
        s->onTimeout();
        return true;
    }

private:
    class FakeTimer final : public vex::Timer
    {
    public:
        explicit FakeTimer(std::shared_ptr<State> state)
            : m_state(std::move(state))
        {
        }
        ~FakeTimer() override { m_state->active = false; }
        void start(int intervalMs) override
        {
            m_state->active = true;
            m_state->intervalMs = intervalMs;
        }
        void stop() override { m_state->active = false; }
        bool isActive() const override { return m_state->active; }

    private:
        std::shared_ptr<State> m_state;
    };

    QHash<QString, std::shared_ptr<State>> m_states;
};
