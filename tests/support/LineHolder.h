#pragma once

#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>
#include <QThread>

// Another program holding a serial line open, without a lock file: a shell that opens the line
// and becomes sleep.
class LineHolder
{
public:
    ~LineHolder() { release(); }

    // False when the line was not held within two seconds.
    bool hold(const QString& device)
    {
        m_process.start("sh", { "-c", "exec 3<>\"$0\"; exec sleep 30", device });
        const QString line = QStringLiteral("/proc/%1/fd/3").arg(m_process.processId());
        const QDeadlineTimer deadline(2000);
        while (QFile::symLinkTarget(line) != device && !deadline.hasExpired())
            QThread::msleep(10);
        return QFile::symLinkTarget(line) == device;
    }
    void release()
    {
        m_process.kill();
        m_process.waitForFinished();
    }

private:
    QProcess m_process;
};
