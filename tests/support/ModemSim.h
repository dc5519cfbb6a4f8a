#pragma once

#include <QObject>
#include <QProcess>
#include <QStringList>

// tools/modem-sim as a child process on a pseudo-terminal: commands go to its standard input, its
// event lines ("ready /dev/pts/3", "rx ATV1Q0", "ring 1", ...) come from its standard output.
// Stopped, and its link removed, when this goes.
class ModemSim : public QObject
{
    Q_OBJECT

public:
    // A long run that only follows eventLine keeps none, so its memory does not grow with it.
    explicit ModemSim(bool keepEvents = true);
    ~ModemSim() override;

    // Starts the simulator with its device linked as <folder>/ports/com<port>, or not linked when
    // `port` is 0; false when it did not come up.
    bool start(const QString& folder, int port, const QStringList& options = {});
    // E.g. "call 5551234567 JOHN", "send OK\r\n", "unplug".
    void command(const QString& line);
    // Every event line so far, oldest first.
    QStringList events();
    QString device() const { return m_device; }
    qint64 pid() const { return m_process.processId(); }

signals:
    // As it is read, while an event loop or a wait for the simulator runs.
    void eventLine(const QString& line);

private:
    void readEvents();

    QProcess m_process;
    QByteArray m_partial;
    const bool m_keepEvents;
    QStringList m_lines;
    QString m_device;
};
