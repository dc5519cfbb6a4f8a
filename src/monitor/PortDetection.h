#pragma once

#include "state/Int16.h"

#include <QStringList>

struct AppState;
class DetectionView;
class EventPump;
class ProgramEnd;
class SerialLink;

// Port detection: probes ports 1 to 6 (and 7 after an answer on 6) for a modem that answers
// "ATV1Q0", lists every port that answers and, when none does, ends the program. The scan yields
// to window events at every poll; the window's Timer1 ticks are its only clock.
class PortDetection
{
public:
    PortDetection(AppState& state, DetectionView& view, SerialLink& MSComm0, EventPump& pump,
        ProgramEnd& end);

    // Runs one whole scan. A click while a scan is running is ignored.
    void Command4_Click();
    void Timer1_Timer();

    // The window is being unloaded: a running scan stops at its next yield and touches neither
    // the window nor the port again.
    void abandon() { m_abandoned = true; }

    bool scanning() const { return m_scanning; }
    int ProbePort() const { return m_probePort; }

private:
    enum class ProbeResult { Answered, Failed, Abandoned };

    void scan();
    ProbeResult probe();
    void endWithPortsFound();
    void endWithNoModem();
    // Lets pending window events run, first waiting for one when `wait` is set; false once the
    // window has gone.
    bool yield(bool wait);

    AppState& m_state;
    DetectionView& m_view;
    SerialLink& m_port;
    EventPump& m_pump;
    ProgramEnd& m_end;

    Int16 m_probePort;
    Int16 m_detectTicks;
    Int16 m_portsFound;
    // The first line of the cause of each port the user was not permitted to open.
    QStringList m_notPermitted;
    bool m_scanning = false;
    bool m_abandoned = false;
};
