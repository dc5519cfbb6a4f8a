#include "CallMonitor.h"

#include "ModemDialogue.h"
#include "MonitorView.h"
#include "Version.h"
#include "platform/EventPump.h"
#include "platform/ProgramEnd.h"
#include "platform/SerialLink.h"
#include "platform/SoundPlayer.h"
#include "state/AppState.h"
#include "state/RuntimeError.h"

#include <QDateTime>
#include <QDir>

namespace {

const QString kRing = QStringLiteral("RING\r\n");
constexpr int kMaxLogLength = 32000;
constexpr int kMaxTimerTicks = 32767;

// The port number is the first of the setting's last two characters: com3: selects port 3.
int portNumber(const QString& commPort)
{
    const QString lastTwo = commPort.right(2);
    if (lastTwo.isEmpty())
        throw RuntimeError(QStringLiteral("Type mismatch"), QStringLiteral("No port is set."));
    if (lastTwo.at(0) < u'0' || lastTwo.at(0) > u'9') {
        throw RuntimeError(QStringLiteral("Type mismatch"),
            QStringLiteral("The saved port \"%1\" names no port number.").arg(commPort));
    }
    return lastTwo.at(0).unicode() - u'0';
}

} // namespace

CallMonitor::CallMonitor(AppState& state, MonitorView& view, SerialLink& MSComm1, EventPump& pump,
    SoundPlayer& sound, ProgramEnd& end)
    : m_state(state)
    , m_view(view)
    , m_port(MSComm1)
    , m_pump(pump)
    , m_sound(sound)
    , m_end(end)
{
}

void CallMonitor::Command1_Click()
{
    try {
        if (m_view.logText().size() > kMaxLogLength)
            m_view.setLogText(QStringLiteral("Cleared"));
        if (m_monitorActive == 0)
            switchOn();
        else
            switchOff();
    } catch (const RuntimeError& failure) {
        recover(failure.cause());
    }
}

void CallMonitor::switchOn()
{
    m_view.setActivateCaption(QStringLiteral("&Deactivate"));
    m_view.setCaption(QStringLiteral("Halvoren " HALVOREN_VERSION " waiting for calls"));
    m_monitorActive = 1;
    m_view.setConfigAndPhonebookEnabled(false);
    // Activate again before the running monitor has noticed a Deactivate: that monitor carries
    // on. A second one started inside it would leave the first waiting forever once it returned.
    if (m_monitorRunning) {
        m_stopRequested = 0;
        appendStateEntry(QStringLiteral("Activated:"));
        scrollToEnd(true);
        return;
    }
    m_monitorRunning = true;
    try {
        appendStateEntry(QStringLiteral("Activated:"));
        scrollToEnd(true);
        MonitorCalls();
    } catch (...) {
        // A stop asked of the failed monitor must not stop one started during the recovery.
        m_monitorRunning = false;
        m_stopRequested = 0;
        throw;
    }
    m_monitorRunning = false;
}

void CallMonitor::switchOff()
{
    m_view.setActivateCaption(QStringLiteral("&Activate"));
    m_view.setCaption(QStringLiteral("Halvoren " HALVOREN_VERSION " standing by"));
    m_view.setConfigAndPhonebookEnabled(true);
    appendStateEntry(QStringLiteral("Deactivated:"));
    m_monitorActive = 0;
    // Only a running monitor takes the request; left over, it would stop the next one at once.
    if (m_monitorRunning)
        m_stopRequested = -1;
    scrollToEnd(true);
}

void CallMonitor::recover(const QString& cause)
{
    m_view.showPortInUse(cause);
    m_view.setActivateCaption(QStringLiteral("&Activate"));
    m_view.setCaption(QStringLiteral("Halvoren " HALVOREN_VERSION " standing by"));
    m_view.setConfigAndPhonebookEnabled(true);
    appendStateEntry(QStringLiteral("Deactivated:"));
    try {
        scrollToEnd(true);
    } catch (const RuntimeError&) {
        // A log scrolled 32767 times cannot count further; the entry is there all the same.
    }
    m_monitorActive = 0;
    // A click that failed while a monitor runs further down stops that monitor at its next check.
    m_stopRequested = m_monitorRunning ? -1 : 0;
}

void CallMonitor::Timer1_Timer()
{
    if (m_timerTicks < kMaxTimerTicks)
        ++m_timerTicks;
}

void CallMonitor::appendStateEntry(const QString& heading)
{
    const QDateTime now = QDateTime::currentDateTime();
    m_view.appendLog(heading + QStringLiteral("\r\n") + now.toString(QStringLiteral("MM-dd-yyyy"))
        + QStringLiteral("\r\n") + now.toString(QStringLiteral("HH:mm:ss"))
        + QStringLiteral("\r\n+++++++\r\n"));
}

void CallMonitor::scrollToEnd(bool yielding)
{
    m_state.LogEntryCount.increment();
    m_view.focusLog();
    if (yielding) {
        m_pump.yieldOnce();
        for (int page = 0; page < m_state.LogEntryCount; ++page)
            m_pump.yieldOnce();
    }
    m_view.showLogEnd();
}

void CallMonitor::MonitorCalls()
{
    openPortAtStart();
    if (!waitForOk()) {
        m_view.disableWindow();
        m_view.showNotResponding();
        m_end.endNow(EXIT_FAILURE);
        return;
    }

    for (;;) {
        m_announcementWav.clear();
        m_timerTicks = 0;
        m_view.setTimerEnabled(false);
        m_state.ReceiveBuffer.clear();
        m_callerNumber.clear();
        m_scan = CallerNumberScan();
        m_callBlocked = false;

        if (!m_port.portOpen())
            m_port.open();
        m_view.setCaption(QStringLiteral("Halvoren " HALVOREN_VERSION " waiting for calls"));

        if (waitForRing() == PollResult::Stopped) {
            stop();
            return;
        }
        m_state.TotalCalls.increment();
        m_view.setTotalCallsCaption(QString::number(m_state.TotalCalls));

        m_timerTicks = 0;
        m_state.ReceiveBuffer.clear();
        m_view.setTimerEnabled(true);
        if (!waitForCallerIdText()) {
            m_state.TotalCalls.decrement();
            m_view.setTotalCallsCaption(QString::number(m_state.TotalCalls));
            continue;
        }
        collectCallerIdText();
        m_view.appendLog(m_state.ReceiveBuffer + QStringLiteral("\r\n++++++++\r\n"));
        m_unsavedCalls = true;

        m_view.setTimerEnabled(false);
        m_timerTicks = 0;
        ParseCallerNumber();

        if (m_state.BlockingEnabled) {
            BlockCall();
            pauseAfterBlockCall();
        }
        if (m_callBlocked)
            continue;

        if (m_callerNumber.isEmpty())
            m_callerNumber = QStringLiteral("0");
        AnnounceCall();

        if (!waitOutRinging()) {
            stop();
            return;
        }
        m_timerTicks = 0;
        m_view.setTimerEnabled(false);
        m_port.close();
        m_view.showPicture(QDir(m_state.ShippedPath).filePath(QStringLiteral("blank.bmp")));
        scrollToEnd(false);
    }
}

void CallMonitor::openPortAtStart()
{
    m_timerTicks = 0;
    m_view.setTimerEnabled(false);
    m_view.setCaption(QStringLiteral("Halvoren activating caller ID"));
    if (m_port.portOpen())
        m_port.close();
    ModemDialogue::openPort(m_port, portNumber(m_state.CommPort));

    m_view.setTimerEnabled(true);
    m_timerTicks = 0;
    m_state.ReceiveBuffer.clear();
    // A first run has saved the command but reads it only at the next start; an empty command
    // would leave a working modem nothing to answer.
    const QString& command = m_state.CallerIdCommand.isEmpty() ? AppState::kSavedCallerIdCommand
                                                               : m_state.CallerIdCommand;
    m_port.output(command + u'\r');
}

bool CallMonitor::waitForOk()
{
    bool gotData = true;
    for (;;) {
        yieldAfterPoll(gotData);
        const QString received = readPort();
        gotData = !received.isEmpty();
        const bool found
            = ModemDialogue::appendAndFind(m_state.ReceiveBuffer, received, ModemDialogue::kOk);
        if (m_timerTicks > 5)
            return false;
        if (found)
            return true;
    }
}

CallMonitor::PollResult CallMonitor::waitForRing()
{
    bool gotData = true;
    for (;;) {
        yieldAfterPoll(gotData);
        if (m_stopRequested == -1)
            return PollResult::Stopped;
        const QString received = readPort();
        gotData = !received.isEmpty();
        if (ModemDialogue::appendAndFind(m_state.ReceiveBuffer, received, kRing))
            return PollResult::Found;
    }
}

bool CallMonitor::waitForCallerIdText()
{
    bool gotData = true;
    do {
        if (!m_state.ReceiveBuffer.isEmpty())
            return true;
        m_state.ReceiveBuffer = readPort();
        gotData = !m_state.ReceiveBuffer.isEmpty();
        yieldAfterPoll(gotData);
    } while (m_timerTicks <= 5);
    return false;
}

void CallMonitor::collectCallerIdText()
{
    m_timerTicks = 0;
    do {
        const QString received = readPort();
        m_state.ReceiveBuffer += received;
        yieldAfterPoll(!received.isEmpty());
    } while (m_timerTicks <= 1);
}

void CallMonitor::pauseAfterBlockCall()
{
    m_timerTicks = 0;
    m_view.setTimerEnabled(true);
    while (m_timerTicks < 3)
        m_pump.yieldWaiting();
    m_timerTicks = 0;
    m_view.setTimerEnabled(false);
}

bool CallMonitor::waitOutRinging()
{
    // Spelling as users know it.
    m_view.setCaption(QStringLiteral("Halvoren " HALVOREN_VERSION " timming out events"));
    m_view.setTimerEnabled(true);
    m_timerTicks = 0;
    while (m_timerTicks <= 10) {
        m_pump.yieldWaiting();
        if (m_stopRequested == -1)
            return false;
    }
    return true;
}

void CallMonitor::stop()
{
    m_stopRequested = 0;
    m_sound.beep();
    m_port.close();
}

QString CallMonitor::readPort()
{
    return m_port.input();
}

void CallMonitor::yieldAfterPoll(bool gotData)
{
    // A poll that found nothing waits for the next event instead of spinning.
    if (gotData)
        m_pump.yieldOnce();
    else
        m_pump.yieldWaiting();
}

void CallMonitor::ParseCallerNumber()
{
    m_scan.feed(m_state.ReceiveBuffer);
    m_callerNumber = m_scan.foundNumber();
}

void CallMonitor::AnnounceCall()
{
    PhoneBook& book = m_state.Book;
    m_announcementWav.clear();
    int matched = 0;
    for (int i = 1; i <= PhoneBook::PhoneBookSize; ++i) {
        if (book.PhoneNumber(i) == m_callerNumber) {
            matched = i;
            m_announcementWav = book.WavFile(i);
        }
        if (m_state.AutoUpdate)
            AutoAddNumber();
        if (matched)
            break;
    }
    if (m_announcementWav.isEmpty()) {
        // Spelling as users know it.
        m_view.appendLog(QStringLiteral("Above data has no assingnemt\r\n++++++++\r\n"));
        m_announcementWav = QDir(m_state.ShippedPath).filePath(QStringLiteral("fail.wav"));
    }
    m_sound.play(m_announcementWav);
    if (matched && !book.PictureFile(matched).isEmpty())
        m_view.showPicture(book.PictureFile(matched));
    if (m_callerNumber == kFixedCallerNumber)
        m_view.clearPicture();
    m_view.restoreIfMinimized();
}

void CallMonitor::AutoAddNumber()
{
    PhoneBook& book = m_state.Book;
    for (int i = 1; i <= PhoneBook::PhoneBookSize; ++i) {
        if (book.PhoneNumber(i) == m_callerNumber)
            return;
        if (book.PhoneNumber(i).isEmpty()) {
            book.PhoneNumber(i) = m_callerNumber;
            m_view.appendLog(QStringLiteral("The above data has been added\r\n"));
            return;
        }
    }
}

void CallMonitor::BlockCall()
{
    const PhoneBook& book = m_state.Book;
    bool blocked = false;
    for (int i = 1; i <= PhoneBook::PhoneBookSize && !blocked; ++i)
        blocked = book.PhoneNumber(i) == m_callerNumber && book.BlockFlag(i) == QLatin1String("B");
    if (!blocked)
        return;
    m_port.output(QStringLiteral("ATDT1\r"));
    m_view.appendLog(QStringLiteral("Phone number:\r\n") + m_callerNumber
        + QStringLiteral("\r\nWas blocked.\r\n+++++++\r\n"));
    m_pump.yieldOnce();
    m_view.setBlockedCallsCaption(QString::number(m_view.blockedCallsCaption().toLongLong() + 1));
    scrollToEnd(false);
    m_callBlocked = true;
}
