#pragma once

#include <QObject>
#include <QStringList>
#include <QTimer>
#include <deque>
#include <functional>

// Drives a test from inside the program's own event handling. A procedure such as the Activate
// click runs its loop until it is switched off, so a test cannot wait outside it: instead the
// scenario's steps run from a polling timer while the procedure yields. Each step waits for its
// condition, then acts. A watchdog gives up after a time limit so a stuck program fails the test
// instead of hanging it.
class Scenario : public QObject
{
    Q_OBJECT

public:
    explicit Scenario(int timeLimitMs = 20000);

    Scenario& until(
        std::function<bool()> condition, std::function<void()> action = [] {},
        const QString& description = {});
    Scenario& then(std::function<void()> action);
    // Waits this long from the moment the step is reached.
    Scenario& pause(int ms);

    // Runs `procedure` (e.g. a click that only returns once monitoring stops) with the steps
    // running meanwhile. `onTimeOut` runs when the time limit passes, to make the procedure return.
    void run(const std::function<void()>& procedure, const std::function<void()>& onTimeOut);

    bool finished() const { return m_steps.empty(); }
    // The step that was still waiting when the time limit passed, or "".
    QString stuckAt() const { return m_stuckAt; }

private:
    struct Step
    {
        std::function<bool()> condition;
        std::function<void()> action;
        QString description;
    };

    void poll();

    std::deque<Step> m_steps;
    QTimer m_poll;
    QTimer m_watchdog;
    QString m_stuckAt;
    std::function<void()> m_onTimeOut;
    bool m_acting = false;
};
