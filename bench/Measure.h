#pragma once

#include <QtGlobal>
#include <sys/types.h>
#include <vector>

// Clocks and counters the benchmarks read: the monotonic clock (the one modem-sim stamps its
// events with), this process's CPU time, and memory figures from /proc.
namespace Measure {

// Microseconds on the monotonic clock.
qint64 nowUs();
// CPU time of this process so far, user and system, in microseconds.
qint64 cpuUs();
// What the scheduler reports of a thread (/proc/.../schedstat): its time on a CPU, and its time
// ready to run but waiting for a CPU that others held, in microseconds; -1 when not known.
struct SchedStat
{
    qint64 onCpuUs = -1;
    qint64 waitingUs = -1;
};
// The main thread of process `pid`.
SchedStat schedStat(pid_t pid);
// The calling thread's waiting time.
qint64 runQueueWaitUs();
// The machine's load average over the last minute.
double loadAverage();
// A "Vm..." line of /proc/<pid>/status in kB (0 = this process); -1 when it cannot be read.
qint64 statusKb(const char* field, pid_t pid = 0);

// CPU time of a fixed job (sorting 100,000 numbers), the least of three tries: how fast this
// machine runs right now, so a cost measured while other processes load it can be told apart
// from a cost that grew.
qint64 referenceJobUs();

// The middle and the largest of some values; -1 when there are none.
qint64 median(std::vector<qint64> values);
qint64 worst(const std::vector<qint64>& values);

} // namespace Measure
