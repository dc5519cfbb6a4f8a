#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <string>

// How the modem answers the caller-ID command.
enum class VcidAnswer { Ok, Error, Silent };

// The voice modem's side of the line: echo, AT commands, incoming calls with their rings and
// caller-ID block, and dialling. The owner passes the time in and calls tick() when
// nextDeadline() comes due, so the modem itself never waits.
class Modem
{
public:
    using Clock = std::chrono::steady_clock;
    using Sink = std::function<void(const std::string&)>;

    // `toLine` receives the bytes the modem sends to the program, `event` one event line each,
    // `command` every command line the program sent, as normalized() gives it.
    Modem(Sink toLine, Sink event, Sink command);

    // A command as the modem compares it: upper case, without spaces.
    static std::string normalized(const std::string& command);

    // A silent modem neither echoes nor answers nor acts on commands; calls still ring.
    void setSilent(bool silent) { m_silent = silent; }
    void setVcidAnswer(VcidAnswer answer) { m_vcidAnswer = answer; }
    void setRingsPerCall(int rings) { m_ringsPerCall = rings; }
    void setRingInterval(std::chrono::milliseconds interval) { m_ringInterval = interval; }
    void setCidDelay(std::chrono::milliseconds delay) { m_cidDelay = delay; }

    // Bytes the program wrote to the port.
    void receive(const std::string& bytes, Clock::time_point now);
    // An incoming call: it rings at once and every ring interval; `callerId` ("" for none)
    // follows the first ring after the caller-ID delay. A call still ringing is replaced.
    void placeCall(const std::string& callerId, Clock::time_point now);
    // Sends whatever has come due by `now`.
    void tick(Clock::time_point now);
    // When tick() next has something to send; nothing while the line is idle.
    std::optional<Clock::time_point> nextDeadline() const;

private:
    struct Call
    {
        std::string callerId;
        int ringsSent = 0;
        Clock::time_point nextRing;
        std::optional<Clock::time_point> callerIdAt;
    };

    std::string answer(const std::string& command, Clock::time_point now);

    Sink m_toLine;
    Sink m_event;
    Sink m_commandSent;
    bool m_silent = false;
    bool m_echo = true;
    VcidAnswer m_vcidAnswer = VcidAnswer::Ok;
    int m_ringsPerCall = 4;
    std::chrono::milliseconds m_ringInterval { 6000 };
    std::chrono::milliseconds m_cidDelay { 500 };
    std::string m_command;
    std::optional<Call> m_call;
    std::optional<Clock::time_point> m_noCarrierAt;
};
