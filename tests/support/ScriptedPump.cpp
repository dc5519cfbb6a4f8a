#include "ScriptedPump.h"

#include <stdexcept>

void ScriptedPump::step()
{
    if (++yields > maxYields)
        throw std::logic_error("ScriptedPump: too many yields, the loop under test never ends");
    if (onYield)
        onYield();
}
