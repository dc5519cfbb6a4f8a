// The field reader on arbitrary text: it ends on every input, fails only past the end, and reads
// back every list of values the writer wrote: the fields it read, and the text split at U+001E.
#include "state/FieldReader.h"
#include "state/FieldWriter.h"
#include "state/RuntimeError.h"

#include <QStringList>
#include <cstdint>
#include <cstdlib>

static QStringList fields(const QString& text)
{
    FieldReader reader(text);
    QStringList read;
    while (!reader.atEnd())
        read << reader.next();
    try {
        reader.next();
    } catch (const RuntimeError&) {
        return read;
    }
    std::abort(); // reading past the end must fail, or a short data file would load
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    for (const QStringList& values : { fields(text), text.split(u'\x1e') }) {
        FieldWriter writer;
        for (const QString& value : values)
            writer.line(value);
        if (fields(writer.text()) != values)
            std::abort();
    }
    return 0;
}
