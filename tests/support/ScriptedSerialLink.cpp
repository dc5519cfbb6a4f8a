#include "ScriptedSerialLink.h"

#include "state/RuntimeError.h"

void ScriptedSerialLink::open()
{
    if (isOpen || openFails || unplugged || commPort < 1)
        throw RuntimeError(QStringLiteral("Port cannot be opened"));
    isOpen = true;
    ++opens;
}

void ScriptedSerialLink::close()
{
    isOpen = false;
    incoming.clear();
    ++closes;
}

void ScriptedSerialLink::output(const QString& text)
{
    if (!isOpen || unplugged)
        throw RuntimeError(QStringLiteral("Port not open"));
    written << text;
}

QString ScriptedSerialLink::input()
{
    if (!isOpen || unplugged)
        throw RuntimeError(QStringLiteral("Port not open"));
    if (incoming.empty())
        return {};
    QString chunk = incoming.front();
    incoming.pop_front();
    return chunk;
}
