#pragma once

#include <QApplication>
#include <QTimer>
#include <functional>
#include <utility>

// Answers the first modal window of type W that comes up while the test waits, from a timer that
// polls for it (activeModalWidget() can be null for a moment while a window comes up).
template <class W> class ModalAnswer
{
public:
    explicit ModalAnswer(std::function<void(W&)> answer)
        : m_answer(std::move(answer))
    {
        QObject::connect(&m_poll, &QTimer::timeout, [this] {
            if (auto* window = qobject_cast<W*>(QApplication::activeModalWidget())) {
                m_poll.stop();
                m_answered = true;
                m_answer(*window);
            }
        });
        m_poll.start(10);
    }

    bool answered() const { return m_answered; }

private:
    std::function<void(W&)> m_answer;
    QTimer m_poll;
    bool m_answered = false;
};
