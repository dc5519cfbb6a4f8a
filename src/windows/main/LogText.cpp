#include "LogText.h"

#include <algorithm>

LogText::LogText()
    : m_starts { 0 }
    , m_shownStarts { 0 }
{
}

void LogText::setText(const QString& text)
{
    m_text = text;
    m_starts = { 0 };
    m_shownStarts = { 0 };
    indexFrom(0);
}

void LogText::append(const QString& text)
{
    const qsizetype from = m_text.size();
    m_text += text;
    indexFrom(from);
}

void LogText::indexFrom(qsizetype from)
{
    for (qsizetype i = from; i < m_text.size(); ++i) {
        const QChar c = m_text.at(i);
        // The LF of a CR LF moves the start of the line the CR began, even when the CR came in
        // an earlier append.
        if (c == u'\n' && i > 0 && m_text.at(i - 1) == u'\r')
            m_starts.last() = i + 1;
        else if (c == u'\n' || c == u'\r') {
            m_shownStarts.append(m_shownStarts.last() + (i - m_starts.last()) + 1);
            m_starts.append(i + 1);
        }
    }
}

qsizetype LogText::shownSize() const
{
    return m_shownStarts.last() + (m_text.size() - m_starts.last());
}

int LogText::lineAtShown(qsizetype offset) const
{
    const auto after = std::upper_bound(m_shownStarts.cbegin(), m_shownStarts.cend(), offset);
    return int(qMax(qsizetype(0), after - m_shownStarts.cbegin() - 1));
}

QString LogText::shownLine(int line) const
{
    const qsizetype start = m_starts.at(line);
    qsizetype end = m_text.size();
    if (line + 1 < lineCount()) {
        end = m_starts.at(line + 1) - 1;
        if (end > start && m_text.at(end) == u'\n' && m_text.at(end - 1) == u'\r')
            --end;
    }
    QString shown = m_text.mid(start, end - start);
    for (QChar& c : shown) {
        const char16_t code = c.unicode();
        if (code < 0x20 && code != u'\t')
            c = QChar(char16_t(0x2400 + code));
        else if (code == 0x7f)
            c = QChar(char16_t(0x2421));
        else if (code >= 0x80 && code < 0xa0)
            c = QChar(QChar::ReplacementCharacter);
    }
    return shown;
}
