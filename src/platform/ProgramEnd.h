#pragma once

#include <cstdlib>

// Ends the program at once: an open modem port is closed, then the process ends without any
// window's unload step running and without writing any file. The process exits with `status`:
// EXIT_FAILURE where the program ends because it cannot go on, EXIT_SUCCESS otherwise.
class ProgramEnd
{
public:
    virtual ~ProgramEnd() = default;

    virtual void endNow(int status) = 0;
};
