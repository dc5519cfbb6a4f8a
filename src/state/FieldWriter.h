#pragma once

#include <QString>

// Builds a data file one value per line, CR LF ended. Values that the reader would split or trim
// are quoted; every other value is written exactly as it is.
class FieldWriter
{
public:
    void line(const QString& value);
    const QString& text() const { return m_text; }

    // The values written in quotes: those that contain a comma, a quote or a line end, or begin
    // with a space.
    static bool needsQuotes(const QString& value);

private:
    QString m_text;
};
