#include "QtSerialLink.h"

#include "PortHolders.h"
#include "PortNumbering.h"
#include "state/RuntimeError.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>
#include <cerrno>
#include <cstring>
#include <utility>

namespace {

QString inUseBy(const QList<PortHolders::Holder>& holders)
{
    QStringList names;
    for (const PortHolders::Holder& holder : holders)
        names << QStringLiteral("%1 (pid %2)").arg(holder.name).arg(holder.pid);
    return QStringLiteral("in use by ") + names.join(QStringLiteral(", "));
}

QString modemManagerNote(const QString& device)
{
    const qint64 manager = PortHolders::modemManagerWatching(device);
    if (manager == 0)
        return {};
    return QStringLiteral("\nModemManager (pid %1) is running and may take this modem; "
                          "readme.txt, \"A USB modem on Linux\" step 3, tells how to keep it "
                          "away.")
        .arg(manager);
}

} // namespace

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
        throw RuntimeError(QStringLiteral("Invalid port number"), noSuchPort());
    // Qt's lock file is named after the path it is given: the device itself, so that two links
    // to one modem still exclude each other.
    const QString target = QFileInfo(device).canonicalFilePath();
    const QString name = target.isEmpty() ? device : target;
    // A program that holds the line without a lock file would share it: its modem dialogue and
    // the program's would mix.
    const QList<PortHolders::Holder> holders = PortHolders::holdersOf(name);
    if (!holders.isEmpty()) {
        throw RuntimeError(QStringLiteral("Port in use"),
            QStringLiteral("Port %1 (%2) is %3.").arg(m_portNumber).arg(name, inUseBy(holders))
                + modemManagerNote(name));
    }
    m_device = name;
    m_port.setPortName(name);
    if (!m_port.open(QIODevice::ReadWrite)) {
        RuntimeError::Kind kind = RuntimeError::Kind::Other;
        const QString cause = openFailure(name, kind);
        throw RuntimeError(m_port.errorString(), cause, kind);
    }
    // Bytes that reached the device while it was closed are not the program's to read.
    m_port.clear(QSerialPort::Input);
}

QString QtSerialLink::noSuchPort() const
{
#ifdef Q_OS_WIN
    return QStringLiteral("There is no port %1.").arg(m_portNumber);
#else
    const QString pinned = QDir(m_appPath).filePath(QStringLiteral("ports"));
    if (m_portNumber < 1)
        return QStringLiteral("There is no port %1.").arg(m_portNumber);
    if (QFileInfo(pinned).isDir()) {
        return QStringLiteral("There is no port %1: %2 holds no com%1. Link the modem's device "
                              "there, e.g. ln -s /dev/ttyACM0 %2/com%1.")
            .arg(m_portNumber)
            .arg(QDir::toNativeSeparators(pinned));
    }
    return QStringLiteral("There is no port %1: the system has fewer serial devices.")
               .arg(m_portNumber)
        + movedNumbering();
#endif
}

QString QtSerialLink::movedNumbering() const
{
#ifdef Q_OS_WIN
    return QStringLiteral("\nThe modem may be unplugged.");
#else
    return QStringLiteral("\nThe modem may be unplugged, or the numbering moved: a link "
                          "ports/com%1 in %2 pins a device to the number.")
        .arg(m_portNumber)
        .arg(QDir::toNativeSeparators(m_appPath));
#endif
}

QString QtSerialLink::openFailure(const QString& name, RuntimeError::Kind& kind) const
{
    const QString reason
        = QStringLiteral("Port %1 (%2): %3.").arg(m_portNumber).arg(name, m_port.errorString());
    switch (m_port.error()) {
    case QSerialPort::DeviceNotFoundError:
        return reason + movedNumbering();
    case QSerialPort::PermissionError:
        break;
    default:
        return reason;
    }
    const QString lock = PortHolders::lockFileOf(name);
    if (!lock.isEmpty()) {
        const qint64 owner = PortHolders::lockOwner(lock);
        const QString ownerName = PortHolders::processName(owner);
        if (owner > 0 && !ownerName.isEmpty()) {
            return reason
                + QStringLiteral("\nIt is in use by %1 (pid %2), which holds the lock file %3.")
                      .arg(ownerName)
                      .arg(owner)
                      .arg(lock);
        }
        return reason
            + QStringLiteral("\nThe lock file %1 was left by another user (%2) and no program "
                             "holds it now. Remove it: sudo rm %1")
                  .arg(lock, QFileInfo(lock).owner());
    }
#ifdef Q_OS_UNIX
    if (m_port.errorString() == QString::fromLocal8Bit(std::strerror(EBUSY))) {
        return reason
            + QStringLiteral("\nAnother program holds it, one this user may not inspect: "
                             "sudo fuser -v %1 names it.")
                  .arg(name)
            + modemManagerNote(name);
    }
    kind = RuntimeError::Kind::PortNotPermitted;
    return reason
        + QStringLiteral("\nYour user may not open it. Add yourself to the group dialout: sudo "
                         "usermod -aG dialout $USER, then log in again.");
#else
    Q_UNUSED(kind);
    return reason;
#endif
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
        throw RuntimeError(QStringLiteral("The port has gone away"),
            QStringLiteral("Port %1 (%2) went away: the modem was unplugged or switched off.")
                .arg(m_portNumber)
                .arg(m_device));
}
