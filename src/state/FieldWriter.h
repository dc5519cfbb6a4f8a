#pragma once

#include <QString>

// Builds a data file one value per line, CR LF ended. Values that the reader would split or trim
// are quoted; every other value is written exactly as it is.
class FieldWriter
{
public:
    void line(const QString& value);
    QByteArray bytes() const { return m_text.toUtf8(); }

private:
    QString m_text;
};
