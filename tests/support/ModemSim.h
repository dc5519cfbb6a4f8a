#pragma once

#include <QDeadlineTimer>
#include <QObject>
#include <QProcess>
#include <QRegularExpression>
#include <QStringList>

// tools/modem-sim as a child process on a pseudo-terminal: commands go to its standard input, its
// event lines ("ready /dev/pts/3", "rx ATV1Q0", "ring 1", ...) come from its standard output.
// Stopped, and its link removed, when this goes.
class ModemSim : public QObject
{
    Q_OBJECT

public:
    // A long run that only follows eventLine keeps none, so its memory does not grow with it.
    explicit ModemSim(bool keepEvents = true)
        : m_keepEvents(keepEvents)
    {
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        connect(&m_process, &QProcess::readyReadStandardOutput, this, &ModemSim::readEvents);
    }
    ~ModemSim() override
    {
        // SIGTERM: the simulator removes its link on the way out.
        m_process.terminate();
        if (!m_process.waitForFinished(3000))
            m_process.kill();
    }

    // Starts the simulator with its device linked as <folder>/ports/com<port>, or not linked when
    // `port` is 0; false when it did not come up within 10 s.
    bool start(const QString& folder, int port, const QStringList& options = {})
    {
        const QStringList link { "--link", folder + QStringLiteral("/ports/com%1").arg(port) };
        m_process.start(HALVOREN_BINARY_DIR "/modem-sim", port > 0 ? options + link : options);
        const QDeadlineTimer deadline(10000);
        while (m_device.isEmpty() && m_process.waitForReadyRead(int(deadline.remainingTime()))) { }
        return !m_device.isEmpty();
    }
    // E.g. "call 5551234567 JOHN", "send OK\r\n", "unplug".
    void command(const QString& line)
    {
        m_process.write(line.toUtf8() + '\n');
        // Delivered now, so the simulator acts on it even while the caller does not process events.
        m_process.waitForBytesWritten(3000);
    }
    // Every event line so far, oldest first.
    QStringList events()
    {
        readEvents();
        return m_lines;
    }
    QString device() const { return m_device; }

signals:
    // As it is read, while an event loop or a wait for the simulator runs.
    void eventLine(const QString& line);

private:
    void readEvents()
    {
        while (m_process.canReadLine()) {
            const QString line = QString::fromUtf8(m_process.readLine()).chopped(1);
            if (m_keepEvents)
                m_lines << line;
            // With --timestamps a line starts with the moment of the event.
            if (m_device.isEmpty())
                m_device = QRegularExpression("^(\\d+ )?ready (.*)$").match(line).captured(2);
            emit eventLine(line);
        }
    }

    const bool m_keepEvents;
    QProcess m_process;
    QStringList m_lines;
    QString m_device;
};
