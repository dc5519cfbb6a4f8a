#pragma once

#include <QApplication>
#include <QTimer>
#include <functional>
#include <utility>

// Answers the next `times` modal windows of type W that come up while the test waits, from a
// timer that polls for them (activeModalWidget() can be null for a moment while one comes up).
template <class W> class ModalAnswer
{
public:
    explicit ModalAnswer(std::function<void(W&)> answer, int times = 1)
    {
        QObject::connect(&m_poll, &QTimer::timeout, [this, answer, times] {
            if (auto* window = qobject_cast<W*>(QApplication::activeModalWidget())) {
                // Not polling while the answer runs, which may wait for events itself.
                m_poll.stop();
                answer(*window);
                if (++m_answers < times)
                    m_poll.start();
            }
        });
        m_poll.start(10);
    }

    bool answered() const { return m_answers > 0; }

private:
    QTimer m_poll;
    int m_answers = 0;
};
