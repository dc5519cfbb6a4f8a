#include "PseudoTerminal.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <pty.h>
#include <stdexcept>
#include <system_error>
#include <termios.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

std::runtime_error systemError(const std::string& what)
{
    return std::runtime_error(what + ": " + std::strerror(errno));
}

} // namespace

PseudoTerminal::PseudoTerminal()
{
    char name[PATH_MAX] = {};
    termios raw {};
    cfmakeraw(&raw);
    if (openpty(&m_control, &m_device, name, &raw, nullptr) != 0)
        throw systemError("openpty");
    m_devicePath = name;
    const int flags = fcntl(m_control, F_GETFL);
    fcntl(m_control, F_SETFL, flags | O_NONBLOCK);
    fcntl(m_control, F_SETFD, FD_CLOEXEC);
    fcntl(m_device, F_SETFD, FD_CLOEXEC);
}

PseudoTerminal::~PseudoTerminal()
{
    unplug();
}

void PseudoTerminal::linkAt(const std::string& path)
{
    std::error_code error;
    const fs::path link(path);
    if (link.has_parent_path())
        fs::create_directories(link.parent_path(), error);
    if (error)
        throw std::runtime_error(link.parent_path().string() + ": " + error.message());
    if (fs::is_symlink(fs::symlink_status(link)))
        fs::remove(link, error);
    fs::create_symlink(m_devicePath, link, error);
    if (error)
        throw std::runtime_error(path + ": " + error.message());
    m_linkPath = path;
}

std::string PseudoTerminal::read()
{
    std::string bytes;
    char chunk[4096];
    while (m_control >= 0) {
        const ssize_t count = ::read(m_control, chunk, sizeof chunk);
        if (count <= 0)
            break;
        bytes.append(chunk, static_cast<std::size_t>(count));
    }
    return bytes;
}

void PseudoTerminal::write(const std::string& bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const std::size_t count = writeSome(bytes.data() + done, bytes.size() - done);
        if (count == 0)
            break;
        done += count;
    }
}

std::size_t PseudoTerminal::writeSome(const char* bytes, std::size_t size)
{
    ssize_t count = -1;
    while (m_control >= 0 && (count = ::write(m_control, bytes, size)) < 0 && errno == EINTR) { }
    return count > 0 ? static_cast<std::size_t>(count) : 0;
}

void PseudoTerminal::unplug()
{
    removeLink();
    if (m_control >= 0)
        ::close(m_control);
    if (m_device >= 0)
        ::close(m_device);
    m_control = -1;
    m_device = -1;
}

void PseudoTerminal::removeLink()
{
    if (m_linkPath.empty())
        return;
    // Only our own link: a later simulator may have put its link at the same place.
    std::error_code error;
    if (fs::read_symlink(m_linkPath, error) == fs::path(m_devicePath))
        fs::remove(m_linkPath, error);
    m_linkPath.clear();
}
