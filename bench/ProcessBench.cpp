// Start-up and peak memory of the qma7 processes: `qma7 script` on a one-line script that
// opens the sheet, from the spawn to its exit; the maximum resident set as the kernel reports
// it for the child.

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

void ScriptFigures(const Options& options) {
    const std::filesystem::path folder = std::filesystem::temp_directory_path() /
                                         ("qma7-bench-script-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    const std::string script = (folder / "open.qma7").string();
    std::ofstream(script) << "open\n";
    const std::vector<std::string> argv{options.binDir + "/qma7", "script", script};
    const std::vector<std::string> env{"QMA7_REGISTRY=" + (folder / "registry.reg").string()};

    std::vector<double> walls;
    double maxRss = 0;
    std::string problem;
    // The first run registers the plug-in in the scratch registry, as an installation would,
    // and is not counted.
    for (int i = 0; i <= options.startupRuns && problem.empty(); ++i) {
        const ProcessRun run = Spawn(argv, env);
        problem = run.problem;
        if (i > 0) {
            walls.push_back(run.wallMs);
            maxRss = std::max(maxRss, run.maxRssMb);
        }
    }
    std::filesystem::remove_all(folder);
    if (!problem.empty()) {
        Unmeasured("script_startup", problem);
        Unmeasured("script_peak_memory", problem);
        return;
    }
    std::sort(walls.begin(), walls.end());
    Report({"script_startup", walls[walls.size() / 2], "ms", kScriptStartupGoalMs});
    Report({"script_peak_memory", maxRss, "MB", kPeakMemoryGoalMb});
}

}  // namespace

void ProcessFigures(const Options& options) {
    ScriptFigures(options);
}

}  // namespace bench
