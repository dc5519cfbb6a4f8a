#pragma once

#include "platform/ProgramEnd.h"

#include <functional>

// Records that the program would have ended here, instead of ending the test process.
class RecordingProgramEnd : public ProgramEnd
{
public:
    void endNow() override
    {
        ++ends;
        if (onEnd)
            onEnd();
    }

    int ends = 0;
    std::function<void()> onEnd;
};
