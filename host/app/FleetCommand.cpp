#include "host/app/FleetCommand.h"

#include <fcntl.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>

#include "host/app/ScriptSource.h"
#include "host/app/UsbOption.h"
#include "host/fleet/FleetDisplay.h"
#include "host/fleet/FleetReport.h"
#include "host/fleet/FleetRunner.h"
#include "host/fleet/FleetTargets.h"
#include "host/fleet/PacketRelay.h"
#include "host/lon/FaultyLink.h"
#include "host/lon/LsUdpLink.h"
#include "host/lon/NodeList.h"
#include "host/lon/UdpLink.h"
#include "host/usb/UsbPacketLink.h"
#include "platform/crt/Clock.h"

namespace host {

namespace {

using fleet::Action;

constexpr int kDefaultHostNode = 126;
constexpr long long kMaxParallel = 1000;
constexpr char kPasswordVariable[] = "QMA7_PASSWORD";
constexpr char kFaultsVariable[] = "QMA7_LON_FAULTS";
constexpr char kSettingsExtension[] = ".txt";
constexpr char kOutputExtension[] = ".out";
// On LON/IP every answer is a datagram of its own to the host's socket: nothing bounds the
// requests outstanding but the one per node that each node's transactions keep.
constexpr std::size_t kLonIpBound = fleet::PacketRelay::kUnbounded;
// A USB interface in layer 2 mode holds 16 frames for the host and drops what comes beyond
// (the U60's uplink buffers, as u60sim has them), and every frame heard on the channel comes up:
// with at most 8 requests outstanding their answers fit at once with room for the channel's
// other traffic.
constexpr std::size_t kUsbBound = 8;

struct ActionWord {
    const char* word;
    Action action;
    bool takesPath;
    bool writes;
};
constexpr ActionWord kActions[] = {
    {"save", Action::Save, true, false},         {"load", Action::Load, true, true},
    {"defaults", Action::Defaults, false, true}, {"script", Action::Script, true, true},
    {"check", Action::Check, true, false},       {"scan", Action::Scan, false, false},
};

const ActionWord* FindAction(Action action) {
    for (const ActionWord& word : kActions) {
        if (word.action == action) {
            return &word;
        }
    }
    return nullptr;
}

bool Writes(Action action) {
    return FindAction(action)->writes;
}

// A line from the terminal, read a byte at a time so that nothing after it is taken from the
// next question's answer; nothing at its end.
std::optional<std::string> ReadTtyLine(int fd) {
    std::string line;
    char c = 0;
    for (;;) {
        const ssize_t got = ::read(fd, &c, 1);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            return line.empty() ? std::nullopt : std::optional<std::string>(line);
        }
        if (c == '\n') {
            return line;
        }
        if (c != '\r') {
            line += c;
        }
    }
}

void WriteTty(int fd, const std::string& text) {
    std::size_t at = 0;
    while (at < text.size()) {
        const ssize_t put = ::write(fd, text.data() + at, text.size() - at);
        if (put <= 0) {
            return;
        }
        at += static_cast<std::size_t>(put);
    }
}

// The answer to question on the terminal (the password not echoed); nothing without a terminal.
std::optional<std::string> AskTty(const std::string& question, bool secret) {
    const int fd = ::open("/dev/tty", O_RDWR | O_CLOEXEC);
    if (fd < 0) {
        return std::nullopt;
    }
    termios saved{};
    const bool quiet = secret && ::tcgetattr(fd, &saved) == 0;
    if (quiet) {
        termios silent = saved;
        silent.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        ::tcsetattr(fd, TCSANOW, &silent);
    }
    WriteTty(fd, question);
    const auto answer = ReadTtyLine(fd);
    if (quiet) {
        ::tcsetattr(fd, TCSANOW, &saved);
        WriteTty(fd, "\n");
    }
    ::close(fd);
    return answer;
}

std::optional<std::string> PromptPassword() {
    return AskTty("Page password: ", true);
}

bool Confirm(const std::string& question) {
    const auto answer = AskTty(question + " [y/N] ", false);
    return answer && !answer->empty() && (answer->front() == 'y' || answer->front() == 'Y');
}

int TerminalRows() {
    winsize size{};
    if (::ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) != 0) {
        return 0;
    }
    return size.ws_row;  // 0: a terminal that does not tell
}

int Usage(const std::string& error) {
    std::fprintf(stderr, "qma7 fleet: %s\n", error.c_str());
    return 2;
}

}  // namespace

bool ParseFleetOptions(int argc, char** argv, FleetOptions& options, std::string& error) {
    if (argc < 1) {
        error = "which action? save, load, defaults, script, check or scan";
        return false;
    }
    const ActionWord* action = nullptr;
    for (const ActionWord& word : kActions) {
        if (std::strcmp(argv[0], word.word) == 0) {
            action = &word;
        }
    }
    if (action == nullptr) {
        error = std::string("unknown action ") + argv[0] +
                " (save, load, defaults, script, check or scan)";
        return false;
    }
    options.action = action->action;
    bool havePath = !action->takesPath;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&](std::optional<std::string>& target) {
            if (i + 1 >= argc) {
                error = arg + " needs a value";
                return false;
            }
            target = argv[++i];
            return true;
        };
        if (TakeLonOption(argc, argv, i, options.lon, error)) {
            if (!error.empty()) {
                return false;
            }
            if (options.lon.target || options.lon.name || options.lon.bySelector) {
                error = arg + " is for one node; the fleet takes its nodes as arguments";
                return false;
            }
        } else if (arg == "--all") {
            options.all = true;
        } else if (arg == "--dry-run") {
            options.dryRun = true;
        } else if (arg == "--yes") {
            options.yes = true;
        } else if (arg == "--force") {
            options.force = true;
        } else if (arg == "-j") {
            std::optional<std::string> count;
            if (!value(count)) {
                return false;
            }
            char* end = nullptr;
            const long long n = std::strtoll(count->c_str(), &end, 10);
            if (count->empty() || *end != '\0' || n < 1 || n > kMaxParallel) {
                error = "-j takes 1 to 1000 nodes at once, not " + *count;
                return false;
            }
            options.parallel = static_cast<std::size_t>(n);
        } else if (arg == "--password") {
            if (!value(options.password)) {
                return false;
            }
        } else if (arg == "--json") {
            if (!value(options.json)) {
                return false;
            }
        } else if (arg == "--trace") {
            if (!value(options.trace)) {
                return false;
            }
        } else if (arg == "--output") {
            std::optional<std::string> folder;
            if (!value(folder)) {
                return false;
            }
            options.output = *folder;
        } else if (arg.size() > 1 && arg[0] == '-') {
            error = "unknown option " + arg;
            return false;
        } else if (!havePath) {
            options.path = arg;
            havePath = true;
        } else {
            options.nodes.push_back(arg);
        }
    }
    if (!havePath) {
        error = std::string(action->word) + " needs " +
                (options.action == Action::Save     ? "a folder"
                 : options.action == Action::Script ? "a script file"
                                                    : "a file or folder");
        return false;
    }
    if (options.action == Action::Scan) {
        if (options.nodes.size() != 1 || options.all) {
            error = "scan takes one range, e.g. 51/35/1-127";
            return false;
        }
    } else if (options.nodes.empty() && !options.all) {
        error = "which nodes? names of the node list, addresses, ranges or --all";
        return false;
    }
    return true;
}

int RunFleetCommand(int argc, char** argv) {
    FleetOptions options;
    std::string error;
    if (!ParseFleetOptions(argc, argv, options, error)) {
        return Usage(error);
    }

    const auto listPath =
        lon::DefaultNodeListPath(std::getenv("XDG_CONFIG_HOME"), std::getenv("HOME"));
    std::optional<lon::NodeList> list;
    if (listPath) {
        list = lon::NodeList::Load(*listPath, error);
        if (!list) {
            return Usage(error);
        }
    }
    auto nodes = fleet::ResolveNodes(options.nodes, options.all, list ? &*list : nullptr, error);
    if (!nodes) {
        return Usage(error);
    }

    // One socket, one host address, one domain: the nodes must share them.
    const lon::LonAddress& first = nodes->front().address;
    std::optional<lon::LonAddress> host = nodes->front().host;
    if (options.lon.host) {
        host = lon::ParseHostAddress(*options.lon.host, first, error);
        if (!host) {
            return Usage(error);
        }
    } else if (!host) {
        host = lon::LonAddress{first.domain, first.subnet, kDefaultHostNode};
    }
    for (const fleet::FleetNode& node : *nodes) {
        if (node.address.domain != first.domain) {
            return Usage("the nodes are in more than one domain (" + lon::FormatLonAddress(first) +
                         ", " + lon::FormatLonAddress(node.address) +
                         "); run each domain on its own");
        }
        if (!options.lon.host && node.host && *node.host != *host) {
            return Usage("the node list gives " + node.label + " another host address than " +
                         nodes->front().label + "; give one with --lon-host");
        }
    }
    std::erase_if(*nodes, [&](const fleet::FleetNode& node) {
        return options.action == Action::Scan && node.address == *host;
    });
    for (const fleet::FleetNode& node : *nodes) {
        if (node.address == *host) {
            return Usage("the node " + node.label + " has the host's address; give the host " +
                         "another with --lon-host");
        }
    }
    // LON/IP needs the host's derived address; a USB interface does not.
    const bool viaUsb = options.lon.usb.device || nodes->front().usb;
    const auto hostIp = viaUsb ? std::optional<std::uint32_t>(0) : lon::DerivedIpv4(*host, error);
    if (!hostIp) {
        return Usage(error);
    }

    // Each node's job.
    std::string scriptText;
    if (options.action == Action::Script) {
        const auto text = ReadScript(options.path, error);
        if (!text) {
            std::fprintf(stderr, "qma7 fleet: %s\n", error.c_str());
            return 1;
        }
        scriptText = *text;
    }
    std::error_code fileError;
    const bool pathIsFolder = std::filesystem::is_directory(options.path, fileError);
    std::vector<fleet::FleetJob> jobs;
    std::vector<fleet::FleetRow> rows;
    const lon::SubnetNode hostNode{static_cast<std::uint8_t>(host->subnet),
                                   static_cast<std::uint8_t>(host->node)};
    for (const fleet::FleetNode& node : *nodes) {
        fleet::FleetJob job;
        job.action = options.action;
        job.address = node.address;
        job.route = {hostNode,
                     {static_cast<std::uint8_t>(node.address.subnet),
                      static_cast<std::uint8_t>(node.address.node)},
                     node.address.domain};
        job.timing = options.lon.timing;
        job.name = node.listName;
        job.force = options.force;
        const std::filesystem::path own =
            std::filesystem::path(options.path) / (node.label + kSettingsExtension);
        switch (options.action) {
            case Action::Save:
                job.file = own.string();
                break;
            case Action::Load:
            case Action::Check:
                job.file = pathIsFolder ? own.string() : options.path;
                break;
            case Action::Script:
                job.file = scriptText;
                job.output =
                    (std::filesystem::path(options.output) / (node.label + kOutputExtension))
                        .string();
                break;
            case Action::Defaults:
            case Action::Scan:
                break;
        }
        jobs.push_back(job);
        fleet::FleetRow row;
        row.node = node;
        // A node whose own file is missing fails alone, untouched.
        const bool readsFile = options.action == Action::Load || options.action == Action::Check;
        if (readsFile && pathIsFolder && !std::filesystem::is_regular_file(job.file, fileError)) {
            row.state = fleet::FleetRow::State::Ended;
            row.result.detail = "no file " + job.file;
        }
        rows.push_back(row);
    }
    const bool readsOneFile = options.action == Action::Load || options.action == Action::Check;
    if (readsOneFile && !pathIsFolder &&
        !std::filesystem::is_regular_file(options.path, fileError)) {
        std::fprintf(stderr, "qma7 fleet: %s: no such file or folder\n", options.path.c_str());
        return 1;
    }

    const char* actionName = fleet::ActionName(options.action);
    if (options.dryRun) {
        for (const fleet::FleetJob& job : jobs) {
            const std::string& label = rows[&job - jobs.data()].node.label;
            const std::string what = options.action == Action::Script ? job.output : job.file;
            std::printf("%s %s %s%s%s\n", actionName, label.c_str(),
                        lon::FormatLonAddress(job.address).c_str(), what.empty() ? "" : " ",
                        what.c_str());
        }
        return 0;
    }

    if (Writes(options.action) && !options.yes) {
        if (::isatty(STDIN_FILENO) == 0) {
            return Usage(std::string(actionName) +
                         " changes the nodes: it asks on a terminal, or give --yes");
        }
        std::string question = std::string(actionName) + " on " + std::to_string(jobs.size()) +
                               " node" + (jobs.size() == 1 ? "" : "s") + ":";
        for (const fleet::FleetRow& row : rows) {
            question += " " + row.node.label;
        }
        if (!Confirm(question + "?")) {
            std::fputs("qma7 fleet: nothing done\n", stderr);
            return 1;
        }
    }
    if (options.action == Action::Load || options.action == Action::Defaults) {
        if (options.password) {
            for (fleet::FleetJob& job : jobs) {
                job.password = *options.password;
            }
        } else if (const char* password = std::getenv(kPasswordVariable)) {
            for (fleet::FleetJob& job : jobs) {
                job.password = password;
            }
        } else if (const auto typed = PromptPassword()) {
            for (fleet::FleetJob& job : jobs) {
                job.password = *typed;
            }
        } else {
            return Usage(std::string(actionName) + " needs the page password: --password, " +
                         kPasswordVariable + " or a terminal to ask on");
        }
    }
    if (options.action == Action::Save || options.action == Action::Script) {
        const std::string folder = options.action == Action::Save ? options.path : options.output;
        std::filesystem::create_directories(folder, fileError);
        if (fileError) {
            std::fprintf(stderr, "qma7 fleet: cannot make the folder %s: %s\n", folder.c_str(),
                         fileError.message().c_str());
            return 1;
        }
    }

    std::unique_ptr<std::FILE, int (*)(std::FILE*)> trace(nullptr, std::fclose);
    if (options.trace) {
        trace.reset(std::fopen(options.trace->c_str(), "w"));
        if (!trace) {
            std::fprintf(stderr, "qma7 fleet: cannot write %s: %s\n", options.trace->c_str(),
                         std::strerror(errno));
            return 1;
        }
    }

    platform::crt::ElapsedClock clock;
    std::unique_ptr<lon::UdpLink> socket;
    std::unique_ptr<lon::LsUdpLink> datagrams;
    std::unique_ptr<usb::UsbPacketLink> usbLink;
    lon::PacketLink* link = nullptr;
    std::size_t bound = kLonIpBound;
    const auto usbDevice = options.lon.usb.device ? options.lon.usb.device : nodes->front().usb;
    if (usbDevice) {
        const auto kind = options.lon.usb.kind ? options.lon.usb.kind : nodes->front().usbKind;
        const auto choice = ChooseUsbInterface(*usbDevice, kind, SysfsRoot(), error);
        if (choice) {
            usbLink =
                usb::UsbPacketLink::Open(choice->path, choice->family, hostNode, clock, error);
        }
        if (!usbLink) {
            std::fprintf(stderr, "qma7 fleet: %s\n", error.c_str());
            return 1;
        }
        link = usbLink.get();
        bound = kUsbBound;
        // Silent addresses hold their places for a whole timeout: a scan that queued more
        // addresses than places would time the later ones out before their requests went out.
        if (options.action == Action::Scan && options.parallel == 0) {
            options.parallel = kUsbBound;
        }
    } else {
        int errorNumber = 0;
        socket = lon::UdpLink::Open({*hostIp, lon::kLonIpPort}, errorNumber);
        if (!socket) {
            std::fprintf(stderr,
                         "qma7 fleet: cannot open UDP port 2541 of the host address %s (%s): %s\n",
                         lon::FormatLonAddress(*host).c_str(), lon::FormatIpv4(*hostIp).c_str(),
                         std::strerror(errorNumber));
            return 1;
        }
        datagrams = std::make_unique<lon::LsUdpLink>(*socket, first.domain, hostNode);
        link = datagrams.get();
    }
    std::unique_ptr<lon::FaultyLink> faults;
    if (const char* faultsText = std::getenv(kFaultsVariable)) {
        const auto parsed = lon::ParseFaults(faultsText, error);
        if (!parsed) {
            std::fprintf(stderr, "qma7 fleet: %s: %s\n", kFaultsVariable, error.c_str());
            return 1;
        }
        faults = std::make_unique<lon::FaultyLink>(*link, clock, *parsed);
        link = faults.get();
    }

    const lon::Timing& timing = options.lon.timing;
    fleet::PacketRelay relay(*link, bound, timing.timeoutMs);
    const bool inPlace =
        ::isatty(STDOUT_FILENO) != 0 && options.action != Action::Scan &&
        (TerminalRows() == 0 || static_cast<int>(rows.size()) + 2 < TerminalRows());
    fleet::FleetDisplay display(stdout, inPlace);
    fleet::WatchInterrupts();
    fleet::FleetRunner runner(relay, *link, socket ? socket->Descriptor() : -1, display,
                              trace.get());
    runner.Run(jobs, rows, options.parallel);
    if (usbLink) {
        usbLink->Close();  // the interface back in the mode it had
    }

    const std::string table = fleet::FormatTable(rows, options.action);
    std::fputs(inPlace ? ("\n" + table).c_str() : table.c_str(), stdout);
    std::fflush(stdout);
    if (options.json) {
        std::ofstream json(*options.json, std::ios::binary | std::ios::trunc);
        json << fleet::FormatJson(rows, options.action);
        if (!json.flush()) {
            std::fprintf(stderr, "qma7 fleet: cannot write %s\n", options.json->c_str());
            return 1;
        }
    }
    bool allDone = true;
    for (const fleet::FleetRow& row : rows) {
        const bool fine = row.Succeeded() || (options.action == Action::Scan &&
                                              row.state == fleet::FleetRow::State::Ended &&
                                              row.result.outcome == fleet::Outcome::Silent);
        allDone = allDone && fine;
    }
    if (fleet::Interrupted()) {
        std::fputs("qma7 fleet: interrupted\n", stderr);
    }
    return allDone ? 0 : 1;
}

}  // namespace host
