#include "Options.h"
#include "Simulator.h"

#include <cstdio>
#include <exception>
#include <string>

// modem-sim: a V.90 voice modem with caller ID on a pseudo-terminal, for tests and the demo.
int main(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--help" || argument == "-h") {
            std::fputs(Options::usage(), stdout);
            return 0;
        }
    }
    std::string error;
    const auto options = Options::parse(argc, argv, error);
    if (!options) {
        std::fprintf(stderr, "modem-sim: %s\n%s", error.c_str(), Options::usage());
        return 2;
    }
    try {
        Simulator simulator(*options);
        return simulator.run();
    } catch (const std::exception& failure) {
        std::fprintf(stderr, "modem-sim: %s\n", failure.what());
        return 1;
    }
}
