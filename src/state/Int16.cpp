#include "Int16.h"

#include "RuntimeError.h"

#include <limits>

namespace {

std::int16_t checked(int value)
{
    if (value < std::numeric_limits<std::int16_t>::min()
        || value > std::numeric_limits<std::int16_t>::max())
        throw RuntimeError(QStringLiteral("Overflow"),
            QStringLiteral("A count went past %1, the most it can hold.")
                .arg(std::numeric_limits<std::int16_t>::max()));
    return static_cast<std::int16_t>(value);
}

} // namespace

Int16::Int16(int value)
    : m_value(checked(value))
{
}

Int16& Int16::operator=(int value)
{
    m_value = checked(value);
    return *this;
}

void Int16::increment()
{
    m_value = checked(m_value + 1);
}

void Int16::decrement()
{
    m_value = checked(m_value - 1);
}
