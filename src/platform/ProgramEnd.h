#pragma once

// Ends the program at once: an open modem port is closed, then the process ends without any
// window's unload step running and without writing any file.
class ProgramEnd
{
public:
    virtual ~ProgramEnd() = default;

    virtual void endNow() = 0;
};
