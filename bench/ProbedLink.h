#pragma once

#include "platform/SerialLink.h"

#include <functional>
#include <memory>

// The program's modem port with a probe on it: the benchmark learns what the program read and
// wrote, and when it starts a call cycle (it asks whether the port is open), without the program
// behaving any differently. Each probe runs just after the program's own call, never on the
// port's calls to itself.
class ProbedLink : public SerialLink
{
public:
    explicit ProbedLink(std::unique_ptr<SerialLink> port)
        : m_port(std::move(port))
    {
    }

    std::function<void()> onOpenQuery;
    std::function<void(const QString& text)> onRead;
    std::function<void(const QString& text)> onWrite;

    void setCommPort(int portNumber) override { m_port->setCommPort(portNumber); }
    void setSettings(const QString& settings) override { m_port->setSettings(settings); }
    void setInputLen(int length) override { m_port->setInputLen(length); }
    void open() override { m_port->open(); }
    void close() override { m_port->close(); }
    bool portOpen() const override
    {
        const bool open = m_port->portOpen();
        if (onOpenQuery)
            onOpenQuery();
        return open;
    }
    void output(const QString& text) override
    {
        m_port->output(text);
        if (onWrite)
            onWrite(text);
    }
    QString input() override
    {
        QString text = m_port->input();
        if (onRead && !text.isEmpty())
            onRead(text);
        return text;
    }

private:
    std::unique_ptr<SerialLink> m_port;
};
