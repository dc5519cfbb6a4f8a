#include "monitor/DetectionView.h"
#include "monitor/PortDetection.h"
#include "support/RecordingMonitorView.h"
#include "support/WindowDump.h"

#include <QtTest>

namespace {

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

// The call monitor against a scripted modem. Steps that arrange: "blocking", "auto update",
// "minimized", "pictures" and "sounds" (entry i has /p/i.bmp and /w/i.wav), "number I N", "mark
// I M", "port P", "busy" (the port held by another program), "log N" (characters in the log),
// "log entries N". Then Activate is clicked; once the caller-ID command is out, every yield runs
// the next step when it can, or else ticks Timer1 if it runs; after the steps the user switches
// monitoring off and Timer1 goes on ticking. Those steps: "tick N" (N ticks of the running
// timer), "until blocked", "until timing out", "until text" (the blocked count is 1, the caption
// says so, text was received), "timer?" and "look?" (notes whether Timer1 runs, the Activate
// caption and whether the other buttons take clicks); a quoted text is the modem's.
struct Harness : MonitorRig
{
    explicit Harness(const QStringList& steps)
    {
        for (const QString& step : steps) {
            const QStringList words = step.split(' ');
            const int entry = words.value(1).toInt();
            const QString last = words.value(words.size() - 1);
            if (step == "blocking")
                state.BlockingEnabled = true;
            else if (step == "auto update")
                state.AutoUpdate = true;
            else if (step == "minimized")
                view.minimized = true;
            else if (step == "busy")
                link.openFails = true;
            else if (step == "pictures" || step == "sounds")
                for (int i = 1; i <= 5; ++i)
                    (step == "pictures" ? state.Book.PictureFile(i) : state.Book.WavFile(i))
                        = QString(step == "pictures" ? "/p/%1.bmp" : "/w/%1.wav").arg(i);
            else if (words[0] == "number")
                state.Book.PhoneNumber(entry) = last;
            else if (words[0] == "mark")
                state.Book.BlockFlag(entry) = last;
            else if (words[0] == "port")
                state.CommPort = unquoted(words.value(1));
            else if (step.startsWith("log entries "))
                state.LogEntryCount = last.toInt();
            else if (words[0] == "log")
                view.log = QString(last.toInt(), u'x');
            else
                script << (words[0] == "tick" ? QStringList(entry, "tick") : QStringList(step));
        }
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
                link.send(unquoted(step));
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

    void call()
    {
        QFETCH(QStringList, steps);
        Harness h(steps);
        h.monitor.Command1_Click();
        QString transcript;
        for (const QString& step : steps)
            transcript += "> " + step + '\n';
        const QString difference = reviewedDifference(
            transcript + dump(h) + (h.notes.isEmpty() ? "" : dumpText("notes", h.notes.join(' '))));
        QVERIFY2(difference.isEmpty(), qPrintable(difference));
    }

private slots:
    // The modem's text read by read from the caller-ID command on, the tick limits of each wait,
    // the number taken from the text.
    void callCycle_data() { addReviewedRows(); }
    void callCycle() { call(); }

    // One call against entries 1 to 5.
    void book_data() { addReviewedRows(); }
    void book() { call(); }

    // The Activate click: the port setting, the port held by another program, the log's length
    // and the entries scrolled so far.
    void activate_data() { addReviewedRows(); }
    void activate() { call(); }

    // Timer1's count stops at the top of its 16-bit range instead of wrapping.
    void timerTicks_stayAtTheTop()
    {
        Harness h({});
        for (int i = 0; i < 40000; ++i)
            h.monitor.Timer1_Timer();
        QCOMPARE(h.monitor.TimerTicks(), 32767);
    }

    // Detection over ports 1 to 8, silent but for the steps "port N sends TEXT": what port N
    // sends after the probe, one step per read, starting after "delay N" ticks of Timer1; the
    // probe's write fails on port "failing N". Every yield that delivers nothing ticks Timer1 if
    // it runs.
    void detection_data() { addReviewedRows(); }

    void detection()
    {
        QFETCH(QStringList, steps);
        QMap<int, QStringList> answers;
        int delay = 0, failing = 0;
        QString transcript;
        for (const QString& step : steps) {
            const int n = step.section(' ', 1, 1).toInt();
            if (step.startsWith("port "))
                answers[n] << unquoted(step.section(' ', 3));
            if (step.startsWith("delay "))
                delay = n;
            if (step.startsWith("failing "))
                failing = n;
            transcript += "> " + step + '\n';
        }
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

        const QString difference = reviewedDifference(transcript
            + QStringLiteral("probed %1, listed %2, ticks disabled before the end %3\n")
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
