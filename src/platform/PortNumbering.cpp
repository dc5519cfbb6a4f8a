#include "PortNumbering.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSerialPortInfo>
#include <QStringList>

#include <algorithm>

namespace {

int trailingNumber(const QString& name)
{
    static const QRegularExpression digits(QStringLiteral("(\\d+)$"));
    const QRegularExpressionMatch match = digits.match(name);
    return match.hasMatch() ? match.captured(1).toInt() : -1;
}

void sortByNumber(QStringList& devices)
{
    std::sort(devices.begin(), devices.end(), [](const QString& a, const QString& b) {
        return trailingNumber(a) < trailingNumber(b);
    });
}

QStringList devicesNamed(const QString& pattern)
{
    QStringList devices;
    const QDir dev(QStringLiteral("/dev"));
    for (const QString& name : dev.entryList({ pattern }, QDir::System | QDir::Files))
        devices << dev.filePath(name);
    sortByNumber(devices);
    return devices;
}

QStringList systemDevices()
{
    QStringList devices = devicesNamed(QStringLiteral("ttyACM*"));
    devices += devicesNamed(QStringLiteral("ttyUSB*"));
    QStringList serial;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        if (info.portName().startsWith(QLatin1String("ttyS")))
            serial << info.systemLocation();
    }
    sortByNumber(serial);
    return devices + serial;
}

} // namespace

QString PortNumbering::deviceFor(const QString& appPath, int number)
{
    if (number < 1)
        return {};
#ifdef Q_OS_WIN
    Q_UNUSED(appPath);
    return QStringLiteral("COM%1").arg(number);
#else
    const QDir pinned(QDir(appPath).filePath(QStringLiteral("ports")));
    if (pinned.exists()) {
        const QString entry = pinned.filePath(QStringLiteral("com%1").arg(number));
        return QFileInfo::exists(entry) ? entry : QString();
    }
    const QStringList devices = systemDevices();
    return number <= devices.size() ? devices.at(number - 1) : QString();
#endif
}
