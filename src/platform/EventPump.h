#pragma once

// Yielding to pending window events from inside a running procedure.
class EventPump
{
public:
    virtual ~EventPump() = default;

    // Processes every pending event and returns; never waits.
    virtual void yieldOnce() = 0;
    // Like yieldOnce, but first waits for an event when none is pending, so that a poll loop that
    // found nothing new costs no CPU until the port, a timer or the user has something to say.
    virtual void yieldWaiting() = 0;
};
