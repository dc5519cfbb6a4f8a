#pragma once

#include <QtGlobal>
#include <vector>

// Clocks and counters the benchmarks read: the monotonic clock (the one modem-sim stamps its
// events with), this process's CPU time, and memory figures from /proc.
namespace Measure {

// Microseconds on the monotonic clock.
qint64 nowUs();
// CPU time of this process so far, user and system, in microseconds.
qint64 cpuUs();
// A "Vm..." line of /proc/<pid>/status in kB (0 = this process); -1 when it cannot be read.
qint64 statusKb(const char* field, qint64 pid = 0);

// The middle and the largest of some values; -1 when there are none.
qint64 median(std::vector<qint64> values);
qint64 worst(const std::vector<qint64>& values);

} // namespace Measure
