#include "FieldWriter.h"

bool FieldWriter::needsQuotes(const QString& value)
{
    return value.startsWith(u' ') || value.contains(u',') || value.contains(u'"')
        || value.contains(u'\r') || value.contains(u'\n');
}

void FieldWriter::line(const QString& value)
{
    if (needsQuotes(value)) {
        QString quoted = value;
        quoted.replace(u'"', QStringLiteral("\"\""));
        m_text += u'"' + quoted + u'"';
    } else {
        m_text += value;
    }
    m_text += QStringLiteral("\r\n");
}
