#include "ModemSim.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QTimer>

ModemSim::ModemSim()
{
    m_process.setProgram(QStringLiteral(HALVOREN_BINARY_DIR "/modem-sim"));
    // The simulator's complaints about bad commands belong in the test's output.
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
}

bool ModemSim::start(const QString& appDir, int port, const QStringList& options)
{
    const QString link = QDir(appDir).filePath(QStringLiteral("ports/com%1").arg(port));
    m_process.setArguments(port > 0 ? options + QStringList { "--link", link } : options);
    m_process.start();
    m_device = waitFor(QStringLiteral("ready ")).mid(6);
    return !m_device.isEmpty();
}

void ModemSim::command(const QString& line)
{
    m_process.write(line.toUtf8() + '\n');
    // Delivered now, so the simulator acts on it even while the test does not process events.
    m_process.waitForBytesWritten(3000);
}

QString ModemSim::waitFor(const QString& prefix, int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    // Wakes the wait below now and then, so the deadline is seen even when nothing happens.
    QTimer wake;
    wake.start(20);
    for (int i = 0;; ++i) {
        if (i == events().size()) {
            if (deadline.hasExpired() || m_process.state() == QProcess::NotRunning)
                return {};
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
            i = -1;
        } else if (!m_taken.at(i) && m_events.at(i).startsWith(prefix)) {
            m_taken[i] = true;
            return m_events.at(i);
        }
    }
}

QStringList ModemSim::events()
{
    m_partial += m_process.readAllStandardOutput();
    for (int end; (end = m_partial.indexOf('\n')) >= 0; m_partial.remove(0, end + 1)) {
        m_events << QString::fromUtf8(m_partial.left(end));
        m_taken << false;
    }
    return m_events;
}

void ModemSim::stop()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    // SIGTERM: the simulator removes its link on the way out.
    m_process.terminate();
    if (!m_process.waitForFinished(3000))
        m_process.kill();
}
