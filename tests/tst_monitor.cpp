#include "monitor/DetectionView.h"
#include "monitor/PortDetection.h"
#include "support/RecordingMonitorView.h"
#include "support/WindowDump.h"

#include <QtTest>

namespace {

const QString kOk = QStringLiteral("OK\r\n");
const QString kRing = QStringLiteral("\r\nRING\r\n");
const QString kN = QStringLiteral("5551234567");

QString cid(const QString& number)
{
    return "\r\nDATE = 0321\r\nTIME = 1405\r\nNMBR = " + number + "\r\nNAME = SMITH JOHN\r\n";
}

// The main window as the monitor left it, the modem's port, what was played and said, the phone
// book and the log.
QString dump(const MonitorRig& rig)
{
    const RecordingMonitorView& view = rig.view;
    const ScriptedSerialLink& link = rig.link;
    QStringList book;
    for (int i = 1; i <= 5; ++i)
        book << rig.state.Book.PhoneNumber(i) + '/' + rig.state.Book.BlockFlag(i);
    QStringList ends;
    for (const int status : rig.end.statuses)
        ends << QString::number(status);
    return QStringList { QStringLiteral("calls %1 blocked %2, counted %3, log entries %4, stop %5")
                             .arg(view.totalCalls, view.blockedCalls)
                             .arg(int(rig.state.TotalCalls))
                             .arg(int(rig.state.LogEntryCount))
                             .arg(rig.monitor.StopRequested()),
        "window " + view.activateCaption + (view.configAndPhonebookEnabled ? "" : " locked")
            + (view.enabled ? "" : " disabled") + (view.minimized ? " minimized" : "")
            + (view.timerEnabled ? " timer" : ""),
        QStringLiteral("port %1 %2 input %3 %4, opened %5 closed %6")
            .arg(link.commPort)
            .arg(link.settings)
            .arg(link.inputLen)
            .arg(link.isOpen ? "open" : "shut")
            .arg(link.opens)
            .arg(link.closes),
        "ended " + ends.join(' ') }
               .join('\n')
        + '\n' + dumpText("number", rig.monitor.CallerNumber())
        + dumpText("captions", view.captions.join(" / "))
        + dumpText("written", link.written.join(""))
        + dumpText("played", rig.sound.played.join(' ') + QString(rig.sound.beeps, u'!'))
        + dumpText("picture", view.picture) + dumpText("messages", view.messages.join(" / "))
        + dumpText("causes", view.causes.join(" / ")) + dumpText("book", book.join(' '))
        + (view.log.size() > 1000
                ? QStringLiteral("log of %1 characters, ending ").arg(view.log.size())
                    + dumpText("with", view.log.right(100))
                : dumpText("log", view.log));
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
    void focusPortList() override { focused = true; }
    void enableSaveConfig() override { saveConfigEnabled = true; }
    void setTimerEnabled(bool enabled) override { timerEnabled = enabled; }
    void disableWindow() override { windowEnabled = false; }
    void unloadWindow() override { unloaded = true; }

    QStringList captions, ports;
    bool saveConfigEnabled = false, timerEnabled = false, windowEnabled = true, unloaded = false,
         focused = false;
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
    // the number taken from the text; 5550001111 is marked blocked, blocking on.
    void callCycle_data()
    {
        QTest::addColumn<QStringList>("steps");
        const QString blocked = cid("5550001111");
        const QStringList call { kOk, kRing };
        QTest::newRow("OK after 5 ticks") << QStringList { "tick 5", kOk };
        QTest::newRow("no OK within 6 ticks") << QStringList { "tick 6", kOk };
        QTest::newRow("OK as the very first text, then waiting")
            << QStringList { kOk, "timer?", "look?" };
        QTest::newRow("OK split over reads") << QStringList { "\r\nO", "K\r", "\n" };
        QTest::newRow("OK without LF, ok") << QStringList { "OK\r", "\r\nok\r\n" };
        QTest::newRow("RING as the very first text") << QStringList { kOk, "RING\r\n", cid(kN) };
        QTest::newRow("RING split over reads")
            << QStringList { kOk, "NO CARRIER\r\nRI", "NG", "\r", "\n", cid(kN) };
        QTest::newRow("caller ID in the read of the ring") << QStringList { kOk, kRing + cid(kN) };
        QTest::newRow("caller ID 5 ticks after the ring")
            << call + QStringList { "tick 5", cid(kN) };
        QTest::newRow("no caller ID within 6 ticks") << call + QStringList { "tick 6", cid(kN) };
        QTest::newRow("collecting on the 1st tick")
            << call + QStringList { "NMBR = ", "until text", "tick 1", kN };
        QTest::newRow("collection over on the 2nd tick")
            << call + QStringList { "NMBR = ", "until text", "tick 2", kN };
        QTest::newRow("pause after BlockCall, 2 ticks")
            << call + QStringList { blocked, "until blocked", "tick 2", "timer?" };
        QTest::newRow("pause over after 3 ticks")
            << call + QStringList { blocked, "until blocked", "tick 3", "timer?" };
        QTest::newRow("timing out, 10 ticks") << call
                + QStringList { cid(kN), "until timing out", "tick 10", kRing, cid("5559876543") };
        QTest::newRow("timing out over after 11 ticks") << call
                + QStringList { cid(kN), "until timing out", "tick 11", kRing, cid("5559876543") };
        QTest::newRow("eleven digits") << call + QStringList { "NMBR = 15551234567" };
        QTest::newRow("the later of two runs") << call + QStringList { "5551234567 5559876543" };
        QTest::newRow("dashes") << call + QStringList { "NMBR = 555-123-4567" };
        QTest::newRow("nine digits") << call + QStringList { "NMBR = 555123456" };
        QTest::newRow("unformatted")
            << call + QStringList { "MESG = 030132303530313534353535313233343536" };
    }

    void callCycle()
    {
        QFETCH(QStringList, steps);
        Harness h(steps);
        h.state.BlockingEnabled = true;
        h.state.Book.PhoneNumber(1) = QStringLiteral("5550001111");
        h.state.Book.BlockFlag(1) = QStringLiteral("B");
        h.monitor.Command1_Click();
        const QString difference
            = reviewedDifference(dump(h) + dumpText("notes", h.notes.join(' ')));
        QVERIFY2(difference.isEmpty(), qPrintable(difference));
    }

    // Timer1's count stops at the top of its 16-bit range instead of wrapping.
    void timerTicks_stayAtTheTop()
    {
        Harness h({});
        for (int i = 0; i < 40000; ++i)
            h.monitor.Timer1_Timer();
        QCOMPARE(h.monitor.TimerTicks(), 32767);
    }

    // One call from `number` ("P": a caller-ID text without a number) against entries 1 to 5,
    // "#" in `numbers` standing for the caller's number, `marks` the entries' block marks; every
    // entry i has the picture /p/i.bmp and, unless "mute", the sound /w/i.wav. The window is
    // minimized.
    void book_data()
    {
        QTest::addColumn<QStringList>("numbers");
        QTest::addColumn<QStringList>("marks");
        QTest::addColumn<QString>("options");
        QTest::addColumn<QString>("number");
        const QStringList none(5);
        const auto row = [](const char* name, const QStringList& numbers, const QStringList& marks,
                             const char* options, const QString& number = kN) {
            QTest::newRow(name) << numbers << marks << QString(options) << number;
        };
        row("only in entry 5", { "1", "2", "3", "4", "#" }, none, "");
        row("in entries 2 and 4", { "", "#", "", "#", "" }, none, "");
        row("unknown", { "1", "", "", "", "" }, none, "");
        row("entry without a sound", { "", "", "#", "", "" }, none, "mute");
        row("the fixed caller number", { "#", "", "", "", "" }, none, "", "5555550100");
        row("added to entry 2, found there", { "1", "", "", "", "" }, none, "auto");
        row("no number: 0 added", none, none, "auto", "P");
        row("added to entry 5", { "1", "2", "3", "4", "" }, none, "auto");
        row("all five taken", { "1", "2", "3", "4", "5" }, none, "auto");
        row("in entry 4, added to entry 2", { "1", "", "3", "#", "" }, none, "auto");
        row("blocked in entry 2", { "", "#", "", "", "" }, { "", "B", "", "", "" }, "block");
        row("blocked in entry 5", { "1", "2", "3", "4", "#" }, { "", "", "", "", "B" }, "block");
        row("marked N", { "", "#", "", "", "" }, { "", "N", "", "", "" }, "block");
        row("blocking off", { "", "#", "", "", "" }, { "", "B", "", "", "" }, "");
        row("N in entry 1, B in entry 4", { "#", "", "", "#", "" }, { "N", "", "", "B", "" },
            "block");
        row("another number blocked", { "1", "#", "", "", "" }, { "B", "", "", "", "" }, "block");
        row("no number, empty entry blocked", { "1", "", "", "", "" }, { "", "", "B", "", "" },
            "block", "P");
        row("blocked, never added", { "1", "", "", "", "#" }, { "", "", "", "", "B" },
            "auto block");
    }

    void book()
    {
        QFETCH(QStringList, numbers);
        QFETCH(QStringList, marks);
        QFETCH(QString, options);
        QFETCH(QString, number);
        Harness h({ kOk, kRing, cid(number) });
        h.state.AutoUpdate = options.contains("auto");
        h.state.BlockingEnabled = options.contains("block");
        for (int i = 1; i <= 5; ++i) {
            h.state.Book.PhoneNumber(i) = numbers[i - 1] == "#" ? number : numbers[i - 1];
            h.state.Book.BlockFlag(i) = marks[i - 1];
            h.state.Book.PictureFile(i) = QStringLiteral("/p/%1.bmp").arg(i);
            if (!options.contains("mute"))
                h.state.Book.WavFile(i) = QStringLiteral("/w/%1.wav").arg(i);
        }
        h.view.minimized = true;
        h.monitor.Command1_Click();
        const QString difference = reviewedDifference(dump(h));
        QVERIFY2(difference.isEmpty(), qPrintable(difference));
    }

    // The Activate click: the port setting, the port held by another program, the log's length
    // and the entries scrolled so far.
    void activate_data()
    {
        QTest::addColumn<QString>("commPort");
        QTest::addColumn<bool>("busy");
        QTest::addColumn<int>("logLength");
        QTest::addColumn<int>("logEntries");
        QTest::newRow("com9: selects port 9") << "com9:" << false << 0 << 0;
        QTest::newRow("com10: selects port 0, 32000 characters stay")
            << "com10:" << false << 32000 << 0;
        QTest::newRow("port in use, 32001 characters cleared") << "com3:" << true << 32001 << 0;
        QTest::newRow("no port") << "" << false << 0 << 0;
        QTest::newRow("not a digit") << "comX:" << false << 0 << 0;
        QTest::newRow("log scrolled 32767 times") << "com3:" << false << 0 << 32767;
    }

    void activate()
    {
        QFETCH(QString, commPort);
        QFETCH(bool, busy);
        QFETCH(int, logLength);
        QFETCH(int, logEntries);
        Harness h({ kOk });
        h.state.CommPort = commPort;
        h.state.LogEntryCount = logEntries;
        h.link.openFails = busy;
        h.view.log = QString(logLength, u'x');
        h.monitor.Command1_Click();
        const QString difference = reviewedDifference(dump(h));
        QVERIFY2(difference.isEmpty(), qPrintable(difference));
    }

    // Detection over ports 1 to 8, silent but for `answers`: what a port sends after the probe, one
    // chunk per read, starting after `delay` ticks of Timer1; the probe's write fails on port
    // `failing`. Every yield that delivers nothing ticks Timer1 if it runs.
    void detection_data()
    {
        QTest::addColumn<Answers>("answers");
        QTest::addColumn<int>("delay");
        QTest::addColumn<int>("failing");
        const QStringList ok { "OK\r\n" };
        QTest::newRow("modem on 3") << Answers { { 3, { "ATV1Q0\r\r\nOK\r\n" } } } << 0 << 0;
        QTest::newRow("answers on 6, 7 and 8: 7 probed, 8 not")
            << Answers { { 6, ok }, { 7, ok }, { 8, ok } } << 0 << 0;
        QTest::newRow("silent 6 after an answer, 7 not probed")
            << Answers { { 1, ok }, { 7, ok } } << 0 << 0;
        QTest::newRow("no modem") << Answers {} << 0 << 0;
        QTest::newRow("answer in three reads") << Answers { { 4, { "O", "K\r", "\n" } } } << 0 << 0;
        QTest::newRow("OK CR alone, ok lower case")
            << Answers { { 1, { "\nok\r\n" } }, { 2, { "OK\r" } } } << 0 << 0;
        QTest::newRow("a failing write") << Answers { { 2, ok } } << 0 << 1;
        QTest::newRow("answer after one tick") << Answers { { 1, ok } } << 1 << 0;
        QTest::newRow("answer after two ticks") << Answers { { 1, ok } } << 2 << 0;
    }

    void detection()
    {
        QFETCH(Answers, answers);
        QFETCH(int, delay);
        QFETCH(int, failing);
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

        const QString difference = reviewedDifference(
            QStringLiteral("probed %1, listed %2, ticks disabled before the end %3\n")
                .arg(ports.join(' '), view.ports.join(' '))
                .arg(ticksAtEnd)
            + QStringLiteral("port %1 input %2 %3, opened %4 closed %5, ended %6\n")
                  .arg(link.settings)
                  .arg(link.inputLen)
                  .arg(link.isOpen ? "open" : "shut")
                  .arg(link.opens)
                  .arg(link.closes)
                  .arg(end.ends)
            + QStringLiteral("window%1%2%3%4%5\n")
                  .arg(view.saveConfigEnabled ? " saveable" : "",
                      view.windowEnabled ? "" : " disabled", view.unloaded ? " unloaded" : "",
                      view.timerEnabled ? " timer" : "", view.focused ? " list focused" : "")
            + dumpText("captions", view.captions.join(" / "))
            + dumpText("written", link.written.join("")));
        QVERIFY2(difference.isEmpty(), qPrintable(difference));
    }
};

QTEST_GUILESS_MAIN(TestMonitor)
#include "tst_monitor.moc"
