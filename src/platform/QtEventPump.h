#pragma once

#include "EventPump.h"

class QtEventPump : public EventPump
{
public:
    void yieldOnce() override;
    void yieldWaiting() override;
};
