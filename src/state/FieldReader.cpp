#include "FieldReader.h"

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
    if (m_pos < m_text.size() && m_text.at(m_pos) == u'"')
        return readQuoted();
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

QString FieldReader::readQuoted()
{
    QString field;
    ++m_pos;
    while (m_pos < m_text.size()) {
        const QChar c = m_text.at(m_pos++);
        if (c != u'"') {
            field.append(c);
        } else if (m_pos < m_text.size() && m_text.at(m_pos) == u'"') {
            field.append(c);
            ++m_pos;
        } else {
            break;
        }
    }
    // Anything between the closing quote and the delimiter is not part of the value.
    while (m_pos < m_text.size() && m_text.at(m_pos) != u',' && !isLineEnd(m_text.at(m_pos)))
        ++m_pos;
    skipDelimiter();
    return field;
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
