#pragma once

#include "platform/SerialLink.h"

#include <functional>
#include <memory>

// The program's modem port with a probe on it: the benchmark learns when the program polls,
// what it read and wrote, and when it starts a call cycle (it asks whether the port is open),
// without the program behaving any differently.
class ProbedLink : public SerialLink
{
public:
    explicit ProbedLink(std::unique_ptr<SerialLink> port);

    // Each runs just after the program's call returned.
    std::function<void()> onOpenQuery;
    std::function<void(const QString& text)> onRead;
    std::function<void(const QString& text)> onWrite;

    // Every read, those that found nothing included: the program's polls of the port.
    qint64 polls() const { return m_polls; }

    void setCommPort(int portNumber) override;
    void setSettings(const QString& settings) override;
    void setInputLen(int length) override;
    bool portOpen() const override;
    void open() override;
    void close() override;
    void output(const QString& text) override;
    QString input() override;

private:
    std::unique_ptr<SerialLink> m_port;
    qint64 m_polls = 0;
};
