#pragma once

#include "platform/EventPump.h"

#include <functional>
#include <stdexcept>

// Yields by running the test's script instead of the event loop: each yield is one step in
// which the test may deliver port data, timer ticks or clicks.
class ScriptedPump : public EventPump
{
public:
    void yieldOnce() override { step(); }
    void yieldWaiting() override { step(); }

    std::function<void()> onYield;
    int yields = 0;
    // A monitor that never returns would hang the test; this turns it into a failure.
    int maxYields = 1000000;

private:
    void step()
    {
        if (++yields > maxYields)
            throw std::logic_error("ScriptedPump: too many yields, the loop under test never ends");
        if (onYield)
            onYield();
    }
};
