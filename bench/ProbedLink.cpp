#include "ProbedLink.h"

#include <utility>

ProbedLink::ProbedLink(std::unique_ptr<SerialLink> port)
    : m_port(std::move(port))
{
}

void ProbedLink::setCommPort(int portNumber)
{
    m_port->setCommPort(portNumber);
}

void ProbedLink::setSettings(const QString& settings)
{
    m_port->setSettings(settings);
}

void ProbedLink::setInputLen(int length)
{
    m_port->setInputLen(length);
}

bool ProbedLink::portOpen() const
{
    const bool open = m_port->portOpen();
    if (onOpenQuery)
        onOpenQuery();
    return open;
}

void ProbedLink::open()
{
    m_port->open();
}

void ProbedLink::close()
{
    m_port->close();
}

void ProbedLink::output(const QString& text)
{
    m_port->output(text);
    if (onWrite)
        onWrite(text);
}

QString ProbedLink::input()
{
    QString text = m_port->input();
    ++m_polls;
    if (onRead && !text.isEmpty())
        onRead(text);
    return text;
}
