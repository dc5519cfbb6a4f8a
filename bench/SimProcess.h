#pragma once

#include <QObject>
#include <QProcess>
#include <QStringList>

// modem-sim as a child process with timestamped events (--timestamps): each event line reaches
// the benchmark with the moment the simulator saw it happen.
class SimProcess : public QObject
{
    Q_OBJECT

public:
    SimProcess();
    ~SimProcess() override;

    // Starts the simulator with its device linked at `linkPath`; false when it did not come up.
    bool start(const QString& linkPath, const QStringList& options);
    void command(const QString& line);
    void stop();
    qint64 pid() const { return m_process.processId(); }

signals:
    // `atUs` is on the monotonic clock that Measure::nowUs() reads.
    void simEvent(qint64 atUs, const QString& line);

private:
    void readEvents();

    QProcess m_process;
    QByteArray m_partial;
    bool m_ready = false;
};
