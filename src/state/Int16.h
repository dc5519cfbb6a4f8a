#pragma once

#include <cstdint>

// A signed 16-bit counter whose step past either end of its range is a run-time failure.
class Int16
{
public:
    Int16() = default;
    Int16(int value);

    Int16& operator=(int value);
    operator int() const { return m_value; }

    void increment();
    void decrement();

private:
    std::int16_t m_value = 0;
};
