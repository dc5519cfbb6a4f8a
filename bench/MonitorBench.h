#pragma once

#include "platform/QtEventPump.h"
#include "platform/QtLauncher.h"
#include "platform/QtLogPrinter.h"
#include "platform/QtPictureLoader.h"
#include "platform/QtSoundPlayer.h"
#include "support/ModemSim.h"
#include "support/RecordingMessageBoxes.h"
#include "support/RecordingProgramEnd.h"

#include <QObject>
#include <QStringList>
#include <QTemporaryDir>
#include <QTimer>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

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
    // A caller marked "B" (cut off by dialling), or one in the phone book with a picture and a
    // sound (announced, then the ringing is waited out).
    enum class CallKind { Blocked, Known };

    // One call as the benchmark saw it. Times are microseconds on the monotonic clock; -1 = did
    // not happen.
    struct Call
    {
        CallKind kind = CallKind::Blocked;
        // The program began the call cycle that took this call (it asked whether the port is
        // open).
        qint64 cycleStartUs = -1;
        qint64 cpuAtStartUs = 0;
        // The modem sent "RING"; Label2(0) was painted with the new count; the last Timer1 tick
        // before that (-1: none since the ring).
        qint64 ringUs = -1;
        qint64 countShownUs = -1;
        qint64 tickBeforeCountUs = -1;
        // The modem sent the caller-ID text; the Timer1 tick that ended its collection; the
        // program's write of "ATDT1" returned (the text is on the line).
        qint64 cidUs = -1;
        qint64 collectionTickUs = -1;
        qint64 dialUs = -1;
        // CPU time of the whole call: from this cycle's start to the next one's.
        qint64 cpuUs = -1;
    };

    struct Noise
    {
        // Index i: the (i+1)th megabyte of noise.
        std::vector<qint64> cpuPerMegabyteUs;
        bool bufferAsReceived = false;
        // The RING after the noise: from the program's read of it to Label2(0) painted.
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

    // This process's wall-clock and CPU time over `seconds` of waiting for a ring.
    std::pair<qint64, qint64> idleUs(int seconds);
    // Takes `count` calls, each placed as soon as the program is back waiting for a ring: the
    // known caller every `knownEvery` calls from the first (0: never), else the blocked one.
    // `onHandled` runs once a call's record is complete.
    std::vector<Call> calls(
        int count, int knownEvery, const std::function<void(int)>& onHandled = {});
    Noise noise(int megabytes);

    Form1& form1() { return *m_form1; }
    // What went wrong in the runs so far (messages shown, the program ending, lost calls).
    QStringList problems() const { return m_problems; }

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Switches monitoring on and returns once it is off again; a cycle start must come within
    // `quietLimitMs` of the last one, or the run is cut short.
    void monitor(int quietLimitMs);
    void deactivate();
    void onSimEvent(const QString& line);
    Call* recordAt(int index);

    int m_timerIntervalMs;
    QStringList m_modemOptions;
    QTemporaryDir m_dir;
    ModemSim m_sim { false };

    QtEventPump m_pump;
    QtSoundPlayer m_sound;
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
    QStringList m_problems;
    qint64 m_lastTickUs = -1;

    std::vector<Call> m_records;
    int m_current = -1;
    int m_ringEvents = 0;
    int m_cidEvents = 0;
    int m_expectedCount = 0;
};
