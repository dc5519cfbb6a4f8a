#include "Measure.h"
#include "MonitorBench.h"
#include "Report.h"
#include "state/AppState.h"
#include "windows/AppFonts.h"
#include "windows/main/Form1.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QLabel>
#include <algorithm>
#include <cstdio>

// The call monitor's figures, one run per invocation (see bench/run.sh): CPU while it waits, how
// fast it reacts to the modem, what call 10, 1,000 and 10,000 of one run cost, and how it takes
// megabytes of line noise.
namespace {

constexpr double kIdleCpuTargetPercent = 0.5;
constexpr double kReactionTargetMs = 5;
constexpr double kGrowthTargetFactor = 2;
// Peak memory after 10,000 calls; a longer run may add the growth allowed per call.
constexpr double kPeakMemoryTargetMb = 40;
constexpr int kPeakMemoryCalls = 10000;
constexpr double kGrowthPerCallTargetKb = 1;
constexpr int kGrowthFromCall = 1000;
// The many-call run's mix repeats every nine calls: one known caller, then eight blocked ones.
constexpr int kRound = 9;
// The cost trend after the checkpoints: about ten steps, each a whole number of rounds.
constexpr int kTrendSteps = 10;
// TotalCalls and LogEntryCount are 16-bit: the call that steps one past 32,767 is the program's
// overflow failure. A longer run sets them back before that, as Clear log does, but keeps the log.
constexpr int kCounterSetBack = 30000;

QString number(qint64 value)
{
    return QLocale(QLocale::English).toString(value);
}

// What one pass over the posted events costs when none can be delivered, in microseconds: the
// least of a few tries of a batch, so the first, which may still paint, does not count. Events
// Qt holds back (deletions asked for inside the monitor's loop) make it grow.
double postedEventsPassUs()
{
    constexpr int kBatch = 200;
    constexpr int kTries = 4;
    qint64 least = -1;
    for (int i = 0; i < kTries; ++i) {
        const qint64 before = Measure::cpuUs();
        for (int k = 0; k < kBatch; ++k)
            QCoreApplication::sendPostedEvents();
        const qint64 spent = Measure::cpuUs() - before;
        if (least < 0 || spent < least)
            least = spent;
    }
    return double(least) / kBatch;
}

QString medianAndWorst(const std::vector<qint64>& us)
{
    return QStringLiteral("median %1, worst %2")
        .arg(Report::msFromUs(Measure::median(us)), Report::msFromUs(Measure::worst(us)));
}

// Calls the program did not take in full. A ring whose caller ID came after six ticks is, by the
// rule, not counted: with shortened ticks a busy machine can delay the text that long.
void reportUnhandled(const std::vector<CallRecord>& records)
{
    int late = 0;
    int missing = 0;
    for (const CallRecord& call : records) {
        const bool handled
            = call.kind == CallKind::Blocked ? call.dialUs >= 0 : call.announcedUs >= 0;
        if (call.countShownUs < 0)
            ++missing;
        else if (!handled)
            ++late;
    }
    if (late > 0) {
        Report::note(QStringLiteral("%1 of %2 calls rang, but their caller ID reached the program "
                                    "after six shortened ticks;")
                         .arg(late)
                         .arg(records.size()));
        Report::note(QStringLiteral("by the rule they were not counted (the modem or the program "
                                    "waited for a CPU, load %1).")
                         .arg(QString::number(Measure::loadAverage(), 'f', 1)));
    }
    if (missing > 0)
        Report::note(QStringLiteral("PROBLEM: %1 calls never showed their count").arg(missing));
}

bool reportProblems(const MonitorBench& bench)
{
    for (const QString& problem : bench.problems())
        Report::note(QStringLiteral("PROBLEM: ") + problem);
    return bench.problems().isEmpty();
}

int runIdle(MonitorBench& bench, int seconds, int intervalMs)
{
    Report::heading(
        QStringLiteral("Monitoring with no calls: %1 s waiting for a ring (Timer1 at %2 "
                       "ms, %3 platform)")
            .arg(seconds)
            .arg(intervalMs)
            .arg(QGuiApplication::platformName()));
    const MonitorBench::Idle idle = bench.idle(seconds);
    const double percent = idle.wallUs > 0 ? 100.0 * idle.cpuUs / idle.wallUs : -1;
    Report::figure(QStringLiteral("CPU use while waiting"),
        QStringLiteral("%1 % of one core (%2 ms CPU in %3 s)")
            .arg(percent, 0, 'f', 3)
            .arg(idle.cpuUs / 1000.0, 0, 'f', 1)
            .arg(idle.wallUs / 1e6, 0, 'f', 1),
        QStringLiteral("< %1 %").arg(kIdleCpuTargetPercent),
        percent >= 0 && percent < kIdleCpuTargetPercent);
    Report::detail(QStringLiteral("wake-ups: polls of the port, Timer1 ticks"),
        QStringLiteral("%1 polls, %2 ticks").arg(idle.polls).arg(idle.ticks));
    return reportProblems(bench) ? 0 : 1;
}

int runReaction(MonitorBench& bench, int calls, int intervalMs, int cidDelayMs)
{
    Report::heading(QStringLiteral("Reaction to the modem: %1 blocked calls, Timer1 at %2 ms%3, "
                                   "caller ID %4 ms after RING")
                        .arg(calls)
                        .arg(intervalMs)
                        .arg(intervalMs == 500 ? QString() : QStringLiteral(" (shortened)"))
                        .arg(cidDelayMs));
    const std::vector<CallRecord> records
        = bench.calls(calls, [](int) { return CallKind::Blocked; });
    reportUnhandled(records);

    // Each span split into the tick rule's share and the program's own, and of the latter the
    // time the program stood ready but another process had the CPU.
    std::vector<qint64> ringTicks;
    std::vector<qint64> ringOwn;
    std::vector<qint64> ringQueued;
    std::vector<qint64> ringDelivered;
    std::vector<qint64> ringRead;
    std::vector<qint64> dialTicks;
    std::vector<qint64> dialOwn;
    std::vector<qint64> dialQueued;
    std::vector<qint64> dialRead;
    for (const CallRecord& call : records) {
        if (call.ringUs >= 0 && call.countShownUs >= call.ringUs) {
            const qint64 tickShare
                = call.tickBeforeCountUs > call.ringUs ? call.tickBeforeCountUs - call.ringUs : 0;
            ringTicks.push_back(tickShare);
            ringOwn.push_back(call.countShownUs - call.ringUs - tickShare);
            ringQueued.push_back(call.queuedAtCountUs - call.queuedAtPlaceUs);
            if (call.ringReadUs >= call.ringUs && call.countShownUs >= call.ringReadUs) {
                ringDelivered.push_back(call.ringReadUs - call.ringUs);
                ringRead.push_back(call.countShownUs - call.ringReadUs);
            }
        }
        if (call.cidUs >= 0 && call.collectionTickUs >= call.cidUs
            && call.dialUs >= call.collectionTickUs) {
            dialTicks.push_back(call.collectionTickUs - call.cidUs);
            dialOwn.push_back(call.dialUs - call.collectionTickUs);
            dialQueued.push_back(call.queuedAtDialUs - call.queuedAtTickUs);
            if (call.modemDialUs >= call.collectionTickUs)
                dialRead.push_back(call.modemDialUs - call.collectionTickUs);
        }
    }
    const auto ownWithoutQueue
        = [](const std::vector<qint64>& own, const std::vector<qint64>& queued) {
              std::vector<qint64> rest;
              // The wait is read from just before the modem spoke, so it can exceed the span a
              // little.
              for (std::size_t i = 0; i < own.size(); ++i)
                  rest.push_back(qMax<qint64>(0, own[i] - queued[i]));
              return rest;
          };

    Report::detail(QStringLiteral("RING -> Label2(0) shown: tick share"),
        medianAndWorst(ringTicks) + QStringLiteral(" (the ring wait runs no timer)"));
    Report::figure(QStringLiteral("RING -> Label2(0) shown: program's own"),
        medianAndWorst(ringOwn), QStringLiteral("< %1 ms").arg(kReactionTargetMs),
        !ringOwn.empty() && Measure::worst(ringOwn) < kReactionTargetMs * 1000);
    Report::detail(
        QStringLiteral("  of it waiting for a CPU others held"), medianAndWorst(ringQueued));
    Report::detail(
        QStringLiteral("  the rest"), medianAndWorst(ownWithoutQueue(ringOwn, ringQueued)));
    Report::detail(QStringLiteral("  RING on the line -> the program's read returned it"),
        medianAndWorst(ringDelivered));
    Report::detail(
        QStringLiteral("  that read -> the new count painted"), medianAndWorst(ringRead));
    Report::detail(QStringLiteral("caller-ID end -> ATDT1 on the line: tick share"),
        medianAndWorst(dialTicks)
            + QStringLiteral(" (rule: the 2nd tick after the text, %1 to %2 ms)")
                  .arg(intervalMs)
                  .arg(2 * intervalMs));
    Report::figure(QStringLiteral("caller-ID end -> ATDT1 on the line: program's own"),
        medianAndWorst(dialOwn), QStringLiteral("< %1 ms").arg(kReactionTargetMs),
        !dialOwn.empty() && Measure::worst(dialOwn) < kReactionTargetMs * 1000);
    Report::detail(
        QStringLiteral("  of it waiting for a CPU others held"), medianAndWorst(dialQueued));
    Report::detail(
        QStringLiteral("  the rest"), medianAndWorst(ownWithoutQueue(dialOwn, dialQueued)));
    Report::detail(QStringLiteral("  until the modem had read it"), medianAndWorst(dialRead));
    Report::detail(QStringLiteral("calls measured"),
        QStringLiteral("%1 of %2 (RING), %3 of %2 (ATDT1)")
            .arg(ringOwn.size())
            .arg(calls)
            .arg(dialOwn.size()));
    return reportProblems(bench) ? 0 : 1;
}

int runManyCalls(MonitorBench& bench, int calls, int intervalMs)
{
    Report::heading(QStringLiteral("%1 calls in one run, Timer1 shortened to %2 ms, caller ID sent "
                                   "as soon as the count shows")
                        .arg(number(calls))
                        .arg(intervalMs));
    bench.setCallerIdOnCount(true);
    Report::note(
        QStringLiteral("Calls 1, 10, 19, ... (every 9th, so every call measured below) are the "
                       "known caller: logged, picture shown, sound started,"));
    Report::note(QStringLiteral("ringing waited out, port closed and reopened. The others are a "
                                "blocked caller: logged, ATDT1, counted as blocked."));
    Report::note(QStringLiteral("CPU of a call: this process, from the cycle that took it to the "
                                "next; a round = that call and the eight before it."));
    Report::note(QStringLiteral("The reference job (sorting 100,000 numbers) shows how fast the "
                                "shared machine ran at that moment."));
    if (calls > kCounterSetBack)
        Report::note(QStringLiteral("TotalCalls and LogEntryCount are 16-bit: every %1 calls the "
                                    "run sets them back to 0, as Clear log does, keeping the log.")
                         .arg(number(kCounterSetBack)));
    std::vector<int> checkpoints;
    // The last known caller of the run is measured too, so its cost compares with call 10's.
    const int lastKnown = calls - (calls - 1) % kRound;
    for (const int n : { 10, kGrowthFromCall, kPeakMemoryCalls, lastKnown }) {
        if (n <= calls && std::find(checkpoints.begin(), checkpoints.end(), n) == checkpoints.end())
            checkpoints.push_back(n);
    }
    std::vector<qint64> logChars(std::size_t(calls) + 1, -1);
    std::vector<qint64> rssKb(std::size_t(calls) + 1, -1);
    // The reference job's cost after each block of the trend, and at each checkpoint.
    std::vector<qint64> referenceUs(std::size_t(calls) + 1, -1);
    std::vector<double> passUs(std::size_t(calls) + 1, -1);
    qint64 peakKb = -1;
    const int trendBlock = qMax(1, calls / kTrendSteps / kRound) * kRound;
    Form1& form1 = bench.form1();
    const std::vector<CallRecord> records = bench.calls(
        calls,
        [](int index) { return (index + 1) % kRound == 1 ? CallKind::Known : CallKind::Blocked; },
        [&](int index, const CallRecord&) {
            const int n = index + 1;
            const bool checkpoint
                = std::find(checkpoints.begin(), checkpoints.end(), n) != checkpoints.end();
            if (checkpoint) {
                logChars[std::size_t(n)] = form1.logText().size();
                rssKb[std::size_t(n)] = Measure::statusKb("VmRSS");
                peakKb = Measure::statusKb("VmHWM");
                passUs[std::size_t(n)] = postedEventsPassUs();
            }
            if (checkpoint || n % trendBlock == 0)
                referenceUs[std::size_t(n)] = Measure::referenceJobUs();
            if (n % kCounterSetBack == 0) {
                bench.state().TotalCalls = 0;
                bench.state().LogEntryCount = 0;
            }
        });
    reportUnhandled(records);

    double firstCall = -1;
    double firstRound = -1;
    for (const int n : checkpoints) {
        const CallRecord& call = records[std::size_t(n - 1)];
        qint64 roundUs = 0;
        for (int i = n - kRound; i < n; ++i)
            roundUs += records[std::size_t(i)].cpuUs;
        const double single = call.cpuUs / 1000.0;
        const double round = roundUs / 1000.0 / kRound;
        const QString what
            = QStringLiteral("CPU for call %1 / per call of its round").arg(number(n));
        const QString value = QStringLiteral("%1 / %2").arg(Report::ms(single), Report::ms(round));
        if (firstCall < 0) {
            firstCall = single;
            firstRound = round;
            Report::detail(what, value);
        } else {
            Report::figure(what, value,
                QStringLiteral("< %1 / %2")
                    .arg(Report::ms(kGrowthTargetFactor * firstCall),
                        Report::ms(kGrowthTargetFactor * firstRound)),
                call.cpuUs >= 0 && single < kGrowthTargetFactor * firstCall
                    && round < kGrowthTargetFactor * firstRound);
        }
        Report::detail(QStringLiteral("  RING -> Label2(0) shown, call %1").arg(number(n)),
            call.countShownUs >= call.ringUs && call.ringUs >= 0
                ? Report::msFromUs(call.countShownUs - call.ringUs)
                : QStringLiteral("not seen"));
        Report::detail(QStringLiteral("  then: reference job / a pass over posted events"),
            QStringLiteral("%1 / %2 us")
                .arg(Report::msFromUs(referenceUs[std::size_t(n)]))
                .arg(passUs[std::size_t(n)], 0, 'f', 1));
        Report::detail(QStringLiteral("  log / resident memory after call %1").arg(number(n)),
            QStringLiteral("%1 characters / %2 MB")
                .arg(number(logChars[std::size_t(n)]))
                .arg(rssKb[std::size_t(n)] / 1024.0, 0, 'f', 1));
    }
    if (calls >= trendBlock * 2) {
        QStringList means;
        QStringList cheapest;
        QStringList references;
        for (int first = 0; first + trendBlock <= calls; first += trendBlock) {
            qint64 sumUs = 0;
            qint64 leastUs = -1;
            for (int i = first; i < first + trendBlock; ++i) {
                const qint64 us = records[std::size_t(i)].cpuUs;
                sumUs += us;
                if (leastUs < 0 || us < leastUs)
                    leastUs = us;
            }
            means << QString::number(sumUs / 1000.0 / trendBlock, 'f', 2);
            cheapest << QString::number(leastUs / 1000.0, 'f', 2);
            references << QString::number(
                referenceUs[std::size_t(first + trendBlock)] / 1000.0, 'f', 2);
        }
        Report::detail(
            QStringLiteral("CPU per call, mean of each %1 calls (ms)").arg(number(trendBlock)),
            means.join(u' '));
        // Other processes only ever add to a call's CPU time; the cheapest call shows the floor.
        Report::detail(QStringLiteral("  the cheapest call of each (ms)"), cheapest.join(u' '));
        Report::detail(
            QStringLiteral("  the reference job after each of them (ms)"), references.join(u' '));
    }
    const int last = checkpoints.back();
    if (last > kGrowthFromCall && rssKb[std::size_t(kGrowthFromCall)] >= 0) {
        const double perCallKb
            = double(rssKb[std::size_t(last)] - rssKb[std::size_t(kGrowthFromCall)])
            / (last - kGrowthFromCall);
        Report::figure(QStringLiteral("memory grown per call, call %1 to %2")
                           .arg(number(kGrowthFromCall), number(last)),
            QStringLiteral("%1 kB").arg(perCallKb, 0, 'f', 2),
            QStringLiteral("< %1 kB").arg(kGrowthPerCallTargetKb),
            perCallKb < kGrowthPerCallTargetKb);
    }
    const double peakMb = peakKb / 1024.0;
    const double peakTargetMb
        = kPeakMemoryTargetMb + qMax(0, calls - kPeakMemoryCalls) * kGrowthPerCallTargetKb / 1024;
    Report::figure(QStringLiteral("peak memory after %1 calls").arg(number(calls)),
        QStringLiteral("%1 MB").arg(peakMb, 0, 'f', 1),
        QStringLiteral("< %1 MB").arg(peakTargetMb, 0, 'f', 0), peakMb < peakTargetMb);
    Report::detail(QStringLiteral("Total Calls / Total Blocked as the window shows them"),
        form1.Label2[0]->text() + QStringLiteral(" / ") + form1.Label2[1]->text());
    return reportProblems(bench) ? 0 : 1;
}

int runNoise(MonitorBench& bench, int megabytes, int intervalMs)
{
    Report::heading(
        QStringLiteral("Line noise: %1 MB without \"RING\" CR LF while waiting for a ring, "
                       "then a RING (Timer1 shortened to %2 ms)")
            .arg(megabytes)
            .arg(intervalMs));
    const MonitorBench::Noise noise = bench.noise(megabytes);
    if (noise.cpuPerMegabyteUs.size() >= 2) {
        const double first = noise.cpuPerMegabyteUs.front() / 1000.0;
        const double last = noise.cpuPerMegabyteUs.back() / 1000.0;
        Report::detail(QStringLiteral("CPU for the 1st megabyte"),
            QStringLiteral("%1 (%2 polls)")
                .arg(Report::ms(first))
                .arg(noise.pollsPerMegabyte.front()));
        Report::figure(QStringLiteral("CPU for megabyte %1").arg(noise.cpuPerMegabyteUs.size()),
            QStringLiteral("%1 (%2 polls)")
                .arg(Report::ms(last))
                .arg(noise.pollsPerMegabyte.back()),
            QStringLiteral("< %1 (2 x 1st)").arg(Report::ms(kGrowthTargetFactor * first)),
            last < kGrowthTargetFactor * first);
    }
    Report::detail(QStringLiteral("ReceiveBuffer when the RING came"),
        QStringLiteral("%1 characters, %2")
            .arg(number(noise.bufferChars))
            .arg(noise.bufferAsReceived ? QStringLiteral("exactly the text received")
                                        : QStringLiteral("NOT the text received")));
    // The modem does not time a lone RING sent by command, so the figure runs from the
    // program's read of it; the time from the command is shown beside it.
    Report::figure(QStringLiteral("RING after the noise: read -> Label2(0) shown"),
        noise.ringReadToCountUs >= 0 ? Report::msFromUs(noise.ringReadToCountUs)
                                     : QStringLiteral("not seen"),
        QStringLiteral("< %1 ms").arg(kReactionTargetMs),
        noise.ringReadToCountUs >= 0 && noise.ringReadToCountUs / 1000.0 < kReactionTargetMs);
    Report::detail(QStringLiteral("  from the command to the modem"),
        noise.ringToCountUs >= 0 ? Report::msFromUs(noise.ringToCountUs)
                                 : QStringLiteral("not seen"));
    return reportProblems(bench) && noise.bufferAsReceived ? 0 : 1;
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    AppFonts::install();

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Call monitor benchmarks; see bench/run.sh."));
    parser.addHelpOption();
    parser.addPositionalArgument(
        QStringLiteral("run"), QStringLiteral("idle, reaction, calls or noise"));
    const QCommandLineOption interval(QStringLiteral("interval"), QStringLiteral("Timer1 period"),
        QStringLiteral("ms"), QStringLiteral("500"));
    const QCommandLineOption cidDelay(QStringLiteral("cid-delay"),
        QStringLiteral("caller ID after RING"), QStringLiteral("ms"), QStringLiteral("200"));
    const QCommandLineOption count(QStringLiteral("count"),
        QStringLiteral("seconds (idle), calls (reaction, calls) or megabytes (noise)"),
        QStringLiteral("n"), QStringLiteral("30"));
    parser.addOptions({ interval, cidDelay, count });
    parser.process(app);
    const QString run = parser.positionalArguments().value(0);
    const int intervalMs = parser.value(interval).toInt();
    const int cidDelayMs = parser.value(cidDelay).toInt();
    const int n = parser.value(count).toInt();
    if (intervalMs <= 0 || n <= 0
        || !QStringList { "idle", "reaction", "calls", "noise" }.contains(run)) {
        parser.showHelp(2);
    }

    // One ring per call, so every RING the modem sends belongs to the call just placed.
    MonitorBench bench(intervalMs,
        { QStringLiteral("--rings"), QStringLiteral("1"), QStringLiteral("--cid-delay"),
            QString::number(cidDelayMs), QStringLiteral("--clock"), QStringLiteral("12061945") });
    if (!bench.start())
        return 1;
    if (run == QLatin1String("idle"))
        return runIdle(bench, n, intervalMs);
    if (run == QLatin1String("reaction"))
        return runReaction(bench, n, intervalMs, cidDelayMs);
    if (run == QLatin1String("calls"))
        return runManyCalls(bench, n, intervalMs);
    return runNoise(bench, n, intervalMs);
}
