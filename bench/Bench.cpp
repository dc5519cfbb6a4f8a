#include "Bench.h"

#include <QLocale>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <sys/resource.h>

using namespace Qt::StringLiterals;

namespace Bench {

namespace {

    void print(const QString& line)
    {
        std::fputs(qPrintable(line + u'\n'), stdout);
        std::fflush(stdout);
    }

} // namespace

qint64 nowUs()
{
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return std::chrono::duration_cast<std::chrono::microseconds>(now).count();
}

qint64 cpuUs()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    const auto us
        = [](const timeval& time) { return qint64(time.tv_sec) * 1000000 + time.tv_usec; };
    return us(usage.ru_utime) + us(usage.ru_stime);
}

qint64 statusKb(const char* field, qint64 pid)
{
    std::ifstream status(
        pid == 0 ? std::string("/proc/self/status") : "/proc/" + std::to_string(pid) + "/status");
    const std::string prefix = std::string(field) + ":";
    for (std::string line; std::getline(status, line);) {
        if (line.compare(0, prefix.size(), prefix) == 0)
            return std::stoll(line.substr(prefix.size()));
    }
    return -1;
}

qint64 median(std::vector<qint64> values)
{
    if (values.empty())
        return -1;
    const auto middle = values.begin() + values.size() / 2;
    std::nth_element(values.begin(), middle, values.end());
    return *middle;
}

qint64 worst(const std::vector<qint64>& values)
{
    return values.empty() ? -1 : *std::max_element(values.begin(), values.end());
}

void heading(const QString& text)
{
    print(u"\n"_s + text);
}

void note(const QString& text)
{
    print(u"  "_s + text);
}

void figure(const QString& what, const QString& value, const QString& target, bool met)
{
    detail(what,
        value.leftJustified(34) + u" target "_s + target.leftJustified(14) + u"  "_s
            + (met ? u"met"_s : u"MISSED"_s));
}

void detail(const QString& what, const QString& value)
{
    note(what.leftJustified(52, u'.') + u' ' + value);
}

QString ms(double milliseconds)
{
    return u"%1 ms"_s.arg(milliseconds, 0, 'f', milliseconds < 10 ? 2 : 0);
}

QString msFromUs(qint64 microseconds)
{
    return ms(microseconds / 1000.0);
}

QString medianAndWorst(const std::vector<qint64>& microseconds)
{
    return u"median %1, worst %2"_s.arg(
        msFromUs(median(microseconds)), msFromUs(worst(microseconds)));
}

QString number(qint64 value)
{
    return QLocale(QLocale::English).toString(value);
}

} // namespace Bench
