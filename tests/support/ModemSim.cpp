#include "ModemSim.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QTimer>

namespace {

constexpr int kStartTimeoutMs = 10000;
constexpr int kStopTimeoutMs = 3000;
constexpr int kWakeIntervalMs = 20;

} // namespace

ModemSim::ModemSim()
{
    m_process.setProgram(QStringLiteral(HALVOREN_BINARY_DIR "/modem-sim"));
    // The simulator's complaints about bad commands belong in the test's output.
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
}

ModemSim::~ModemSim()
{
    stop();
}

bool ModemSim::start(const QString& appDir, int port, const QStringList& options)
{
    QStringList arguments = options;
    if (port > 0)
        arguments << QStringLiteral("--link")
                  << QDir(appDir).filePath(QStringLiteral("ports/com%1").arg(port));
    m_process.setArguments(arguments);
    m_process.start();
    const QString ready = waitFor(QStringLiteral("ready "), kStartTimeoutMs);
    m_device = ready.mid(6);
    return !m_device.isEmpty();
}

void ModemSim::command(const QString& line)
{
    m_process.write(line.toUtf8() + '\n');
    // Delivered now, so the simulator acts on it even while the test does not process events.
    m_process.waitForBytesWritten(kStopTimeoutMs);
}

QString ModemSim::waitFor(const QString& prefix, int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    // Wakes the wait below now and then, so the deadline is seen even when nothing happens.
    QTimer wake;
    wake.start(kWakeIntervalMs);
    while (true) {
        readEvents();
        for (int i = 0; i < m_events.size(); ++i) {
            if (!m_taken.at(i) && m_events.at(i).startsWith(prefix)) {
                m_taken[i] = true;
                return m_events.at(i);
            }
        }
        if (deadline.hasExpired() || m_process.state() == QProcess::NotRunning)
            return {};
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
}

QStringList ModemSim::events()
{
    readEvents();
    return m_events;
}

void ModemSim::stop()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    command(QStringLiteral("quit"));
    m_process.closeWriteChannel();
    if (!m_process.waitForFinished(kStopTimeoutMs)) {
        m_process.terminate();
        if (!m_process.waitForFinished(kStopTimeoutMs))
            m_process.kill();
    }
    readEvents();
}

void ModemSim::readEvents()
{
    m_partial += m_process.readAllStandardOutput();
    int end;
    while ((end = m_partial.indexOf('\n')) >= 0) {
        m_events << QString::fromUtf8(m_partial.left(end));
        m_taken << false;
        m_partial.remove(0, end + 1);
    }
}
