// Through a USB network interface of the emulated FT-10 channel (u60sim, at its FT-10 timing) to
// the test node on an interface of its own: the round trip of an NV fetch beside the channel's
// floor for the two frames and beside the peer's own probe on the same channel, the host's CPU
// per fetch, and "Save to file" against its floor. Starts the channel and the node itself.

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "bench/BenchSheet.h"
#include "bench/Benches.h"
#include "bench/Figure.h"
#include "host/lon/LonNodeLink.h"
#include "host/lon/Transactions.h"
#include "host/text/Hex.h"
#include "host/usb/UsbPacketLink.h"
#include "plugin/shell/CSheet.h"

extern char** environ;

namespace bench {

namespace {

namespace fs = std::filesystem;

constexpr double kOverProbeMs = 1.0;
constexpr double kHostCpuGoalMs = 0.1;
constexpr double kExportOverFloor = 1.05;
constexpr int kRoundTrips = 200;
constexpr int kFetchedNv = 22;
// u60sim's frame time: (8 preamble + 8 x bytes with the CRC + 3 end) bits at 78.125 kbit/s,
// plus its 1 ms gap. A fetch of NV 22 is a 12-byte request and a 43-byte answer.
constexpr double kBitMs = 1.0 / 78.125;
constexpr double kGapMs = 1.0;
constexpr int kRequestBytes = 12;
constexpr int kAnswerBytes = 43;
const host::lon::LonAddress kNodeAddress{{0x51}, 35, 12};

double FrameMs(int bytes) {
    return (8 + 8 * bytes + 3) * kBitMs + kGapMs;
}

// A program started with its output in a file, ended by its pid.
class Spawned {
  public:
    Spawned(std::vector<std::string> argv, const fs::path& out) : m_out(out) {
        std::vector<char*> args;
        for (std::string& a : argv) {
            args.push_back(a.data());
        }
        args.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, out.c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
        if (posix_spawnp(&m_pid, args[0], &actions, nullptr, args.data(), environ) != 0) {
            m_pid = 0;
        }
        posix_spawn_file_actions_destroy(&actions);
    }
    ~Spawned() {
        if (m_pid > 0) {
            ::kill(m_pid, SIGTERM);
            ::waitpid(m_pid, nullptr, 0);
        }
    }
    Spawned(const Spawned&) = delete;
    Spawned& operator=(const Spawned&) = delete;

    // Waits up to 10 s for a line that starts with prefix in its output.
    bool Says(const std::string& prefix) const {
        for (int i = 0; m_pid > 0 && i < 100; ++i) {
            std::ifstream out(m_out);
            for (std::string line; std::getline(out, line);) {
                if (line.starts_with(prefix)) {
                    return true;
                }
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        return false;
    }
    // Waits for the program's end.
    void Wait() {
        if (m_pid > 0) {
            ::waitpid(m_pid, nullptr, 0);
            m_pid = 0;
        }
    }

  private:
    pid_t m_pid = 0;
    fs::path m_out;
};

double CpuMs() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
}

// The probe's median round trip for NV 22 on its own interface; 0 when it did not say.
double ProbeMedianMs(const std::string& probe, const fs::path& tty, const fs::path& folder) {
    Spawned run({"python3", probe, "--dev", tty.string(), "--quiet", "repeat",
                 std::to_string(kRoundTrips), std::to_string(kFetchedNv)},
                folder / "probe.out");
    run.Wait();
    std::ifstream out(folder / "probe.out");
    const std::regex median("median ([0-9.]+) ms");
    for (std::string line; std::getline(out, line);) {
        std::smatch match;
        if (std::regex_search(line, match, median)) {
            return std::stod(match[1]);
        }
    }
    return 0;
}

}  // namespace

void UsbFigures(const Options& options) {
    const char* names[] = {"usb_fetch_round_trip", "usb_fetch_host_cpu", "usb_export"};
    auto unmeasured = [&](const std::string& why) {
        for (const char* name : names) {
            Unmeasured(name, why);
        }
    };
    if (options.lonusb.empty()) {
        unmeasured("no USB test peer (bench/run names it with --lonusb)");
        return;
    }
    const fs::path peer = fs::path(options.lonusb);
    const fs::path folder =
        fs::temp_directory_path() / ("qma7-bench-usb-" + std::to_string(::getpid()));
    fs::create_directories(folder);
    {
        Spawned channel(
            {"python3", (peer / "u60sim.py").string(), "--iface", (folder / "node").string(),
             "--iface", (folder / "host").string(), "--iface", (folder / "probe").string()},
            folder / "sim.out");
        const bool channelReady = channel.Says("READY");
        // The node opens its interface once the channel has made it.
        Spawned node({options.lonusbNode, "--usb-dev", (folder / "node").string()},
                     folder / "node.out");
        if (!channelReady || !node.Says("READY")) {
            unmeasured("the emulated channel or the test node did not start");
            fs::remove_all(folder);
            return;
        }
        const double probeMs =
            ProbeMedianMs((peer / "probe-usb.py").string(), folder / "probe", folder);

        platform::crt::RealClock clock;
        std::string error;
        auto packets = host::usb::UsbPacketLink::Open(
            (folder / "host").string(), host::usb::UsbFamily::U50, {35, 126}, clock, error);
        if (!packets) {
            unmeasured(error);
            fs::remove_all(folder);
            return;
        }
        host::lon::Transactions transactions(*packets, clock, {{35, 126}, {35, 12}, {0x51}}, {}, 1);
        host::lon::LonNodeLink link(transactions, kNodeAddress, {});
        std::array<std::uint8_t, 31> buffer{};
        std::size_t returned = 0;
        std::vector<double> times;
        double cpu = 0;
        bool answered = true;
        for (int i = 0; i < kRoundTrips && answered; ++i) {
            const double cpuStart = CpuMs();
            const auto start = std::chrono::steady_clock::now();
            answered = link.Read(kFetchedNv, buffer, returned);
            times.push_back(
                std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                    .count());
            cpu += CpuMs() - cpuStart;
        }
        std::sort(times.begin(), times.end());
        const double fetchMs = times[times.size() / 2];
        const double floorMs = FrameMs(kRequestBytes) + FrameMs(kAnswerBytes);
        if (!answered || probeMs <= 0) {
            unmeasured(answered ? "the probe did not measure" : "the node did not answer");
        } else {
            std::printf("# usb_fetch_round_trip: channel floor %.2f ms, probe median %.2f ms\n",
                        floorMs, probeMs);
            Report({names[0], fetchMs, "ms", probeMs + kOverProbeMs, 2});
            // The CPU time of the whole process while it waits on the tty is the host's own.
            Report({names[1], cpu / kRoundTrips, "ms", kHostCpuGoalMs, 3});

            std::string problem;
            const auto saved = TimeExport(link, folder / "node.txt", problem);
            if (!saved) {
                Unmeasured(names[2], problem);
            } else {
                // Each call at the channel's floor for a fetch of that size is approximated by
                // the floor of NV 22's fetch, the largest value read.
                const double exportFloorMs =
                    saved->pausesMs + static_cast<double>(saved->calls) * floorMs;
                Report({names[2], saved->wallMs, "ms", exportFloorMs * kExportOverFloor, 2});
            }
        }
    }
    fs::remove_all(folder);
}

}  // namespace bench
