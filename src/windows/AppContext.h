#pragma once

#include "FormRegistry.h"

struct AppState;
class DataStore;
struct Platform;

// What every window reaches: the shared state, the data files, the platform and the other windows.
class AppContext
{
public:
    AppContext(AppState& appState, DataStore& dataStore, Platform& services)
        : state(appState)
        , store(dataStore)
        , platform(services)
        , forms(*this)
    {
    }

    AppContext(const AppContext&) = delete;
    AppContext& operator=(const AppContext&) = delete;

    AppState& state;
    DataStore& store;
    Platform& platform;
    FormRegistry forms;
};
