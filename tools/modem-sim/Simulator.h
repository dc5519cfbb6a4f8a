#pragma once

#include "CommandSource.h"
#include "Modem.h"
#include "Options.h"
#include "PseudoTerminal.h"

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

// Runs the simulated modem: one poll loop over the pseudo-terminal, standard input and the
// signals that end it, the commands of standard input and the script, and one event line on
// standard output for everything that happens on the line.
class Simulator
{
public:
    using Clock = std::chrono::steady_clock;

    // Throws std::runtime_error when the terminal, its link or the script cannot be set up.
    explicit Simulator(const Options& options);

    // Returns the exit status once `quit`, a signal, or the end of all commands ends the run.
    int run();

private:
    void runCommands(Clock::time_point now);
    void execute(const std::string& line, CommandSource& source, Clock::time_point now);
    std::string dateAndTime() const;
    std::optional<Clock::time_point> nextDeadline() const;
    bool commandsFinished(Clock::time_point now) const;
    void emit(const std::string& line) const;
    void flood();

    Options m_options;
    PseudoTerminal m_terminal;
    Modem m_modem;
    CommandSource m_input;
    std::optional<CommandSource> m_script;
    std::optional<Clock::time_point> m_controlPausedUntil;
    bool m_quit = false;
    // The text of a running flood, repeated into a block; how much of it is sent and its size.
    std::string m_flood;
    std::uint64_t m_floodSent = 0;
    std::uint64_t m_floodSize = 0;
    bool m_floodHeld = false;
};
