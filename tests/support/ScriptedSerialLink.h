#pragma once

#include "platform/SerialLink.h"

#include <QStringList>

#include <deque>

// A modem port in memory: the test queues what the modem sends, one chunk per read, and reads
// back what the program wrote. Closing discards unread chunks, as a real port does.
class ScriptedSerialLink : public SerialLink
{
public:
    void setCommPort(int portNumber) override { commPort = portNumber; }
    void setSettings(const QString& value) override { settings = value; }
    void setInputLen(int length) override { inputLen = length; }
    bool portOpen() const override { return isOpen; }
    void open() override;
    void close() override;
    void output(const QString& text) override;
    QString input() override;

    // What the modem sends next; delivered by one read each.
    void send(const QString& chunk) { incoming.push_back(chunk); }
    // The modem goes away: further reads and writes fail.
    void unplug() { unplugged = true; }

    int commPort = -1;
    QString settings;
    int inputLen = -1;
    bool isOpen = false;
    bool openFails = false;
    bool unplugged = false;
    int opens = 0;
    int closes = 0;
    QStringList written;
    std::deque<QString> incoming;
};
