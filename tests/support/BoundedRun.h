#pragma once
// Runs a piece of work in a child process and tells whether it ended within a time and a peak
// memory: for the inputs meant to make the host loop, hang or swallow memory, which must
// neither take the test down with them nor pass by being slow.

#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>

struct BoundedResult {
    bool ended = false;      // within the time, by returning
    bool succeeded = false;  // work returned true
    long peakKilobytes = 0;
    std::string Text() const {
        return std::string(ended ? "ended" : "did not end in time") +
               (succeeded ? ", succeeded" : ", failed") + ", peak " +
               std::to_string(peakKilobytes / 1024) + " MB";
    }
};

inline BoundedResult RunBounded(const std::function<bool()>& work,
                                std::chrono::milliseconds limit) {
    const pid_t child = ::fork();
    if (child == 0) {
        ::_exit(work() ? 0 : 1);
    }
    BoundedResult result;
    const auto deadline = std::chrono::steady_clock::now() + limit;
    int status = 0;
    rusage usage{};
    while (true) {
        const pid_t done = ::wait4(child, &status, WNOHANG, &usage);
        if (done == child) {
            result.ended = WIFEXITED(status);
            result.succeeded = result.ended && WEXITSTATUS(status) == 0;
            result.peakKilobytes = usage.ru_maxrss;
            return result;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            ::kill(child, SIGKILL);
            ::wait4(child, &status, 0, &usage);
            result.peakKilobytes = usage.ru_maxrss;
            return result;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}
