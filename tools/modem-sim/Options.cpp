#include "Options.h"

#include "TextNumber.h"

#include <algorithm>
#include <cctype>

std::optional<Options> Options::parse(int argc, char** argv, std::string& error)
{
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string name = argv[i];
        if (name == "--silent") {
            options.silent = true;
            continue;
        }
        if (name == "--timestamps") {
            options.timestamps = true;
            continue;
        }
        if (i + 1 >= argc) {
            error = "missing value or unknown option: " + name;
            return std::nullopt;
        }
        const std::string value = argv[++i];
        const auto number = TextNumber::parse(value);
        const bool isNumber = number.has_value();
        if (name == "--link") {
            options.linkPath = value;
        } else if (name == "--script") {
            options.scriptPath = value;
        } else if (name == "--ring-interval" && isNumber && *number > 0) {
            options.ringIntervalMs = *number;
        } else if (name == "--cid-delay" && isNumber) {
            options.cidDelayMs = *number;
        } else if (name == "--rings" && isNumber && *number > 0) {
            options.ringsPerCall = *number;
        } else if (name == "--vcid" && (value == "ok" || value == "error" || value == "silent")) {
            options.vcidAnswer = value == "ok" ? VcidAnswer::Ok
                : value == "error"             ? VcidAnswer::Error
                                               : VcidAnswer::Silent;
        } else if (name == "--clock" && value.size() == 8
            && std::all_of(value.begin(), value.end(),
                [](char c) { return std::isdigit(static_cast<unsigned char>(c)); })) {
            options.clock = value;
        } else {
            error = "bad option: " + name + " " + value;
            return std::nullopt;
        }
    }
    return options;
}

const char* Options::usage()
{
    return "usage: modem-sim [--link PATH] [--script FILE] [--silent] [--ring-interval MS]\n"
           "                 [--cid-delay MS] [--rings N] [--vcid ok|error|silent]\n"
           "                 [--clock MMDDHHMM] [--timestamps]\n"
           "Commands on standard input and in the script, one a line: call NUMBER [NAME...],\n"
           "call-mesg TEXT, call-private, call-nocid, rings N, send TEXT, wait MS, unplug,\n"
           "silent on|off, vcid ok|error|silent, quit. See tools/README.md.\n";
}
