#include "monitor/DetectionView.h"
#include "monitor/PortDetection.h"
#include "support/RecordingMonitorView.h"

#include <QtTest>

namespace {

const QString kOk = QStringLiteral("OK\r\n");
const QString kRing = QStringLiteral("\r\nRING\r\n");
const QString kN = QStringLiteral("5551234567");

QString cid(const QString& number)
{
    return "\r\nDATE = 0321\r\nTIME = 1405\r\nNMBR = " + number + "\r\nNAME = SMITH JOHN\r\n";
}

// The call monitor against a scripted modem. Once the caller-ID command is out, every yield runs
// the next step of the script when it can, or else ticks Timer1 if it runs; after the script the
// user switches monitoring off and Timer1 goes on ticking. Steps: "tick N" (N ticks of the running
// timer), "until blocked", "until timing out", "until text" (the blocked count is 1, the caption
// says so, text was received), "timer?" (notes whether Timer1 runs); others are the modem's text.
struct Harness : MonitorRig
{
    explicit Harness(const QStringList& steps)
    {
        for (const QString& step : steps)
            script << (step.startsWith("tick ") ? QStringList(step.mid(5).toInt(), "tick")
                                                : QStringList(step));
        pump.maxYields = 20000;
        pump.onYield = [this] { yield(); };
    }
    bool ready(const QString& step) const
    {
        return step == "tick"            ? view.timerEnabled
            : step == "until blocked"    ? view.blockedCalls == "1"
            : step == "until timing out" ? view.caption() == "Halvoren 1.5 timming out events"
            : step == "until text"       ? !state.ReceiveBuffer.isEmpty()
                                         : true;
    }
    void yield()
    {
        // The yields of a click made here are that click's own.
        if (link.written.isEmpty() || clicking)
            return;
        clicking = true;
        if (!script.isEmpty() && ready(script.first())) {
            const QString step = script.takeFirst();
            if (step == "tick")
                monitor.Timer1_Timer();
            else if (step == "timer?")
                notes << (view.timerEnabled ? "timer on" : "timer off");
            else if (step == "look?")
                notes << view.activateCaption + (view.configAndPhonebookEnabled ? " +" : " -");
            else if (!step.startsWith("until"))
                link.send(step);
        } else if (!script.isEmpty() || switchedOff) {
            if (view.timerEnabled)
                monitor.Timer1_Timer();
        } else {
            switchedOff = true;
            monitor.Command1_Click();
        }
        clicking = false;
    }

    QStringList script, notes;
    bool switchedOff = false, clicking = false;
};

// The configuration window as port detection sees it.
struct RecordingDetectionView : DetectionView
{
    void setHelpCaption(const QString& caption) override { captions << caption; }
    void clearPortList() override { ports.clear(); }
    void addPortItem(const QString& item) override { ports << item; }
    void focusPortList() override { }
    void enableSaveConfig() override { saveConfigEnabled = true; }
    void setTimerEnabled(bool enabled) override { timerEnabled = enabled; }
    void disableWindow() override { windowEnabled = false; }
    void unloadWindow() override { unloaded = true; }

    QStringList captions, ports;
    bool saveConfigEnabled = false, timerEnabled = false, windowEnabled = true, unloaded = false;
};

using Answers = QMap<int, QStringList>;

// A port for detection on which the probe's write fails when it is port `failing`.
struct DetectionLink : ScriptedSerialLink
{
    void output(const QString& text) override
    {
        if (commPort == failing)
            throw RuntimeError(QStringLiteral("Device I/O error"));
        ScriptedSerialLink::output(text);
    }
    int failing = 0;
};

} // namespace

class TestMonitor : public QObject
{
    Q_OBJECT

private slots:
    // The modem's text read by read from the caller-ID command on, the tick limits of each wait,
    // the number taken from the text. Outcome: calls/blocked, the caller's number, notes.
    void callCycle_data()
    {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QString>("outcome");
        const auto row = [](const char* name, const QStringList& steps, const char* outcome) {
            QTest::newRow(name) << steps << QString(outcome);
        };
        const QString blocked = cid("5550001111");
        const QStringList call { kOk, kRing };
        row("OK after 5 ticks", { "tick 5", kOk }, "0/0 -");
        row("no OK within 6 ticks", { "tick 6", kOk }, "ended");
        row("OK as the very first text, then waiting", { kOk, "timer?", "look?" },
            "0/0 - timer off &Deactivate -");
        row("OK split over reads", { "\r\nO", "K\r", "\n" }, "0/0 -");
        row("OK without LF, ok", { "OK\r", "\r\nok\r\n" }, "ended");
        row("RING as the very first text", { kOk, "RING\r\n", cid(kN) }, "1/0 5551234567");
        row("RING split over reads", { kOk, "NO CARRIER\r\nRI", "NG", "\r", "\n", cid(kN) },
            "1/0 5551234567");
        row("caller ID in the read of the ring", { kOk, kRing + cid(kN) }, "0/0 -");
        row("caller ID 5 ticks after the ring", call + QStringList { "tick 5", cid(kN) },
            "1/0 5551234567");
        row("no caller ID within 6 ticks", call + QStringList { "tick 6", cid(kN) }, "0/0 -");
        row("collecting on the 1st tick",
            call + QStringList { "NMBR = ", "until text", "tick 1", kN }, "1/0 5551234567");
        row("collection over on the 2nd tick",
            call + QStringList { "NMBR = ", "until text", "tick 2", kN }, "1/0 0");
        row("pause after BlockCall, 2 ticks",
            call + QStringList { blocked, "until blocked", "tick 2", "timer?" }, "1/1 - timer on");
        row("pause over after 3 ticks",
            call + QStringList { blocked, "until blocked", "tick 3", "timer?" }, "1/1 - timer off");
        row("timing out, 10 ticks",
            call + QStringList { cid(kN), "until timing out", "tick 10", kRing, cid("5559876543") },
            "1/0 5551234567");
        row("timing out over after 11 ticks",
            call + QStringList { cid(kN), "until timing out", "tick 11", kRing, cid("5559876543") },
            "2/0 5559876543");
        row("eleven digits", call + QStringList { "NMBR = 15551234567" }, "1/0 1555123456");
        row("the later of two runs", call + QStringList { "5551234567 5559876543" },
            "1/0 5559876543");
        row("dashes", call + QStringList { "NMBR = 555-123-4567" }, "1/0 0");
        row("nine digits", call + QStringList { "NMBR = 555123456" }, "1/0 0");
        row("unformatted", call + QStringList { "MESG = 030132303530313534353535313233343536" },
            "1/0 0301323035");
    }

    void callCycle()
    {
        QFETCH(QStringList, steps);
        QFETCH(QString, outcome);
        Harness h(steps);
        h.state.BlockingEnabled = true;
        h.state.Book.PhoneNumber(1) = QStringLiteral("5550001111");
        h.state.Book.BlockFlag(1) = QStringLiteral("B");
        h.monitor.Command1_Click();
        const QString number = h.monitor.CallerNumber();
        const QStringList summary { h.view.totalCalls + '/' + h.view.blockedCalls,
            number.isEmpty() ? "-" : number };
        QCOMPARE(h.end.ends ? QString("ended") : (summary + h.notes).join(' '), outcome);
        QCOMPARE(
            QStringList({ h.link.written.value(0), h.link.settings, h.view.captions.value(1) }),
            QStringList({ "AT+VCID=1\r", "19200,N,8,1", "Halvoren activating caller ID" }));
        // Switched off at the end, the monitor stops at its next check.
        const bool ended = outcome == "ended";
        QCOMPARE(QVariantList({ h.view.messages, h.view.enabled, h.sound.beeps, h.link.isOpen }),
            QVariantList({ ended ? QStringList { "not responding" } : QStringList(), !ended,
                int(!ended), ended }));
        QVERIFY(ended || h.monitor.StopRequested() == 0);
    }

    // Timer1's count stops at the top of its 16-bit range instead of wrapping.
    void timerTicks_stayAtTheTop()
    {
        Harness h({});
        for (int i = 0; i < 40000; ++i)
            h.monitor.Timer1_Timer();
        QCOMPARE(h.monitor.TimerTicks(), 32767);
    }

    // One call against entries 1 to 5 ("number/flag", # the caller's number); every entry i has
    // the picture /p/i.bmp and, unless "mute", the sound /w/i.wav. Outcome: the numbers in the
    // book after the call | the log after the caller-ID entry | the sounds | the picture left.
    void book_data()
    {
        QTest::addColumn<QString>("book");
        QTest::addColumn<QString>("options");
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("outcome");
        const auto row = [](const char* name, const char* book, const char* options,
                             const QString& outcome, const QString& number = kN) {
            QTest::newRow(name) << QString(book) << QString(options) << number << outcome;
        };
        const QString none = "|Above data has no assingnemt\r\n++++++++\r\n|/app/fail.wav|";
        const QString added = "|The above data has been added\r\n";
        const QString blocked = "|Phone number:\r\n#\r\nWas blocked.\r\n+++++++\r\n||";
        row("only in entry 5", "1,2,3,4,#", "", "1,2,3,4,#||/w/5.wav|/p/5.bmp");
        row("in entries 2 and 4", ",#,,#,", "", ",#,,#,||/w/2.wav|/p/2.bmp");
        row("unknown", "1,,,,", "", "1,,,," + none);
        row("entry without a sound", ",,#,,", "mute", ",,#,," + none + "/p/3.bmp");
        row("the fixed caller number", "#,,,,", "", "#,,,,||/w/1.wav|", "5555550100");
        row("added to entry 2, found there", "1,,,,", "auto",
            "1,#,,," + added + "|/w/2.wav|/p/2.bmp");
        row("no number: 0 added", ",,,,", "auto", "0,,,," + added + none.mid(1), "P");
        row("added to entry 5", "1,2,3,4,", "auto", "1,2,3,4,#" + added + "|/w/5.wav|/p/5.bmp");
        row("all five taken", "1,2,3,4,5", "auto", "1,2,3,4,5" + none);
        row("in entry 4, added to entry 2", "1,,3,#,", "auto",
            "1,#,3,#," + added + "|/w/2.wav|/p/2.bmp");
        row("blocked in entry 2", ",#/B,,,", "block", ",#,,," + blocked);
        row("blocked in entry 5", "1,2,3,4,#/B", "block", "1,2,3,4,#" + blocked);
        row("marked N", ",#/N,,,", "block", ",#,,,||/w/2.wav|/p/2.bmp");
        row("blocking off", ",#/B,,,", "", ",#,,,||/w/2.wav|/p/2.bmp");
        row("N in entry 1, B in entry 4", "#/N,,,#/B,", "block", "#,,,#," + blocked);
        row("another number blocked", "1/B,#,,,", "block", "1,#,,,||/w/2.wav|/p/2.bmp");
        row("no number, empty entry blocked", "1,,/B,,", "block", "1,,,," + blocked, "P");
        row("blocked, never added", "1,,,,#/B", "auto block", "1,,,,#" + blocked);
    }

    void book()
    {
        QFETCH(QString, book);
        QFETCH(QString, options);
        QFETCH(QString, number);
        QFETCH(QString, outcome);
        Harness h({ kOk, kRing, cid(number) });
        h.state.AutoUpdate = options.contains("auto");
        h.state.BlockingEnabled = options.contains("block");
        const QString n = number == "P" ? QString() : number;
        const QStringList entries = book.replace('#', n).split(',');
        for (int i = 1; i <= 5; ++i) {
            h.state.Book.PhoneNumber(i) = entries.at(i - 1).section('/', 0, 0);
            h.state.Book.BlockFlag(i) = entries.at(i - 1).section('/', 1);
            h.state.Book.PictureFile(i) = QStringLiteral("/p/%1.bmp").arg(i);
            if (!options.contains("mute"))
                h.state.Book.WavFile(i) = QStringLiteral("/w/%1.wav").arg(i);
        }
        h.view.minimized = true;
        h.monitor.Command1_Click();

        QStringList numbers;
        for (int i = 1; i <= 5; ++i)
            numbers << h.state.Book.PhoneNumber(i);
        const QString entry = cid(number) + "\r\n++++++++\r\n";
        QVERIFY2(h.view.log.contains(entry), qPrintable(h.view.log));
        QCOMPARE(QStringList({ numbers.join(','), h.view.log.section(entry, 1),
                                 h.sound.played.join(' '), h.view.picture })
                     .join('|'),
            outcome.replace('#', n));
        const bool blocked = outcome.contains("Was blocked.");
        QCOMPARE(QVariantList({ h.link.written.contains("ATDT1\r"), h.view.blockedCalls,
                     h.view.totalCalls, h.view.minimized }),
            QVariantList({ blocked, blocked ? "1" : "0", "1", blocked }));
    }

    // The Activate click: the port setting, the port held by another program, the log's length
    // and the entries scrolled so far; then the port selected, where the activation entry
    // starts, the message shown and what it says after its first line.
    void activate_data()
    {
        QTest::addColumn<QString>("commPort");
        QTest::addColumn<bool>("busy");
        QTest::addColumn<int>("logLength");
        QTest::addColumn<int>("logEntries");
        QTest::addColumn<QVariantList>("outcome");
        const QString inUse = "port in use";
        QTest::newRow("com9: selects port 9")
            << "com9:" << false << 0 << 0 << QVariantList { 9, 0, "", "" };
        QTest::newRow("com10: selects port 0, 32000 characters stay")
            << "com10:" << false << 32000 << 0 << QVariantList { 0, 32000, inUse, "" };
        QTest::newRow("port in use, 32001 characters cleared")
            << "com3:" << true << 32001 << 0 << QVariantList { 3, 7, inUse, "" };
        QTest::newRow("no port") << "" << false << 0 << 0
                                 << QVariantList { -1, 0, inUse, "No port is set." };
        QTest::newRow("not a digit")
            << "comX:" << false << 0 << 0
            << QVariantList { -1, 0, inUse, "The saved port \"comX:\" names no port number." };
        QTest::newRow("log scrolled 32767 times")
            << "com3:" << false << 0 << 32767
            << QVariantList { -1, 0, inUse, "A count went past 32767, the most it can hold." };
    }

    void activate()
    {
        QFETCH(QString, commPort);
        QFETCH(bool, busy);
        QFETCH(int, logLength);
        QFETCH(int, logEntries);
        QFETCH(QVariantList, outcome);
        Harness h({ kOk });
        h.state.CommPort = commPort;
        h.state.LogEntryCount = logEntries;
        h.link.openFails = busy;
        h.view.log = QString(logLength, u'x');
        h.monitor.Command1_Click();
        QCOMPARE(QVariantList({ h.link.commPort, h.view.log.indexOf("Activated:\r\n"),
                     h.view.messages.join(' '), h.view.causes.join(' ') }),
            outcome);
        // Recovered, or switched off: standing by after the deactivation entry.
        QCOMPARE(
            h.view.activateCaption + ' ' + h.view.caption(), "&Activate Halvoren 1.5 standing by");
        QVERIFY(h.view.configAndPhonebookEnabled && h.view.log.endsWith("+++++++\r\n"));
        QCOMPARE(h.view.log.count("Deactivated:"), 1);
    }

    // Detection over ports 1 to 8, silent but for `answers`: what a port sends after the probe, one
    // chunk per read, starting after `delay` ticks of Timer1; the probe's write fails on port
    // `failing`. Every yield that delivers nothing ticks Timer1 if it runs.
    void detection_data()
    {
        QTest::addColumn<Answers>("answers");
        QTest::addColumn<int>("delay");
        QTest::addColumn<int>("failing");
        QTest::addColumn<QString>("probed");
        QTest::addColumn<QString>("listed");
        const QStringList ok { "OK\r\n" };
        const QString six = "1 2 3 4 5 6";
        QTest::newRow("modem on 3")
            << Answers { { 3, { "ATV1Q0\r\r\nOK\r\n" } } } << 0 << 0 << six << "com3:";
        QTest::newRow("answers on 6, 7 and 8: 7 probed, 8 not")
            << Answers { { 6, ok }, { 7, ok }, { 8, ok } } << 0 << 0 << "1 2 3 4 5 6 7"
            << "com6: com7:";
        QTest::newRow("silent 6 after an answer, 7 not probed")
            << Answers { { 1, ok }, { 7, ok } } << 0 << 0 << six << "com1:";
        QTest::newRow("no modem") << Answers {} << 0 << 0 << six << "";
        QTest::newRow("answer in three reads")
            << Answers { { 4, { "O", "K\r", "\n" } } } << 0 << 0 << six << "com4:";
        QTest::newRow("OK CR alone, ok lower case")
            << Answers { { 1, { "\nok\r\n" } }, { 2, { "OK\r" } } } << 0 << 0 << six << "";
        QTest::newRow("a failing write") << Answers { { 2, ok } } << 0 << 1 << six << "com2:";
        QTest::newRow("answer after one tick") << Answers { { 1, ok } } << 1 << 0 << six << "com1:";
        QTest::newRow("answer after two ticks") << Answers { { 1, ok } } << 2 << 0 << six << "";
    }

    void detection()
    {
        QFETCH(Answers, answers);
        QFETCH(int, delay);
        QFETCH(int, failing);
        QFETCH(QString, probed);
        QFETCH(QString, listed);
        AppState state;
        // Text left from before would complete an answer with the first port's text.
        state.ReceiveBuffer = QStringLiteral("OK\r");
        RecordingDetectionView view;
        DetectionLink link;
        link.failing = failing;
        ScriptedPump pump;
        RecordingProgramEnd end;
        PortDetection detection(state, view, link, pump, end);
        QStringList ports, chunks;
        int opens = 0, ticks = 0, ticksWhileDisabled = 0, ticksAtEnd = -1;
        pump.maxYields = 1000;
        pump.onYield = [&] {
            if (link.opens != opens) {
                opens = link.opens;
                ports << QString::number(link.commPort);
                chunks = answers.value(link.commPort);
                ticks = 0;
            }
            if (link.isOpen && ticks >= delay && !chunks.isEmpty()) {
                link.send(chunks.takeFirst());
            } else if (view.timerEnabled) {
                detection.Timer1_Timer();
                ++ticks;
                ticksWhileDisabled += !view.windowEnabled;
            }
        };
        end.onEnd = [&] { ticksAtEnd = ticksWhileDisabled; };
        detection.Command4_Click();

        const bool found = !listed.isEmpty();
        QCOMPARE(ports.join(' '), probed);
        QCOMPARE(view.ports.join(' '), listed);
        QCOMPARE(view.captions,
            QStringList({ "Please Wait",
                found ? "Done checking ports\r\nPlease select a port\r\nand save configuration"
                      : "Done checking ports\r\nNo modems were detected\r\nHalvoren can not "
                        "continue" }));
        // Without a modem the window pauses disabled for 4 ticks, goes and the program ends.
        QCOMPARE(QVariantList({ view.saveConfigEnabled, view.windowEnabled, view.unloaded, end.ends,
                     ticksAtEnd, link.isOpen, link.opens - link.closes }),
            QVariantList({ found, found, !found, int(!found), found ? -1 : 4, false, 0 }));
        QCOMPARE(link.written, QStringList(ports.size() - (failing > 0), "ATV1Q0\r"));
        QCOMPARE(link.settings + ' ' + QString::number(link.inputLen), "19200,N,8,1 0");
    }
};

QTEST_GUILESS_MAIN(TestMonitor)
#include "tst_monitor.moc"
