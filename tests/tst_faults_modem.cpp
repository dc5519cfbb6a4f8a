#include "app/Halvoren.h"
#include "platform/SerialLink.h"
#include "state/AppState.h"
#include "support/ModemSim.h"
#include "support/Scenario.h"
#include "support/TestApp.h"
#include "windows/config/Form2.h"
#include "windows/config/PortDetection.h"
#include "windows/main/Form1.h"
#include "windows/main/Form4.h"
#include "windows/main/LogBox.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QTimer>
#include <QtTest>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <memory>
#include <poll.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace {

const QString kWaiting = QStringLiteral("Halvoren 1.5 waiting for calls");
const QString kTimingOut = QStringLiteral("Halvoren 1.5 timming out events");
const QString kStandingBy = QStringLiteral("Halvoren 1.5 standing by");
const QString kPortInUse = QStringLiteral("The modem port is currently in use.");
const QString kPortsFound
    = QStringLiteral("Done checking ports\r\nPlease select a port\r\nand save configuration");
const QByteArray kRing = "\r\nRING\r\n";
const QByteArray kCallerId = "\r\nDATE = 0101\r\nTIME = 1200\r\nNMBR = 5559876543\r\n";

// One line of the reliability table in docs/reliability.md, collected from the test output.
void report(const QString& fault, int tries, const QString& outcome, const QString& lost)
{
    qInfo().noquote() << QStringLiteral("reliability | %1 | %2 | %3 | %4 |")
                             .arg(fault)
                             .arg(tries)
                             .arg(outcome, lost);
}

// Raw bytes as a modem-sim "send" command.
QString sendCommand(const QByteArray& bytes)
{
    QString command = QStringLiteral("send ");
    for (const char byte : bytes) {
        const auto value = static_cast<unsigned char>(byte);
        if (value > 0x20 && value < 0x7f && byte != '\\')
            command += QLatin1Char(byte);
        else
            command += QStringLiteral("\\x%1").arg(value, 2, 16, QLatin1Char('0'));
    }
    return command;
}

// A modem of the test's own on a pseudo-terminal, for floods the simulator cannot send: a thread
// answers the caller-ID command with OK, then writes a pattern as fast as the program reads it,
// stopping halfway until the test lets it go on.
class FloodModem
{
public:
    FloodModem(const QString& link, QByteArray pattern, qint64 total)
        : m_pattern(std::move(pattern))
        , m_total(total)
    {
        termios raw {};
        cfmakeraw(&raw);
        char name[256] = {};
        if (openpty(&m_control, &m_device, name, &raw, nullptr) != 0)
            return;
        fcntl(m_control, F_SETFL, fcntl(m_control, F_GETFL) | O_NONBLOCK);
        QDir().mkpath(QFileInfo(link).path());
        m_ready = QFile::link(QString::fromLocal8Bit(name), link);
        m_thread = std::thread([this] { run(); });
    }
    ~FloodModem()
    {
        m_stop = true;
        if (m_thread.joinable())
            m_thread.join();
        ::close(m_control);
        ::close(m_device);
    }
    FloodModem(const FloodModem&) = delete;
    FloodModem& operator=(const FloodModem&) = delete;

    bool ready() const { return m_ready; }
    bool answered() const { return m_answered; }
    qint64 written() const { return m_written; }
    bool halfway() const { return m_written >= m_total / 2; }
    bool done() const { return m_done; }
    void goOn() { m_goOn = true; }
    // Bytes written and not yet taken by the program.
    int unread() const
    {
        int count = 0;
        return ::ioctl(m_device, FIONREAD, &count) == 0 ? count : -1;
    }
    // Sends `bytes` once the flood is over.
    void send(const QByteArray& bytes) { writeAll(bytes); }

private:
    void run()
    {
        QByteArray heard;
        while (!m_stop && !heard.contains("AT+VCID=1\r")) {
            if (waitFor(POLLIN)) {
                char chunk[256];
                const ssize_t count = ::read(m_control, chunk, sizeof chunk);
                if (count > 0)
                    heard.append(chunk, count);
            }
        }
        writeAll("\r\nOK\r\n");
        m_answered = true;
        while (!m_stop && m_written < m_total) {
            if (halfway() && !m_goOn) {
                waitFor(0);
                continue;
            }
            m_written += writeAll(m_pattern);
        }
        m_done = true;
    }

    // Waits up to a moment for `events` on the control side; false when they did not come.
    bool waitFor(short events) const
    {
        pollfd fd { m_control, events, 0 };
        return ::poll(&fd, 1, 20) > 0 && (fd.revents & events) != 0;
    }

    qint64 writeAll(const QByteArray& bytes)
    {
        qint64 done = 0;
        while (!m_stop && done < bytes.size()) {
            const ssize_t count = ::write(m_control, bytes.constData() + done, bytes.size() - done);
            if (count > 0)
                done += count;
            else
                waitFor(POLLOUT);
        }
        return done;
    }

    QByteArray m_pattern;
    qint64 m_total;
    int m_control = -1;
    int m_device = -1;
    bool m_ready = false;
    std::atomic<bool> m_answered { false };
    std::atomic<qint64> m_written { 0 };
    std::atomic<bool> m_goOn { false };
    std::atomic<bool> m_done { false };
    std::atomic<bool> m_stop { false };
    std::thread m_thread;
};

// The program started in a temporary folder with "com1:" configured and entry 2, 5550001111,
// marked blocked.
struct Rig
{
    Rig(int tickMs, bool blocking)
        : app(tickMs)
    {
        app.writeSettings(QStringLiteral("com1:"), false, blocking);
        app.writeFile(QStringLiteral("phone.ini"),
            "+\r\n5551234567\r\nN\r\n\r\n\r\n+\r\n5550001111\r\nB\r\n\r\n\r\n"
                + QByteArray("+\r\n\r\n\r\n\r\n\r\n").repeated(3));
        QDir(app.dir()).mkpath(QStringLiteral("ports"));
        form1 = &app.start().context().forms.form1();
    }

    AppState& state() { return app.app().state(); }
    FormRegistry& forms() { return app.app().context().forms; }
    QString log() const { return form1->logText(); }
    QString totalCalls() const { return form1->Label2[0]->text(); }
    bool monitoring() const { return form1->Command1->text() == QLatin1String("&Deactivate"); }
    // The monitor waits for a ring: the modem has answered the caller-ID command, the caption
    // says so, and no timer runs.
    bool waitingForRing(bool modemAnswered) const
    {
        return modemAnswered && form1->windowTitle() == kWaiting && !form1->Timer1->isActive()
            && monitoring();
    }
    QStringList messages() { return app.platform().messages.texts(); }

    // Clicks Activate and lets `scenario` play out until the monitor returns.
    void activate(Scenario& scenario)
    {
        scenario.run([this] { QTest::mouseClick(form1->Command1, Qt::LeftButton); },
            [this] {
                if (monitoring())
                    QTest::mouseClick(form1->Command1, Qt::LeftButton);
            });
    }

    // The monitor has stopped through its recovery and the window stands by.
    bool recovered()
    {
        return messages() == QStringList { kPortInUse }
        && form1->Command1->text() == QLatin1String("&Activate")
            && form1->windowTitle() == kStandingBy && form1->Command3->isEnabled()
            && form1->Command8->isEnabled() && log().endsWith(QStringLiteral("+++++++\r\n"))
            && log().lastIndexOf(QStringLiteral("Deactivated:"))
            > log().lastIndexOf(QStringLiteral("Activated:"))
            && app.platform().end.ends == 0;
    }

    // Activate, one call from `modem`, Deactivate: the program monitors normally.
    bool takesOneCall(ModemSim& modem)
    {
        const int before = totalCalls().toInt();
        const auto answered = answeredAfter(modem);
        Scenario scenario;
        scenario
            .until([&] { return waitingForRing(answered()); },
                [&] { modem.command(sendCommand(kRing)); })
            .until([&] { return totalCalls().toInt() == before + 1; },
                [&] { modem.command(sendCommand(kCallerId)); })
            .until([this] { return form1->windowTitle() == kTimingOut; },
                [this] { QTest::mouseClick(form1->Command1, Qt::LeftButton); });
        activate(scenario);
        return scenario.finished() && totalCalls().toInt() == before + 1
            && log().contains(QString::fromLatin1(kCallerId) + QStringLiteral("\r\n++++++++"));
    }

    // Whether the modem has answered a caller-ID command sent from now on.
    static std::function<bool()> answeredAfter(ModemSim& modem)
    {
        const auto count
            = [&modem] { return modem.events().count(QStringLiteral("rx AT+VCID=1")); };
        return [count, before = count()] { return count() > before; };
    }

    TestApp app;
    Form1* form1 = nullptr;
};

enum class CycleState { WaitingForRing, RingSeen, Collecting, PauseAfterBlockedCall, TimingOut };

} // namespace

Q_DECLARE_METATYPE(CycleState)

// The program against a modem that fails or turns hostile: unplugged in every state of the call
// cycle and during detection, held by another program or closed to the user, floods of text and
// of rings, and caller-ID text full of markup and control characters.
class TestFaultsModem : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

    void unplugged_recoversAndActivatesAgain_data()
    {
        QTest::addColumn<CycleState>("state");
        QTest::newRow("waiting for a ring") << CycleState::WaitingForRing;
        QTest::newRow("ring seen") << CycleState::RingSeen;
        QTest::newRow("collecting caller ID") << CycleState::Collecting;
        QTest::newRow("pause after a blocked call") << CycleState::PauseAfterBlockedCall;
        QTest::newRow("timing out") << CycleState::TimingOut;
    }

    void unplugged_recoversAndActivatesAgain()
    {
        QFETCH(CycleState, state);
        // Ticks long enough that the modem's unplugging reaches the program within each state.
        Rig rig(100, state == CycleState::PauseAfterBlockedCall);
        ModemSim modem;
        QVERIFY(modem.start(rig.app.dir(), 1));
        const auto send = [&modem](const QByteArray& bytes) { modem.command(sendCommand(bytes)); };
        const auto unplug = [&modem] { modem.command(QStringLiteral("unplug")); };
        const QByteArray blockedCallerId
            = QByteArray(kCallerId).replace("5559876543", "5550001111");
        const auto answered = Rig::answeredAfter(modem);

        Scenario scenario;
        scenario.until([&] { return rig.waitingForRing(answered()); },
            [&] { state == CycleState::WaitingForRing ? unplug() : send(kRing); });
        if (state != CycleState::WaitingForRing) {
            scenario.until([&] { return rig.totalCalls() == "1"; },
                [&] {
                    if (state == CycleState::RingSeen)
                        unplug();
                    else if (state == CycleState::Collecting)
                        send("\r\nDATE = 0101\r\n");
                    else
                        send(state == CycleState::PauseAfterBlockedCall ? blockedCallerId
                                                                        : kCallerId);
                });
        }
        if (state == CycleState::Collecting)
            scenario.until([&] { return rig.state().ReceiveBuffer.contains("DATE"); }, unplug);
        if (state == CycleState::PauseAfterBlockedCall)
            scenario.until([&] { return rig.form1->Label2[1]->text() == "1"; }, unplug);
        if (state == CycleState::TimingOut)
            scenario.until([&] { return rig.form1->windowTitle() == kTimingOut; }, unplug);
        rig.activate(scenario);
        QVERIFY2(scenario.finished(), qPrintable(scenario.stuckAt() + "\n" + rig.log()));
        QVERIFY(rig.recovered());

        // Where the modem went shows in what the cycle got to do.
        const bool counted = state != CycleState::WaitingForRing;
        const bool logged
            = state == CycleState::PauseAfterBlockedCall || state == CycleState::TimingOut;
        QCOMPARE(rig.totalCalls(), counted ? "1" : "0");
        QCOMPARE(rig.log().contains("DATE = 0101"), logged);
        QCOMPARE(rig.log().contains("Was blocked."), state == CycleState::PauseAfterBlockedCall);

        ModemSim pluggedIn;
        QVERIFY(pluggedIn.start(rig.app.dir(), 1));
        QVERIFY(rig.takesOneCall(pluggedIn));
        QCOMPARE(rig.messages(), QStringList { kPortInUse });
        report(QStringLiteral("modem unplugged, %1").arg(QTest::currentDataTag()), 1,
            QStringLiteral("\"%1\", deactivation entry, standing by; Activate works once the "
                           "modem is back")
                .arg(kPortInUse),
            state == CycleState::Collecting
                ? QStringLiteral("nothing saved; the caller ID cut off mid-way is not logged")
                : QStringLiteral("nothing"));
    }

    void unpluggedDuringDetection_failsThatPortOnly()
    {
        Rig rig(100, false);
        ModemSim silent;
        ModemSim answering;
        QVERIFY(silent.start(rig.app.dir(), 1, { "--silent" }));
        QVERIFY(answering.start(rig.app.dir(), 2));
        QTest::mouseClick(rig.form1->Command3, Qt::LeftButton);
        Form2& form2 = rig.forms().form2();
        QVERIFY(QTest::qWaitForWindowActive(&form2));

        const auto detect = [&](Scenario& scenario) {
            scenario.until([&] { return form2.Label3->text() == kPortsFound; });
            scenario.run(
                [&] {
                    QTest::mouseClick(form2.Command4, Qt::LeftButton);
                    // The caller looks at what the scan got to.
                    static_cast<void>(QTest::qWaitFor([&] { return scenario.finished(); }, 20000));
                },
                [] {});
        };
        Scenario probing;
        probing.until(
            [&] {
                return form2.detection().scanning() && form2.detection().ProbePort() == 1
                    && form2.MSComm0->portOpen();
            },
            [&] { silent.command(QStringLiteral("unplug")); });
        detect(probing);
        QVERIFY2(probing.finished(), qPrintable(probing.stuckAt() + "\n" + form2.Label3->text()));
        QCOMPARE(form2.Combo1->count(), 1);
        QCOMPARE(form2.Combo1->itemText(0), "com2:");
        QVERIFY(rig.messages().isEmpty());
        QCOMPARE(rig.app.platform().end.ends, 0);

        ModemSim pluggedIn;
        QVERIFY(pluggedIn.start(rig.app.dir(), 1));
        Scenario again;
        detect(again);
        QVERIFY(again.finished());
        QCOMPARE(form2.Combo1->count(), 2);
        QCOMPARE(form2.Combo1->itemText(0), "com1:");
        report(QStringLiteral("modem unplugged during detection"), 1,
            QStringLiteral("that port counts as failed, the others are probed and listed; a new "
                           "Detect lists it once it is back"),
            QStringLiteral("nothing"));
    }

    void portNotOpenable_isReportedAndTheProgramGoesOn_data()
    {
        QTest::addColumn<bool>("held");
        QTest::newRow("held by another program") << true;
        QTest::newRow("permission denied") << false;
    }

    void portNotOpenable_isReportedAndTheProgramGoesOn()
    {
        QFETCH(bool, held);
        Rig rig(25, false);
        ModemSim modem;
        QVERIFY(modem.start(held ? rig.app.dir() : QString(), held ? 1 : 0));
        const QString link = rig.app.path(QStringLiteral("ports/com1"));

        QProcess holder;
        QString nodevFolder;
        if (held) {
            holder.start(
                QStringLiteral(HALVOREN_BINARY_DIR "/fault-helper"), { "hold", modem.device() });
            QVERIFY(holder.waitForReadyRead(10000));
            QCOMPARE(holder.readLine(), QByteArray("held\n"));
        } else {
            // A device node on a file system mounted "nodev" cannot be opened, even by root.
            nodevFolder = rig.app.path(QStringLiteral("nodev"));
            QVERIFY(QDir().mkpath(nodevFolder));
            if (::mount("tmpfs", qPrintable(nodevFolder), "tmpfs", MS_NODEV, "size=64k") != 0)
                QSKIP(qPrintable(QStringLiteral("cannot mount a nodev tmpfs: %1")
                                     .arg(QString::fromLocal8Bit(std::strerror(errno)))));
            struct stat device
            {
            };
            QVERIFY(::stat(qPrintable(modem.device()), &device) == 0);
            const QString node = QDir(nodevFolder).filePath(QStringLiteral("modem"));
            QVERIFY(::mknod(qPrintable(node), S_IFCHR | 0600, device.st_rdev) == 0);
            QVERIFY(QFile::link(node, link));
        }

        QTest::mouseClick(rig.form1->Command1, Qt::LeftButton);
        QVERIFY(rig.recovered());

        if (held) {
            holder.closeWriteChannel();
            QVERIFY(holder.waitForFinished(10000));
        } else {
            QVERIFY(QFile::remove(link));
            QVERIFY(QFile::link(modem.device(), link));
            QVERIFY(::umount2(qPrintable(nodevFolder), MNT_DETACH) == 0);
        }
        QVERIFY(rig.takesOneCall(modem));
        report(QStringLiteral("port %1").arg(QTest::currentDataTag()), 1,
            QStringLiteral("\"%1\", standing by; Activate works once the port is free")
                .arg(kPortInUse),
            QStringLiteral("nothing"));
    }

    void flood_keepsTheButtonsAnsweringAndCountsTheNextCall_data()
    {
        QTest::addColumn<QByteArray>("pattern");
        QTest::addColumn<qint64>("total");
        QTest::newRow("megabytes of text without a ring")
            << QByteArray("\r\nDATA = 0123456789 <b>not a call</b>\x07\t") << qint64(8 << 20);
        QTest::newRow("a flood of rings") << kRing << qint64(1 << 20);
    }

    void flood_keepsTheButtonsAnsweringAndCountsTheNextCall()
    {
        QFETCH(QByteArray, pattern);
        QFETCH(qint64, total);
        Rig rig(25, false);
        FloodModem modem(rig.app.path(QStringLiteral("ports/com1")), pattern, total);
        QVERIFY(modem.ready());

        bool answeredDuringFlood = false;
        int callsBefore = 0;
        QString logOfLastCall;
        const auto floodOver = [&] {
            return modem.done() && modem.unread() == 0 && rig.waitingForRing(modem.answered());
        };
        Form4* about = nullptr;
        Scenario scenario(60000);
        scenario
            .until([&] { return modem.halfway(); },
                [&] { QTest::mouseClick(rig.form1->Command7, Qt::LeftButton); })
            .until([&] {
                about = rig.forms().loadedForm4();
                return about && about->isVisible();
            })
            .then([&] { QTest::mouseClick(about->Command1, Qt::LeftButton); })
            .until([&] { return rig.form1->isFormEnabled(); },
                [&] {
                    answeredDuringFlood = !modem.done();
                    modem.goOn();
                },
                "the About box answered")
            .until(floodOver)
            // The program has read all there was if it still waits a moment later.
            .pause(200)
            .until(
                floodOver,
                [&] {
                    callsBefore = rig.totalCalls().toInt();
                    modem.send(kRing);
                },
                "the flood is over")
            .until([&] { return rig.totalCalls().toInt() == callsBefore + 1; },
                [&] { modem.send(kCallerId); })
            .until([&] { return rig.form1->windowTitle() == kTimingOut; },
                [&] {
                    // Deactivate clears a log of more than 32000 characters.
                    logOfLastCall = rig.log();
                    QTest::mouseClick(rig.form1->Command1, Qt::LeftButton);
                });
        rig.activate(scenario);
        QVERIFY2(scenario.finished(), qPrintable(scenario.stuckAt()));

        QVERIFY(answeredDuringFlood);
        QCOMPARE(rig.totalCalls().toInt(), callsBefore + 1);
        const QString realCall
            = QString::fromLatin1(kCallerId) + QStringLiteral("\r\n++++++++\r\n");
        QVERIFY2(logOfLastCall.endsWith(
                     realCall + QStringLiteral("Above data has no assingnemt\r\n++++++++\r\n")),
            qPrintable(logOfLastCall.right(400)));
        QVERIFY(rig.messages().isEmpty());
        report(QStringLiteral("modem flood: %1").arg(QTest::currentDataTag()), 1,
            QStringLiteral("%1 MB read; About box opened and closed during the flood; %2 "
                           "calls counted from the flood, then the real call counted once")
                .arg(double(modem.written()) / (1 << 20), 0, 'f', 1)
                .arg(callsBefore),
            QStringLiteral("nothing"));
    }

    void hostileCallerId_isLoggedAsTextNeverInterpreted()
    {
        Rig rig(25, false);
        ModemSim modem;
        QVERIFY(modem.start(rig.app.dir(), 1));
        QByteArray hostile = "\r\nNMBR = 5551234567\r\nNAME = <b>Bold</b><img src=\"x.png\"> &amp; "
                             "<script>alert(1)</script>\r\nNUL[";
        hostile += '\0';
        hostile += "] BEL[\a] BS[\b] VT[\v] FF[\f] ESC[\x1b[31m] DEL[\x7f] C1[\x85\x9b] "
                   "UTF-8 invalid[\xc3\x28\xff\xfe] end\r\n";
        const QString received = QString::fromLatin1(hostile);
        const auto answered = Rig::answeredAfter(modem);

        Scenario scenario;
        scenario
            .until([&] { return rig.waitingForRing(answered()); },
                [&] { modem.command(sendCommand(kRing)); })
            .until([&] { return rig.totalCalls() == "1"; },
                [&] { modem.command(sendCommand(hostile)); })
            .until([&] { return rig.form1->windowTitle() == kTimingOut; },
                [&] { QTest::mouseClick(rig.form1->Command1, Qt::LeftButton); });
        rig.activate(scenario);
        QVERIFY2(scenario.finished(), qPrintable(scenario.stuckAt()));

        // The log keeps every byte as it came; saving writes it back unchanged.
        QVERIFY(rig.log().contains(received + QStringLiteral("\r\n++++++++\r\n")));
        QTest::mouseClick(rig.form1->Command5, Qt::LeftButton);
        QCOMPARE(rig.app.readFile(QStringLiteral("ccalls.log")), (rig.log() + "\r\n").toUtf8());

        // The view shows the markup as text and every control character as a visible symbol.
        const QString shown = rig.form1->Text1->toPlainText();
        QVERIFY(shown.contains(QStringLiteral("NAME = <b>Bold</b><img src=\"x.png\"> &amp; "
                                              "<script>alert(1)</script>")));
        QVERIFY(shown.contains(QStringLiteral("NUL[\u2400] BEL[\u2407] BS[\u2408] VT[\u240b] "
                                              "FF[\u240c] ESC[\u241b[31m] DEL[\u2421]")));
        for (const QChar c : shown) {
            const char16_t code = c.unicode();
            const bool control = code < 0x20 || (code >= 0x7f && code < 0xa0);
            QVERIFY2(
                !control || code == u'\n' || code == u'\t', qPrintable(QString::number(code, 16)));
        }
        QCOMPARE(rig.form1->Text1->lineCount(), rig.log().count("\r\n") + 1);
        QCOMPARE(int(rig.state().TotalCalls), 1);
        QCOMPARE(rig.app.platform().sound.played.size(), 1);
        report(QStringLiteral("caller-ID text with markup, control characters, NUL bytes and "
                              "invalid UTF-8"),
            1,
            QStringLiteral("logged and saved byte for byte; shown as plain text, control "
                           "characters as visible symbols; number taken as usual"),
            QStringLiteral("nothing"));
    }

    void deactivateActivateInOneGo_keepsOneMonitorRunning()
    {
        Rig rig(25, false);
        ModemSim modem;
        QVERIFY(modem.start(rig.app.dir(), 1));
        const auto answered = Rig::answeredAfter(modem);
        const auto call = [&] { modem.command(sendCommand(kRing)); };
        Scenario scenario;
        scenario.until([&] { return rig.waitingForRing(answered()); }, call)
            .until([&] { return rig.totalCalls() == "1"; },
                [&] { modem.command(sendCommand(kCallerId)); })
            // A double click: the second click comes while the first one is still at work.
            .until([&] { return rig.form1->windowTitle() == kTimingOut; },
                [&] {
                    QMetaObject::invokeMethod(rig.form1->Command1, "click", Qt::QueuedConnection);
                    QMetaObject::invokeMethod(rig.form1->Command1, "click", Qt::QueuedConnection);
                })
            .until([&] { return rig.waitingForRing(true); }, call, "monitoring went on")
            .until([&] { return rig.totalCalls() == "2"; },
                [&] { modem.command(sendCommand(kCallerId)); })
            .until([&] { return rig.form1->windowTitle() == kTimingOut; },
                [&] { QTest::mouseClick(rig.form1->Command1, Qt::LeftButton); });
        rig.activate(scenario);
        QVERIFY2(scenario.finished(), qPrintable(scenario.stuckAt() + "\n" + rig.log()));
        QCOMPARE(rig.form1->Command1->text(), "&Activate");
        QCOMPARE(rig.log().count("Activated:"), 2);
        QCOMPARE(rig.log().count("Deactivated:"), 2);
        QCOMPARE(int(rig.state().TotalCalls), 2);
        // The caller-ID command went out once: the running monitor carried on.
        QCOMPARE(modem.events().filter(QStringLiteral("rx AT+VCID")).size(), 1);
        report(QStringLiteral("Deactivate and Activate in one go (double click)"), 1,
            QStringLiteral("the running monitor carries on; the next Deactivate stops it"),
            QStringLiteral("nothing"));
    }
};

QTEST_MAIN(TestFaultsModem)
#include "tst_faults_modem.moc"
