#include "app/Halvoren.h"
#include "support/ModemSim.h"
#include "support/Scenario.h"
#include "support/TestApp.h"
#include "windows/main/Form1.h"

#include <QLabel>
#include <QPushButton>
#include <QtTest>

namespace {

const QString kWaiting = QStringLiteral("Halvoren 1.5 waiting for calls");
const QString kTimingOut = QStringLiteral("Halvoren 1.5 timming out events");
const QString kPortInUse = QStringLiteral("The modem port is currently in use.");

// Ticks of 25 ms against a modem that rings every 300 ms and sends caller ID 20 ms after the first
// ring: every wait of the call cycle keeps its proportions, only faster.
const QStringList kFastModem { "--ring-interval", "300", "--cid-delay", "20", "--rings", "3" };

} // namespace

// The real program against the modem simulator on a pseudo-terminal: QSerialPort, the window,
// the data files and the call monitor together.
class TestEndToEnd : public QObject
{
    Q_OBJECT

private:
    struct Rig
    {
        explicit Rig(const QStringList& modemOptions = kFastModem)
            : app(25)
        {
            app.writeSettings(QStringLiteral("com1:"), false, true);
            app.writeFile(QStringLiteral("phone.ini"),
                "+\r\n5551234567\r\nN\r\n\r\n" + app.path("ann.wav").toUtf8()
                    + "\r\n+\r\n5550001111\r\nB\r\n\r\n\r\n"
                    + QByteArray("+\r\n\r\n\r\n\r\n\r\n").repeated(3));
            started = sim.start(app.dir(), 1, modemOptions);
            form1 = &app.start().context().forms.form1();
        }

        QString log() const { return form1->logText(); }
        QString totalCalls() const { return form1->Label2[0]->text(); }
        QString blockedCalls() const { return form1->Label2[1]->text(); }
        // Activate shows the waiting caption at once; the monitor shows it again once the modem
        // has taken the caller-ID command.
        bool waitingForCalls()
        {
            return sim.events().contains(QLatin1String("rx AT+VCID=1"))
                && form1->windowTitle() == kWaiting;
        }
        bool monitoring() const { return form1->Command1->text() == QLatin1String("&Deactivate"); }

        // Clicks Activate and lets `scenario` play out until the monitor returns.
        void activate(Scenario& scenario)
        {
            scenario.run([this] { form1->Command1->click(); },
                [this] {
                    if (monitoring())
                        form1->Command1->click();
                });
        }

        TestApp app;
        ModemSim sim;
        bool started = false;
        Form1* form1 = nullptr;
    };

private slots:
    void callsAreLoggedAnnouncedAndCountedOnce()
    {
        Rig rig;
        QVERIFY(rig.started);
        QString totalsBetweenCalls;
        Scenario scenario;
        scenario
            .until([&] { return rig.waitingForCalls(); },
                [&] { rig.sim.command("call 5551234567 ANN FRIEND"); }, "monitoring started")
            .until(
                [&] {
                    return rig.log().contains("Above data has no assingnemt")
                        || rig.app.platform().sound.played.size() == 1;
                },
                [] {}, "first call announced")
            .until([&] { return rig.sim.events().contains("callend"); }, [] {}, "first call over")
            // The last ring of the call arrives after the port was reopened, is counted and,
            // with no caller ID after it, taken back.
            .pause(400)
            .then([&] {
                totalsBetweenCalls = rig.totalCalls();
                rig.sim.command("call 5559876543 NEW CALLER");
            })
            .until([&] { return rig.log().contains("5559876543") && rig.totalCalls() == "2"; },
                [] {}, "second call counted")
            .until([&] { return rig.form1->windowTitle() == kTimingOut; },
                [&] { rig.form1->Command1->click(); });
        rig.activate(scenario);
        QVERIFY2(scenario.finished(),
            qPrintable(scenario.stuckAt() + "\n" + rig.log() + rig.sim.events().join("\n")));

        QCOMPARE(totalsBetweenCalls, "1");
        QCOMPARE(rig.totalCalls(), "2");
        QCOMPARE(rig.blockedCalls(), "0");
        QVERIFY(rig.log().contains("NMBR = 5551234567\r\nNAME = ANN FRIEND\r\n\r\n++++++++\r\n"));
        QVERIFY(rig.log().contains("NMBR = 5559876543\r\nNAME = NEW CALLER\r\n\r\n++++++++\r\n"
                                   "Above data has no assingnemt\r\n++++++++\r\n"));
        QCOMPARE(rig.app.platform().sound.played,
            QStringList({ rig.app.path("ann.wav"), rig.app.path("fail.wav") }));
        QCOMPARE(rig.sim.waitFor("rx AT+VCID=1", 0), "rx AT+VCID=1");
        QVERIFY(rig.log().endsWith("+++++++\r\n"));
        QVERIFY(rig.log().contains("Deactivated:"));
        QCOMPARE(rig.app.platform().sound.beeps, 1);
        QVERIFY(rig.app.platform().messages.shown.empty());
    }

    void blockedCallerIsCutOff()
    {
        Rig rig;
        QVERIFY(rig.started);
        Scenario scenario;
        scenario
            .until([&] { return rig.waitingForCalls(); },
                [&] { rig.sim.command("call 5550001111 TELEMARKETING"); })
            .until([&] { return rig.blockedCalls() == "1"; }, [] {}, "call blocked")
            .until([&] { return !rig.sim.waitFor("offhook", 0).isEmpty(); }, [] {}, "dialled")
            .until([&] { return rig.form1->windowTitle() == kWaiting; },
                [&] { rig.form1->Command1->click(); });
        rig.activate(scenario);
        QVERIFY2(scenario.finished(), qPrintable(scenario.stuckAt()));

        QVERIFY(rig.sim.events().contains("rx ATDT1"));
        QCOMPARE(rig.totalCalls(), "1");
        QVERIFY(rig.log().contains("Phone number:\r\n5550001111\r\nWas blocked.\r\n+++++++\r\n"));
        QVERIFY(rig.app.platform().sound.played.isEmpty());
    }

    void modemWithoutCallerIdEndsTheProgram()
    {
        Rig rig(kFastModem + QStringList { "--vcid", "error" });
        QVERIFY(rig.started);
        Scenario scenario;
        rig.activate(scenario);
        QCOMPARE(rig.app.platform().end.ends, 1);
        QCOMPARE(rig.app.platform().messages.texts(),
            QStringList { "This modem is not responding to V90 caller ID commands." });
        QVERIFY(!rig.form1->isFormEnabled());
    }

    void unpluggedModemIsReportedAndTheProgramGoesOn()
    {
        Rig rig;
        QVERIFY(rig.started);
        Scenario scenario;
        scenario
            .until([&] { return rig.waitingForCalls(); },
                [&] { rig.sim.command("call 5559876543 NEW CALLER"); })
            .until([&] { return rig.form1->windowTitle() == kTimingOut; },
                [&] { rig.sim.command("unplug"); }, "call handled");
        rig.activate(scenario);
        QVERIFY2(scenario.finished(), qPrintable(scenario.stuckAt()));

        QCOMPARE(rig.app.platform().messages.texts(), QStringList { kPortInUse });
        QCOMPARE(rig.form1->Command1->text(), "&Activate");
        QCOMPARE(rig.form1->windowTitle(), "Halvoren 1.5 standing by");
        QVERIFY(rig.form1->Command3->isEnabled());
        QVERIFY(rig.log().endsWith("+++++++\r\n"));
        QCOMPARE(rig.app.platform().end.ends, 0);
    }
};

QTEST_MAIN(TestEndToEnd)
#include "tst_endtoend.moc"
