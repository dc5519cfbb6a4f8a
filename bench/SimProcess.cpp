#include "SimProcess.h"

#include <QDeadlineTimer>

namespace {

constexpr int kStartTimeoutMs = 10000;
constexpr int kStopTimeoutMs = 3000;

} // namespace

SimProcess::SimProcess()
{
    m_process.setProgram(QStringLiteral(HALVOREN_BINARY_DIR "/modem-sim"));
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    connect(&m_process, &QProcess::readyReadStandardOutput, this, &SimProcess::readEvents);
}

SimProcess::~SimProcess()
{
    stop();
}

bool SimProcess::start(const QString& linkPath, const QStringList& options)
{
    m_process.setArguments(
        QStringList { QStringLiteral("--timestamps"), QStringLiteral("--link"), linkPath }
        + options);
    m_process.start();
    const QDeadlineTimer deadline(kStartTimeoutMs);
    while (!m_ready && !deadline.hasExpired() && m_process.state() != QProcess::NotRunning)
        m_process.waitForReadyRead(int(deadline.remainingTime()));
    return m_ready;
}

void SimProcess::command(const QString& line)
{
    m_process.write(line.toUtf8() + '\n');
    // On its way now, not at the program's next yield.
    m_process.waitForBytesWritten(kStopTimeoutMs);
}

void SimProcess::stop()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    command(QStringLiteral("quit"));
    m_process.closeWriteChannel();
    if (!m_process.waitForFinished(kStopTimeoutMs))
        m_process.kill();
}

void SimProcess::readEvents()
{
    m_partial += m_process.readAllStandardOutput();
    qsizetype end;
    while ((end = m_partial.indexOf('\n')) >= 0) {
        const QString line = QString::fromUtf8(m_partial.left(end));
        m_partial.remove(0, end + 1);
        const qsizetype space = line.indexOf(u' ');
        const QString text = line.mid(space + 1);
        if (text.startsWith(QLatin1String("ready ")))
            m_ready = true;
        emit simEvent(line.left(space).toLongLong(), text);
    }
}
