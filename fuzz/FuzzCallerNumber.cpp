// ParseCallerNumber on arbitrary text, checked against the rule it implements: the first ten
// digits of the last run of at least ten ASCII digits, and a run past 32767 digits fails.
#include "monitor/CallMonitor.h"
#include "state/AppState.h"
#include "state/RuntimeError.h"
#include "support/RecordingMonitorView.h"
#include "support/RecordingProgramEnd.h"
#include "support/RecordingSound.h"
#include "support/ScriptedPump.h"
#include "support/ScriptedSerialLink.h"

#include <cstdint>
#include <cstdlib>

namespace {

constexpr qsizetype kNumberLength = 10;
constexpr qsizetype kLongestRun = 32767;

struct Expected
{
    QString number;
    bool fails = false;
};

Expected expectedNumber(const QString& text)
{
    Expected expected;
    qsizetype runStart = 0;
    qsizetype runLength = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        if (c < u'0' || c > u'9') {
            runLength = 0;
            continue;
        }
        if (runLength++ == 0)
            runStart = i;
        if (runLength == kNumberLength)
            expected.number = text.mid(runStart, kNumberLength);
        if (runLength > kLongestRun)
            expected.fails = true;
    }
    return expected;
}

// The first byte chooses how the rest becomes text: one character per byte, as the serial port
// delivers it, or any UTF-16 code units at all.
QString textFrom(const std::uint8_t* data, std::size_t size)
{
    const auto* bytes = reinterpret_cast<const char*>(data + 1);
    const auto length = static_cast<qsizetype>(size - 1);
    if (data[0] % 2 == 0)
        return QString::fromLatin1(bytes, length);
    QString text(length / 2, Qt::Uninitialized);
    for (qsizetype i = 0; i < text.size(); ++i)
        text[i] = QChar(char16_t(std::uint8_t(bytes[2 * i]) | std::uint8_t(bytes[2 * i + 1]) << 8));
    return text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    AppState state;
    RecordingMonitorView view;
    ScriptedSerialLink link;
    ScriptedPump pump;
    RecordingSound sound;
    RecordingProgramEnd end;
    CallMonitor monitor(state, view, link, pump, sound, end);

    state.ReceiveBuffer = textFrom(data, size);
    const Expected expected = expectedNumber(state.ReceiveBuffer);
    bool failed = false;
    try {
        monitor.ParseCallerNumber();
    } catch (const RuntimeError&) {
        failed = true;
    }
    if (failed != expected.fails || (!failed && monitor.CallerNumber() != expected.number))
        std::abort();
    return 0;
}
