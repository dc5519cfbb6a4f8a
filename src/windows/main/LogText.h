#pragma once

#include <QList>
#include <QString>

// The call log's text, held once with its CR LF line ends exactly as it is saved and printed,
// and where each of its lines starts, so that any line is found without walking the text. CR LF,
// and a CR or LF on its own, each end a line. An append costs what it adds, however long the log.
class LogText
{
public:
    LogText();

    const QString& text() const { return m_text; }
    void setText(const QString& text);
    void append(const QString& text);

    int lineCount() const { return int(m_starts.size()); }
    // A line without its line break, any other control character shown as a visible symbol
    // instead of vanishing or acting on the view.
    QString shownLine(int line) const;

    // Offsets into the log as shown: its shown lines joined by single line breaks.
    qsizetype shownSize() const;
    qsizetype shownStart(int line) const { return m_shownStarts.at(line); }
    int lineAtShown(qsizetype offset) const;

private:
    void indexFrom(qsizetype from);

    QString m_text;
    QList<qsizetype> m_starts;
    QList<qsizetype> m_shownStarts;
};
