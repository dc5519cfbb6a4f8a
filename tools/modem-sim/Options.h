#pragma once

#include "Modem.h"

#include <optional>
#include <string>

// The simulator's command line.
struct Options
{
    std::string linkPath;
    std::string scriptPath;
    bool silent = false;
    int ringIntervalMs = 6000;
    int cidDelayMs = 500;
    int ringsPerCall = 4;
    VcidAnswer vcidAnswer = VcidAnswer::Ok;
    // "MMDDHHMM" for the caller-ID DATE and TIME fields; empty = the local time of each call.
    std::string clock;

    // nullopt and a message in `error` when the command line is wrong.
    static std::optional<Options> parse(int argc, char** argv, std::string& error);
    static const char* usage();
};
