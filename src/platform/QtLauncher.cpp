#include "QtLauncher.h"

#include <QDesktopServices>
#include <QProcess>
#include <QStringList>
#include <QUrl>

void QtLauncher::openTextFile(const QString& file, std::function<void()> failed)
{
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    // Qt's own way to the desktop's viewer never learns whether xdg-open found one; its exit
    // status tells.
    auto* opener = new QProcess;
    opener->setProcessChannelMode(QProcess::ForwardedChannels);
    QObject::connect(opener, &QProcess::finished, opener,
        [opener, failed](int code, QProcess::ExitStatus status) {
            if (status != QProcess::NormalExit || code != 0)
                failed();
            opener->deleteLater();
        });
    QObject::connect(
        opener, &QProcess::errorOccurred, opener, [opener, failed](QProcess::ProcessError error) {
            if (error != QProcess::FailedToStart)
                return;
            failed();
            opener->deleteLater();
        });
    opener->start(QStringLiteral("xdg-open"), { file });
#else
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(file)))
        failed();
#endif
}

bool QtLauncher::startRecorder()
{
    for (const QString& recorder : recorders()) {
        if (QProcess::startDetached(recorder, {}))
            return true;
    }
    return false;
}

QStringList QtLauncher::recorders() const
{
#ifdef Q_OS_WIN
    return { QStringLiteral("soundrecorder.exe"), QStringLiteral("c:\\windows\\sndrec32.exe") };
#else
    return { QStringLiteral("gnome-sound-recorder"), QStringLiteral("audacity"),
        QStringLiteral("kwave"), QStringLiteral("audio-recorder") };
#endif
}
