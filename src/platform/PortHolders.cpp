#include "PortHolders.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringList>

namespace {

#ifdef Q_OS_LINUX
const QString kProc = QStringLiteral("/proc");

QString readText(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

QStringList processIds()
{
    static const QRegularExpression digits(QStringLiteral("^\\d+$"));
    return QDir(kProc).entryList(QDir::Dirs | QDir::NoDotAndDotDot).filter(digits);
}

// The pseudo-terminal number of "/dev/pts/N", or -1 for any other device.
int ptsNumber(const QString& device)
{
    static const QRegularExpression pts(QStringLiteral("^/dev/pts/(\\d+)$"));
    const QRegularExpressionMatch match = pts.match(device);
    return match.hasMatch() ? match.captured(1).toInt() : -1;
}

// Whether the process's descriptors open `device` and not the master side of its line.
bool holds(const QString& pid, const QString& device, int pts)
{
    const QDir fds(kProc + u'/' + pid + QStringLiteral("/fd"));
    bool opened = false;
    for (const QString& fd : fds.entryList(QDir::AllEntries | QDir::System)) {
        const QString target = QFile::symLinkTarget(fds.filePath(fd));
        if (target == device) {
            opened = true;
        } else if (pts >= 0
            && (target == QLatin1String("/dev/ptmx") || target == QLatin1String("/dev/pts/ptmx"))) {
            const QString info = readText(kProc + u'/' + pid + QStringLiteral("/fdinfo/") + fd);
            static const QRegularExpression index(
                QStringLiteral("^tty-index:\\s*(\\d+)$"), QRegularExpression::MultilineOption);
            const QRegularExpressionMatch match = index.match(info);
            if (match.hasMatch() && match.captured(1).toInt() == pts)
                return false;
        }
    }
    return opened;
}
#endif

} // namespace

QList<PortHolders::Holder> PortHolders::holdersOf(const QString& device)
{
    QList<Holder> holders;
#ifdef Q_OS_LINUX
    const QString canonical = QFileInfo(device).canonicalFilePath();
    if (canonical.isEmpty())
        return holders;
    const int pts = ptsNumber(canonical);
    const QString own = QString::number(QCoreApplication::applicationPid());
    for (const QString& pid : processIds()) {
        if (pid != own && holds(pid, canonical, pts))
            holders << Holder { pid.toLongLong(), processName(pid.toLongLong()) };
    }
#else
    Q_UNUSED(device);
#endif
    return holders;
}

QString PortHolders::processName(qint64 pid)
{
#ifdef Q_OS_LINUX
    return readText(kProc + QStringLiteral("/%1/comm").arg(pid)).trimmed();
#else
    Q_UNUSED(pid);
    return {};
#endif
}

QString PortHolders::lockFileOf(const QString& device)
{
#ifdef Q_OS_LINUX
    // The UUCP convention: LCK.. and the device's name below /dev, slashes made underscores.
    QString name = QFileInfo(device).canonicalFilePath();
    if (name.startsWith(QLatin1String("/dev/")))
        name = name.mid(5);
    name = QStringLiteral("LCK..") + name.replace(u'/', u'_');
    for (const char* folder : { "/var/lock", "/etc/locks", "/var/spool/locks", "/var/spool/uucp",
             "/tmp", "/var/tmp", "/var/lock/lockdev", "/run/lock" }) {
        const QString path = QDir(QLatin1String(folder)).filePath(name);
        if (QFileInfo::exists(path))
            return path;
    }
#else
    Q_UNUSED(device);
#endif
    return {};
}

qint64 PortHolders::lockOwner(const QString& lockFile)
{
#ifdef Q_OS_LINUX
    return readText(lockFile).section(u'\n', 0, 0).trimmed().toLongLong();
#else
    Q_UNUSED(lockFile);
    return 0;
#endif
}

qint64 PortHolders::modemManagerWatching(const QString& device)
{
#ifdef Q_OS_LINUX
    qint64 manager = 0;
    for (const QString& pid : processIds()) {
        if (processName(pid.toLongLong()) == QLatin1String("ModemManager"))
            manager = pid.toLongLong();
    }
    if (manager == 0)
        return 0;
    // udev keeps the device's properties under its major and minor numbers.
    const QString name = QFileInfo(QFileInfo(device).canonicalFilePath()).fileName();
    const QString numbers = readText(QStringLiteral("/sys/class/tty/%1/dev").arg(name)).trimmed();
    if (numbers.isEmpty())
        return 0;
    const QString properties = readText(QStringLiteral("/run/udev/data/c") + numbers);
    const bool ignored = properties.split(u'\n').contains(QLatin1String("E:ID_MM_DEVICE_IGNORE=1"));
    return ignored ? 0 : manager;
#else
    Q_UNUSED(device);
    return 0;
#endif
}
