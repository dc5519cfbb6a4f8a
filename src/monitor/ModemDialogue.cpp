#include "ModemDialogue.h"

#include "platform/SerialLink.h"

namespace ModemDialogue {

void openPort(SerialLink& port, int portNumber)
{
    port.setCommPort(portNumber);
    port.setSettings(kLineSettings);
    port.setInputLen(0);
    port.open();
}

bool appendAndFind(QString& buffer, const QString& received, const QString& needle)
{
    const qsizetype from = qMax<qsizetype>(0, buffer.size() - (needle.size() - 1));
    buffer += received;
    return buffer.indexOf(needle, from) >= 0;
}

} // namespace ModemDialogue
