#pragma once

#include "platform/SerialLink.h"
#include "state/RuntimeError.h"

#include <QStringList>

// A modem port in memory: the test queues what the modem sends, one chunk per read, and reads
// back what the program wrote. Closing discards unread chunks, as a real port does.
class ScriptedSerialLink : public SerialLink
{
public:
    void setCommPort(int portNumber) override { commPort = portNumber; }
    void setSettings(const QString& value) override { settings = value; }
    void setInputLen(int length) override { inputLen = length; }
    bool portOpen() const override { return isOpen; }
    void open() override
    {
        failIf(isOpen || openFails || unplugged || commPort < 1);
        isOpen = true;
        ++opens;
    }
    void close() override
    {
        isOpen = false;
        incoming.clear();
        ++closes;
    }
    void output(const QString& text) override
    {
        failIf(!isOpen || unplugged);
        written << text;
    }
    QString input() override
    {
        failIf(!isOpen || unplugged);
        return incoming.isEmpty() ? QString() : incoming.takeFirst();
    }

    // What the modem sends next; delivered by one read each.
    void send(const QString& chunk) { incoming.push_back(chunk); }

    int commPort = -1, inputLen = -1, opens = 0, closes = 0;
    bool isOpen = false, openFails = false, unplugged = false;
    QString settings;
    QStringList written;
    QStringList incoming;

private:
    static void failIf(bool failed)
    {
        if (failed)
            throw RuntimeError(QStringLiteral("Port not available"));
    }
};
