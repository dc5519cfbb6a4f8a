// The call monitor's receive path against a hostile modem: arbitrary text in arbitrary chunks,
// with timer ticks, clicks on Activate/Deactivate and an unplugged port in between, through whole
// call cycles. The monitor must never crash and must return once the user switches it off.
//
// Input: one header byte, then one record per yield of the monitor:
//   0x00-0x7f  a chunk from the modem: that many of the following bytes, one character each
//   0x82       a click on Command1 (at most kMaxClicks per input)
//   0x83       the modem is unplugged      0x84  it is plugged in again
//   0x85       the port starts or stops refusing to open
//   0x81       nothing happens             other: a tick of Timer1 when it is running
// Header bits: 1 blocking enabled, 2 auto-update, 4 entry 3 blocks every call without a number,
// 8 no port configured.
#include "monitor/CallMonitor.h"
#include "state/AppState.h"
#include "support/RecordingMonitorView.h"
#include "support/RecordingProgramEnd.h"
#include "support/RecordingSound.h"
#include "support/ScriptedPump.h"
#include "support/ScriptedSerialLink.h"

#include <cstdint>
#include <cstdlib>

namespace {

constexpr int kMaxClicks = 8;
constexpr int kMaxActivations = 4;
constexpr int kMaxFinishingClicks = 16;
// Once the input is spent the user switches off and ticks keep coming; a monitor that has not
// returned after this many more yields hangs.
constexpr int kFinishingYields = 20000;

// The program ended at once; nothing of it runs any more.
struct ProgramEnded
{
};

// One input played against the call monitor; every yield of the monitor plays one record.
class ReceiveRun
{
public:
    ReceiveRun(const std::uint8_t* data, std::size_t size)
        : m_data(data)
        , m_size(size)
    {
        const std::uint8_t header = m_size > 0 ? next() : 0;
        m_state.AppPath = QStringLiteral("/app");
        m_state.CommPort = (header & 8) ? QString() : QStringLiteral("com1:");
        m_state.CallerIdCommand = QStringLiteral("AT+VCID=1");
        m_state.BlockingEnabled = header & 1;
        m_state.AutoUpdate = header & 2;
        PhoneBook& book = m_state.Book;
        book.PhoneNumber(1) = QStringLiteral("5551234567");
        book.BlockFlag(1) = QStringLiteral("N");
        book.PictureFile(1) = QStringLiteral("/app/ann.jpg");
        book.WavFile(1) = QStringLiteral("/app/ann.wav");
        book.PhoneNumber(2) = QStringLiteral("5550001111");
        book.BlockFlag(2) = QStringLiteral("B");
        if (header & 4)
            book.BlockFlag(3) = QStringLiteral("B");
        m_view.loadablePictures << book.PictureFile(1);
        m_end.onEnd = [this] { m_ended = true; };
        m_pump.maxYields = static_cast<int>(m_size) + kFinishingYields;
        m_pump.onYield = [this] { step(); };
    }

    void play()
    {
        try {
            for (int i = 0; i < kMaxActivations && !m_ended && m_pos < m_size; ++i) {
                m_monitor.Command1_Click();
                if (m_ended)
                    break;
                if (m_monitor.MonitorActive() != 0
                    || m_view.activateCaption != QLatin1String("&Activate"))
                    std::abort();
            }
        } catch (const ProgramEnded&) {
        }
    }

private:
    std::uint8_t next() { return m_data[m_pos++]; }

    void step()
    {
        if (m_ended)
            throw ProgramEnded();
        if (m_view.totalCalls != QString::number(m_state.TotalCalls) || m_state.TotalCalls < 0)
            std::abort();
        if (m_pos >= m_size) {
            finishingStep();
            return;
        }
        const std::uint8_t record = next();
        if (record < 0x80) {
            const std::size_t length = std::min<std::size_t>(record, m_size - m_pos);
            m_link.send(QString::fromLatin1(
                reinterpret_cast<const char*>(m_data + m_pos), static_cast<qsizetype>(length)));
            m_pos += length;
            return;
        }
        switch (record) {
        case 0x81:
            break;
        case 0x82:
            if (m_clicks++ < kMaxClicks)
                m_monitor.Command1_Click();
            break;
        case 0x83:
            m_link.unplug();
            break;
        case 0x84:
            m_link.unplugged = false;
            break;
        case 0x85:
            m_link.openFails = !m_link.openFails;
            break;
        default:
            tick();
        }
    }

    // The user switches monitoring off; a monitor still running behind an Activate caption is
    // switched on and off again, as the user would when the window says it stands by.
    void finishingStep()
    {
        if (m_monitor.StopRequested() == 0 && m_finishingClicks < kMaxFinishingClicks) {
            ++m_finishingClicks;
            m_monitor.Command1_Click();
            return;
        }
        tick();
    }

    void tick()
    {
        if (m_view.timerEnabled)
            m_monitor.Timer1_Timer();
    }

    const std::uint8_t* m_data;
    std::size_t m_size;
    std::size_t m_pos = 0;
    AppState m_state;
    RecordingMonitorView m_view;
    ScriptedSerialLink m_link;
    ScriptedPump m_pump;
    RecordingSound m_sound;
    RecordingProgramEnd m_end;
    CallMonitor m_monitor { m_state, m_view, m_link, m_pump, m_sound, m_end };
    int m_clicks = 0;
    int m_finishingClicks = 0;
    bool m_ended = false;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    ReceiveRun(data, size).play();
    return 0;
}
