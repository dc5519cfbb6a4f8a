#pragma once

#include "platform/ProgramEnd.h"

// Records that the program would have ended here, instead of ending the test process.
class RecordingProgramEnd : public ProgramEnd
{
public:
    void endNow() override { ++ends; }

    int ends = 0;
};
