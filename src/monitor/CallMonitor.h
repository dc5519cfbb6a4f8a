#pragma once

#include "CallerNumberScan.h"
#include "state/Int16.h"

#include <QString>

struct AppState;
class EventPump;
class MonitorView;
class ProgramEnd;
class SerialLink;
class SoundPlayer;

// The call monitor: switches monitoring on and off, runs the modem dialogue and the call cycle,
// and announces, blocks and counts calls. It runs inside the Activate click and keeps the
// program alive by yielding at every poll of the port.
class CallMonitor
{
public:
    // A call from this number clears the caller's picture.
    static inline const QString kFixedCallerNumber = QStringLiteral("5555550100");

    CallMonitor(AppState& state, MonitorView& view, SerialLink& MSComm1, EventPump& pump,
        SoundPlayer& sound, ProgramEnd& end);

    void Command1_Click();
    void Timer1_Timer();

    int MonitorActive() const { return m_monitorActive; }
    int StopRequested() const { return m_stopRequested; }
    int TimerTicks() const { return m_timerTicks; }
    const QString& CallerNumber() const { return m_callerNumber; }

    // A caller-ID entry was logged since the log was last saved or cleared.
    bool hasUnsavedCalls() const { return m_unsavedCalls; }
    void markCallsSaved() { m_unsavedCalls = false; }

private:
    enum class PollResult { Found, Stopped };

    void MonitorCalls();
    void ParseCallerNumber();
    void AnnounceCall();
    void AutoAddNumber();
    void BlockCall();
    void switchOn();
    void switchOff();
    void recover(const QString& cause);
    void appendStateEntry(const QString& heading);
    void scrollToEnd(bool yielding);
    void openPortAtStart();
    bool waitForOk();
    PollResult waitForRing();
    bool waitForCallerIdText();
    void collectCallerIdText();
    void pauseAfterBlockCall();
    bool waitOutRinging();
    void stop();
    QString readPort();
    void yieldAfterPoll(bool gotData);

    AppState& m_state;
    MonitorView& m_view;
    SerialLink& m_port;
    EventPump& m_pump;
    SoundPlayer& m_sound;
    ProgramEnd& m_end;

    // 0 or 1: unlike the program's Booleans, not -1 for True.
    int m_monitorActive = 0;
    // -1, True as a 16-bit value, asks the running monitor to stop; 0 otherwise.
    int m_stopRequested = 0;
    // MonitorCalls is running further down the call chain.
    bool m_monitorRunning = false;
    int m_timerTicks = 0;
    QString m_callerNumber;
    bool m_callBlocked = false;
    QString m_announcementWav;
    CallerNumberScan m_scan;
    bool m_unsavedCalls = false;
};
