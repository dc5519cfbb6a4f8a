#pragma once

#include <cstddef>
#include <string>

// A pseudo-terminal whose terminal side is the modem's serial device as the program sees it.
// The simulator keeps its own handle on that side open all the time: otherwise, once the program
// closes the port, the controlling side would report a hang-up on every poll.
class PseudoTerminal
{
public:
    // Throws std::runtime_error when no pseudo-terminal can be had.
    PseudoTerminal();
    ~PseudoTerminal();
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    const std::string& devicePath() const { return m_devicePath; }
    // The controlling side to poll for the program's bytes; -1 once unplugged.
    int controlFd() const { return m_control; }
    bool plugged() const { return m_control >= 0; }

    // Puts a symbolic link to the device at `path`, creating missing folders and replacing an
    // older link; the link goes away with unplug() and on destruction. Throws std::runtime_error.
    void linkAt(const std::string& path);
    // What the program has written; "" when nothing is waiting.
    std::string read();
    // Sends bytes to the program. Like a real line, bytes the program's full input queue cannot
    // take are lost rather than waited for.
    void write(const std::string& bytes);
    // Sends what the program's input queue takes of `bytes` now; returns how many that was.
    std::size_t writeSome(const char* bytes, std::size_t size);
    // The device goes away: the program's open port hangs up and the link disappears.
    void unplug();

private:
    void removeLink();

    int m_control = -1;
    int m_device = -1;
    std::string m_devicePath;
    std::string m_linkPath;
};
