#pragma once

#include "state/AppState.h"
#include "state/DataStore.h"
#include "windows/AppContext.h"

struct Platform;

// The program as one object: its state, data files and windows over a given platform.
class Halvoren
{
public:
    explicit Halvoren(Platform& platform);

    // Sets the program's icon and loads the main window, whose load step is the start-up.
    void start();
    // Closes whichever modem port is open; the program's end calls this.
    void closePorts();

    AppState& state() { return m_state; }
    DataStore& store() { return m_store; }
    AppContext& context() { return m_context; }

private:
    AppState m_state;
    DataStore m_store;
    AppContext m_context;
};
