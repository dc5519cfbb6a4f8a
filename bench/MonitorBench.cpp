#include "MonitorBench.h"

#include "Bench.h"
#include "ProbedLink.h"
#include "app/Halvoren.h"
#include "platform/Platform.h"
#include "platform/QtSerialLink.h"
#include "state/AppState.h"
#include "state/DataStore.h"
#include "windows/main/Form1.h"

#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

const QString kKnownNumber = u"5551234567"_s;
const QString kBlockedNumber = u"5550001111"_s;
// Noise the modem line might carry: near misses of "RING" CR LF, lone line ends, other replies.
const QString kNoisePattern = u"[RING RIN\rG RING\r \n OK\r\n 0123456789]"_s;
// About 4 kB a time, which the pseudo-terminal takes in one go. The pattern neither starts nor
// ends with a blank, which the simulator would drop from the command.
constexpr int kNoiseRepeats = 110;
constexpr qint64 kMegabyte = 1 << 20;
constexpr int kSettleMs = 1000;
constexpr int kRealTimerIntervalMs = 500;
const QEvent::Type kPlaceCallEvent = QEvent::Type(QEvent::registerEventType());
constexpr int kIdleTimeLimitMarginMs = 30000;
constexpr int kNoiseTimeLimitMs = 120000;

// The caller's number and name for the simulator's "call" command and the caller-ID text.
QString caller(MonitorBench::CallKind kind, const QString& separator)
{
    return kind == MonitorBench::CallKind::Blocked ? kBlockedNumber + separator + u"TELEMARKETING"_s
                                                   : kKnownNumber + separator + u"ANN FRIEND"_s;
}

} // namespace

MonitorBench::MonitorBench(int timerIntervalMs, const QStringList& modemOptions)
    : m_timerIntervalMs(timerIntervalMs)
    , m_modemOptions(modemOptions)
{
    connect(&m_sim, &ModemSim::eventLine, this, &MonitorBench::onSimEvent);
    m_end.onEnd = [this] { m_problems << u"the program ended itself"_s; };
    m_watchdog.setSingleShot(true);
    connect(&m_watchdog, &QTimer::timeout, this, [this] {
        m_problems << u"the program stopped taking calls; the run was cut short"_s;
        deactivate();
    });
}

MonitorBench::~MonitorBench() = default;

bool MonitorBench::start()
{
    const QDir dir(m_dir.path());
    bool written = true;
    for (const QString& file : { u"assets/blank.bmp"_s, u"assets/fail.wav"_s,
             u"assets/readme.txt"_s, u"tools/demo/ann.jpg"_s, u"tools/demo/ann.wav"_s })
        written = written
            && QFile::copy(HALVOREN_SOURCE_DIR "/"_L1 + file, dir.filePath(file.section('/', -1)));
    // Blocking on; the known caller with a picture and a sound, the blocked one marked "B".
    AppState files;
    files.AppPath = m_dir.path();
    files.BlockingEnabled = true;
    files.Book.PhoneNumber(1) = kKnownNumber;
    files.Book.BlockFlag(1) = u"N"_s;
    files.Book.PictureFile(1) = dir.filePath(u"ann.jpg"_s);
    files.Book.WavFile(1) = dir.filePath(u"ann.wav"_s);
    files.Book.PhoneNumber(2) = kBlockedNumber;
    files.Book.BlockFlag(2) = u"B"_s;
    DataStore store(files);
    if (!written || !store.SaveSettings(u"com1:"_s) || !store.SavePhoneBook()
        || !m_sim.start(m_dir.path(), 1, QStringList { u"--timestamps"_s } + m_modemOptions)) {
        std::fprintf(stderr, "bench: the program's files or modem-sim in %s failed\n",
            qPrintable(m_dir.path()));
        return false;
    }
    const auto openLink = [this] {
        auto link = std::make_unique<ProbedLink>(std::make_unique<QtSerialLink>(m_dir.path()));
        if (!m_link)
            m_link = link.get();
        return link;
    };
    m_platform.reset(new Platform { openLink, m_pump, m_sound, m_pictures, m_launcher, m_printer,
        m_messages, m_end, AppFolders { m_dir.path(), m_dir.path() }, m_timerIntervalMs });
    m_app = std::make_unique<Halvoren>(*m_platform);
    m_app->start();
    m_form1 = m_app->context().forms.loadedForm1();
    if (!m_form1 || !m_link || !m_form1->isVisible()) {
        std::fprintf(stderr, "bench: the main window did not come up\n");
        return false;
    }

    m_link->onOpenQuery = [this] {
        if (!m_dialogueStarted)
            return;
        m_watchdog.start();
        m_form1->Timer1->setInterval(m_timerIntervalMs);
        if (m_cycleStart)
            m_cycleStart();
    };
    m_link->onWrite = [this](const QString& text) {
        if (text == m_app->state().CallerIdCommand + u'\r')
            m_dialogueStarted = true;
        Call* record = recordAt(m_current);
        if (record && text == "ATDT1\r"_L1) {
            record->dialUs = Bench::nowUs();
            record->collectionTickUs = m_lastTickUs;
        }
    };
    connect(m_form1->Timer1, &QTimer::timeout, this, [this] { m_lastTickUs = Bench::nowUs(); });
    m_form1->Label2[0]->installEventFilter(this);
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
    for (const QString& text : std::as_const(m_messages.texts))
        m_problems << u"message: "_s + text;
    m_messages.texts.clear();
}

void MonitorBench::deactivate()
{
    QTimer::singleShot(0, this, [this] {
        if (m_form1->Command1->text() == "&Deactivate"_L1)
            m_form1->Command1->click();
    });
}

void MonitorBench::onSimEvent(const QString& line)
{
    // "<microseconds> <event>", on the clock Bench::nowUs() reads.
    const QString event = line.section(' ', 1);
    Call* record = nullptr;
    if (event.startsWith("ring "_L1))
        record = recordAt(m_ringEvents++);
    else if (event == "cid"_L1 && !m_callerIdOnCount)
        record = recordAt(m_cidEvents++);
    if (record)
        (event == "cid"_L1 ? record->cidUs : record->ringUs) = line.section(' ', 0, 0).toLongLong();
}

bool MonitorBench::event(QEvent* event)
{
    if (event->type() != kPlaceCallEvent)
        return QObject::event(event);
    if (Call* record = recordAt(m_current))
        m_sim.command(
            m_callerIdOnCount ? u"call-nocid"_s : u"call "_s + caller(record->kind, u" "_s));
    return true;
}

bool MonitorBench::eventFilter(QObject* watched, QEvent* event)
{
    Call* record = recordAt(m_current);
    if (event->type() == QEvent::Paint
        && m_form1->Label2[0]->text() == QString::number(m_expectedCount)) {
        if (record && record->countShownUs < 0) {
            record->countShownUs = Bench::nowUs();
            record->tickBeforeCountUs = m_lastTickUs > record->cycleStartUs ? m_lastTickUs : -1;
            if (m_callerIdOnCount) {
                QTimer::singleShot(0, this, [this, record] {
                    m_sim.command(u"send \\r\\nDATE = 1206\\r\\nTIME = 1945\\r\\nNMBR = "_s
                        + caller(record->kind, u"\\r\\nNAME = "_s) + u"\\r\\n"_s);
                    record->cidUs = Bench::nowUs();
                });
            }
        }
    }
    return QObject::eventFilter(watched, event);
}

MonitorBench::Call* MonitorBench::recordAt(int index)
{
    return index >= 0 && index < int(m_records.size()) ? &m_records[std::size_t(index)] : nullptr;
}

std::pair<qint64, qint64> MonitorBench::idleUs(int seconds)
{
    std::pair<qint64, qint64> result;
    bool measuring = false;
    m_cycleStart = [&] {
        if (measuring)
            return;
        measuring = true;
        // The first paints after switching on are over by then; what is left is the wait.
        QTimer::singleShot(kSettleMs, this, [&, seconds] {
            result = { -Bench::nowUs(), -Bench::cpuUs() };
            QTimer::singleShot(seconds * 1000, this, [&] {
                result.first += Bench::nowUs();
                result.second += Bench::cpuUs();
                deactivate();
            });
        });
    };
    monitor(seconds * 1000 + kSettleMs + kIdleTimeLimitMarginMs);
    return result;
}

std::vector<MonitorBench::Call> MonitorBench::calls(
    int count, int knownEvery, const std::function<void(int)>& onHandled)
{
    m_records.assign(std::size_t(count), Call {});
    m_current = -1;
    m_ringEvents = 0;
    m_cidEvents = 0;
    m_cycleStart = [&] {
        if (Call* done = recordAt(m_current)) {
            done->cpuUs = Bench::cpuUs() - done->cpuAtStartUs;
            if (onHandled)
                onHandled(m_current);
        }
        if (++m_current >= count) {
            deactivate();
            return;
        }
        Call& next = m_records[std::size_t(m_current)];
        if (knownEvery > 0 && m_current % knownEvery == 0)
            next.kind = CallKind::Known;
        // Read after onHandled, whose own work belongs to no call.
        next.cycleStartUs = Bench::nowUs();
        next.cpuAtStartUs = Bench::cpuUs();
        m_expectedCount = m_app->state().TotalCalls + 1;
        // Placed from the event loop once the program has repainted after the last call, as
        // calls do that come seconds apart; a RING that came during that repaint would meet a
        // program busy with the previous call.
        QCoreApplication::postEvent(this, new QEvent(kPlaceCallEvent), Qt::LowEventPriority - 1);
    };
    // Generous: a stuck call ends the run with a note instead of hanging the benchmark.
    monitor(40 * m_timerIntervalMs + 5000);
    m_current = -1;
    return std::move(m_records);
}

MonitorBench::Noise MonitorBench::noise(int megabytes)
{
    Noise result;
    const QString chunk = kNoisePattern.repeated(kNoiseRepeats);
    qint64 sent = 0;
    qint64 cpuMark = 0;
    QString asReceived;
    qint64 ringReadUs = -1;
    const auto sendMore = [&] {
        QTimer::singleShot(0, this, [&] {
            m_sim.command(
                u"send "_s + QString(chunk).replace('\r', "\\r"_L1).replace('\n', "\\n"_L1));
            sent += chunk.size();
        });
    };
    m_cycleStart = [&] {
        if (sent > 0) {
            deactivate();
            return;
        }
        // What the modem answered before is gone from the buffer by now.
        asReceived.clear();
        cpuMark = Bench::cpuUs();
        sendMore();
    };
    m_link->onRead = [&](const QString& text) {
        // After the noise, one RING: timed as a call from the read that brought it.
        if (!m_records.empty()) {
            if (ringReadUs < 0 && text.contains("RING\r\n"_L1))
                ringReadUs = Bench::nowUs();
            return;
        }
        asReceived += text;
        if (asReceived.size() < sent)
            return;
        if (asReceived.size() >= qint64(result.cpuPerMegabyteUs.size() + 1) * kMegabyte) {
            result.cpuPerMegabyteUs.push_back(Bench::cpuUs() - cpuMark);
            cpuMark = Bench::cpuUs();
        }
        if (asReceived.size() < megabytes * kMegabyte) {
            sendMore();
            return;
        }
        QTimer::singleShot(0, this, [&] {
            result.bufferAsReceived = m_app->state().ReceiveBuffer == asReceived;
            m_records.assign(1, Call {});
            m_current = 0;
            m_expectedCount = m_app->state().TotalCalls + 1;
            m_sim.command(u"send \\r\\nRING\\r\\n"_s);
        });
    };
    monitor(kNoiseTimeLimitMs);
    m_link->onRead = nullptr;
    if (!m_records.empty() && m_records[0].countShownUs >= 0 && ringReadUs >= 0)
        result.ringReadToCountUs = m_records[0].countShownUs - ringReadUs;
    m_records.clear();
    m_current = -1;
    return result;
}
