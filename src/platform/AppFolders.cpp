#include "AppFolders.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

AppFolders AppFolders::locate(const QString& executableDir)
{
    const QDir bin(executableDir);
    const QString shipped
        = QDir::cleanPath(bin.absoluteFilePath(QStringLiteral("../share/halvoren")));
    if (bin.dirName() != QLatin1String("bin") || !QFileInfo(shipped).isDir())
        return { executableDir, executableDir };

    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
        + QStringLiteral("/halvoren");
    // The call log and the phone book are the user's own business, not other users'. A folder
    // the user has already is left as it is.
    if (QDir().mkpath(QFileInfo(data).path()))
        QDir().mkdir(data, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return { data, shipped };
}
