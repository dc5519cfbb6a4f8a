// The field reader on arbitrary text: it must end on every input, fail only past the end, and
// read back every list of values the writer wrote.
#include "state/FieldReader.h"
#include "state/FieldWriter.h"
#include "state/RuntimeError.h"

#include <QStringList>
#include <cstdint>
#include <cstdlib>

namespace {

// A value of the round trip ends at this character, which no data file is expected to hold.
constexpr char16_t kValueSeparator = u'\x1e';

QStringList readAllFields(const QString& text)
{
    FieldReader reader(text);
    QStringList fields;
    while (!reader.atEnd())
        fields << reader.next();
    try {
        reader.next();
    } catch (const RuntimeError&) {
        return fields;
    }
    // Reading past the end must fail, or a short data file would load.
    std::abort();
}

void checkRoundTrip(const QStringList& values)
{
    FieldWriter writer;
    for (const QString& value : values)
        writer.line(value);
    if (readAllFields(writer.text()) != values)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString text
        = QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    checkRoundTrip(readAllFields(text));
    if (!text.isEmpty())
        checkRoundTrip(text.split(QChar(kValueSeparator)));
    return 0;
}
