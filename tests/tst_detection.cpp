#include "app/Halvoren.h"
#include "state/RuntimeError.h"
#include "support/ModemSim.h"
#include "support/ScriptedPump.h"
#include "support/ScriptedSerialLink.h"
#include "support/TestApp.h"
#include "windows/config/Form2.h"
#include "windows/config/PortDetection.h"
#include "windows/main/Form1.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QtTest>
#include <functional>
#include <optional>

namespace {

const QString kOkReply = QStringLiteral("ATV1Q0\r\r\nOK\r\n");
const QString kPortsFound
    = QStringLiteral("Done checking ports\r\nPlease select a port\r\nand save configuration");
const QString kNoModem
    = QStringLiteral("Done checking ports\r\nNo modems were detected\r\nHalvoren can not continue");

using PortReplies = QMap<int, QStringList>;

// Ports 1, 2, 3, ... behind the one link detection drives. A port missing from `replies` does
// not exist; an existing one answers the probe with its chunks, one per read (none = silent).
class PortRack : public ScriptedSerialLink
{
public:
    void open() override
    {
        attempted << commPort;
        if (!replies.contains(commPort))
            throw RuntimeError(QStringLiteral("Invalid port number"));
        ScriptedSerialLink::open();
    }

    void output(const QString& text) override
    {
        if (failingPorts.contains(commPort))
            throw RuntimeError(QStringLiteral("Device I/O error"));
        ScriptedSerialLink::output(text);
        for (const QString& chunk : replies.value(commPort))
            send(chunk);
    }

    PortReplies replies;
    QList<int> failingPorts;
    QList<int> attempted;
};

// A configured program whose configuration window probes a PortRack. Every yield is one step of
// the test's script; by default Timer1, while it runs, ticks at every third yield.
class Bench
{
public:
    Bench()
    {
        app.writeSettings(QStringLiteral("com1:"));
        app.writeEmptyPhoneBook();
        halvoren.start();
        form2 = &halvoren.context().forms.form2();
        rack = dynamic_cast<PortRack*>(form2->MSComm0.get());
        pump.onYield = [this] {
            ++yields;
            if (script)
                script();
            else if (form2->Timer1->isActive() && yields % 3 == 0)
                form2->Timer1_Timer();
        };
    }

    void tickIfRunning()
    {
        if (form2->Timer1->isActive())
            form2->Timer1_Timer();
    }

    QStringList listed() const
    {
        QStringList items;
        for (int i = 0; i < form2->Combo1->count(); ++i)
            items << form2->Combo1->itemText(i);
        return items;
    }

    TestApp app;
    ScriptedPump pump;
    Platform platform { [] { return std::make_unique<PortRack>(); }, pump, app.platform().sound,
        app.platform().pictures, app.platform().launcher, app.platform().printer,
        app.platform().messages, app.platform().end, app.dir(), 20 };
    Halvoren halvoren { platform };
    QPointer<Form2> form2;
    PortRack* rack = nullptr;
    int yields = 0;
    std::function<void()> script;
};

} // namespace

// Port detection: which ports are probed, what counts as an answer, the tick limits, the three
// endings, and buttons pressed while a scan runs.
class TestDetection : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<Bench> m_bench;

private slots:
    void init() { m_bench = std::make_unique<Bench>(); }

    void cleanup()
    {
        m_bench.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void scan_data()
    {
        QTest::addColumn<PortReplies>("replies");
        QTest::addColumn<QStringList>("listed");
        QTest::addColumn<QList<int>>("attempted");

        const QList<int> oneToSix { 1, 2, 3, 4, 5, 6 };
        const QList<int> oneToSeven { 1, 2, 3, 4, 5, 6, 7 };
        QTest::newRow("modem on port 3 behind two silent ports")
            << PortReplies { { 1, {} }, { 2, {} }, { 3, { kOkReply } } } << QStringList { "com3:" }
            << oneToSix;
        QTest::newRow("modem on port 6 has port 7 probed") << PortReplies { { 6, { kOkReply } },
            { 7, {} } } << QStringList { "com6:" } << oneToSeven;
        QTest::newRow("answers on 6 and 7 end the scan before 8")
            << PortReplies { { 6, { kOkReply } }, { 7, { kOkReply } }, { 8, { kOkReply } } }
            << QStringList { "com6:", "com7:" } << oneToSeven;
        QTest::newRow("silent port right after an answer")
            << PortReplies { { 1, { kOkReply } }, { 2, {} }, { 7, { kOkReply } } }
            << QStringList { "com1:" } << oneToSix;
        QTest::newRow("answer split over three reads")
            << PortReplies { { 4, { "O", "K\r", "\n" } } } << QStringList { "com4:" } << oneToSix;
        QTest::newRow("OK with a carriage return alone")
            << PortReplies { { 2, { "OK\r" } } } << QStringList() << oneToSix;
        QTest::newRow("ok in lower case")
            << PortReplies { { 2, { "ok\r\n" } } } << QStringList() << oneToSix;
        QTest::newRow("no port at all") << PortReplies() << QStringList() << oneToSix;
        QTest::newRow("modem on port 8 is never found")
            << PortReplies { { 8, { kOkReply } } } << QStringList() << oneToSix;
    }

    void scan()
    {
        QFETCH(PortReplies, replies);
        QFETCH(QStringList, listed);
        QFETCH(QList<int>, attempted);
        Bench& bench = *m_bench;
        bench.rack->replies = replies;
        Form2& form2 = *bench.form2;
        form2.showModeless();
        std::optional<int> ticksAtEnd;
        std::optional<bool> enabledAtEnd;
        bench.app.platform().end.onEnd = [&] {
            ticksAtEnd = form2.detection().DetectTicks();
            enabledAtEnd = form2.isFormEnabled();
        };

        form2.Command4_Click();

        QCOMPARE(bench.rack->attempted, attempted);
        QCOMPARE(bench.listed(), listed);
        QCOMPARE(form2.detection().PortsFound(), listed.size());
        QVERIFY(!bench.rack->isOpen);
        FormRegistry& forms = bench.halvoren.context().forms;
        if (!listed.isEmpty()) {
            QCOMPARE(form2.Label3->text(), kPortsFound);
            QVERIFY(form2.Command7->isEnabled());
            QCOMPARE(form2.focusWidget(), form2.Combo1);
            QCOMPARE(form2.detection().DetectTicks(), 0);
            QVERIFY(!form2.Timer1->isActive());
            QCOMPARE(bench.app.platform().end.ends, 0);
            QCOMPARE(forms.loadedForm2(), &form2);
        } else {
            QCOMPARE(form2.Label3->text(), kNoModem);
            QVERIFY(!form2.Command7->isEnabled());
            QCOMPARE(bench.app.platform().end.ends, 1);
            QCOMPARE(ticksAtEnd, 4);
            QCOMPARE(enabledAtEnd, false);
            QVERIFY(!forms.loadedForm2());
        }
    }

    void probe_sendsTheCommandAndCountsOnlyWhatFollows()
    {
        Bench& bench = *m_bench;
        bench.rack->replies = { { 1, {} }, { 3, { kOkReply } } };
        // Text left from earlier would look like an answer from the silent port 1.
        bench.halvoren.state().ReceiveBuffer = QStringLiteral("OK\r\n");

        bench.form2->Command4_Click();

        QCOMPARE(bench.listed(), QStringList { "com3:" });
        QCOMPARE(bench.rack->written, QStringList({ "ATV1Q0\r", "ATV1Q0\r" }));
        QCOMPARE(bench.rack->settings, "19200,N,8,1");
        QCOMPARE(bench.rack->inputLen, 0);
        QCOMPARE(bench.halvoren.state().ReceiveBuffer, kOkReply);
    }

    void probe_aFailingWriteFailsOnlyThatPort()
    {
        Bench& bench = *m_bench;
        bench.rack->replies = { { 1, { kOkReply } }, { 2, { kOkReply } } };
        bench.rack->failingPorts = { 1 };

        bench.form2->Command4_Click();

        QCOMPARE(bench.listed(), QStringList { "com2:" });
        QCOMPARE(bench.rack->closes, 2);
        QVERIFY(!bench.rack->isOpen);
    }

    void tickLimit_data()
    {
        QTest::addColumn<QList<int>>("tickAtYields");
        QTest::addColumn<int>("replyAtYield");
        QTest::addColumn<bool>("listed");
        QTest::newRow("before the first tick") << QList<int> { 2, 3 } << 1 << true;
        QTest::newRow("with the first tick") << QList<int> { 1, 2 } << 1 << true;
        QTest::newRow("between the ticks") << QList<int> { 1, 3 } << 2 << true;
        QTest::newRow("in the pass that sees the second tick") << QList<int> { 1, 2 } << 2 << false;
        QTest::newRow("after the second tick") << QList<int> { 1, 2 } << 3 << false;
    }

    void tickLimit()
    {
        QFETCH(QList<int>, tickAtYields);
        QFETCH(int, replyAtYield);
        QFETCH(bool, listed);
        Bench& bench = *m_bench;
        bench.rack->replies = { { 1, {} } };
        int probeYield = 0;
        bench.script = [&] {
            if (!bench.rack->isOpen) {
                bench.tickIfRunning();
                return;
            }
            ++probeYield;
            if (tickAtYields.contains(probeYield))
                bench.form2->Timer1_Timer();
            if (probeYield == replyAtYield)
                bench.rack->send(QStringLiteral("OK\r\n"));
        };

        bench.form2->Command4_Click();

        QCOMPARE(bench.listed().size(), listed ? 1 : 0);
        QCOMPARE(bench.app.platform().end.ends, listed ? 0 : 1);
    }

    void noModem_endsAfterFourTicksOfPause()
    {
        Bench& bench = *m_bench;
        int ticks = 0;
        bench.script = [&] {
            if (bench.form2->Label3->text() != kNoModem)
                return;
            QCOMPARE(bench.app.platform().end.ends, 0);
            QVERIFY(!bench.form2->isFormEnabled());
            ++ticks;
            bench.form2->Timer1_Timer();
        };

        bench.form2->Command4_Click();

        QCOMPARE(ticks, 4);
        QCOMPARE(bench.app.platform().end.ends, 1);
    }

    void rescan_startsFromACleanListAndCount()
    {
        Bench& bench = *m_bench;
        Form2& form2 = *bench.form2;
        bench.rack->replies = { { 3, { kOkReply } } };
        form2.Command4_Click();
        QCOMPARE(bench.listed(), QStringList { "com3:" });
        form2.Combo1->setEditText(QStringLiteral("com3:"));

        bench.rack->replies = { { 4, { kOkReply } } };
        form2.Command4_Click();
        QCOMPARE(bench.listed(), QStringList { "com4:" });
        QCOMPARE(form2.detection().PortsFound(), 1);
        QCOMPARE(form2.Combo1->currentText(), "com3:");

        // An earlier scan's finds do not save this one from the no-modem ending.
        bench.rack->replies.clear();
        form2.Command4_Click();
        QCOMPARE(bench.listed(), QStringList());
        QCOMPARE(form2.Label3->text(), kNoModem);
        QCOMPARE(bench.app.platform().end.ends, 1);
    }

    void duringScan_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<bool>("focusMoved");
        QTest::newRow("nothing pressed") << "" << true;
        QTest::newRow("Done hides the window") << "Command3" << false;
        QTest::newRow("a second Detect is ignored") << "Command4" << true;
    }

    void duringScan()
    {
        QFETCH(QString, button);
        QFETCH(bool, focusMoved);
        Bench& bench = *m_bench;
        Form2& form2 = *bench.form2;
        form2.showModeless();
        form2.Command4->setFocus();
        bench.rack->replies = { { 1, {} }, { 2, { kOkReply } } };
        bench.script = [&] {
            if (bench.yields == 1 && !button.isEmpty()) {
                auto* pressed = form2.findChild<QPushButton*>(button);
                // The click event queues Detect; the slot is what a queued click runs.
                if (pressed == form2.Command4)
                    form2.Command4_Click();
                else
                    pressed->click();
            }
            bench.tickIfRunning();
        };

        form2.Command4_Click();

        QCOMPARE(bench.listed(), QStringList { "com2:" });
        QCOMPARE(bench.rack->attempted, QList<int>({ 1, 2, 3, 4, 5, 6 }));
        QCOMPARE(form2.Label3->text(), kPortsFound);
        QVERIFY(form2.Command7->isEnabledTo(&form2));
        QCOMPARE(form2.focusWidget() == form2.Combo1, focusMoved);
    }

    void cancelDuringScan_stopsItAndClosesThePort()
    {
        Bench& bench = *m_bench;
        Form2& form2 = *bench.form2;
        form2.showModeless();
        bench.rack->replies = { { 1, {} }, { 2, { kOkReply } } };
        PortRack* rack = bench.rack;
        bench.script = [&] {
            if (bench.yields == 1)
                form2.Command2->click();
        };

        form2.Command4_Click();
        QCOMPARE(rack->attempted, QList<int> { 1 });
        QVERIFY(!rack->isOpen);
        QVERIFY(!bench.halvoren.context().forms.loadedForm2());
        QCOMPARE(bench.app.platform().end.ends, 0);

        // The window goes once the events under way are done; the scan must not need it then.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!bench.form2);
    }

    // The real program over pseudo-terminals: two silent modems and a live one on port 3.
    void realPorts_modemOnPort3BehindTwoSilentPorts()
    {
        TestApp app;
        app.writeSettings(QStringLiteral("com1:"));
        app.writeEmptyPhoneBook();
        ModemSim silent1;
        ModemSim silent2;
        ModemSim modem;
        QVERIFY(silent1.start(app.dir(), 1, { QStringLiteral("--silent") }));
        QVERIFY(silent2.start(app.dir(), 2, { QStringLiteral("--silent") }));
        QVERIFY(modem.start(app.dir(), 3));
        Halvoren& halvoren = app.start();
        Form1& form1 = *halvoren.context().forms.loadedForm1();
        QTest::mouseClick(form1.Command3, Qt::LeftButton);
        Form2& form2 = *halvoren.context().forms.loadedForm2();
        QVERIFY(QTest::qWaitForWindowActive(&form2));

        QTest::mouseClick(form2.Command4, Qt::LeftButton);

        QTRY_COMPARE_WITH_TIMEOUT(form2.Label3->text(), kPortsFound, 20000);
        QCOMPARE(form2.Combo1->count(), 1);
        QCOMPARE(form2.Combo1->itemText(0), "com3:");
        QVERIFY(form2.Command7->isEnabled());
        QVERIFY(form2.Combo1->hasFocus());
        QCOMPARE(silent1.waitFor(QStringLiteral("rx ")), "rx ATV1Q0");
        QCOMPARE(silent2.waitFor(QStringLiteral("rx ")), "rx ATV1Q0");
        QCOMPARE(modem.waitFor(QStringLiteral("rx ")), "rx ATV1Q0");
        QCOMPARE(app.platform().end.ends, 0);
    }
};

QTEST_MAIN(TestDetection)
#include "tst_detection.moc"
