#include "Scenario.h"

#include <QElapsedTimer>
#include <memory>

Scenario::Scenario(int timeLimitMs)
{
    m_poll.setInterval(5);
    connect(&m_poll, &QTimer::timeout, this, &Scenario::poll);
    m_watchdog.setSingleShot(true);
    m_watchdog.setInterval(timeLimitMs);
    connect(&m_watchdog, &QTimer::timeout, this, [this] {
        m_poll.stop();
        m_stuckAt = m_steps.empty() ? QStringLiteral("(after the last step)")
                                    : m_steps.front().description;
        if (m_stuckAt.isEmpty())
            m_stuckAt = QStringLiteral("step %1 from the end").arg(m_steps.size());
        if (m_onTimeOut)
            m_onTimeOut();
    });
}

Scenario& Scenario::until(
    std::function<bool()> condition, std::function<void()> action, const QString& description)
{
    m_steps.push_back({ std::move(condition), std::move(action), description });
    return *this;
}

Scenario& Scenario::then(std::function<void()> action)
{
    return until([] { return true; }, std::move(action));
}

Scenario& Scenario::pause(int ms)
{
    auto clock = std::make_shared<QElapsedTimer>();
    then([clock] { clock->start(); });
    return until([clock, ms] { return clock->elapsed() >= ms; });
}

void Scenario::run(const std::function<void()>& procedure, const std::function<void()>& onTimeOut)
{
    m_onTimeOut = onTimeOut;
    m_poll.start();
    m_watchdog.start();
    procedure();
    m_poll.stop();
    m_watchdog.stop();
}

void Scenario::poll()
{
    // An action may itself yield (a click that runs a nested loop); do not re-enter meanwhile.
    if (m_acting || m_steps.empty() || !m_steps.front().condition())
        return;
    const Step step = m_steps.front();
    m_steps.pop_front();
    m_acting = true;
    step.action();
    m_acting = false;
}
