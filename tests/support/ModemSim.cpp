#include "ModemSim.h"

#include <QDeadlineTimer>
#include <QRegularExpression>

namespace {

constexpr int kStartTimeoutMs = 10000;
constexpr int kStopTimeoutMs = 3000;

} // namespace

ModemSim::ModemSim(bool keepEvents)
    : m_keepEvents(keepEvents)
{
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    connect(&m_process, &QProcess::readyReadStandardOutput, this, &ModemSim::readEvents);
}

ModemSim::~ModemSim()
{
    // SIGTERM: the simulator removes its link on the way out.
    m_process.terminate();
    if (!m_process.waitForFinished(kStopTimeoutMs))
        m_process.kill();
}

bool ModemSim::start(const QString& folder, int port, const QStringList& options)
{
    const QStringList link { "--link", folder + QStringLiteral("/ports/com%1").arg(port) };
    m_process.start(HALVOREN_BINARY_DIR "/modem-sim", port > 0 ? options + link : options);
    const QDeadlineTimer deadline(kStartTimeoutMs);
    while (m_device.isEmpty() && !deadline.hasExpired()
        && m_process.waitForReadyRead(int(deadline.remainingTime()))) { }
    return !m_device.isEmpty();
}

void ModemSim::command(const QString& line)
{
    m_process.write(line.toUtf8() + '\n');
    // Delivered now, so the simulator acts on it even while the caller does not process events.
    m_process.waitForBytesWritten(kStopTimeoutMs);
}

QStringList ModemSim::events()
{
    readEvents();
    return m_lines;
}

void ModemSim::readEvents()
{
    // With --timestamps a line starts with the moment of the event.
    static const QRegularExpression ready(QStringLiteral("^(\\d+ )?ready (.*)$"));
    m_partial += m_process.readAllStandardOutput();
    qsizetype end;
    while ((end = m_partial.indexOf('\n')) >= 0) {
        const QString line = QString::fromUtf8(m_partial.left(end));
        m_partial.remove(0, end + 1);
        if (m_keepEvents)
            m_lines << line;
        if (m_device.isEmpty())
            m_device = ready.match(line).captured(2);
        emit eventLine(line);
    }
}
