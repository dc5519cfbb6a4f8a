#pragma once

#include <chrono>
#include <deque>
#include <optional>
#include <string>

// Command lines from standard input or a script file. A `wait` pauses only the source it came
// from, so a script and standard input can drive the same modem side by side.
class CommandSource
{
public:
    using Clock = std::chrono::steady_clock;

    // Lines arriving on a file descriptor; read them with readAvailable() when it polls readable.
    explicit CommandSource(int fd);
    // All lines of a script file. Throws std::runtime_error when it cannot be read.
    static CommandSource fromFile(const std::string& path);

    // The descriptor to poll, or -1 once it has reached its end (or for a script).
    int pollFd() const { return m_ended ? -1 : m_fd; }
    void readAvailable();

    // The next command, unless a wait is still running or none is ready. Blank lines and
    // lines starting with '#' are skipped.
    std::optional<std::string> next(Clock::time_point now);
    void pauseUntil(Clock::time_point until) { m_resumeAt = until; }
    // Holds the commands back until the program sends `command` (as Modem::normalized gives it).
    void awaitCommand(std::string command) { m_awaited = std::move(command); }
    void commandReceived(const std::string& command);
    // When a running wait ends.
    std::optional<Clock::time_point> resumeAt() const { return m_resumeAt; }
    // Everything was read and run, and no wait is running.
    bool finished(Clock::time_point now) const;

private:
    void addLines(const std::string& text);

    int m_fd = -1;
    bool m_ended = false;
    std::string m_partial;
    std::deque<std::string> m_lines;
    std::optional<Clock::time_point> m_resumeAt;
    std::optional<std::string> m_awaited;
};
