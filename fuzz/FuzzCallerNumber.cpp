// ParseCallerNumber's scan on arbitrary text, checked against the rule it implements: the first
// ten digits of the last run of at least ten ASCII digits, and a run past 32767 digits fails.
#include "monitor/CallerNumberScan.h"
#include "state/RuntimeError.h"

#include <QRegularExpression>
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
    static const QRegularExpression runs(QStringLiteral("[0-9]{10,}"));
    QString expected;
    bool fails = false;
    for (const QRegularExpressionMatch& run : runs.globalMatch(text)) {
        expected = run.captured().left(10);
        fails = fails || run.capturedLength() > 32767;
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
