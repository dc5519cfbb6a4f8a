#pragma once

#include <QString>
#include <optional>

// Reads a data file one field at a time: a field ends at a comma or a line end, and spaces in front
// of it are skipped. A field quoted as FieldWriter quotes it may hold commas, quotes (doubled) and
// line ends; any other quote is part of the value.
class FieldReader
{
public:
    explicit FieldReader(QString text);

    bool atEnd() const { return m_pos >= m_text.size(); }
    // Reading past the end of the text is a run-time failure.
    QString next();

private:
    // The quoted field at the current position, or nothing when it is not one the writer made.
    std::optional<QString> readQuoted();
    QString readPlain();
    void skipDelimiter();

    QString m_text;
    qsizetype m_pos = 0;
};
