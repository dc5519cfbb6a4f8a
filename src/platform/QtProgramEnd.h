#pragma once

#include "ProgramEnd.h"

#include <functional>

class QtProgramEnd : public ProgramEnd
{
public:
    void setPortCloser(std::function<void()> closePorts);
    [[noreturn]] void endNow(int status) override;

private:
    std::function<void()> m_closePorts;
};
