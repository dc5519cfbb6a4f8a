#include "PortNumbering.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSerialPortInfo>
#include <QStringList>
#include <algorithm>
#include <utility>

namespace {

int trailingNumber(const QString& name)
{
    static const QRegularExpression digits(QStringLiteral("(\\d+)$"));
    const QRegularExpressionMatch match = digits.match(name);
    return match.hasMatch() ? match.captured(1).toInt() : -1;
}

void sortByNumber(QStringList& devices)
{
    std::sort(devices.begin(), devices.end(),
        [](const QString& a, const QString& b) { return trailingNumber(a) < trailingNumber(b); });
}

QStringList devicesNamed(const QString& devFolder, const QString& pattern)
{
    QStringList devices;
    const QDir dev(devFolder);
    for (const QString& name : dev.entryList({ pattern }, QDir::System | QDir::Files))
        devices << dev.filePath(name);
    sortByNumber(devices);
    return devices;
}

QStringList systemDevices(const QString& devFolder, QStringList ttyS)
{
    QStringList devices = devicesNamed(devFolder, QStringLiteral("ttyACM*"));
    devices += devicesNamed(devFolder, QStringLiteral("ttyUSB*"));
    sortByNumber(ttyS);
    return devices + ttyS;
}

} // namespace

QString PortNumbering::deviceFor(const QString& appPath, int number)
{
    QStringList ttyS;
#ifndef Q_OS_WIN
    // Gathered only when no folder pins the numbers: the system's list takes a while.
    if (!QDir(appPath).exists(QStringLiteral("ports"))) {
        for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
            if (info.portName().startsWith(QLatin1String("ttyS")))
                ttyS << info.systemLocation();
        }
    }
#endif
    return deviceFor(appPath, number, QStringLiteral("/dev"), ttyS);
}

QString PortNumbering::deviceFor(
    const QString& appPath, int number, const QString& devFolder, QStringList ttyS)
{
    if (number < 1)
        return {};
#ifdef Q_OS_WIN
    Q_UNUSED(appPath);
    Q_UNUSED(devFolder);
    Q_UNUSED(ttyS);
    return QStringLiteral("COM%1").arg(number);
#else
    const QDir pinned(QDir(appPath).filePath(QStringLiteral("ports")));
    if (pinned.exists()) {
        const QString entry = pinned.filePath(QStringLiteral("com%1").arg(number));
        return QFileInfo::exists(entry) ? entry : QString();
    }
    const QStringList devices = systemDevices(devFolder, std::move(ttyS));
    return number <= devices.size() ? devices.at(number - 1) : QString();
#endif
}
