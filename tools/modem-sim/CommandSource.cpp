#include "CommandSource.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <unistd.h>

namespace {

std::string trimmed(const std::string& line)
{
    const auto first = line.find_first_not_of(" \t\r");
    if (first == std::string::npos)
        return {};
    return line.substr(first, line.find_last_not_of(" \t\r") - first + 1);
}

} // namespace

CommandSource::CommandSource(int fd)
    : m_fd(fd)
{
}

CommandSource CommandSource::fromFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    if (!file)
        throw std::runtime_error(path + ": " + std::strerror(errno));
    std::ostringstream text;
    text << file.rdbuf();
    CommandSource source(-1);
    source.m_ended = true;
    source.addLines(text.str() + "\n");
    return source;
}

void CommandSource::readAvailable()
{
    char chunk[4096];
    const ssize_t count = ::read(m_fd, chunk, sizeof chunk);
    if (count < 0 && (errno == EINTR || errno == EAGAIN))
        return;
    if (count <= 0) {
        m_ended = true;
        addLines(m_partial + "\n");
        m_partial.clear();
        return;
    }
    m_partial.append(chunk, static_cast<std::size_t>(count));
    const auto lastEnd = m_partial.rfind('\n');
    if (lastEnd == std::string::npos)
        return;
    addLines(m_partial.substr(0, lastEnd + 1));
    m_partial.erase(0, lastEnd + 1);
}

void CommandSource::addLines(const std::string& text)
{
    std::size_t start = 0;
    for (auto end = text.find('\n'); end != std::string::npos; end = text.find('\n', start)) {
        const std::string line = trimmed(text.substr(start, end - start));
        if (!line.empty() && line[0] != '#')
            m_lines.push_back(line);
        start = end + 1;
    }
}

std::optional<std::string> CommandSource::next(Clock::time_point now)
{
    if (m_awaited || (m_resumeAt && now < *m_resumeAt))
        return std::nullopt;
    m_resumeAt.reset();
    if (m_lines.empty())
        return std::nullopt;
    std::string line = m_lines.front();
    m_lines.pop_front();
    return line;
}

void CommandSource::commandReceived(const std::string& command)
{
    if (m_awaited == command)
        m_awaited.reset();
}

bool CommandSource::finished(Clock::time_point now) const
{
    return m_ended && m_lines.empty() && !m_awaited && (!m_resumeAt || now >= *m_resumeAt);
}
