#include "QtProgramEnd.h"

#include <cstdlib>
#include <utility>

void QtProgramEnd::setPortCloser(std::function<void()> closePorts)
{
    m_closePorts = std::move(closePorts);
}

void QtProgramEnd::endNow(int status)
{
    if (m_closePorts)
        m_closePorts();
    std::_Exit(status);
}
