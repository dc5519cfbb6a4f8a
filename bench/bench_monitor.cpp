#include "Bench.h"
#include "MonitorBench.h"
#include "windows/AppFonts.h"
#include "windows/main/Form1.h"

#include <QApplication>
#include <QLabel>
#include <algorithm>

using namespace Qt::StringLiterals;

// The call monitor's figures, one run per invocation (see bench/run.sh): CPU while it waits, how
// fast it reacts to the modem, what call 10, 1,000 and 10,000 of one run cost, and how it takes
// megabytes of line noise.
namespace {

using Call = MonitorBench::Call;
using CallKind = MonitorBench::CallKind;

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

QString fixed(double value, int decimals)
{
    return QString::number(value, 'f', decimals);
}

// Notes the calls the program did not take in full and any other problem; 0 when there was none.
// A ring whose caller ID came after six ticks is, by the rule, not counted: with shortened ticks
// a busy machine can delay the text that long.
int reportProblems(const MonitorBench& bench, const std::vector<Call>& records = {})
{
    const auto late = std::count_if(records.begin(), records.end(), [](const Call& call) {
        return call.countShownUs >= 0 && call.kind == CallKind::Blocked && call.dialUs < 0;
    });
    if (late > 0)
        Bench::note(u"%1 blocked calls rang, but their caller ID reached the program after six "
                    "shortened ticks; by the rule they were not counted."_s.arg(late));
    QStringList problems = bench.problems();
    const auto missing = std::count_if(
        records.begin(), records.end(), [](const Call& call) { return call.countShownUs < 0; });
    if (missing > 0)
        problems << u"%1 calls never showed their count"_s.arg(missing);
    for (const QString& problem : problems)
        Bench::note(u"PROBLEM: "_s + problem);
    return problems.isEmpty() ? 0 : 1;
}

int runIdle(MonitorBench& bench, int seconds, int intervalMs)
{
    Bench::heading(u"Monitoring with no calls: %1 s waiting for a ring (Timer1 at %2 ms, %3 "
                   "platform)"_s.arg(QString::number(seconds), QString::number(intervalMs),
                       QGuiApplication::platformName()));
    const auto [wallUs, cpuUs] = bench.idleUs(seconds);
    const double percent = wallUs > 0 ? 100.0 * cpuUs / wallUs : -1;
    Bench::figure(u"CPU use while waiting"_s,
        u"%1 % of one core (%2 ms CPU in %3 s)"_s.arg(
            fixed(percent, 3), fixed(cpuUs / 1000.0, 1), fixed(wallUs / 1e6, 1)),
        u"< %1 %"_s.arg(kIdleCpuTargetPercent), percent >= 0 && percent < kIdleCpuTargetPercent);
    return reportProblems(bench);
}

// A span split into the tick rule's share, a detail, and the program's own, the figure.
void reportSpan(const QString& what, const std::vector<qint64>& ticks,
    const std::vector<qint64>& own, const QString& rule)
{
    Bench::detail(what + u": tick share"_s, Bench::medianAndWorst(ticks) + rule);
    Bench::figure(what + u": program's own"_s, Bench::medianAndWorst(own),
        u"< %1 ms"_s.arg(kReactionTargetMs),
        !own.empty() && Bench::worst(own) < kReactionTargetMs * 1000);
}

int runReaction(MonitorBench& bench, int calls, int intervalMs, int cidDelayMs)
{
    Bench::heading(
        u"Reaction to the modem: %1 blocked calls, Timer1 at %2 ms%3, caller ID %4 ms after RING"_s
            .arg(QString::number(calls), QString::number(intervalMs),
                intervalMs == 500 ? QString() : u" (shortened)"_s, QString::number(cidDelayMs)));
    const std::vector<Call> records = bench.calls(calls, 0);
    std::vector<qint64> ringTicks, ringOwn, dialTicks, dialOwn;
    for (const Call& call : records) {
        if (call.ringUs >= 0 && call.countShownUs >= call.ringUs) {
            const qint64 tickShare = qMax<qint64>(0, call.tickBeforeCountUs - call.ringUs);
            ringTicks.push_back(tickShare);
            ringOwn.push_back(call.countShownUs - call.ringUs - tickShare);
        }
        if (call.cidUs >= 0 && call.collectionTickUs >= call.cidUs
            && call.dialUs >= call.collectionTickUs) {
            dialTicks.push_back(call.collectionTickUs - call.cidUs);
            dialOwn.push_back(call.dialUs - call.collectionTickUs);
        }
    }
    reportSpan(
        u"RING -> Label2(0) shown"_s, ringTicks, ringOwn, u" (the ring wait runs no timer)"_s);
    reportSpan(u"caller-ID end -> ATDT1 on the line"_s, dialTicks, dialOwn,
        u" (rule: the 2nd tick after the text, %1 to %2 ms)"_s.arg(intervalMs).arg(2 * intervalMs));
    return reportProblems(bench, records);
}

int runManyCalls(MonitorBench& bench, int calls, int intervalMs)
{
    Bench::heading(u"%1 calls in one run, Timer1 shortened to %2 ms, caller ID sent as soon as "
                   "the count shows"_s.arg(Bench::number(calls))
                       .arg(intervalMs));
    Bench::note(u"Calls 1, 10, 19, ... are the known caller, the others the blocked one; a round "
                "= a call and the eight before it."_s);
    bench.setCallerIdOnCount(true);
    std::vector<int> checkpoints;
    // The last known caller of the run is measured too, so its cost compares with call 10's.
    for (const int n : { 10, kGrowthFromCall, kPeakMemoryCalls, calls - (calls - 1) % kRound }) {
        if (n <= calls && std::find(checkpoints.begin(), checkpoints.end(), n) == checkpoints.end())
            checkpoints.push_back(n);
    }
    std::vector<qint64> logChars(std::size_t(calls) + 1, -1);
    std::vector<qint64> rssKb(std::size_t(calls) + 1, -1);
    qint64 peakKb = -1;
    Form1& form1 = bench.form1();
    const std::vector<Call> records = bench.calls(calls, kRound, [&](int index) {
        const std::size_t n = std::size_t(index) + 1;
        if (std::find(checkpoints.begin(), checkpoints.end(), int(n)) != checkpoints.end()) {
            logChars[n] = form1.logText().size();
            rssKb[n] = Bench::statusKb("VmRSS");
            peakKb = Bench::statusKb("VmHWM");
        }
    });

    double firstCall = -1;
    double firstRound = -1;
    for (const int n : checkpoints) {
        const double single = records[std::size_t(n - 1)].cpuUs / 1000.0;
        double round = 0;
        for (int i = n - kRound; i < n; ++i)
            round += records[std::size_t(i)].cpuUs / 1000.0 / kRound;
        const QString what = u"CPU for call %1 / per call of its round"_s.arg(Bench::number(n));
        const QString value = Bench::ms(single) + u" / "_s + Bench::ms(round);
        if (firstCall < 0) {
            firstCall = single;
            firstRound = round;
            Bench::detail(what, value);
        } else {
            Bench::figure(what, value,
                u"< %1 / %2"_s.arg(Bench::ms(kGrowthTargetFactor * firstCall),
                    Bench::ms(kGrowthTargetFactor * firstRound)),
                single >= 0 && single < kGrowthTargetFactor * firstCall
                    && round < kGrowthTargetFactor * firstRound);
        }
        Bench::detail(u"  log / resident memory after call %1"_s.arg(Bench::number(n)),
            u"%1 characters / %2 MB"_s.arg(
                Bench::number(logChars[std::size_t(n)]), fixed(rssKb[std::size_t(n)] / 1024.0, 1)));
    }
    const int last = checkpoints.back();
    if (last > kGrowthFromCall && rssKb[std::size_t(kGrowthFromCall)] >= 0) {
        const double perCallKb
            = double(rssKb[std::size_t(last)] - rssKb[std::size_t(kGrowthFromCall)])
            / (last - kGrowthFromCall);
        Bench::figure(u"memory grown per call, call %1 to %2"_s.arg(
                          Bench::number(kGrowthFromCall), Bench::number(last)),
            u"%1 kB"_s.arg(fixed(perCallKb, 2)), u"< %1 kB"_s.arg(kGrowthPerCallTargetKb),
            perCallKb < kGrowthPerCallTargetKb);
    }
    const double peakMb = peakKb / 1024.0;
    const double peakTargetMb
        = kPeakMemoryTargetMb + qMax(0, calls - kPeakMemoryCalls) * kGrowthPerCallTargetKb / 1024;
    Bench::figure(u"peak memory after %1 calls"_s.arg(Bench::number(calls)),
        u"%1 MB"_s.arg(fixed(peakMb, 1)), u"< %1 MB"_s.arg(fixed(peakTargetMb, 0)),
        peakMb < peakTargetMb);
    Bench::detail(u"Total Calls / Total Blocked as the window shows them"_s,
        form1.Label2[0]->text() + u" / "_s + form1.Label2[1]->text());
    return reportProblems(bench, records);
}

int runNoise(MonitorBench& bench, int megabytes, int intervalMs)
{
    Bench::heading(u"Line noise: %1 MB without \"RING\" CR LF while waiting for a ring, then a "
                   "RING (Timer1 shortened to %2 ms)"_s.arg(megabytes)
                       .arg(intervalMs));
    const MonitorBench::Noise noise = bench.noise(megabytes);
    const std::vector<qint64>& cpu = noise.cpuPerMegabyteUs;
    if (cpu.size() >= 2) {
        Bench::detail(u"CPU for the 1st megabyte"_s, Bench::msFromUs(cpu[0]));
        Bench::figure(u"CPU for megabyte %1"_s.arg(cpu.size()), Bench::msFromUs(cpu.back()),
            u"< %1 (2 x 1st)"_s.arg(Bench::msFromUs(qint64(kGrowthTargetFactor * cpu[0]))),
            cpu.back() < kGrowthTargetFactor * cpu[0]);
    }
    Bench::detail(u"ReceiveBuffer when the RING came"_s,
        noise.bufferAsReceived ? u"exactly the text received"_s : u"NOT the text received"_s);
    // The modem does not time a lone RING sent by command, so the figure runs from the
    // program's read of it.
    const qint64 ringUs = noise.ringReadToCountUs;
    Bench::figure(u"RING after the noise: read -> Label2(0) shown"_s,
        ringUs >= 0 ? Bench::msFromUs(ringUs) : u"not seen"_s, u"< %1 ms"_s.arg(kReactionTargetMs),
        ringUs >= 0 && ringUs < kReactionTargetMs * 1000);
    return reportProblems(bench) + (noise.bufferAsReceived ? 0 : 1);
}

} // namespace

// bench_monitor idle SECONDS | reaction CALLS INTERVAL CID-DELAY | calls CALLS INTERVAL |
// noise MEGABYTES INTERVAL; INTERVAL is Timer1's period (500 ms), CID-DELAY the caller ID's
// delay after RING (200 ms), both in milliseconds.
int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    AppFonts::install();
    const QStringList arguments = QCoreApplication::arguments();
    const QString run = arguments.value(1);
    const int n = arguments.value(2).toInt();
    const int intervalMs = arguments.value(3, u"500"_s).toInt();
    const int cidDelayMs = arguments.value(4, u"200"_s).toInt();
    if (intervalMs <= 0 || n <= 0
        || !QStringList { "idle", "reaction", "calls", "noise" }.contains(run)) {
        std::fputs("usage: bench_monitor idle|reaction|calls|noise COUNT [INTERVAL [CID-DELAY]]\n",
            stderr);
        return 2;
    }
    // One ring per call, so every RING the modem sends belongs to the call just placed.
    MonitorBench bench(intervalMs,
        { "--rings", "1", "--cid-delay", QString::number(cidDelayMs), "--clock", "12061945" });
    if (!bench.start())
        return 1;
    if (run == "idle"_L1)
        return runIdle(bench, n, intervalMs);
    if (run == "reaction"_L1)
        return runReaction(bench, n, intervalMs, cidDelayMs);
    if (run == "calls"_L1)
        return runManyCalls(bench, n, intervalMs);
    return runNoise(bench, n, intervalMs);
}
