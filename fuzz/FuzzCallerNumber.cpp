// ParseCallerNumber's scan on arbitrary text, checked against the rule it implements: the first
// ten digits of the last run of at least ten ASCII digits, and a run past 32767 digits fails.
#include "monitor/CallerNumberScan.h"
#include "state/RuntimeError.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    // The first byte chooses how the rest becomes text: one character per byte, as the serial
    // port delivers it, or any UTF-16 code units at all.
    const QByteArray bytes(
        reinterpret_cast<const char*>(data + 1), static_cast<qsizetype>(size - 1));
    const QString text = data[0] % 2 == 0
        ? QString::fromLatin1(bytes)
        : QString(reinterpret_cast<const QChar*>(bytes.constData()), bytes.size() / 2);
    // By hand, not by a regular expression: those match nothing in text with lone surrogates.
    QString expected;
    bool fails = false;
    for (qsizetype i = 0, run = 0; i < text.size(); ++i) {
        run = text[i] >= u'0' && text[i] <= u'9' ? run + 1 : 0;
        expected = run == 10 ? text.mid(i - 9, 10) : expected;
        fails = fails || run > 32767;
    }
    CallerNumberScan scan;
    try {
        scan.feed(text);
    } catch (const RuntimeError&) {
        if (!fails)
            std::abort();
        return 0;
    }
    if (fails || scan.foundNumber() != expected)
        std::abort();
    return 0;
}
