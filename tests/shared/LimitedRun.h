// A program run in a child process under a time and memory limit, for the hostile
// rows: a hang or a blow-up fails the row; what the run cost is printed, never asserted.
#pragma once

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace limitedrun {

// Generous for a keyboard that takes tens of milliseconds and a few MiB (its whole
// address space is under 200 MiB), fatal to one that expands a list or waits.
constexpr rlim_t addressSpaceLimit = rlim_t{512} << 20;
constexpr rlim_t cpuSecondsLimit = 2;
constexpr auto wallClockLimit = std::chrono::seconds(10);

struct LimitedRun {
    int exitCode = -1; // -signal when killed by one
    bool timedOut = false;
    std::string standardOutput, standardError;
    double cpuMilliseconds = 0, wallMilliseconds = 0;
    long maxResidentKiB = 0;
};

// Runs `arguments` with standard output and error in files of `folder` (and standard
// input from `input`, when named), killed when it outlives the wall-clock limit.
inline LimitedRun runLimited(const std::vector<std::string>& arguments,
                             const std::filesystem::path& folder,
                             const std::filesystem::path& input = {}) {
    const std::filesystem::path out = folder / "stdout", err = folder / "stderr";
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = fork();
    if (pid == 0) {
#if defined(__SANITIZE_ADDRESS__)
        // The sanitizer reserves terabytes of address space: cap what is resident.
        setenv("ASAN_OPTIONS", "hard_rss_limit_mb=512", 1);
#else
        rlimit memory{addressSpaceLimit, addressSpaceLimit};
        setrlimit(RLIMIT_AS, &memory);
#endif
        rlimit cpu{cpuSecondsLimit, cpuSecondsLimit};
        setrlimit(RLIMIT_CPU, &cpu);
        dup2(open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), 1);
        dup2(open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), 2);
        if (!input.empty()) {
            dup2(open(input.c_str(), O_RDONLY), 0);
        }
        std::vector<char*> argv;
        argv.reserve(arguments.size() + 1);
        for (const std::string& argument : arguments) {
            argv.push_back(const_cast<char*>(argument.c_str()));
        }
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    LimitedRun run;
    int status = 0;
    rusage usage{};
    while (wait4(pid, &status, WNOHANG, &usage) == 0) {
        if (std::chrono::steady_clock::now() - start > wallClockLimit) {
            run.timedOut = true;
            kill(pid, SIGKILL);
            wait4(pid, &status, 0, &usage);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    auto milliseconds = [](timeval t) { return t.tv_sec * 1e3 + t.tv_usec / 1e3; };
    run.wallMilliseconds =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    run.cpuMilliseconds = milliseconds(usage.ru_utime) + milliseconds(usage.ru_stime);
    run.maxResidentKiB = usage.ru_maxrss;
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
    run.standardOutput = testsupport::readFile(out);
    run.standardError = testsupport::readFile(err);
    return run;
}

inline void printFigures(const char* name, const LimitedRun& run) {
    std::printf("[ figures  ] %-30s %8.1f ms CPU %8.1f ms wall %8ld KiB max resident\n", name,
                run.cpuMilliseconds, run.wallMilliseconds, run.maxResidentKiB);
}

} // namespace limitedrun
