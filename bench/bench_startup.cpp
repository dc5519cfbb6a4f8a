#include "Measure.h"
#include "Report.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

// Start-up of the real halvoren executable, a configured copy in a folder of its own: from
// starting the process to its main window's first frame handed to the window system, and its
// memory once it has come to rest. The frame is seen through Qt's own paint logging
// (qt.widgets.painting), so the program is the shipped one, unchanged; that logging costs the
// start-up a little, which the figure includes.
namespace {

constexpr double kStartupTargetMs = 300;
constexpr double kRestMemoryTargetMb = 40;
constexpr int kShownTimeoutMs = 20000;
constexpr int kRestMs = 1000;
const char* const kFlushLine = "Flushing QRegion";
const char* const kMainWindow = "name=\"Form1\"";

struct Run
{
    qint64 shownUs = -1;
    // The main thread's scheduling up to that moment.
    Measure::SchedStat scheduled;
    qint64 peakKb = -1;
    qint64 restKb = -1;
};

bool copyFile(const QString& from, const QString& to)
{
    QFile::remove(to);
    return QFile::copy(from, to);
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

bool prepare(const QString& folder)
{
    const QDir dir(folder);
    bool ok = copyFile(
        QStringLiteral(HALVOREN_BINARY_DIR "/halvoren"), dir.filePath(QStringLiteral("halvoren")));
    for (const char* asset : { "blank.bmp", "fail.wav", "readme.txt" })
        ok = ok
            && copyFile(QStringLiteral(HALVOREN_SOURCE_DIR "/assets/") + QLatin1String(asset),
                dir.filePath(QLatin1String(asset)));
    // Configured, so the main window is what the program shows first.
    return ok
        && writeFile(
            dir.filePath(QStringLiteral("cconfig.ini")), "com1:\r\nAT+VCID=1\r\nFalse\r\nFalse\r\n")
        && writeFile(dir.filePath(QStringLiteral("phone.ini")),
            QByteArray("+\r\n\r\n\r\n\r\n\r\n").repeated(5));
}

// Reads what the program writes on standard error for up to `ms`; true once a line holding
// both `first` and `second` has come (nullptr: just drain).
bool watch(int fd, std::string& pending, int ms, const char* first, const char* second)
{
    const qint64 until = Measure::nowUs() + qint64(ms) * 1000;
    for (;;) {
        const qint64 left = (until - Measure::nowUs()) / 1000;
        if (left <= 0)
            return false;
        pollfd in { fd, POLLIN, 0 };
        if (::poll(&in, 1, int(left)) <= 0)
            continue;
        char chunk[4096];
        const ssize_t count = ::read(fd, chunk, sizeof chunk);
        if (count <= 0)
            return false;
        pending.append(chunk, std::size_t(count));
        std::size_t end;
        while ((end = pending.find('\n')) != std::string::npos) {
            const std::string line = pending.substr(0, end);
            pending.erase(0, end + 1);
            if (first && line.find(first) != std::string::npos
                && line.find(second) != std::string::npos)
                return true;
        }
    }
}

// Starts `program`, times its first frame, and with `restMs` above 0 reads its memory that much
// later; then ends it.
Run startOnce(const std::string& program, int restMs)
{
    Run run;
    int errors[2];
    if (::pipe(errors) != 0)
        return run;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, errors[1], STDERR_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addclose(&actions, errors[0]);

    std::vector<std::string> environment { "QT_LOGGING_RULES=qt.widgets.painting=true" };
    for (char** entry = environ; *entry; ++entry) {
        if (std::strncmp(*entry, "QT_LOGGING_RULES=", 17) != 0)
            environment.emplace_back(*entry);
    }
    std::vector<char*> envp;
    for (std::string& entry : environment)
        envp.push_back(entry.data());
    envp.push_back(nullptr);
    char* argv[] = { const_cast<char*>(program.c_str()), nullptr };

    pid_t pid = 0;
    const qint64 startUs = Measure::nowUs();
    const int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, envp.data());
    posix_spawn_file_actions_destroy(&actions);
    ::close(errors[1]);
    if (spawned != 0) {
        ::close(errors[0]);
        return run;
    }
    std::string pending;
    if (watch(errors[0], pending, kShownTimeoutMs, kFlushLine, kMainWindow)) {
        run.shownUs = Measure::nowUs() - startUs;
        run.scheduled = Measure::schedStat(pid);
        if (restMs > 0) {
            watch(errors[0], pending, restMs, nullptr, nullptr);
            run.peakKb = Measure::statusKb("VmHWM", pid);
            run.restKb = Measure::statusKb("VmRSS", pid);
        }
    }
    ::kill(pid, SIGTERM);
    int status = 0;
    ::waitpid(pid, &status, 0);
    ::close(errors[0]);
    return run;
}

QString medianAndWorst(const std::vector<qint64>& us)
{
    return QStringLiteral("median %1, worst %2")
        .arg(Report::msFromUs(Measure::median(us)), Report::msFromUs(Measure::worst(us)));
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    const QString label = arguments.value(1, QStringLiteral("offscreen"));
    const int runs = arguments.value(2, QStringLiteral("10")).toInt();

    QTemporaryDir folder;
    if (!folder.isValid() || !prepare(folder.path()) || runs <= 0) {
        std::fprintf(stderr, "bench_startup: could not set up the program's folder\n");
        return 1;
    }
    const std::string program
        = QDir(folder.path()).filePath(QStringLiteral("halvoren")).toStdString();
    Report::heading(
        QStringLiteral("Start-up of the halvoren executable, %1, %2 starts").arg(label).arg(runs));
    std::vector<qint64> shown;
    std::vector<qint64> onCpu;
    std::vector<qint64> waiting;
    std::vector<qint64> peak;
    std::vector<qint64> rest;
    std::vector<qint64> blank;
    for (int i = 0; i < runs; ++i) {
        const Run run = startOnce(program, kRestMs);
        if (run.shownUs >= 0) {
            shown.push_back(run.shownUs);
            onCpu.push_back(run.scheduled.onCpuUs);
            waiting.push_back(run.scheduled.waitingUs);
            peak.push_back(run.peakKb);
            rest.push_back(run.restKb);
        }
        const Run baseline = startOnce(HALVOREN_BINARY_DIR "/bench/bench_blank_window", 0);
        if (baseline.shownUs >= 0)
            blank.push_back(baseline.shownUs);
    }
    if (shown.empty()) {
        Report::note(QStringLiteral("PROBLEM: the main window was never seen"));
        return 1;
    }
    const qint64 worstUs = Measure::worst(shown);
    Report::figure(QStringLiteral("process start -> main window shown"), medianAndWorst(shown),
        QStringLiteral("< %1 ms").arg(kStartupTargetMs), worstUs < kStartupTargetMs * 1000);
    Report::detail(QStringLiteral("  of it the main thread on a CPU"), medianAndWorst(onCpu));
    Report::detail(
        QStringLiteral("  of it waiting for a CPU others held"), medianAndWorst(waiting));
    Report::detail(QStringLiteral("an empty Qt window of that size, the same way"),
        blank.empty() ? QStringLiteral("not seen") : medianAndWorst(blank));
    const double peakMb = Measure::worst(peak) / 1024.0;
    Report::figure(QStringLiteral("peak memory, 1 s after the window showed"),
        QStringLiteral("%1 MB (resident then: %2 MB)")
            .arg(peakMb, 0, 'f', 1)
            .arg(Measure::median(rest) / 1024.0, 0, 'f', 1),
        QStringLiteral("< %1 MB").arg(kRestMemoryTargetMb), peakMb < kRestMemoryTargetMb);
    if (int(shown.size()) < runs)
        Report::note(QStringLiteral("PROBLEM: %1 of %2 starts never showed the main window")
                         .arg(runs - int(shown.size()))
                         .arg(runs));
    return int(shown.size()) == runs ? 0 : 1;
}
