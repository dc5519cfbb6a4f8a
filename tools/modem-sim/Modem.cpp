#include "Modem.h"

#include "Escapes.h"

#include <algorithm>
#include <cctype>
#include <utility>

namespace {

const std::string kOk = "\r\nOK\r\n";
const std::string kError = "\r\nERROR\r\n";
const std::string kRing = "\r\nRING\r\n";
const std::string kNoCarrier = "\r\nNO CARRIER\r\n";
// A real modem gives up on a dialled line after a few seconds; tests should not wait that long.
constexpr std::chrono::milliseconds kNoCarrierDelay { 1000 };
// Longer lines are kept short rather than growing without limit.
constexpr std::size_t kMaxCommandLength = 256;

bool isDialString(const std::string& text)
{
    return std::all_of(text.begin(), text.end(), [](char c) {
        return std::isdigit(static_cast<unsigned char>(c)) || c == '*' || c == '#' || c == ',';
    });
}

} // namespace

Modem::Modem(Sink toLine, Sink event, Sink command)
    : m_toLine(std::move(toLine))
    , m_event(std::move(event))
    , m_commandSent(std::move(command))
{
}

std::string Modem::normalized(const std::string& command)
{
    std::string text;
    for (const char c : command) {
        if (c != ' ')
            text += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return text;
}

void Modem::receive(const std::string& bytes, Clock::time_point now)
{
    std::string reply;
    for (const char c : bytes) {
        if (m_echo && !m_silent)
            reply += c;
        if (c == '\r') {
            if (!m_command.empty())
                reply += answer(m_command, now);
            m_command.clear();
        } else if (c != '\n' && m_command.size() < kMaxCommandLength) {
            m_command += c;
        }
    }
    if (!reply.empty())
        m_toLine(reply);
}

std::string Modem::answer(const std::string& command, Clock::time_point now)
{
    m_event("rx " + Escapes::display(command));
    const std::string text = normalized(command);
    m_commandSent(text);
    if (m_silent)
        return {};
    if (text.compare(0, 2, "AT") != 0)
        return kError;
    const std::string rest = text.substr(2);
    if (rest == "Z") {
        m_echo = true;
        return kOk;
    }
    if (rest.empty() || rest == "V1Q0")
        return kOk;
    if (rest == "E0" || rest == "E1") {
        m_echo = rest == "E1";
        return kOk;
    }
    if (rest == "+VCID=0" || rest == "+VCID=1" || rest == "+VCID=2") {
        switch (m_vcidAnswer) {
        case VcidAnswer::Ok:
            return kOk;
        case VcidAnswer::Error:
            return kError;
        case VcidAnswer::Silent:
            return {};
        }
    }
    if (rest.compare(0, 2, "DT") == 0 && isDialString(rest.substr(2))) {
        // Going off hook answers the ringing line, so the caller hears the dialling and the
        // ringing stops; the dialled call never connects.
        m_call.reset();
        m_noCarrierAt = now + kNoCarrierDelay;
        m_event("offhook " + rest.substr(2));
        return {};
    }
    return kError;
}

void Modem::placeCall(const std::string& callerId, Clock::time_point now)
{
    m_call = Call { callerId, 0, now, std::nullopt };
    tick(now);
}

void Modem::tick(Clock::time_point now)
{
    std::string out;
    if (m_call && m_call->ringsSent < m_ringsPerCall && now >= m_call->nextRing) {
        out += kRing;
        ++m_call->ringsSent;
        m_event("ring " + std::to_string(m_call->ringsSent));
        if (m_call->ringsSent == 1 && !m_call->callerId.empty())
            m_call->callerIdAt = now + m_cidDelay;
        m_call->nextRing += m_ringInterval;
    }
    if (m_call && m_call->callerIdAt && now >= *m_call->callerIdAt) {
        out += m_call->callerId;
        m_call->callerIdAt.reset();
        m_event("cid");
    }
    if (m_call && m_call->ringsSent >= m_ringsPerCall && !m_call->callerIdAt) {
        m_call.reset();
        m_event("callend");
    }
    if (m_noCarrierAt && now >= *m_noCarrierAt) {
        out += kNoCarrier;
        m_noCarrierAt.reset();
        m_event("nocarrier");
    }
    if (!out.empty())
        m_toLine(out);
}

std::optional<Modem::Clock::time_point> Modem::nextDeadline() const
{
    std::optional<Clock::time_point> due = m_noCarrierAt;
    const auto consider = [&due](Clock::time_point at) {
        if (!due || at < *due)
            due = at;
    };
    if (m_call && m_call->ringsSent < m_ringsPerCall)
        consider(m_call->nextRing);
    if (m_call && m_call->callerIdAt)
        consider(*m_call->callerIdAt);
    return due;
}
