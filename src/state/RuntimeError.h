#pragma once

#include <QString>

#include <stdexcept>

// A run-time failure: raised where the program would fail, trapped only by the handlers that
// recover from it (start-up, the Activate button, each probed port).
class RuntimeError : public std::runtime_error
{
public:
    explicit RuntimeError(const QString& what)
        : std::runtime_error(what.toStdString())
    {
    }
};
