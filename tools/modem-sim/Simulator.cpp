#include "Simulator.h"

#include "Escapes.h"
#include "TextNumber.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <poll.h>
#include <stdexcept>
#include <unistd.h>

namespace {

// Signals reach the poll loop through a pipe, so a signal between two polls is never missed.
int g_signalPipe[2] = { -1, -1 };

void onSignal(int)
{
    const int saved = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(g_signalPipe[1], &byte, 1);
    errno = saved;
}

void installSignalPipe()
{
    if (::pipe(g_signalPipe) != 0)
        throw std::runtime_error("pipe failed");
    for (const int fd : g_signalPipe) {
        fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
        fcntl(fd, F_SETFD, FD_CLOEXEC);
    }
    struct sigaction action
    {
    };
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    for (const int signal : { SIGTERM, SIGINT, SIGHUP })
        sigaction(signal, &action, nullptr);
    // A test that stops reading our events must not kill us before we remove the link.
    std::signal(SIGPIPE, SIG_IGN);
}

// A hang-up on the controlling side is not expected while we hold the device open; should it
// happen anyway, look again only after this pause instead of spinning on it.
constexpr std::chrono::milliseconds kHangupPause { 100 };

std::pair<std::string, std::string> split(const std::string& line)
{
    const auto space = line.find(' ');
    if (space == std::string::npos)
        return { line, {} };
    const auto rest = line.find_first_not_of(' ', space);
    return { line.substr(0, space), rest == std::string::npos ? "" : line.substr(rest) };
}

} // namespace

Simulator::Simulator(const Options& options)
    : m_options(options)
    , m_modem([this](const std::string& bytes) { m_terminal.write(bytes); },
          [this](const std::string& line) { emit(line); },
          [this](const std::string& command) {
              m_input.commandReceived(command);
              if (m_script)
                  m_script->commandReceived(command);
          })
    , m_input(STDIN_FILENO)
{
    installSignalPipe();
    if (!options.scriptPath.empty())
        m_script = CommandSource::fromFile(options.scriptPath);
    if (!options.linkPath.empty())
        m_terminal.linkAt(options.linkPath);
    m_modem.setSilent(options.silent);
    m_modem.setVcidAnswer(options.vcidAnswer);
    m_modem.setRingsPerCall(options.ringsPerCall);
    m_modem.setRingInterval(std::chrono::milliseconds(options.ringIntervalMs));
    m_modem.setCidDelay(std::chrono::milliseconds(options.cidDelayMs));
}

int Simulator::run()
{
    emit("ready " + m_terminal.devicePath());
    while (true) {
        const Clock::time_point now = Clock::now();
        runCommands(now);
        m_modem.tick(now);
        if (m_quit || commandsFinished(now))
            break;

        const bool flooding = !m_flood.empty() && !m_floodHeld;
        pollfd fds[3] = { { g_signalPipe[0], POLLIN, 0 }, { m_input.pollFd(), POLLIN, 0 },
            { -1, static_cast<short>(flooding ? POLLIN | POLLOUT : POLLIN), 0 } };
        if (m_controlPausedUntil && now >= *m_controlPausedUntil)
            m_controlPausedUntil.reset();
        if (!m_controlPausedUntil)
            fds[2].fd = m_terminal.controlFd();
        int timeoutMs = -1;
        if (const auto due = nextDeadline()) {
            const auto wait = std::chrono::ceil<std::chrono::milliseconds>(*due - now);
            timeoutMs = static_cast<int>(std::max<std::chrono::milliseconds::rep>(wait.count(), 0));
        }
        if (::poll(fds, 3, timeoutMs) < 0) {
            if (errno == EINTR)
                continue;
            throw std::runtime_error("poll failed");
        }
        if (fds[0].revents != 0)
            break;
        if (fds[1].revents != 0)
            m_input.readAvailable();
        if ((fds[2].revents & POLLOUT) != 0)
            flood();
        if ((fds[2].revents & POLLIN) != 0) {
            const std::string bytes = m_terminal.read();
            if (!bytes.empty())
                m_modem.receive(bytes, Clock::now());
        } else if ((fds[2].revents & ~POLLOUT) != 0) {
            m_controlPausedUntil = Clock::now() + kHangupPause;
        }
    }
    m_terminal.unplug();
    return 0;
}

void Simulator::runCommands(Clock::time_point now)
{
    for (CommandSource* source : { m_script ? &*m_script : nullptr, &m_input }) {
        while (source && !m_quit) {
            const auto line = source->next(now);
            if (!line)
                break;
            execute(*line, *source, now);
        }
    }
}

void Simulator::execute(const std::string& line, CommandSource& source, Clock::time_point now)
{
    const auto [command, rest] = split(line);
    const auto number = TextNumber::parse(rest);
    if (command == "call" && !rest.empty()) {
        const auto [phoneNumber, name] = split(rest);
        std::string block = "\r\n" + dateAndTime() + "NMBR = " + phoneNumber + "\r\n";
        if (!name.empty())
            block += "NAME = " + name + "\r\n";
        emit("call " + phoneNumber);
        m_modem.placeCall(block, now);
    } else if (command == "call-mesg" && !rest.empty()) {
        emit("call mesg");
        m_modem.placeCall("\r\nMESG = " + rest + "\r\n", now);
    } else if (command == "call-private" && rest.empty()) {
        emit("call private");
        m_modem.placeCall("\r\n" + dateAndTime() + "NMBR = P\r\n", now);
    } else if (command == "call-nocid" && rest.empty()) {
        emit("call nocid");
        m_modem.placeCall({}, now);
    } else if (command == "rings" && number && *number > 0) {
        m_modem.setRingsPerCall(*number);
    } else if (command == "send" && !rest.empty()) {
        m_terminal.write(Escapes::decode(rest));
    } else if (command == "flood" && rest == "on") {
        m_floodHeld = false;
    } else if (command == "flood" && TextNumber::parse(split(rest).first).value_or(0) > 0
        && !split(rest).second.empty()) {
        const std::string text = Escapes::decode(split(rest).second);
        m_flood.clear();
        while (m_flood.size() < 4096)
            m_flood += text;
        m_floodSize = static_cast<std::uint64_t>(*TextNumber::parse(split(rest).first));
        m_floodSent = 0;
        m_floodHeld = false;
    } else if (command == "wait" && number) {
        source.pauseUntil(now + std::chrono::milliseconds(*number));
    } else if (command == "await" && !rest.empty()) {
        source.awaitCommand(Modem::normalized(rest));
    } else if (command == "unplug" && rest.empty()) {
        m_terminal.unplug();
        emit("unplugged");
    } else if (command == "silent" && (rest == "on" || rest == "off")) {
        m_modem.setSilent(rest == "on");
    } else if (command == "vcid" && (rest == "ok" || rest == "error" || rest == "silent")) {
        m_modem.setVcidAnswer(rest == "ok" ? VcidAnswer::Ok
                : rest == "error"          ? VcidAnswer::Error
                                           : VcidAnswer::Silent);
    } else if (command == "quit" && rest.empty()) {
        m_quit = true;
    } else {
        std::fprintf(stderr, "modem-sim: bad command: %s\n", line.c_str());
    }
}

void Simulator::flood()
{
    const std::uint64_t half = m_floodSize / 2;
    while (!m_floodHeld && m_floodSent < m_floodSize) {
        const std::size_t at = m_floodSent % m_flood.size();
        const std::uint64_t until = m_floodSent < half ? half : m_floodSize;
        const std::size_t sent = m_terminal.writeSome(m_flood.data() + at,
            static_cast<std::size_t>(
                std::min<std::uint64_t>(m_flood.size() - at, until - m_floodSent)));
        if (sent == 0)
            return;
        m_floodSent += sent;
        if (m_floodSent == half) {
            m_floodHeld = true;
            emit("flood half");
        }
    }
    if (m_floodSent == m_floodSize) {
        m_flood.clear();
        emit("flooded");
    }
}

std::string Simulator::dateAndTime() const
{
    std::string date;
    std::string time;
    if (!m_options.clock.empty()) {
        date = m_options.clock.substr(0, 4);
        time = m_options.clock.substr(4, 4);
    } else {
        const std::time_t seconds = std::time(nullptr);
        std::tm local {};
        localtime_r(&seconds, &local);
        char text[8];
        std::strftime(text, sizeof text, "%m%d", &local);
        date = text;
        std::strftime(text, sizeof text, "%H%M", &local);
        time = text;
    }
    return "DATE = " + date + "\r\nTIME = " + time + "\r\n";
}

std::optional<Simulator::Clock::time_point> Simulator::nextDeadline() const
{
    std::optional<Clock::time_point> due = m_modem.nextDeadline();
    for (const auto& at : { m_input.resumeAt(), m_script ? m_script->resumeAt() : std::nullopt,
             m_controlPausedUntil }) {
        if (at && (!due || *at < *due))
            due = at;
    }
    return due;
}

bool Simulator::commandsFinished(Clock::time_point now) const
{
    return m_input.finished(now) && (!m_script || m_script->finished(now));
}

void Simulator::emit(const std::string& line) const
{
    std::string text = line + "\n";
    if (m_options.timestamps) {
        // Microseconds on the monotonic clock, the one std::chrono::steady_clock reads.
        const auto now = std::chrono::duration_cast<std::chrono::microseconds>(
            Clock::now().time_since_epoch());
        text = std::to_string(now.count()) + " " + text;
    }
    std::fputs(text.c_str(), stdout);
    std::fflush(stdout);
}
