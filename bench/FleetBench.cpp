// `qma7 fleet` against twenty LON/IP test nodes on loopback: a save of all of them against the
// floor of one node's save alone, the host's memory (summed PSS of its processes) and CPU while
// they run, and a scan of a subnet's 127 addresses. Runs inside a network namespace (bench/run
// makes it), where it starts the test nodes itself.

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "bench/Benches.h"
#include "bench/Figure.h"
#include "host/node/FactoryNode.h"
#include "host/text/Hex.h"

extern char** environ;

namespace bench {

namespace {

constexpr int kNodes = 20;
constexpr int kFirstNode = 11;
constexpr int kScanNodes = 3;
constexpr int kUsbNodes = 5;
constexpr double kOverFloorGoal = 1.1;
constexpr double kScanGoalS = 3.0;
constexpr double kPssGoalMb = 100.0;
constexpr double kCpuGoalPercent = 10.0;
constexpr auto kSample = std::chrono::milliseconds(200);

pid_t Start(std::vector<std::string> argv, const std::string& out) {
    std::vector<char*> args;
    for (std::string& arg : argv) {
        args.push_back(arg.data());
    }
    args.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, out.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    if (posix_spawn(&pid, args[0], &actions, nullptr, args.data(), environ) != 0) {
        pid = 0;
    }
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

bool Ready(const std::string& out, const std::string& word = "READY") {
    for (int i = 0; i < 100; ++i) {
        std::ifstream file(out);
        std::string line;
        while (std::getline(file, line)) {
            if (line.starts_with(word)) {
                return true;
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return false;
}

// The summed PSS in kB of pid and its children.
long FamilyPssKb(pid_t pid) {
    long total = 0;
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        const std::string name = entry.path().filename();
        if (name.find_first_not_of("0123456789") != std::string::npos) {
            continue;
        }
        std::ifstream stat(entry.path() / "stat");
        std::string text;
        std::getline(stat, text);
        const std::size_t close = text.rfind(')');
        if (close == std::string::npos) {
            continue;
        }
        std::istringstream fields(text.substr(close + 2));
        std::string state;
        long parent = 0;
        fields >> state >> parent;
        if (std::stol(name) != pid && parent != pid) {
            continue;
        }
        std::ifstream rollup(entry.path() / "smaps_rollup");
        std::string line;
        while (std::getline(rollup, line)) {
            if (line.starts_with("Pss:")) {
                total += std::stol(line.substr(4));
            }
        }
    }
    return total;
}

// The factory node's values as the test node's image.
void WriteFactoryImage(const std::string& image) {
    const host::SimNode factory = host::FactoryNode::Make();
    std::ofstream file(image);
    file << "name " << factory.Name() << "\nselector " << factory.Selector() << '\n';
    for (int nv = 0; nv < host::SimNode::kSelectorNv; ++nv) {
        file << "nv " << nv << ' ' << host::FormatHex(*factory.GetNv(nv)) << '\n';
    }
    for (int k = 1; k <= host::SimNode::kPartCount; ++k) {
        file << "part " << k << ' ' << host::FormatHex(factory.Part(k)) << '\n';
    }
}

struct Run {
    bool ok = false;
    double seconds = 0;
    double cpuSeconds = 0;
    long peakPssKb = 0;
};

Run Fleet(const std::string& qma7, std::vector<std::string> args, const std::string& out) {
    args.insert(args.begin(), {qma7, "fleet"});
    const auto start = std::chrono::steady_clock::now();
    Run run;
    const pid_t pid = Start(args, out);
    if (pid == 0) {
        return run;
    }
    int status = 0;
    rusage usage{};
    for (;;) {
        const pid_t done = wait4(pid, &status, WNOHANG, &usage);
        if (done == pid) {
            break;
        }
        run.peakPssKb = std::max(run.peakPssKb, FamilyPssKb(pid));
        std::this_thread::sleep_for(kSample);
    }
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    run.cpuSeconds = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                     static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    run.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return run;
}

}  // namespace

void FleetFigures(const Options& options) {
    const char* names[] = {"fleet_save_lonip_20", "fleet_host_pss_20", "fleet_host_cpu_20",
                           "fleet_scan_127"};
    if (options.lonnode.empty()) {
        for (const char* name : names) {
            Unmeasured(name, "no test node (--lonnode)");
        }
        return;
    }
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("qma7-bench-fleet-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    const std::string image = (folder / "factory.img").string();
    WriteFactoryImage(image);
    std::vector<pid_t> nodes;
    bool ready = true;
    for (int i = 0; i < kNodes; ++i) {
        const std::string n = std::to_string(kFirstNode + i);
        const std::string out = (folder / ("node-" + n + ".out")).string();
        nodes.push_back(Start({options.lonnode, "--image", image, "--node", n}, out));
        ready = ready && nodes.back() != 0;
    }
    for (int i = 0; i < kNodes && ready; ++i) {
        ready = Ready((folder / ("node-" + std::to_string(kFirstNode + i) + ".out")).string());
    }
    auto stop = [&](std::size_t from) {
        for (std::size_t i = from; i < nodes.size(); ++i) {
            if (nodes[i] > 0) {
                ::kill(nodes[i], SIGTERM);
                ::waitpid(nodes[i], nullptr, 0);
                nodes[i] = 0;
            }
        }
    };
    if (!ready) {
        stop(0);
        for (const char* name : names) {
            Unmeasured(name, "the test nodes did not start");
        }
        return;
    }

    const std::string qma7 = options.binDir + "/qma7";
    const std::string out = (folder / "fleet.out").string();
    // The floor: one node's save alone (its pauses and calls, and its process's start).
    const Run one = Fleet(qma7, {"save", (folder / "one").string(), "51/35/11"}, out);
    const Run all = Fleet(
        qma7,
        {"save", (folder / "all").string(),
         "51/35/" + std::to_string(kFirstNode) + "-" + std::to_string(kFirstNode + kNodes - 1)},
        out);
    if (!one.ok || !all.ok) {
        for (const char* name : {names[0], names[1], names[2]}) {
            Unmeasured(name, "a fleet save failed (see " + out + ")");
        }
    } else {
        std::printf("# one node's save %.2f s, 20 nodes %.2f s (a loop of 20: about %.0f s)\n",
                    one.seconds, all.seconds, one.seconds * kNodes);
        Report({names[0], all.seconds / one.seconds, "x floor", kOverFloorGoal, 2});
        Report({names[1], static_cast<double>(all.peakPssKb) / 1024.0, "MB", kPssGoalMb});
        Report({names[2], 100.0 * all.cpuSeconds / all.seconds, "% of a core", kCpuGoalPercent});
    }

    // The scan with three nodes present.
    stop(kScanNodes);
    const Run scan = Fleet(qma7, {"scan", "51/35/1-127"}, out);
    if (scan.ok) {
        Report({names[3], scan.seconds, "s", kScanGoalS, 2});
    } else {
        Unmeasured(names[3], "the scan failed (see " + out + ")");
    }
    stop(0);
    std::filesystem::remove_all(folder);
}

void FleetUsbFigures(const Options& options) {
    const char* name = "fleet_save_usb_5";
    if (options.lonusbNode.empty() || options.lonusb.empty()) {
        Unmeasured(name, "no USB test peer (bench/run names it with --lonusb)");
        return;
    }
    const std::filesystem::path folder = std::filesystem::temp_directory_path() /
                                         ("qma7-bench-fleet-usb-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder / "tty");
    const std::string image = (folder / "factory.img").string();
    WriteFactoryImage(image);
    const std::string trace = (folder / "sim.trace").string();
    std::vector<std::string> sim{"/usr/bin/python3", options.lonusb + "/u60sim.py", "--trace",
                                 trace};
    for (int i = 0; i < kUsbNodes; ++i) {
        sim.insert(sim.end(), {"--iface", (folder / "tty" / ("n" + std::to_string(i))).string()});
    }
    sim.insert(sim.end(), {"--iface", (folder / "tty" / "host").string()});
    std::vector<pid_t> started{Start(sim, (folder / "sim.out").string())};
    bool ready = started.back() != 0 && Ready((folder / "sim.out").string(), "READY");
    for (int i = 0; i < kUsbNodes && ready; ++i) {
        const std::string out = (folder / ("node-" + std::to_string(i) + ".out")).string();
        started.push_back(Start(
            {options.lonusbNode, "--usb-dev", (folder / "tty" / ("n" + std::to_string(i))).string(),
             "--node", std::to_string(kFirstNode + i), "--image", image},
            out));
        ready = started.back() != 0 && Ready(out, "READY");
    }
    auto stopAll = [&] {
        for (auto it = started.rbegin(); it != started.rend(); ++it) {
            if (*it > 0) {
                ::kill(*it, SIGTERM);
                ::waitpid(*it, nullptr, 0);
            }
        }
    };
    if (!ready) {
        stopAll();
        Unmeasured(name, "the channel or its test nodes did not start");
        return;
    }
    const std::string qma7 = options.binDir + "/qma7";
    const std::string host = (folder / "tty" / "host").string();
    const std::string out = (folder / "fleet.out").string();
    // The node's own floor: one node's save alone on the channel.
    const Run one = Fleet(
        qma7, {"save", (folder / "one").string(), "51/35/11", "--usb", host, "--usb-kind", "u50"},
        out);
    const auto traced = std::filesystem::file_size(trace);
    const Run all = Fleet(
        qma7,
        {"save", (folder / "all").string(),
         "51/35/" + std::to_string(kFirstNode) + "-" + std::to_string(kFirstNode + kUsbNodes - 1),
         "--usb", host, "--usb-kind", "u50"},
        out);
    // The channel's floor: every frame's time on the wire during the run, as u60sim times it.
    double wireMs = 0;
    std::ifstream frames(trace);
    frames.seekg(static_cast<std::streamoff>(traced));
    std::string line;
    constexpr std::string_view kOnTheWire = "on the wire ";
    while (std::getline(frames, line)) {
        const std::size_t at = line.find(kOnTheWire);
        if (at != std::string::npos && line.find(" chan ") != std::string::npos) {
            wireMs += std::atof(line.c_str() + at + kOnTheWire.size());
        }
    }
    stopAll();
    if (!one.ok || !all.ok) {
        Unmeasured(name, "a fleet save failed (see " + out + ")");
        return;
    }
    const double floor = std::max(one.seconds, wireMs / 1000.0);
    std::printf("# one node's save %.2f s, the channel's frames %.2f s, %d nodes %.2f s\n",
                one.seconds, wireMs / 1000.0, kUsbNodes, all.seconds);
    Report({name, all.seconds / floor, "x floor", kOverFloorGoal, 2});
    std::filesystem::remove_all(folder);
}

}  // namespace bench
