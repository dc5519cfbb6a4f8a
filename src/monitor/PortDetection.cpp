#include "PortDetection.h"

#include "DetectionView.h"
#include "ModemDialogue.h"
#include "platform/EventPump.h"
#include "platform/ProgramEnd.h"
#include "platform/SerialLink.h"
#include "state/AppState.h"
#include "state/RuntimeError.h"

namespace {

const QString kProbe = QStringLiteral("ATV1Q0\r");
constexpr int kLastPortAfterAnswer = 7;
constexpr int kLastPortAfterFailure = 6;
constexpr int kProbeTicks = 1;
constexpr int kNoModemPauseTicks = 4;

} // namespace

PortDetection::PortDetection(
    AppState& state, DetectionView& view, SerialLink& MSComm0, EventPump& pump, ProgramEnd& end)
    : m_state(state)
    , m_view(view)
    , m_port(MSComm0)
    , m_pump(pump)
    , m_end(end)
{
}

void PortDetection::Command4_Click()
{
    // A second scan nested in the first one's yields would probe the port the first one holds.
    if (m_scanning)
        return;
    m_scanning = true;
    scan();
    m_scanning = false;
}

void PortDetection::Timer1_Timer()
{
    m_detectTicks.increment();
}

void PortDetection::scan()
{
    m_view.setHelpCaption(QStringLiteral("Please Wait"));
    // Each scan lists what answers now; ports found by an earlier scan neither stay listed nor
    // count towards "Please select a port".
    m_view.clearPortList();
    m_portsFound = 0;
    m_notPermitted.clear();
    m_probePort = 1;
    for (;;) {
        switch (probe()) {
        case ProbeResult::Abandoned:
            return;
        case ProbeResult::Answered:
            if (m_probePort >= kLastPortAfterAnswer) {
                endWithPortsFound();
                return;
            }
            break;
        case ProbeResult::Failed:
            if (!yield(false))
                return;
            if (m_port.portOpen())
                m_port.close();
            m_detectTicks = 0;
            m_view.setTimerEnabled(false);
            if (m_probePort >= kLastPortAfterFailure) {
                if (m_portsFound > 0)
                    endWithPortsFound();
                else
                    endWithNoModem();
                return;
            }
            break;
        }
        m_probePort.increment();
    }
}

PortDetection::ProbeResult PortDetection::probe()
{
    try {
        ModemDialogue::openPort(m_port, m_probePort);
        m_state.ReceiveBuffer.clear();
        m_port.output(kProbe);
        m_view.setTimerEnabled(true);
        bool gotData = true;
        bool answered = false;
        do {
            // A poll that found nothing waits for the next event instead of spinning.
            if (!yield(!gotData))
                return ProbeResult::Abandoned;
            const QString received = m_port.input();
            gotData = !received.isEmpty();
            answered
                = ModemDialogue::appendAndFind(m_state.ReceiveBuffer, received, ModemDialogue::kOk);
            if (m_detectTicks > kProbeTicks)
                return ProbeResult::Failed;
        } while (!answered);
    } catch (const RuntimeError& failure) {
        if (failure.kind() == RuntimeError::Kind::PortNotPermitted)
            m_notPermitted << failure.cause().section(u'\n', 0, 0);
        return ProbeResult::Failed;
    }
    m_view.setTimerEnabled(false);
    m_detectTicks = 0;
    m_port.close();
    m_view.addPortItem(QStringLiteral("com%1:").arg(int(m_probePort)));
    m_portsFound.increment();
    return ProbeResult::Answered;
}

void PortDetection::endWithPortsFound()
{
    m_view.setHelpCaption(
        QStringLiteral("Done checking ports\r\nPlease select a port\r\nand save configuration"));
    m_view.enableSaveConfig();
    m_view.focusPortList();
}

void PortDetection::endWithNoModem()
{
    // A port the user may not open hides the modem that may be on it. The hint is short enough
    // for the message area; the whole command is in the Activate message and in readme.txt.
    QString permission;
    if (!m_notPermitted.isEmpty()) {
        permission = QStringLiteral("\r\n") + m_notPermitted.join(QStringLiteral("\r\n"))
            + QStringLiteral("\r\nJoin the group dialout, then log in again");
    }
    // A configured program keeps running with its saved port; only a first run has no use
    // without a modem.
    if (m_state.SettingsSaved) {
        m_view.setHelpCaption(QStringLiteral("Done checking ports\r\nNo modems were "
                                             "detected\r\nYour saved port is kept")
            + permission);
        return;
    }
    m_view.setHelpCaption(
        QStringLiteral(
            "Done checking ports\r\nNo modems were detected\r\nHalvoren can not continue")
        + permission);
    m_view.disableWindow();
    m_detectTicks = 0;
    m_view.setTimerEnabled(true);
    while (m_detectTicks < kNoModemPauseTicks) {
        if (!yield(true))
            break;
    }
    if (!m_abandoned)
        m_view.unloadWindow();
    m_end.endNow(EXIT_FAILURE);
}

bool PortDetection::yield(bool wait)
{
    if (wait)
        m_pump.yieldWaiting();
    else
        m_pump.yieldOnce();
    return !m_abandoned;
}
