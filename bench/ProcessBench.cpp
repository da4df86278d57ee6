// Start-up and peak memory of the qma7 processes: `qma7 script` on a one-line script that
// opens the sheet, from the spawn to its exit; the maximum resident set as the kernel reports
// it for the child. The same start-up against registries that hold the class entries of 10,
// 1000 and 10000 other programs besides the plug-in's own.

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench/Benches.h"
#include "bench/Figure.h"

extern char** environ;

namespace bench {

namespace {

constexpr double kScriptStartupGoalMs = 50;
constexpr double kPeakMemoryGoalMb = 20;
// Start-up against a registry of that many other programs' classes, and its goal.
constexpr struct {
    int others;
    double goalMs;
} kRegistrySizes[] = {{10, 50}, {1000, 100}, {10000, 1000}};

struct ProcessRun {
    double wallMs = 0;
    double maxRssMb = 0;
    bool ok = false;
    std::string problem;
};

// Runs argv with its output thrown away; environment: ours plus extra.
ProcessRun Spawn(const std::vector<std::string>& argv, const std::vector<std::string>& extra) {
    std::vector<char*> args;
    for (const std::string& a : argv) {
        args.push_back(const_cast<char*>(a.c_str()));
    }
    args.push_back(nullptr);
    std::vector<std::string> environment(extra);
    for (char** e = environ; *e != nullptr; ++e) {
        environment.emplace_back(*e);
    }
    std::vector<char*> env;
    for (std::string& e : environment) {
        env.push_back(e.data());
    }
    env.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    ProcessRun run;
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, args[0], &actions, nullptr, args.data(), env.data());
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        run.problem = "cannot start " + argv[0];
        return run;
    }
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid) {
        run.problem = "lost the child process";
        return run;
    }
    run.wallMs =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    run.maxRssMb = usage.ru_maxrss / 1024.0;  // kilobytes on Linux
    run.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    if (!run.ok) {
        run.problem = argv[0] + " " + argv[1] + " failed";
    }
    return run;
}

// The median wall time of runs spawns of argv after one that is not counted (it registers the
// plug-in, or meets a registry written a moment ago); 0 and the problem when one failed.
double MedianStartupMs(const std::vector<std::string>& argv, const std::vector<std::string>& env,
                       int runs, double& maxRssMb, std::string& problem) {
    std::vector<double> walls;
    for (int i = 0; i <= runs; ++i) {
        const ProcessRun run = Spawn(argv, env);
        if (!run.ok) {
            problem = run.problem;
            return 0;
        }
        if (i > 0) {
            walls.push_back(run.wallMs);
            maxRssMb = std::max(maxRssMb, run.maxRssMb);
        }
    }
    std::sort(walls.begin(), walls.end());
    return walls[walls.size() / 2];
}

// The class entries of another program, as an installer of its plug-in leaves them.
std::string OtherProgram(int n) {
    char clsid[64];
    std::snprintf(clsid, sizeof clsid, "CLSID\\{%08X-1111-2222-3333-444455556666}", n);
    const std::string key = std::string("[HKEY_CLASSES_ROOT\\") + clsid;
    char programId[32];
    std::snprintf(programId, sizeof programId, "80 00 00 00 00 %02X %02X %02X", (n >> 16) & 0xFF,
                  (n >> 8) & 0xFF, n & 0xFF);
    return key + "]\n@=\"Other Control " + std::to_string(n) + "\"\n\n" + key +
           "\\InprocServer32]\n@=\"/opt/other/plugin" + std::to_string(n) +
           ".so\"\n\"ThreadingModel\"=\"Apartment\"\n\n" + key + "\\Node]\n\n" + key +
           "\\Node\\ProgramID]\n@=\"" + programId + "\"\n\n";
}

}  // namespace

void ProcessFigures(const Options& options) {
    const std::filesystem::path folder = std::filesystem::temp_directory_path() /
                                         ("qma7-bench-script-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    const std::string script = (folder / "open.qma7").string();
    std::ofstream(script) << "open\n";
    const std::string registry = (folder / "registry.reg").string();
    const std::vector<std::string> env{"QMA7_REGISTRY=" + registry};
    const std::vector<std::string> argv{options.binDir + "/qma7", "script", script};

    double maxRss = 0;
    std::string problem;
    const double startup = MedianStartupMs(argv, env, options.startupRuns, maxRss, problem);
    if (!problem.empty()) {
        Unmeasured("script_startup", problem);
        Unmeasured("script_peak_memory", problem);
    } else {
        Report({"script_startup", startup, "ms", kScriptStartupGoalMs});
        Report({"script_peak_memory", maxRss, "MB", kPeakMemoryGoalMb});
    }

    for (const auto& size : kRegistrySizes) {
        const std::string name = "script_startup_registry_" + std::to_string(size.others);
        std::filesystem::remove(registry);
        // The plug-in registered as an installer would, then the other programs' entries.
        const ProcessRun run = Spawn({options.binDir + "/qma7", "register"}, env);
        if (!run.ok) {
            Unmeasured(name, run.problem);
            continue;
        }
        {
            std::ofstream out(registry, std::ios::app);
            for (int n = 0; n < size.others; ++n) {
                out << OtherProgram(n);
            }
        }
        problem.clear();
        const double ms = MedianStartupMs(argv, env, options.startupRuns, maxRss, problem);
        if (!problem.empty()) {
            Unmeasured(name, problem);
        } else {
            Report({name, ms, "ms", size.goalMs});
        }
    }
    std::filesystem::remove_all(folder);
}

}  // namespace bench
