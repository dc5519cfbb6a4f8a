#include "MonitorBench.h"

#include "Measure.h"
#include "ProbedLink.h"
#include "app/Halvoren.h"
#include "platform/Platform.h"
#include "platform/QtSerialLink.h"
#include "state/AppState.h"
#include "windows/main/Form1.h"

#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <cstdio>

namespace {

const QString kKnownNumber = QStringLiteral("5551234567");
const QString kBlockedNumber = QStringLiteral("5550001111");
const QString kDeactivate = QStringLiteral("&Deactivate");
// Noise the modem line might carry: near misses of "RING" CR LF, lone line ends, other replies.
const QString kNoisePattern = QStringLiteral("[RING RIN\rG RING\r \n OK\r\n 0123456789]");
// About 4 kB a time, which the pseudo-terminal takes in one go. The pattern neither starts nor
// ends with a blank, which the simulator would drop from the command.
constexpr int kNoiseRepeats = 110;
constexpr qint64 kMegabyte = 1 << 20;
constexpr int kSettleMs = 1000;
constexpr int kRealTimerIntervalMs = 500;
const QEvent::Type kPlaceCallEvent = QEvent::Type(QEvent::registerEventType());
constexpr int kIdleTimeLimitMarginMs = 30000;
constexpr int kNoiseTimeLimitMs = 120000;

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QString callCommand(CallKind kind)
{
    return kind == CallKind::Blocked
        ? QStringLiteral("call ") + kBlockedNumber + QStringLiteral(" TELEMARKETING")
        : QStringLiteral("call ") + kKnownNumber + QStringLiteral(" ANN FRIEND");
}

// The caller-ID text the modem sends for such a call, as a "send" command.
QString callerIdCommand(CallKind kind)
{
    return QStringLiteral("send \\r\\nDATE = 1206\\r\\nTIME = 1945\\r\\nNMBR = ")
        + (kind == CallKind::Blocked ? kBlockedNumber + QStringLiteral("\\r\\nNAME = TELEMARKETING")
                                     : kKnownNumber + QStringLiteral("\\r\\nNAME = ANN FRIEND"))
        + QStringLiteral("\\r\\n");
}

} // namespace

MonitorBench::MonitorBench(int timerIntervalMs, const QStringList& modemOptions)
    : m_timerIntervalMs(timerIntervalMs)
    , m_modemOptions(modemOptions)
{
    connect(&m_sim, &SimProcess::simEvent, this, &MonitorBench::onSimEvent);
    m_end.onEnd = [this] { m_problems << QStringLiteral("the program ended itself"); };
    m_watchdog.setSingleShot(true);
    connect(&m_watchdog, &QTimer::timeout, this, [this] {
        m_problems << QStringLiteral("the program stopped taking calls; the run was cut short");
        deactivate();
    });
}

MonitorBench::~MonitorBench()
{
    m_sim.stop();
}

bool MonitorBench::start()
{
    const QDir dir(m_dir.path());
    bool written = true;
    for (const char* asset : { "blank.bmp", "fail.wav", "readme.txt" })
        written = written
            && QFile::copy(QStringLiteral(HALVOREN_SOURCE_DIR "/assets/") + QLatin1String(asset),
                dir.filePath(QLatin1String(asset)));
    for (const char* demo : { "ann.jpg", "ann.wav" })
        written = written
            && QFile::copy(QStringLiteral(HALVOREN_SOURCE_DIR "/tools/demo/") + QLatin1String(demo),
                dir.filePath(QLatin1String(demo)));
    written = written
        && writeFile(
            dir.filePath(QStringLiteral("cconfig.ini")), "com1:\r\nAT+VCID=1\r\nFalse\r\nTrue\r\n")
        && writeFile(dir.filePath(QStringLiteral("phone.ini")),
            "+\r\n" + kKnownNumber.toUtf8() + "\r\nN\r\n" + dir.filePath("ann.jpg").toUtf8()
                + "\r\n" + dir.filePath("ann.wav").toUtf8() + "\r\n+\r\n" + kBlockedNumber.toUtf8()
                + "\r\nB\r\n\r\n\r\n" + QByteArray("+\r\n\r\n\r\n\r\n\r\n").repeated(3));
    if (!written) {
        std::fprintf(
            stderr, "bench: could not write the program's files in %s\n", qPrintable(m_dir.path()));
        return false;
    }
    if (!m_sim.start(dir.filePath(QStringLiteral("ports/com1")), m_modemOptions)) {
        std::fprintf(stderr, "bench: modem-sim did not start\n");
        return false;
    }

    const QString appDir = m_dir.path();
    m_platform.reset(new Platform { [this, appDir] {
                                       auto link = std::make_unique<ProbedLink>(
                                           std::make_unique<QtSerialLink>(appDir));
                                       if (!m_link)
                                           m_link = link.get();
                                       return link;
                                   },
        m_pump, m_sound, m_pictures, m_launcher, m_printer, m_messages, m_end,
        AppFolders { appDir, appDir }, m_timerIntervalMs });
    m_app = std::make_unique<Halvoren>(*m_platform);
    m_app->start();
    m_form1 = m_app->context().forms.loadedForm1();
    if (!m_form1 || !m_link || !m_form1->isVisible()) {
        std::fprintf(stderr, "bench: the main window did not come up\n");
        return false;
    }

    m_link->onOpenQuery = [this] {
        if (m_dialogueStarted)
            onCycleStart();
    };
    m_link->onWrite = [this](const QString& text) { onWrite(text); };
    m_link->onRead = [this](const QString& text) { onRead(text); };
    connect(m_form1->Timer1, &QTimer::timeout, this, [this] {
        m_lastTickUs = Measure::nowUs();
        m_queuedAtLastTickUs = Measure::runQueueWaitUs();
        ++m_ticks;
    });
    m_form1->Label2[0]->installEventFilter(this);
    m_sound.onPlay = [this](const QString&) {
        if (CallRecord* record = recordAt(m_current))
            record->announcedUs = Measure::nowUs();
    };
    return true;
}

void MonitorBench::monitor(int quietLimitMs)
{
    m_watchdog.start(quietLimitMs);
    m_dialogueStarted = false;
    // The answer to the caller-ID command gets its real six ticks: six shortened ones could end
    // the program on a busy machine before the modem has answered. The calls get the short ones.
    m_form1->Timer1->setInterval(kRealTimerIntervalMs);
    // Returns once monitoring has been switched off again.
    m_form1->Command1->click();
    m_watchdog.stop();
    m_cycleStart = nullptr;
    m_read = nullptr;
    for (const QString& text : std::as_const(m_messages.texts))
        m_problems << QStringLiteral("message: ") + text;
    m_messages.texts.clear();
}

void MonitorBench::deactivate()
{
    QTimer::singleShot(0, this, [this] {
        if (m_form1->Command1->text() == kDeactivate)
            m_form1->Command1->click();
    });
}

void MonitorBench::onCycleStart()
{
    m_watchdog.start();
    m_form1->Timer1->setInterval(m_timerIntervalMs);
    if (m_cycleStart)
        m_cycleStart();
}

void MonitorBench::onWrite(const QString& text)
{
    if (text == m_app->state().CallerIdCommand + u'\r')
        m_dialogueStarted = true;
    if (text != QLatin1String("ATDT1\r"))
        return;
    if (CallRecord* record = recordAt(m_current)) {
        record->dialUs = Measure::nowUs();
        record->queuedAtDialUs = Measure::runQueueWaitUs();
        record->collectionTickUs = m_lastTickUs;
        record->queuedAtTickUs = m_queuedAtLastTickUs;
        m_dialled.push_back(m_current);
    }
}

void MonitorBench::onRead(const QString& text)
{
    CallRecord* record = recordAt(m_current);
    if (record && record->ringReadUs < 0 && text.contains(QLatin1String("RING")))
        record->ringReadUs = Measure::nowUs();
    if (m_loneRingUs >= 0 && m_loneRingReadUs < 0 && text.contains(QLatin1String("RING\r\n")))
        m_loneRingReadUs = Measure::nowUs();
    if (m_read)
        m_read(text);
}

void MonitorBench::onSimEvent(qint64 atUs, const QString& line)
{
    if (line.startsWith(QLatin1String("ring "))) {
        if (CallRecord* record = recordAt(m_ringEvents++))
            record->ringUs = atUs;
    } else if (line == QLatin1String("cid") && !m_callerIdOnCount) {
        if (CallRecord* record = recordAt(m_cidEvents++))
            record->cidUs = atUs;
    } else if (line.startsWith(QLatin1String("rx ATDT")) && !m_dialled.empty()) {
        if (CallRecord* record = recordAt(m_dialled.front()))
            record->modemDialUs = atUs;
        m_dialled.pop_front();
    }
}

bool MonitorBench::event(QEvent* event)
{
    if (event->type() != kPlaceCallEvent)
        return QObject::event(event);
    if (CallRecord* record = recordAt(m_current)) {
        record->queuedAtPlaceUs = Measure::runQueueWaitUs();
        m_sim.command(m_callerIdOnCount ? QStringLiteral("call-nocid") : callCommand(record->kind));
    }
    return true;
}

bool MonitorBench::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Paint
        && m_form1->Label2[0]->text() == QString::number(m_expectedCount)) {
        const qint64 now = Measure::nowUs();
        if (m_loneRingUs >= 0 && m_loneRingShownUs < 0)
            m_loneRingShownUs = now;
        CallRecord* record = recordAt(m_current);
        if (record && record->countShownUs < 0) {
            record->countShownUs = now;
            record->queuedAtCountUs = Measure::runQueueWaitUs();
            record->tickBeforeCountUs = m_lastTickUs > record->cycleStartUs ? m_lastTickUs : -1;
            if (m_callerIdOnCount) {
                QTimer::singleShot(0, this, [this, index = m_current] {
                    CallRecord* call = recordAt(index);
                    m_sim.command(callerIdCommand(call->kind));
                    call->cidUs = Measure::nowUs();
                });
            }
        }
    }
    return QObject::eventFilter(watched, event);
}

CallRecord* MonitorBench::recordAt(int index)
{
    if (index < 0 || index >= int(m_records.size()))
        return nullptr;
    return &m_records[std::size_t(index)];
}

MonitorBench::Idle MonitorBench::idle(int seconds)
{
    Idle result;
    bool measuring = false;
    qint64 wall0 = 0;
    qint64 cpu0 = 0;
    qint64 polls0 = 0;
    qint64 ticks0 = 0;
    m_cycleStart = [&] {
        if (measuring)
            return;
        measuring = true;
        // The first paints after switching on are over by then; what is left is the wait.
        QTimer::singleShot(kSettleMs, this, [&, seconds] {
            wall0 = Measure::nowUs();
            cpu0 = Measure::cpuUs();
            polls0 = m_link->polls();
            ticks0 = m_ticks;
            QTimer::singleShot(seconds * 1000, this, [&] {
                result.wallUs = Measure::nowUs() - wall0;
                result.cpuUs = Measure::cpuUs() - cpu0;
                result.polls = m_link->polls() - polls0;
                result.ticks = m_ticks - ticks0;
                deactivate();
            });
        });
    };
    monitor(seconds * 1000 + kSettleMs + kIdleTimeLimitMarginMs);
    return result;
}

std::vector<CallRecord> MonitorBench::calls(int count, const std::function<CallKind(int)>& kindOf,
    const std::function<void(int, const CallRecord&)>& onHandled)
{
    m_records.assign(std::size_t(count), CallRecord {});
    m_current = -1;
    m_ringEvents = 0;
    m_cidEvents = 0;
    m_dialled.clear();
    m_cycleStart = [&] {
        if (CallRecord* done = recordAt(m_current)) {
            done->cpuUs = Measure::cpuUs() - done->cpuAtStartUs;
            if (onHandled)
                onHandled(m_current, *done);
        }
        if (++m_current >= count) {
            deactivate();
            return;
        }
        CallRecord& next = m_records[std::size_t(m_current)];
        next.kind = kindOf(m_current);
        // Read after onHandled, whose own work belongs to no call.
        next.cycleStartUs = Measure::nowUs();
        next.cpuAtStartUs = Measure::cpuUs();
        m_expectedCount = m_app->state().TotalCalls + 1;
        // Placed from the event loop once the program has repainted after the last call, as
        // calls do that come seconds apart; a RING that came during that repaint would meet a
        // program busy with the previous call.
        QCoreApplication::postEvent(this, new QEvent(kPlaceCallEvent), Qt::LowEventPriority - 1);
    };
    // Generous: a stuck call ends the run with a note instead of hanging the benchmark.
    monitor(40 * m_timerIntervalMs + 5000);

    std::vector<CallRecord> records;
    records.swap(m_records);
    m_current = -1;
    return records;
}

void MonitorBench::sendNoise()
{
    QString escaped = kNoisePattern.repeated(kNoiseRepeats);
    escaped.replace(u'\r', QLatin1String("\\r")).replace(u'\n', QLatin1String("\\n"));
    m_sim.command(QStringLiteral("send ") + escaped);
}

MonitorBench::Noise MonitorBench::noise(int megabytes)
{
    Noise result;
    const qint64 chunk = kNoisePattern.size() * kNoiseRepeats;
    qint64 sent = 0;
    qint64 received = 0;
    qint64 cpuMark = 0;
    qint64 pollsMark = 0;
    QString asReceived;
    bool started = false;
    m_cycleStart = [&] {
        if (started) {
            deactivate();
            return;
        }
        started = true;
        asReceived.clear();
        cpuMark = Measure::cpuUs();
        pollsMark = m_link->polls();
        QTimer::singleShot(0, this, [&] {
            sendNoise();
            sent += chunk;
        });
    };
    m_read = [&](const QString& text) {
        if (m_loneRingUs >= 0)
            return;
        asReceived += text;
        received += text.size();
        if (received < sent)
            return;
        if (received >= (qint64(result.cpuPerMegabyteUs.size()) + 1) * kMegabyte) {
            const qint64 cpu = Measure::cpuUs();
            result.cpuPerMegabyteUs.push_back(cpu - cpuMark);
            result.pollsPerMegabyte.push_back(m_link->polls() - pollsMark);
            cpuMark = cpu;
            pollsMark = m_link->polls();
        }
        if (received < megabytes * kMegabyte) {
            QTimer::singleShot(0, this, [&] {
                sendNoise();
                sent += chunk;
            });
            return;
        }
        QTimer::singleShot(0, this, [&] {
            // The noise is all in the program's buffer; now a ring it must still see at once.
            result.bufferChars = m_app->state().ReceiveBuffer.size();
            result.bufferAsReceived = m_app->state().ReceiveBuffer == asReceived;
            asReceived.clear();
            m_expectedCount = m_app->state().TotalCalls + 1;
            m_loneRingUs = Measure::nowUs();
            m_sim.command(QStringLiteral("send \\r\\nRING\\r\\n"));
        });
    };
    monitor(kNoiseTimeLimitMs);
    if (m_loneRingShownUs >= 0) {
        result.ringToCountUs = m_loneRingShownUs - m_loneRingUs;
        if (m_loneRingReadUs >= 0)
            result.ringReadToCountUs = m_loneRingShownUs - m_loneRingReadUs;
    }
    m_loneRingUs = -1;
    m_loneRingReadUs = -1;
    m_loneRingShownUs = -1;
    return result;
}

AppState& MonitorBench::state()
{
    return m_app->state();
}

QStringList MonitorBench::problems() const
{
    return m_problems;
}
