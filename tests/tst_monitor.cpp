#include "monitor/CallMonitor.h"
#include "state/AppState.h"
#include "support/RecordingMonitorView.h"
#include "support/RecordingProgramEnd.h"
#include "support/RecordingSound.h"
#include "support/ScriptedPump.h"
#include "support/ScriptedSerialLink.h"

#include <QtTest>

#include <deque>
#include <functional>

namespace {

const QString kOk = QStringLiteral("AT+VCID=1\r\r\nOK\r\n");
const QString kRing = QStringLiteral("\r\nRING\r\n");
const QString kActivating = QStringLiteral("Halvoren activating caller ID");
const QString kWaiting = QStringLiteral("Halvoren 1.5 waiting for calls");
const QString kTimingOut = QStringLiteral("Halvoren 1.5 timming out events");
const QString kStandingBy = QStringLiteral("Halvoren 1.5 standing by");
const QString kPortInUse = QStringLiteral("The modem port is currently in use.");
const QString kNoAssignment = QStringLiteral("Above data has no assingnemt\r\n++++++++\r\n");
const QString kAdded = QStringLiteral("The above data has been added\r\n");

QString cid(const QString& number)
{
    return QStringLiteral("\r\nDATE = 0321\r\nTIME = 1405\r\nNMBR = %1\r\nNAME = SMITH JOHN\r\n")
        .arg(number);
}

} // namespace

// The call monitor against a scripted modem: every yield runs one step of the test's script.
// Steps that tick wait until Timer1 is enabled, as real ticks only come from a running timer.
// When the script is done the user switches monitoring off, and ticks keep coming.
class Harness
{
public:
    Harness()
    {
        state.AppPath = QStringLiteral("/app");
        state.CommPort = QStringLiteral("com3:");
        state.CallerIdCommand = QStringLiteral("AT+VCID=1");
        pump.maxYields = 20000;
        pump.onYield = [this] { step(); };
    }

    Harness& send(const QString& text)
    {
        return then([this, text] { link.send(text); });
    }
    Harness& ticks(int count)
    {
        for (int i = 0; i < count; ++i)
            until([this] { return view.timerEnabled; }, [this] { monitor.Timer1_Timer(); });
        return *this;
    }
    Harness& idle(int count = 1)
    {
        for (int i = 0; i < count; ++i)
            then([] { });
        return *this;
    }
    Harness& then(std::function<void()> action)
    {
        return until([] { return true; }, std::move(action));
    }
    // Waits, one yield at a time, until the condition holds, then runs the action.
    Harness& until(std::function<bool()> condition, std::function<void()> action = [] { })
    {
        m_script.push_back({ std::move(condition), std::move(action) });
        return *this;
    }

    Harness& answerOk() { return send(kOk); }
    // One ring with caller-ID text, collected over two ticks.
    Harness& ring(const QString& text)
    {
        send(kRing);
        until([this] { return view.timerEnabled; });
        send(text);
        until([this] { return !state.ReceiveBuffer.isEmpty(); });
        return ticks(2);
    }
    Harness& waitOutRinging() { return ticks(11); }

    void activate() { monitor.Command1_Click(); }
    void fillBook(int entry, const QString& number, const QString& flag = {},
                  const QString& picture = {}, const QString& wav = {})
    {
        state.Book.PhoneNumber(entry) = number;
        state.Book.BlockFlag(entry) = flag;
        state.Book.PictureFile(entry) = picture;
        state.Book.WavFile(entry) = wav;
    }

    AppState state;
    RecordingMonitorView view;
    ScriptedSerialLink link;
    ScriptedPump pump;
    RecordingSound sound;
    RecordingProgramEnd end;
    CallMonitor monitor { state, view, link, pump, sound, end };
    bool switchedOff = false;

private:
    struct Step
    {
        std::function<bool()> condition;
        std::function<void()> action;
    };

    void step()
    {
        // The yields of the Activate click's own scrolling come before the modem dialogue.
        if (!view.captions.contains(kActivating))
            return;
        if (!m_script.empty()) {
            if (!m_script.front().condition())
                return;
            const Step current = m_script.front();
            m_script.pop_front();
            current.action();
            return;
        }
        if (!switchedOff) {
            switchedOff = true;
            monitor.Command1_Click();
        } else if (view.timerEnabled) {
            monitor.Timer1_Timer();
        }
    }

    std::deque<Step> m_script;
};

class TestMonitor : public QObject
{
    Q_OBJECT

private slots:
    void activation_opensPortAndWaitsForCalls()
    {
        Harness h;
        h.answerOk();
        h.activate();
        QCOMPARE(h.link.commPort, 3);
        QCOMPARE(h.link.settings, "19200,N,8,1");
        QCOMPARE(h.link.inputLen, 0);
        QCOMPARE(h.link.written, QStringList { "AT+VCID=1\r" });
        QVERIFY(h.view.captions.contains(kWaiting));
        QVERIFY(h.view.log.startsWith("Activated:\r\n"));
        QVERIFY(h.view.log.contains("Deactivated:\r\n"));
        QVERIFY(QRegularExpression("^Activated:\\r\\n\\d\\d-\\d\\d-\\d{4}\\r\\n\\d\\d:\\d\\d:\\d\\d"
                                   "\\r\\n\\+{7}\\r\\nDeactivated:")
                    .match(h.view.log)
                    .hasMatch());
        // Switched off while waiting for a ring: beep, port closed, standing by.
        QCOMPARE(h.sound.beeps, 1);
        QVERIFY(!h.link.isOpen);
        QCOMPARE(h.view.caption(), kStandingBy);
        QCOMPARE(h.view.activateCaption, "&Activate");
        QVERIFY(h.view.configAndPhonebookEnabled);
        QCOMPARE(h.monitor.MonitorActive(), 0);
        QCOMPARE(h.monitor.StopRequested(), 0);
        QCOMPARE(h.end.ends, 0);
    }

    void okLimit_data()
    {
        QTest::addColumn<int>("ticksBeforeOk");
        QTest::addColumn<bool>("responding");
        QTest::newRow("at once") << 0 << true;
        QTest::newRow("after five ticks") << 5 << true;
        QTest::newRow("after six ticks") << 6 << false;
    }

    void okLimit()
    {
        QFETCH(int, ticksBeforeOk);
        QFETCH(bool, responding);
        Harness h;
        h.ticks(ticksBeforeOk).answerOk();
        h.activate();
        QCOMPARE(h.view.captions.contains(kWaiting + QString()), true);
        QCOMPARE(h.end.ends, responding ? 0 : 1);
        QCOMPARE(h.view.enabled, responding);
        QCOMPARE(h.view.messages.contains(
                     "This modem is not responding to V90 caller ID commands."),
                 !responding);
    }

    void okLimit_okInTheSamePassAsTheTimeOutFails()
    {
        Harness h;
        h.ticks(5).until([&h] { return h.view.timerEnabled; },
                         [&h] {
                             h.monitor.Timer1_Timer();
                             h.link.send(kOk);
                         });
        h.activate();
        QCOMPARE(h.end.ends, 1);
    }

    void okNeedsCrLf()
    {
        Harness h;
        h.send("AT+VCID=1\r\r\nOK\r").send("ok\r\n").ticks(6);
        h.activate();
        QCOMPARE(h.end.ends, 1);
    }

    void recovery_data()
    {
        QTest::addColumn<QString>("commPort");
        QTest::addColumn<bool>("openFails");
        QTest::newRow("port in use") << "com3:" << true;
        QTest::newRow("com10: selects port 0") << "com10:" << false;
        QTest::newRow("no port") << "" << false;
        QTest::newRow("not a digit") << "comX:" << false;
    }

    void recovery()
    {
        QFETCH(QString, commPort);
        QFETCH(bool, openFails);
        Harness h;
        h.switchedOff = true;
        h.state.CommPort = commPort;
        h.link.openFails = openFails;
        h.activate();
        QCOMPARE(h.view.messages, QStringList { kPortInUse });
        QCOMPARE(h.view.activateCaption, "&Activate");
        QCOMPARE(h.view.caption(), kStandingBy);
        QVERIFY(h.view.configAndPhonebookEnabled);
        QCOMPARE(h.view.log.count("Deactivated:"), 1);
        QCOMPARE(h.monitor.MonitorActive(), 0);
        QCOMPARE(h.state.LogEntryCount, 2);
        QCOMPARE(h.end.ends, 0);
    }

    void unpluggedWhileWaiting_recovers()
    {
        Harness h;
        h.answerOk().then([&h] { h.link.unplug(); });
        h.activate();
        QCOMPARE(h.view.messages, QStringList { kPortInUse });
        QCOMPARE(h.monitor.MonitorActive(), 0);
    }

    void longLogIsClearedOnClick_data()
    {
        QTest::addColumn<int>("length");
        QTest::addColumn<bool>("cleared");
        QTest::newRow("32000") << 32000 << false;
        QTest::newRow("32001") << 32001 << true;
    }

    void longLogIsClearedOnClick()
    {
        QFETCH(int, length);
        QFETCH(bool, cleared);
        Harness h;
        h.view.log = QString(length, u'x');
        h.link.openFails = true;
        h.switchedOff = true;
        h.activate();
        QCOMPARE(h.view.log.startsWith("ClearedActivated:\r\n"), cleared);
        QCOMPARE(h.view.log.startsWith(QString(length, u'x') + "Activated:"), !cleared);
    }

    void callWithText_isCountedLoggedAndAnnounced()
    {
        Harness h;
        h.answerOk().ring(cid("5551234567")).waitOutRinging();
        h.activate();
        QCOMPARE(h.view.totalCalls, "1");
        QCOMPARE(h.state.TotalCalls, 1);
        QVERIFY(h.view.log.contains(cid("5551234567") + "\r\n++++++++\r\n" + kNoAssignment));
        QCOMPARE(h.sound.played, QStringList { "/app/fail.wav" });
        QVERIFY(h.view.captions.contains(kTimingOut));
        // The port is closed after the ringing and reopened for the next call.
        QCOMPARE(h.link.opens, 2);
        QVERIFY(h.view.pictures.contains("/app/blank.bmp"));
        QCOMPARE(h.state.LogEntryCount, 3);
    }

    void ringAlone_isNotCounted()
    {
        Harness h;
        h.answerOk().send(kRing).ticks(6);
        h.activate();
        QCOMPARE(h.view.totalCalls, "0");
        QCOMPARE(h.state.TotalCalls, 0);
        QVERIFY(!h.view.log.contains("++++++++"));
    }

    void textSentWithTheRing_isDropped()
    {
        Harness h;
        h.answerOk().send(kRing + cid("5551234567")).ticks(6);
        h.activate();
        QCOMPARE(h.view.totalCalls, "0");
        QVERIFY(!h.view.log.contains("5551234567"));
    }

    void answerAndRingSplitOverReads_areFound()
    {
        Harness h;
        // The search looks only at new text, so it must also look across the joins of reads.
        h.send("AT+VCID=1\r\r\nO").send("K\r").send("\n");
        h.send("NO CARRIER\r\nRI").send("NG").send("\r").send("\n");
        h.until([&h] { return h.view.timerEnabled; }).send(cid("5551234567"));
        h.until([&h] { return !h.state.ReceiveBuffer.isEmpty(); }).ticks(2).waitOutRinging();
        h.activate();
        QCOMPARE(h.end.ends, 0);
        QCOMPARE(h.view.totalCalls, "1");
    }

    void collection_endsOnTheSecondTick()
    {
        Harness h;
        h.answerOk().send(kRing);
        h.until([&h] { return h.view.timerEnabled; }).send("NMBR = ");
        h.until([&h] { return !h.state.ReceiveBuffer.isEmpty(); });
        h.send("5551234567").ticks(1).send("LATE").ticks(1).send("TOO LATE").waitOutRinging();
        h.activate();
        QVERIFY(h.view.log.contains("NMBR = 5551234567LATE\r\n++++++++\r\n"));
        QVERIFY(!h.view.log.contains("TOO LATE"));
    }

    void furtherRingsOfAHandledCall_areNotCounted()
    {
        Harness h;
        h.answerOk().ring(cid("5551234567"));
        h.send(kRing).ticks(5).send(kRing).ticks(6);
        h.ring(cid("5559876543")).waitOutRinging();
        h.activate();
        QCOMPARE(h.view.totalCalls, "2");
        QCOMPARE(h.view.log.count("++++++++\r\n" + kNoAssignment), 2);
    }

    void switchOffWhileTimingOut_stopsThere()
    {
        Harness h;
        h.answerOk().ring(cid("5551234567")).ticks(3);
        h.activate();
        QCOMPARE(h.sound.beeps, 1);
        QVERIFY(!h.link.isOpen);
        QCOMPARE(h.view.caption(), kStandingBy);
        QVERIFY(!h.view.pictures.contains("/app/blank.bmp"));
    }

    void switchOffWhileCollecting_leavesTheTimingOutCaption()
    {
        Harness h;
        h.answerOk().send(kRing);
        h.until([&h] { return h.view.timerEnabled; }).send(cid("5551234567"));
        h.until([&h] { return !h.state.ReceiveBuffer.isEmpty(); }, [&h] {
            h.switchedOff = true;
            h.monitor.Command1_Click();
        });
        h.activate();
        QCOMPARE(h.view.caption(), kTimingOut);
        QCOMPARE(h.view.activateCaption, "&Activate");
        QCOMPARE(h.view.log.count("Deactivated:"), 1);
        QVERIFY(h.view.log.indexOf("Deactivated:") < h.view.log.indexOf("NMBR"));
    }

    void timerTicks_stayAtTheTop()
    {
        Harness h;
        for (int i = 0; i < 40000; ++i)
            h.monitor.Timer1_Timer();
        QCOMPARE(h.monitor.TimerTicks(), 32767);
    }

    void parse_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("number");
        QTest::newRow("formatted") << cid("5551234567") << "5551234567";
        QTest::newRow("eleven digits") << "NMBR = 15551234567" << "1555123456";
        QTest::newRow("second of two runs") << "5551234567 5559876543" << "5559876543";
        QTest::newRow("later short run ignored") << "5551234567 1234" << "5551234567";
        QTest::newRow("dashes") << "NMBR = 555-123-4567" << "";
        QTest::newRow("nine digits") << "NMBR = 555123456" << "";
        QTest::newRow("private") << "NMBR = P" << "";
        QTest::newRow("message") << "MESG = 030132303530313534353535313233343536" << "0301323035";
    }

    void parse()
    {
        QFETCH(QString, text);
        QFETCH(QString, number);
        Harness h;
        h.state.ReceiveBuffer = text;
        h.monitor.ParseCallerNumber();
        QCOMPARE(h.monitor.CallerNumber(), number);
    }

    void announce_matchedEntryPlaysItsSoundAndShowsItsPicture()
    {
        Harness h;
        h.fillBook(2, "5551234567", "N", "/pics/mum.bmp", "/wav/mum.wav");
        h.view.loadablePictures << "/pics/mum.bmp";
        h.view.minimized = true;
        h.answerOk().ring(cid("5551234567")).ticks(1);
        h.activate();
        QCOMPARE(h.sound.played, QStringList { "/wav/mum.wav" });
        QCOMPARE(h.view.picture, "/pics/mum.bmp");
        QVERIFY(!h.view.log.contains(kNoAssignment));
        QVERIFY(!h.view.minimized);
    }

    void announce_entryWithoutSound_logsNoAssignmentButShowsPicture()
    {
        Harness h;
        h.fillBook(3, "5551234567", "", "/pics/x.jpg", "");
        h.view.loadablePictures << "/pics/x.jpg";
        h.answerOk().ring(cid("5551234567")).ticks(1);
        h.activate();
        QVERIFY(h.view.log.contains(kNoAssignment));
        QCOMPARE(h.sound.played, QStringList { "/app/fail.wav" });
        QCOMPARE(h.view.picture, "/pics/x.jpg");
    }

    void announce_firstMatchingEntryWins()
    {
        Harness h;
        h.fillBook(2, "5551234567", "", "/pics/two.bmp", "/wav/two.wav");
        h.fillBook(4, "5551234567", "", "/pics/four.bmp", "/wav/four.wav");
        h.view.loadablePictures << "/pics/two.bmp" << "/pics/four.bmp";
        h.answerOk().ring(cid("5551234567")).ticks(1);
        h.activate();
        QCOMPARE(h.sound.played, QStringList { "/wav/two.wav" });
        QCOMPARE(h.view.pictures, QStringList { "/pics/two.bmp" });
    }

    void announce_fixedCallerClearsThePicture()
    {
        Harness h;
        h.fillBook(1, CallMonitor::kFixedCallerNumber, "", "/pics/x.jpg", "/wav/x.wav");
        h.view.loadablePictures << "/pics/x.jpg";
        h.answerOk().ring(cid(CallMonitor::kFixedCallerNumber)).ticks(1);
        h.activate();
        QVERIFY(h.view.pictures.contains("/pics/x.jpg"));
        QVERIFY(h.view.picture.isEmpty());
    }

    void announce_unloadablePictureLeavesTheBoxEmptyAndMonitoringOn()
    {
        Harness h;
        h.fillBook(1, "5551234567", "", "/missing.bmp", "/wav/x.wav");
        h.answerOk().ring(cid("5551234567")).waitOutRinging();
        h.send(kRing).ticks(6);
        h.activate();
        QVERIFY(h.view.messages.isEmpty());
        QVERIFY(h.view.pictures.contains("/missing.bmp"));
        QCOMPARE(h.link.opens, 2);
    }

    void autoAdd_data()
    {
        QTest::addColumn<QStringList>("book");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("after");
        QTest::addColumn<int>("addedLines");
        QTest::addColumn<bool>("noAssignment");
        QTest::newRow("first free entry, then matched there")
            << QStringList { "5550000001", "", "", "", "" } << cid("5551234567")
            << QStringList { "5550000001", "5551234567", "", "", "" } << 1 << true;
        QTest::newRow("already in the book")
            << QStringList { "5551234567", "", "", "", "" } << cid("5551234567")
            << QStringList { "5551234567", "", "", "", "" } << 0 << true;
        QTest::newRow("no number adds 0")
            << QStringList { "", "", "", "", "" } << "NMBR = P"
            << QStringList { "0", "", "", "", "" } << 1 << true;
        QTest::newRow("in entry 4, added again to entry 2")
            << QStringList { "5550000001", "", "5550000003", "5551234567", "" } << cid("5551234567")
            << QStringList { "5550000001", "5551234567", "5550000003", "5551234567", "" } << 1
            << true;
        QTest::newRow("all entries full")
            << QStringList { "1", "2", "3", "4", "5" } << cid("5551234567")
            << QStringList { "1", "2", "3", "4", "5" } << 0 << true;
    }

    void autoAdd()
    {
        QFETCH(QStringList, book);
        QFETCH(QString, text);
        QFETCH(QStringList, after);
        QFETCH(int, addedLines);
        QFETCH(bool, noAssignment);
        Harness h;
        h.state.AutoUpdate = true;
        for (int i = 1; i <= 5; ++i)
            h.fillBook(i, book.at(i - 1));
        h.answerOk().ring(text).ticks(1);
        h.activate();
        QStringList numbers;
        for (int i = 1; i <= 5; ++i)
            numbers << h.state.Book.PhoneNumber(i);
        QCOMPARE(numbers, after);
        QCOMPARE(h.view.log.count(kAdded), addedLines);
        QCOMPARE(h.view.log.contains(kNoAssignment), noAssignment);
        if (addedLines)
            QVERIFY(h.view.log.indexOf(kAdded) < h.view.log.indexOf(kNoAssignment));
    }

    void autoAdd_offNeverAdds()
    {
        Harness h;
        h.answerOk().ring(cid("5551234567")).ticks(1);
        h.activate();
        QCOMPARE(h.state.Book.PhoneNumber(1), "");
        QVERIFY(!h.view.log.contains(kAdded));
    }

    void blocking_data()
    {
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<QStringList>("numbers");
        QTest::addColumn<QStringList>("flags");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("blocked");
        const QStringList none { "", "", "", "", "" };
        QTest::newRow("marked B") << true << QStringList { "", "5551234567", "", "", "" }
                                  << QStringList { "", "B", "", "", "" } << cid("5551234567") << true;
        QTest::newRow("marked N") << true << QStringList { "", "5551234567", "", "", "" }
                                  << QStringList { "", "N", "", "", "" } << cid("5551234567")
                                  << false;
        QTest::newRow("another number marked B")
            << true << QStringList { "5550000000", "5551234567", "", "", "" }
            << QStringList { "B", "N", "", "", "" } << cid("5551234567") << false;
        QTest::newRow("lower-case b") << true << QStringList { "5551234567", "", "", "", "" }
                                      << QStringList { "b", "", "", "", "" } << cid("5551234567")
                                      << false;
        QTest::newRow("blocking off") << false << QStringList { "", "5551234567", "", "", "" }
                                      << QStringList { "", "B", "", "", "" } << cid("5551234567")
                                      << false;
        QTest::newRow("N in entry 1, B in entry 4")
            << true << QStringList { "5551234567", "", "", "5551234567", "" }
            << QStringList { "N", "", "", "B", "" } << cid("5551234567") << true;
        QTest::newRow("empty number vs empty entry marked B")
            << true << none << QStringList { "", "", "B", "", "" } << "NMBR = P" << true;
    }

    void blocking()
    {
        QFETCH(bool, enabled);
        QFETCH(QStringList, numbers);
        QFETCH(QStringList, flags);
        QFETCH(QString, text);
        QFETCH(bool, blocked);
        Harness h;
        h.state.BlockingEnabled = enabled;
        h.view.minimized = true;
        for (int i = 1; i <= 5; ++i)
            h.fillBook(i, numbers.at(i - 1), flags.at(i - 1));
        h.answerOk().ring(text);
        // The pause after the blocking check, then the ringing of an announced call.
        h.ticks(enabled ? 3 : 0);
        if (!blocked)
            h.waitOutRinging();
        h.activate();
        QCOMPARE(h.link.written.contains("ATDT1\r"), blocked);
        QCOMPARE(h.view.blockedCalls, blocked ? "1" : "0");
        QCOMPARE(h.view.totalCalls, "1");
        QCOMPARE(h.view.log.contains("Was blocked."), blocked);
        QCOMPARE(h.sound.played.isEmpty(), blocked);
        QCOMPARE(h.view.minimized, blocked);
        if (blocked) {
            const QString number = text.startsWith("NMBR = P") ? QString() : "5551234567";
            QVERIFY(h.view.log.contains("++++++++\r\nPhone number:\r\n" + number
                                        + "\r\nWas blocked.\r\n+++++++\r\n"));
            // The port stays open after a blocked call: no reopening.
            QCOMPARE(h.link.opens, 1);
        }
    }
};

QTEST_GUILESS_MAIN(TestMonitor)
#include "tst_monitor.moc"
