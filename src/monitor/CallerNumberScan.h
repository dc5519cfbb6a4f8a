#pragma once

#include "state/Int16.h"

#include <QString>

// Takes the caller's number out of caller-ID text: the first ten digits of the last run of at
// least ten consecutive digits. Labels and keys of the text are ignored.
class CallerNumberScan
{
public:
    void feed(QChar c);
    void feed(const QString& text);
    const QString& foundNumber() const { return m_found; }

private:
    QString m_run;
    Int16 m_runLength;
    QString m_found;
};
