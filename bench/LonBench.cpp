// LON/IP on loopback against the test node: the round trip of an NV fetch and of an update by
// index, and "Save to file" against its floor, the sheet's pauses plus each host call at the
// measured round trip. Runs inside a network namespace (bench/run makes it), where it starts the
// test node itself from the factory node's values.

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
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "bench/BenchSheet.h"
#include "bench/Benches.h"
#include "bench/Figure.h"
#include "host/lon/LonNodeLink.h"
#include "host/lon/LsUdpLink.h"
#include "host/lon/Transactions.h"
#include "host/lon/UdpLink.h"
#include "host/text/Hex.h"
#include "plugin/shell/CSheet.h"

extern char** environ;

namespace bench {

namespace {

constexpr double kRoundTripGoalMs = 2.0;
constexpr double kHostCpuGoalMs = 0.1;
constexpr double kExportOverFloor = 1.05;
constexpr int kRoundTrips = 500;
const host::lon::LonAddress kNodeAddress{{0x51}, 35, 12};
const host::lon::Endpoint kHost{0x0A51237E, host::lon::kLonIpPort};  // 10.81.35.126

// The test node, started from the factory node's values and stopped at the end.
class TestNode {
  public:
    TestNode(const std::string& binary, const std::filesystem::path& folder) {
        const host::SimNode factory = host::FactoryNode::Make();
        const std::string image = (folder / "factory.img").string();
        std::ofstream file(image);
        file << "name " << factory.Name() << "\nselector " << factory.Selector() << '\n';
        for (int nv = 0; nv < host::SimNode::kSelectorNv; ++nv) {
            file << "nv " << nv << ' ' << host::FormatHex(*factory.GetNv(nv)) << '\n';
        }
        for (int k = 1; k <= host::SimNode::kPartCount; ++k) {
            file << "part " << k << ' ' << host::FormatHex(factory.Part(k)) << '\n';
        }
        file.close();
        m_out = (folder / "node.out").string();
        std::vector<std::string> argv{binary, "--image", image};
        std::vector<char*> args;
        for (std::string& a : argv) {
            args.push_back(a.data());
        }
        args.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, m_out.c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (posix_spawn(&m_pid, args[0], &actions, nullptr, args.data(), environ) != 0) {
            m_pid = 0;
        }
        posix_spawn_file_actions_destroy(&actions);
    }
    ~TestNode() {
        if (m_pid > 0) {
            ::kill(m_pid, SIGTERM);
            ::waitpid(m_pid, nullptr, 0);
        }
    }
    // Waits until the node answers (it is silent for 2 s after its start).
    bool Ready() const {
        for (int i = 0; m_pid > 0 && i < 100; ++i) {
            std::ifstream out(m_out);
            std::string line;
            if (std::getline(out, line) && line.starts_with("READY")) {
                return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        return false;
    }

  private:
    pid_t m_pid = 0;
    std::string m_out;
};

double CpuMs() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
}

template <typename Call>
double MedianMs(Call call, std::string& problem) {
    std::vector<double> times;
    for (int i = 0; i < kRoundTrips && problem.empty(); ++i) {
        const auto start = std::chrono::steady_clock::now();
        if (!call(i)) {
            problem = "the node did not answer";
        }
        times.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

}  // namespace

void LonFigures(const Options& options) {
    const char* names[] = {"lon_fetch_round_trip", "lon_update_round_trip", "lon_export",
                           "lon_fetch_host_cpu"};
    auto unmeasured = [&](const std::string& why) {
        for (const char* name : names) {
            Unmeasured(name, why);
        }
    };
    if (options.lonnode.empty()) {
        unmeasured("no test node (bench/run names it with --lonnode)");
        return;
    }
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("qma7-bench-lon-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    {
        TestNode node(options.lonnode, folder);
        int errorNumber = 0;
        auto socket = host::lon::UdpLink::Open(kHost, errorNumber);
        if (!node.Ready() || !socket) {
            unmeasured(socket ? "the test node did not start"
                              : "cannot bind 10.81.35.126:2541 (not in bench/run's namespace?)");
            std::filesystem::remove_all(folder);
            return;
        }
        platform::crt::RealClock clock;
        host::lon::LsUdpLink packets(*socket, kNodeAddress.domain, {35, 126});
        host::lon::Transactions transactions(packets, clock, {{35, 126}, {35, 12}, {0x51}}, {}, 1);
        host::lon::LonNodeLink link(transactions, kNodeAddress, {});

        std::string problem;
        std::array<std::uint8_t, 31> buffer{};
        std::size_t returned = 0;
        const double cpuStart = CpuMs();
        const double fetchMs =
            MedianMs([&](int) { return link.Read(1, buffer, returned); }, problem);
        const double cpuPerFetch = (CpuMs() - cpuStart) / kRoundTrips;
        const std::array<std::uint8_t, 2> values[] = {{0x36, 0xB0}, {0x36, 0xB1}};
        link.Write(1, values[0]);  // the version query, once
        const double updateMs =
            MedianMs([&](int i) { return link.Write(1, values[i % 2]); }, problem);
        if (!problem.empty()) {
            unmeasured(problem);
        } else {
            Report({names[0], fetchMs, "ms", kRoundTripGoalMs, 3});
            Report({names[1], updateMs, "ms", kRoundTripGoalMs, 3});
            // The host's own share of a round trip: the rest is the wire and the node.
            Report({names[3], cpuPerFetch, "ms", kHostCpuGoalMs, 3});

            std::string problem;
            const auto saved = TimeExport(link, folder / "node.txt", problem);
            if (!saved) {
                Unmeasured(names[2], problem);
            } else {
                const double floorMs =
                    saved->pausesMs + static_cast<double>(saved->calls) * fetchMs;
                Report({names[2], saved->wallMs, "ms", floorMs * kExportOverFloor, 2});
            }
        }
    }
    std::filesystem::remove_all(folder);
}

}  // namespace bench
