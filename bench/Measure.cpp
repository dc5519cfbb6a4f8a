#include "Measure.h"

#include <algorithm>
#include <chrono>
#include <fstream>
#include <string>
#include <sys/resource.h>

namespace Measure {

qint64 nowUs()
{
    return std::chrono::duration_cast<std::chrono::microseconds>(
        std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

qint64 cpuUs()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    const auto us
        = [](const timeval& time) { return qint64(time.tv_sec) * 1000000 + time.tv_usec; };
    return us(usage.ru_utime) + us(usage.ru_stime);
}

namespace {

    SchedStat readSchedStat(const std::string& path)
    {
        std::ifstream file(path);
        long long onCpuNs = -1000;
        long long waitingNs = -1000;
        file >> onCpuNs >> waitingNs;
        return { onCpuNs / 1000, waitingNs / 1000 };
    }

} // namespace

SchedStat schedStat(pid_t pid)
{
    return readSchedStat("/proc/" + std::to_string(pid) + "/schedstat");
}

qint64 runQueueWaitUs()
{
    return readSchedStat("/proc/thread-self/schedstat").waitingUs;
}

double loadAverage()
{
    std::ifstream loadavg("/proc/loadavg");
    double lastMinute = -1;
    loadavg >> lastMinute;
    return lastMinute;
}

qint64 statusKb(const char* field, pid_t pid)
{
    std::ifstream status(
        pid == 0 ? std::string("/proc/self/status") : "/proc/" + std::to_string(pid) + "/status");
    const std::string prefix = std::string(field) + ":";
    std::string line;
    while (std::getline(status, line)) {
        if (line.compare(0, prefix.size(), prefix) == 0)
            return std::stoll(line.substr(prefix.size()));
    }
    return -1;
}

qint64 referenceJobUs()
{
    constexpr int kNumbers = 100000;
    constexpr int kTries = 3;
    std::vector<quint32> numbers(kNumbers);
    quint32 seed = 12345;
    for (quint32& number : numbers) {
        seed = seed * 1664525u + 1013904223u;
        number = seed;
    }
    qint64 least = -1;
    for (int i = 0; i < kTries; ++i) {
        std::vector<quint32> work = numbers;
        const qint64 before = cpuUs();
        std::sort(work.begin(), work.end());
        const qint64 spent = cpuUs() - before;
        if (least < 0 || spent < least)
            least = spent;
    }
    return least;
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

} // namespace Measure
