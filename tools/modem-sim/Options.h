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
    // Every event line starts with the moment it happened, for benchmarks that time the program.
    bool timestamps = false;

    // nullopt and a message in `error` when the command line is wrong.
    static std::optional<Options> parse(int argc, char** argv, std::string& error);
    static const char* usage();
};
