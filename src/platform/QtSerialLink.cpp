#include "QtSerialLink.h"

#include "PortNumbering.h"
#include "state/RuntimeError.h"

#include <QStringList>

#include <utility>

QtSerialLink::QtSerialLink(QString appPath)
    : m_appPath(std::move(appPath))
{
    QObject::connect(&m_port, &QSerialPort::errorOccurred, [this](QSerialPort::SerialPortError e) {
        if (e == QSerialPort::ResourceError)
            m_gone = true;
    });
}

void QtSerialLink::setCommPort(int portNumber)
{
    m_portNumber = portNumber;
}

void QtSerialLink::setSettings(const QString& settings)
{
    // "baud,parity,data bits,stop bits"; the program only ever uses "19200,N,8,1".
    const QStringList parts = settings.split(u',');
    if (parts.size() != 4)
        throw RuntimeError(QStringLiteral("Invalid property value"));
    m_port.setBaudRate(parts.at(0).toInt());
    m_port.setParity(parts.at(1) == QLatin1String("E")       ? QSerialPort::EvenParity
                         : parts.at(1) == QLatin1String("O") ? QSerialPort::OddParity
                                                             : QSerialPort::NoParity);
    m_port.setDataBits(static_cast<QSerialPort::DataBits>(parts.at(2).toInt()));
    m_port.setStopBits(parts.at(3) == QLatin1String("2") ? QSerialPort::TwoStop
                                                         : QSerialPort::OneStop);
    m_port.setFlowControl(QSerialPort::NoFlowControl);
}

void QtSerialLink::setInputLen(int length)
{
    // Every read returns all waiting characters; other lengths are never used.
    Q_UNUSED(length);
}

bool QtSerialLink::portOpen() const
{
    return m_port.isOpen();
}

void QtSerialLink::open()
{
    if (m_port.isOpen())
        throw RuntimeError(QStringLiteral("Port already open"));
    const QString device = PortNumbering::deviceFor(m_appPath, m_portNumber);
    if (device.isEmpty())
        throw RuntimeError(QStringLiteral("Invalid port number"));
    m_port.setPortName(device);
    m_gone = false;
    if (!m_port.open(QIODevice::ReadWrite))
        throw RuntimeError(m_port.errorString());
    // Bytes that reached the device while it was closed are not the program's to read.
    m_port.clear(QSerialPort::Input);
}

void QtSerialLink::close()
{
    m_port.close();
    m_gone = false;
}

void QtSerialLink::output(const QString& text)
{
    failIfGone();
    const QByteArray bytes = text.toLatin1();
    if (m_port.write(bytes) != bytes.size())
        throw RuntimeError(m_port.errorString());
    m_port.flush();
}

QString QtSerialLink::input()
{
    failIfGone();
    if (!m_port.isOpen())
        throw RuntimeError(QStringLiteral("Port not open"));
    return QString::fromLatin1(m_port.readAll());
}

void QtSerialLink::failIfGone() const
{
    if (m_gone)
        throw RuntimeError(QStringLiteral("The port has gone away"));
}
