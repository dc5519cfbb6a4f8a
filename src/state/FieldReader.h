#pragma once

#include <QString>

// Reads a data file one field at a time: a field ends at a comma or a line end, spaces in front
// of it are skipped, and a field in double quotes may hold commas, quotes (doubled) and line ends.
class FieldReader
{
public:
    explicit FieldReader(QString text);

    bool atEnd() const { return m_pos >= m_text.size(); }
    // Reading past the end of the text is a run-time failure.
    QString next();

private:
    QString readQuoted();
    QString readPlain();
    void skipDelimiter();

    QString m_text;
    qsizetype m_pos = 0;
};
