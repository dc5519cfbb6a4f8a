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

qint64 statusKb(const char* field, qint64 pid)
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
