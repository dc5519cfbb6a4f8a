#pragma once

#include "SerialLink.h"
#include "state/RuntimeError.h"

#include <QSerialPort>

// The modem port over QSerialPort, with port numbers mapped by PortNumbering.
class QtSerialLink : public SerialLink
{
public:
    explicit QtSerialLink(QString appPath);

    void setCommPort(int portNumber) override;
    void setSettings(const QString& settings) override;
    void setInputLen(int length) override;
    bool portOpen() const override;
    void open() override;
    void close() override;
    void output(const QString& text) override;
    QString input() override;

    // The line as it was applied, for those who check it.
    const QSerialPort& port() const { return m_port; }

private:
    QString noSuchPort() const;
    // What to do about a port that is not there.
    QString movedNumbering() const;
    QString openFailure(const QString& name, RuntimeError::Kind& kind) const;
    void goneAway();
    void failIfGone() const;

    QString m_appPath;
    int m_portNumber = 0;
    // The device last opened, as the user is told of it.
    QString m_device;
    QSerialPort m_port;
    bool m_gone = false;
};
