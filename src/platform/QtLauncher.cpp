#include "QtLauncher.h"

#include <QDesktopServices>
#include <QProcess>
#include <QStringList>
#include <QUrl>

bool QtLauncher::openTextFile(const QString& file)
{
    return QDesktopServices::openUrl(QUrl::fromLocalFile(file));
}

bool QtLauncher::startRecorder()
{
#ifdef Q_OS_WIN
    const QStringList recorders { QStringLiteral("soundrecorder.exe"),
                                  QStringLiteral("c:\\windows\\sndrec32.exe") };
#else
    const QStringList recorders { QStringLiteral("gnome-sound-recorder"),
                                  QStringLiteral("audacity"), QStringLiteral("kwave"),
                                  QStringLiteral("audio-recorder") };
#endif
    for (const QString& recorder : recorders) {
        if (QProcess::startDetached(recorder, {}))
            return true;
    }
    return false;
}
