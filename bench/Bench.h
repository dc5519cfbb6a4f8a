#pragma once

#include <QString>
#include <vector>

// What the benchmarks read, the monotonic clock (the one modem-sim stamps its events with), this
// process's CPU time and memory figures from /proc, and how they print it: one line per figure,
// its target beside it, and whether it meets it.
namespace Bench {

// Microseconds on the monotonic clock.
qint64 nowUs();
// CPU time of this process so far, user and system, in microseconds.
qint64 cpuUs();
// A "Vm..." line of /proc/<pid>/status in kB (0 = this process); -1 when it cannot be read.
qint64 statusKb(const char* field, qint64 pid = 0);
// The middle and the largest of some values; -1 when there are none.
qint64 median(std::vector<qint64> values);
qint64 worst(const std::vector<qint64>& values);

void heading(const QString& text);
void note(const QString& text);
void figure(const QString& what, const QString& value, const QString& target, bool met);
// A figure that has no target of its own (context for the others).
void detail(const QString& what, const QString& value);

// Milliseconds with two decimals below 10 ms, whole ones above.
QString ms(double milliseconds);
QString msFromUs(qint64 microseconds);
// "median 0.40 ms, worst 3.53 ms"
QString medianAndWorst(const std::vector<qint64>& microseconds);
// With thousands separators: "10,000".
QString number(qint64 value);

} // namespace Bench
