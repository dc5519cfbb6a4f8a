// The call monitor's receive path against a hostile modem: arbitrary text in arbitrary chunks,
// with timer ticks, clicks on Activate/Deactivate and an unplugged port in between, through whole
// call cycles. The monitor must never crash and must return once the user switches it off.
//
// Input: one header byte, then one record per yield of the monitor:
//   0x00-0x7f  a chunk from the modem: that many of the following bytes, one character each
//   0x82       a click on Command1 (at most 8 per input)
//   0x83       the modem is unplugged      0x84  it is plugged in again
//   0x85       the port starts or stops refusing to open
//   0x81       nothing happens             other: a tick of Timer1 when it is running
// Header bits: 1 blocking enabled, 2 auto-update, 4 entry 3 blocks every call without a number,
// 8 no port configured.
#include "support/RecordingMonitorView.h"

#include <cstdint>
#include <cstdlib>

namespace {

// The program ended at once; nothing of it runs any more.
struct ProgramEnded
{
};

// One input played against the call monitor; every yield of the monitor plays one record.
struct ReceiveRun : MonitorRig
{
    ReceiveRun(const std::uint8_t* bytes, std::size_t length)
        : data(bytes)
        , size(length)
    {
        const std::uint8_t header = size > 0 ? data[pos++] : 0;
        if (header & 8)
            state.CommPort.clear();
        state.BlockingEnabled = header & 1;
        state.AutoUpdate = header & 2;
        state.Book.PhoneNumber(1) = QStringLiteral("5551234567");
        state.Book.BlockFlag(1) = QStringLiteral("N");
        state.Book.PictureFile(1) = QStringLiteral("/app/ann.jpg");
        state.Book.WavFile(1) = QStringLiteral("/app/ann.wav");
        state.Book.PhoneNumber(2) = QStringLiteral("5550001111");
        state.Book.BlockFlag(2) = QStringLiteral("B");
        if (header & 4)
            state.Book.BlockFlag(3) = QStringLiteral("B");
        end.onEnd = [this] { ended = true; };
        // Once the input is spent the user switches off and ticks keep coming; a monitor that
        // has not returned 20000 yields later hangs.
        pump.maxYields = static_cast<int>(size) + 20000;
        pump.onYield = [this] { step(); };
    }

    void play()
    {
        try {
            for (int i = 0; i < 4 && !ended && pos < size; ++i) {
                monitor.Command1_Click();
                if (!ended && (monitor.MonitorActive() != 0 || view.activateCaption != "&Activate"))
                    std::abort();
            }
        } catch (const ProgramEnded&) {
        }
    }

    void step()
    {
        if (ended)
            throw ProgramEnded();
        if (view.totalCalls != QString::number(state.TotalCalls) || state.TotalCalls < 0)
            std::abort();
        // Spent: the user switches off, also a monitor still running behind an Activate caption.
        if (pos >= size && monitor.StopRequested() == 0 && finishingClicks++ < 16)
            return monitor.Command1_Click();
        const std::uint8_t record = pos < size ? data[pos++] : 0x80;
        if (record < 0x80) {
            const std::size_t length = std::min<std::size_t>(record, size - pos);
            link.send(QString::fromLatin1(
                reinterpret_cast<const char*>(data + pos), static_cast<qsizetype>(length)));
            pos += length;
        } else if (record == 0x82 && clicks++ < 8) {
            monitor.Command1_Click();
        } else if (record == 0x83 || record == 0x84) {
            link.unplugged = record == 0x83;
        } else if (record == 0x85) {
            link.openFails = !link.openFails;
        } else if (record != 0x81 && record != 0x82 && view.timerEnabled) {
            monitor.Timer1_Timer();
        }
    }

    const std::uint8_t* data;
    std::size_t size;
    std::size_t pos = 0;
    int clicks = 0;
    int finishingClicks = 0;
    bool ended = false;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    ReceiveRun(data, size).play();
    return 0;
}
