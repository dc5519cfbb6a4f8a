#pragma once

#include <QProcess>
#include <QStringList>
#include <QVector>

// The modem simulator (modem-sim, see tools/README.md) as a child process on a pseudo-terminal,
// for tests that drive the real serial link or the whole program against a modem. Every wait
// processes Qt events, so the program under test keeps running meanwhile. The simulator is
// stopped, and its ports/ link removed, when this object goes away.
class ModemSim
{
public:
    ModemSim();
    ~ModemSim() { stop(); }
    ModemSim(const ModemSim&) = delete;
    ModemSim& operator=(const ModemSim&) = delete;

    // Starts modem-sim with `options` (e.g. {"--ring-interval", "300"}) and waits for it to be
    // ready. With `port` above 0 the modem is linked in as <appDir>/ports/com<port>, where the
    // program finds it as port `port`. False when it did not become ready in time.
    bool start(const QString& appDir = {}, int port = 0, const QStringList& options = {});
    // The pseudo-terminal device the modem sits on ("" before start()).
    QString device() const { return m_device; }

    // Sends one command line, e.g. "call 5551234567 JOHN", "send OK\r\n", "unplug".
    void command(const QString& line);
    // The earliest event line starting with `prefix` that no earlier waitFor() returned, waiting
    // up to `timeoutMs` for it; "" on time-out. E.g. waitFor("rx AT+VCID") gives "rx AT+VCID=1".
    QString waitFor(const QString& prefix, int timeoutMs = 10000);
    // Every event line so far, oldest first ("ready ...", "rx ATV1Q0", "ring 1", ...).
    QStringList events();
    // The program's caller-ID command has reached the modem.
    bool answered() { return events().contains(QStringLiteral("rx AT+VCID=1")); }

    // Ends the simulator: "quit", then a terminate signal if it does not go.
    void stop();

private:
    QProcess m_process;
    QByteArray m_partial;
    QStringList m_events;
    QVector<bool> m_taken;
    QString m_device;
};
