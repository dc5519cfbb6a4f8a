#pragma once

#include <QString>
#include <stdexcept>
#include <utility>

// A run-time failure: raised where the program would fail, trapped only by the handlers that
// recover from it (start-up, the Activate button, each probed port).
class RuntimeError : public std::runtime_error
{
public:
    enum class Kind { Other, PortNotPermitted };

    explicit RuntimeError(const QString& what, QString cause = {}, Kind kind = Kind::Other)
        : std::runtime_error(what.toStdString())
        , m_cause(std::move(cause))
        , m_kind(kind)
    {
    }

    // What the user is told of the failure beyond the program's own message: the device, the
    // reason the system gave and the fix where one is known. Empty when there is nothing true
    // to add.
    const QString& cause() const { return m_cause; }
    // PortNotPermitted: the user may not open the port; the cause's first line names it.
    Kind kind() const { return m_kind; }

private:
    QString m_cause;
    Kind m_kind;
};
