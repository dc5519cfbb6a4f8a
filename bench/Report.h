#pragma once

#include <QString>
#include <vector>

// The benchmarks' output: one line per figure, its target beside it, and whether it meets it.
namespace Report {

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

} // namespace Report
