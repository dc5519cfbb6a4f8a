#include "FieldReader.h"

#include "FieldWriter.h"
#include "RuntimeError.h"

#include <utility>

namespace {

bool isLineEnd(QChar c)
{
    return c == u'\r' || c == u'\n';
}

} // namespace

FieldReader::FieldReader(QString text)
    : m_text(std::move(text))
{
}

QString FieldReader::next()
{
    if (atEnd())
        throw RuntimeError(QStringLiteral("Input past end of file"));
    while (m_pos < m_text.size() && m_text.at(m_pos) == u' ')
        ++m_pos;
    if (m_pos < m_text.size() && m_text.at(m_pos) == u'"') {
        if (std::optional<QString> field = readQuoted())
            return *field;
    }
    return readPlain();
}

QString FieldReader::readPlain()
{
    const qsizetype start = m_pos;
    while (m_pos < m_text.size() && m_text.at(m_pos) != u',' && !isLineEnd(m_text.at(m_pos)))
        ++m_pos;
    QString field = m_text.mid(start, m_pos - start);
    skipDelimiter();
    return field;
}

std::optional<QString> FieldReader::readQuoted()
{
    QString field;
    qsizetype pos = m_pos + 1;
    while (pos < m_text.size()) {
        const QChar c = m_text.at(pos++);
        if (c != u'"') {
            field.append(c);
        } else if (pos < m_text.size() && m_text.at(pos) == u'"') {
            field.append(c);
            ++pos;
        } else {
            // Only a field as the writer quotes it counts as quoted; a quote in a file written
            // by hand or by an earlier version is part of its value.
            const bool delimited
                = pos == m_text.size() || m_text.at(pos) == u',' || isLineEnd(m_text.at(pos));
            if (!delimited || !FieldWriter::needsQuotes(field))
                return std::nullopt;
            m_pos = pos;
            skipDelimiter();
            return field;
        }
    }
    return std::nullopt;
}

void FieldReader::skipDelimiter()
{
    if (m_pos >= m_text.size())
        return;
    if (m_text.at(m_pos) == u',' || m_text.at(m_pos) == u'\n') {
        ++m_pos;
    } else if (m_text.at(m_pos) == u'\r') {
        ++m_pos;
        if (m_pos < m_text.size() && m_text.at(m_pos) == u'\n')
            ++m_pos;
    }
}
