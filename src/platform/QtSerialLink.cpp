#include "QtSerialLink.h"

#include "PortNumbering.h"
#include "state/RuntimeError.h"

#include <QFileInfo>
#include <QStringList>
#include <utility>

QtSerialLink::QtSerialLink(QString appPath)
    : m_appPath(std::move(appPath))
{
    QObject::connect(
        &m_port, &QSerialPort::errorOccurred, &m_port, [this](QSerialPort::SerialPortError error) {
            if (m_port.isOpen()
                && (error == QSerialPort::ResourceError || error == QSerialPort::ReadError
                    || error == QSerialPort::WriteError))
                goneAway();
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
    m_port.setParity(parts.at(1) == QLatin1String("E") ? QSerialPort::EvenParity
            : parts.at(1) == QLatin1String("O")        ? QSerialPort::OddParity
                                                       : QSerialPort::NoParity);
    m_port.setDataBits(static_cast<QSerialPort::DataBits>(parts.at(2).toInt()));
    m_port.setStopBits(
        parts.at(3) == QLatin1String("2") ? QSerialPort::TwoStop : QSerialPort::OneStop);
    m_port.setFlowControl(QSerialPort::NoFlowControl);
}

void QtSerialLink::setInputLen(int length)
{
    // Every read returns all waiting characters; other lengths are never used.
    Q_UNUSED(length);
}

bool QtSerialLink::portOpen() const
{
    // A port that went away stays open for the program until it closes it.
    return m_port.isOpen() || m_gone;
}

void QtSerialLink::open()
{
    if (portOpen())
        throw RuntimeError(QStringLiteral("Port already open"));
    const QString device = PortNumbering::deviceFor(m_appPath, m_portNumber);
    if (device.isEmpty())
        throw RuntimeError(QStringLiteral("Invalid port number"));
    // Qt's lock file is named after the path it is given: the device itself, so that two links
    // to one modem still exclude each other.
    const QString target = QFileInfo(device).canonicalFilePath();
    m_port.setPortName(target.isEmpty() ? device : target);
    if (!m_port.open(QIODevice::ReadWrite))
        throw RuntimeError(m_port.errorString());
    // Bytes that reached the device while it was closed are not the program's to read.
    m_port.clear(QSerialPort::Input);
}

void QtSerialLink::close()
{
    if (m_port.isOpen())
        m_port.close();
    m_gone = false;
}

void QtSerialLink::output(const QString& text)
{
    failIfGone();
    if (!m_port.isOpen())
        throw RuntimeError(QStringLiteral("Port not open"));
    const QByteArray bytes = text.toLatin1();
    if (m_port.write(bytes) != bytes.size() || (!bytes.isEmpty() && !m_port.flush()))
        throw RuntimeError(m_port.errorString());
}

QString QtSerialLink::input()
{
    failIfGone();
    if (!m_port.isOpen())
        throw RuntimeError(QStringLiteral("Port not open"));
    return QString::fromLatin1(m_port.readAll());
}

void QtSerialLink::goneAway()
{
    if (m_gone)
        return;
    m_gone = true;
    // A vanished device reports an error on every poll; closing it stops that storm. The close
    // waits until Qt has finished reporting, and is skipped when the program has closed (and
    // perhaps reopened) the port by then.
    QMetaObject::invokeMethod(
        &m_port,
        [this] {
            if (m_gone && m_port.isOpen())
                m_port.close();
        },
        Qt::QueuedConnection);
}

void QtSerialLink::failIfGone() const
{
    if (m_gone)
        throw RuntimeError(QStringLiteral("The port has gone away"));
}
