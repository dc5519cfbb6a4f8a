#pragma once

#include "CallRecord.h"
#include "ObservedSound.h"
#include "SimProcess.h"
#include "platform/QtEventPump.h"
#include "platform/QtLauncher.h"
#include "platform/QtLogPrinter.h"
#include "platform/QtPictureLoader.h"
#include "support/RecordingMessageBoxes.h"
#include "support/RecordingProgramEnd.h"

#include <QObject>
#include <QStringList>
#include <QTemporaryDir>
#include <QTimer>
#include <deque>
#include <functional>
#include <memory>
#include <vector>

struct AppState;
class Form1;
class Halvoren;
class ProbedLink;
struct Platform;

// The whole program in this process, with its real window, serial port, pictures and sound,
// against modem-sim on a pseudo-terminal. The program is watched only from outside: through the
// port it is given, Timer1's ticks, the paint of Label2(0), the sounds it starts and the modem's
// own timestamped events. Each run switches monitoring on with Command1 and off again.
class MonitorBench : public QObject
{
    Q_OBJECT

public:
    struct Idle
    {
        qint64 wallUs = 0;
        qint64 cpuUs = 0;
        qint64 polls = 0;
        qint64 ticks = 0;
    };

    struct Noise
    {
        // Index i: the (i+1)th megabyte of noise.
        std::vector<qint64> cpuPerMegabyteUs;
        std::vector<qint64> pollsPerMegabyte;
        qint64 bufferChars = 0;
        bool bufferAsReceived = false;
        // The RING after the noise: from sending it to Label2(0) painted with the new count.
        qint64 ringToCountUs = -1;
        // The same from the program's read of the RING.
        qint64 ringReadToCountUs = -1;
    };

    MonitorBench(int timerIntervalMs, const QStringList& modemOptions);
    ~MonitorBench() override;

    // Writes the program's files, starts the modem and the program; false (with a message on
    // standard error) when something could not be set up.
    bool start();

    // With this set, calls ring without caller ID and the benchmark sends the text itself as
    // soon as Label2(0) shows the count: a caller-ID window of a few shortened ticks is then
    // never missed because the modem or the program was scheduled late on a busy machine.
    void setCallerIdOnCount(bool onCount) { m_callerIdOnCount = onCount; }

    Idle idle(int seconds);
    // Takes `count` calls, each placed as soon as the program is back waiting for a ring.
    // `onHandled` runs once a call's record is complete.
    std::vector<CallRecord> calls(int count, const std::function<CallKind(int)>& kindOf,
        const std::function<void(int, const CallRecord&)>& onHandled = {});
    Noise noise(int megabytes);

    Form1& form1() { return *m_form1; }
    AppState& state();
    // What went wrong in the runs so far (messages shown, the program ending, lost calls).
    QStringList problems() const;
    qint64 simPid() const { return m_sim.pid(); }

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Switches monitoring on and returns once it is off again; a cycle start must come within
    // `quietLimitMs` of the last one, or the run is cut short.
    void monitor(int quietLimitMs);
    void deactivate();
    void onSimEvent(qint64 atUs, const QString& line);
    void onWrite(const QString& text);
    void onRead(const QString& text);
    void onCycleStart();
    CallRecord* recordAt(int index);
    void sendNoise();

    int m_timerIntervalMs;
    QStringList m_modemOptions;
    QTemporaryDir m_dir;
    SimProcess m_sim;

    QtEventPump m_pump;
    ObservedSound m_sound;
    QtPictureLoader m_pictures;
    QtLauncher m_launcher;
    QtLogPrinter m_printer;
    RecordingMessageBoxes m_messages;
    RecordingProgramEnd m_end;
    std::unique_ptr<Platform> m_platform;
    std::unique_ptr<Halvoren> m_app;
    Form1* m_form1 = nullptr;
    ProbedLink* m_link = nullptr;

    bool m_callerIdOnCount = false;
    QTimer m_watchdog;
    bool m_dialogueStarted = false;
    std::function<void()> m_cycleStart;
    std::function<void(const QString&)> m_read;
    QStringList m_problems;

    qint64 m_ticks = 0;
    qint64 m_lastTickUs = -1;
    qint64 m_queuedAtLastTickUs = -1;

    std::vector<CallRecord> m_records;
    int m_current = -1;
    int m_ringEvents = 0;
    int m_cidEvents = 0;
    int m_expectedCount = 0;
    std::deque<int> m_dialled;
    // Set while a lone RING is on its way; its count's paint is timed against it.
    qint64 m_loneRingUs = -1;
    qint64 m_loneRingReadUs = -1;
    qint64 m_loneRingShownUs = -1;
};
