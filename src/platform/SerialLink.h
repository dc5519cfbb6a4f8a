#pragma once

#include <QString>

// The modem port as the program drives it: select port, line settings, read all, query, open,
// close, write and read. Open, write and read fail with RuntimeError; read never waits.
class SerialLink
{
public:
    virtual ~SerialLink() = default;

    virtual void setCommPort(int portNumber) = 0;
    virtual void setSettings(const QString& settings) = 0;
    virtual void setInputLen(int length) = 0;
    virtual bool portOpen() const = 0;
    // Opening discards anything the port received while it was closed.
    virtual void open() = 0;
    // Closing discards everything received and not yet read.
    virtual void close() = 0;
    virtual void output(const QString& text) = 0;
    virtual QString input() = 0;
};
