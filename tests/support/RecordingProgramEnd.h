#pragma once

#include "platform/ProgramEnd.h"

#include <QList>
#include <functional>

// Records that the program would have ended here, instead of ending the test process.
class RecordingProgramEnd : public ProgramEnd
{
public:
    void endNow(int status) override
    {
        ++ends;
        statuses << status;
        if (onEnd)
            onEnd();
    }

    int ends = 0;
    QList<int> statuses;
    std::function<void()> onEnd;
};
