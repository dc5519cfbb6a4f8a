#pragma once

#include <QString>

// Prints the call log as one document on the default printer.
class LogPrinter
{
public:
    virtual ~LogPrinter() = default;

    // Returns an empty string on success, otherwise the reason the log was not printed.
    virtual QString print(const QString& text) = 0;
};
