// The terminal front end as a person starts it: `qma7 --fresh` in a pseudo-terminal of its own,
// on a fresh node in a scratch state folder. Start-up is the time from the spawn until the
// first frame's status line (with the program id) has been written; idle is the process's CPU time
// (from /proc) while it sits with every tab opened; peak memory is the maximum resident set at its
// exit.

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "bench/Benches.h"
#include "bench/Figure.h"

namespace bench {

namespace {

constexpr double kFirstFrameGoalMs = 100;
constexpr double kPeakMemoryGoalMb = 20;
constexpr double kIdleGoalPercent = 1.0;
constexpr int kFirstFrameRuns = 5;
constexpr int kTabs = 16;
// After the last tab showed: how long the tabs' first reads and part selections take to settle
// before idle is measured (a smoke run only checks that it can be).
constexpr double kSettleMs = 5000;
constexpr double kSmokeSettleMs = 500;
// A tab is shown and waits for keys once its output has stopped for this long.
constexpr double kQuietMs = 400;
constexpr double kTabLimitMs = 10000;

// The node's program id on the status line, the last row of the first frame.
constexpr char kFrameMark[] = "90 51 4D 41 37 5F 31 6A";
// A label that only the last tab, Config HVAC, shows.
constexpr char kLastTabMark[] = "HVAC_NIGHT_PURGE";
constexpr char kNextTab[] = "\033[6~";  // PgDn
constexpr char kExit[] = "\033[21~";    // F10
constexpr unsigned short kRows = 50;
constexpr unsigned short kColumns = 132;

double Now() {
    return std::chrono::duration<double, std::milli>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

class Terminal {
  public:
    // Starts qma7 on a pseudo-terminal; false when it cannot be started.
    bool Start(const Options& options, const std::filesystem::path& folder) {
        winsize size{kRows, kColumns, 0, 0};
        m_started = Now();
        m_pid = forkpty(&m_fd, nullptr, nullptr, &size);
        if (m_pid < 0) {
            return false;
        }
        if (m_pid == 0) {
            setenv("TERM", "xterm-256color", 1);
            setenv("XDG_STATE_HOME", folder.c_str(), 1);
            setenv("QMA7_REGISTRY", (folder / "registry.reg").c_str(), 1);
            const std::string qma7 = options.binDir + "/qma7";
            execl(qma7.c_str(), qma7.c_str(), "--fresh", static_cast<char*>(nullptr));
            _exit(127);
        }
        fcntl(m_fd, F_SETFL, fcntl(m_fd, F_GETFL) | O_NONBLOCK);
        return true;
    }

    // Reads the output until text appears or ms pass; the time it appeared, since the start.
    std::optional<double> WaitFor(const std::string& text, double ms) {
        const double end = Now() + ms;
        while (m_output.find(text) == std::string::npos) {
            if (Now() >= end || !Read(end - Now())) {
                return std::nullopt;
            }
        }
        return Now() - m_started;
    }

    // Reads and forgets the output until none came for quietMs; false when it still came after
    // limitMs. A handler that runs redraws the status line's busy time every tenth of a second,
    // so quiet means that the sheet waits for keys again (keys typed while it is busy are
    // dropped, as a person's would be).
    bool WaitQuiet(double quietMs, double limitMs) {
        const double end = Now() + limitMs;
        while (Now() < end) {
            const std::size_t before = m_output.size();
            if (!Read(quietMs)) {
                return false;
            }
            if (m_output.size() == before) {
                return true;
            }
            m_output.clear();
        }
        return false;
    }

    // Reads and forgets the output for ms.
    void Drain(double ms) {
        const double end = Now() + ms;
        while (Now() < end && Read(end - Now())) {
            m_output.clear();
        }
    }

    void Send(const std::string& keys) { (void)!write(m_fd, keys.data(), keys.size()); }

    // The CPU seconds the process has used so far.
    double CpuSeconds() const {
        std::ifstream stat("/proc/" + std::to_string(m_pid) + "/stat");
        std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
        std::istringstream fields(text.substr(text.rfind(')') + 2));
        std::string field;
        double ticks = 0;
        for (int n = 3; n <= 15 && fields >> field; ++n) {
            if (n >= 14) {  // utime, stime
                ticks += std::atof(field.c_str());
            }
        }
        return ticks / static_cast<double>(sysconf(_SC_CLK_TCK));
    }

    // Presses Exit and waits for the process; its peak memory in MB, or nothing when it had to
    // be killed or failed.
    std::optional<double> Finish() {
        Send(kExit);
        const double end = Now() + 5000;
        int status = 0;
        rusage usage{};
        pid_t done = 0;
        while ((done = wait4(m_pid, &status, WNOHANG, &usage)) == 0 && Now() < end) {
            Read(50);
        }
        if (done == 0) {
            kill(m_pid, SIGKILL);
            wait4(m_pid, &status, 0, &usage);
        }
        close(m_fd);
        m_pid = -1;
        if (done == 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            return std::nullopt;
        }
        return usage.ru_maxrss / 1024.0;
    }

    ~Terminal() {
        if (m_pid > 0) {
            kill(m_pid, SIGKILL);
            waitpid(m_pid, nullptr, 0);
            close(m_fd);
        }
    }

  private:
    // Waits at most ms for output and appends it; false at the end of the output.
    bool Read(double ms) {
        pollfd p{m_fd, POLLIN, 0};
        if (poll(&p, 1, static_cast<int>(std::max(0.0, ms))) <= 0) {
            return true;
        }
        char buffer[4096];
        const ssize_t n = read(m_fd, buffer, sizeof buffer);
        if (n <= 0) {
            return false;  // the process is gone
        }
        m_output.append(buffer, static_cast<std::size_t>(n));
        return true;
    }

    pid_t m_pid = -1;
    int m_fd = -1;
    double m_started = 0;
    std::string m_output;
};

}  // namespace

void TerminalFigures(const Options& options) {
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("qma7-bench-tui-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    const int runs = options.quick ? 1 : kFirstFrameRuns;
    std::vector<double> frames;
    double peak = 0;
    std::string problem;

    // The first start registers the plug-in in the scratch registry, as an installation
    // would, and is not counted.
    for (int i = 0; i <= runs && problem.empty(); ++i) {
        Terminal terminal;
        if (!terminal.Start(options, folder)) {
            problem = "cannot start qma7 on a pseudo-terminal";
        } else if (const auto frame = terminal.WaitFor(kFrameMark, 5000); !frame) {
            problem = "qma7 drew no sheet within 5 s";
        } else if (const auto memory = terminal.Finish(); !memory) {
            problem = "qma7 did not exit cleanly on F10";
        } else if (i > 0) {
            frames.push_back(*frame);
            peak = std::max(peak, *memory);
        }
    }

    std::optional<double> idle;
    if (problem.empty()) {
        Terminal terminal;
        if (!terminal.Start(options, folder) || !terminal.WaitFor(kFrameMark, 5000)) {
            problem = "qma7 drew no sheet within 5 s";
        } else {
            // Every tab once, each key when the sheet is ready for it, then hands off: the
            // tabs' first reads and part selections settle.
            if (!terminal.WaitQuiet(kQuietMs, kTabLimitMs)) {
                problem = "the first tab kept the sheet busy";
            }
            for (int tab = 1; tab < kTabs - 1 && problem.empty(); ++tab) {
                terminal.Send(kNextTab);
                if (!terminal.WaitQuiet(kQuietMs, kTabLimitMs)) {
                    problem = "tab " + std::to_string(tab + 1) + " kept the sheet busy";
                }
            }
            terminal.Send(kNextTab);
            if (problem.empty() && !terminal.WaitFor(kLastTabMark, kTabLimitMs)) {
                problem = "the last tab never showed";
            }
            terminal.Drain(options.smoke ? kSmokeSettleMs : kSettleMs);
            const double cpuStart = terminal.CpuSeconds();
            const double wallStart = Now();
            terminal.Drain(options.idleSeconds * 1000.0);
            idle = (terminal.CpuSeconds() - cpuStart) / ((Now() - wallStart) / 1000.0) * 100.0;
            if (const auto memory = terminal.Finish(); memory && problem.empty()) {
                peak = std::max(peak, *memory);
            } else if (problem.empty()) {
                problem = "qma7 did not exit cleanly on F10";
            }
        }
    }
    std::filesystem::remove_all(folder);

    if (!problem.empty()) {
        for (const char* name : {"tui_first_frame", "tui_peak_memory", "idle_cpu_16_tabs"}) {
            Unmeasured(name, problem);
        }
        return;
    }
    std::sort(frames.begin(), frames.end());
    Report({"tui_first_frame", frames[frames.size() / 2], "ms", kFirstFrameGoalMs});
    Report({"tui_peak_memory", peak, "MB", kPeakMemoryGoalMb});
    Report({"idle_cpu_16_tabs", *idle, "%", kIdleGoalPercent, 3});
}

}  // namespace bench
