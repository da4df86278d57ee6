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

#include "host/app/NetworkPort.h"
#include "host/app/ScriptSource.h"
#include "host/fleet/FleetDisplay.h"
#include "host/fleet/FleetReport.h"
#include "host/fleet/FleetRunner.h"
#include "host/fleet/FleetTargets.h"
#include "host/fleet/PacketRelay.h"
#include "host/lon/NodeList.h"
#include "platform/crt/Clock.h"

namespace host {

namespace {

using fleet::Action;

constexpr int kDefaultHostNode = 126;
constexpr long long kMaxParallel = 1000;
constexpr char kPasswordVariable[] = "QMA7_PASSWORD";
constexpr char kSettingsExtension[] = ".txt";
constexpr char kOutputExtension[] = ".out";
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

namespace {

// The action word that leads the command line; nullptr with a message.
const ActionWord* TakeAction(int argc, char** argv, std::string& error) {
    if (argc < 1) {
        error = "which action? save, load, defaults, script, check or scan";
        return nullptr;
    }
    for (const ActionWord& word : kActions) {
        if (std::strcmp(argv[0], word.word) == 0) {
            return &word;
        }
    }
    error =
        std::string("unknown action ") + argv[0] + " (save, load, defaults, script, check or scan)";
    return nullptr;
}

// -j COUNT; false with a message.
bool TakeParallel(const std::string& count, FleetOptions& options, std::string& error) {
    char* end = nullptr;
    const long long n = std::strtoll(count.c_str(), &end, 10);
    if (count.empty() || *end != '\0' || n < 1 || n > kMaxParallel) {
        error = "-j takes 1 to 1000 nodes at once, not " + count;
        return false;
    }
    options.parallel = static_cast<std::size_t>(n);
    return true;
}

// Takes argv[i] (and its value) when it is an option of the fleet's own, moving i on: true.
// error is set when it is wrong.
bool TakeFleetOption(int argc, char** argv, int& i, FleetOptions& options, std::string& error) {
    const std::string arg = argv[i];
    auto value = [&](std::optional<std::string>& target) {
        if (i + 1 >= argc) {
            error = arg + " needs a value";
            return false;
        }
        target = argv[++i];
        return true;
    };
    std::optional<std::string> text;
    if (arg == "--all") {
        options.all = true;
    } else if (arg == "--dry-run") {
        options.dryRun = true;
    } else if (arg == "--yes") {
        options.yes = true;
    } else if (arg == "--force") {
        options.force = true;
    } else if (arg == "-j") {
        if (value(text)) {
            TakeParallel(*text, options, error);
        }
    } else if (arg == "--password") {
        value(options.password);
    } else if (arg == "--json") {
        value(options.json);
    } else if (arg == "--trace") {
        value(options.trace);
    } else if (arg == "--output") {
        if (value(text)) {
            options.output = *text;
        }
    } else {
        return false;
    }
    return true;
}

// What the action needs besides its options, once they are all read; false with a message.
bool CheckFleetArguments(const ActionWord& action, bool havePath, const FleetOptions& options,
                         std::string& error) {
    if (!havePath) {
        error = std::string(action.word) + " needs " +
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

}  // namespace

bool ParseFleetOptions(int argc, char** argv, FleetOptions& options, std::string& error) {
    const ActionWord* action = TakeAction(argc, argv, error);
    if (action == nullptr) {
        return false;
    }
    options.action = action->action;
    bool havePath = !action->takesPath;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (TakeLonOption(argc, argv, i, options.lon, error)) {
            if (error.empty() &&
                (options.lon.target || options.lon.name || options.lon.bySelector)) {
                error = arg + " is for one node; the fleet takes its nodes as arguments";
            }
        } else if (TakeFleetOption(argc, argv, i, options, error)) {
            // one of the fleet's own
        } else if (arg.size() > 1 && arg[0] == '-') {
            error = "unknown option " + arg;
        } else if (!havePath) {
            options.path = arg;
            havePath = true;
        } else {
            options.nodes.push_back(arg);
        }
        if (!error.empty()) {
            return false;
        }
    }
    return CheckFleetArguments(*action, havePath, options, error);
}

namespace {

// What the fleet runs: the nodes, the host's address among them, each node's job and row.
struct FleetPlan {
    std::vector<fleet::FleetNode> nodes;
    lon::LonAddress host;
    std::vector<fleet::FleetJob> jobs;
    std::vector<fleet::FleetRow> rows;
};

// The nodes the words name, through the node list; nothing with a message.
std::optional<std::vector<fleet::FleetNode>> FindNodes(const FleetOptions& options,
                                                       std::string& error) {
    const auto listPath =
        lon::DefaultNodeListPath(std::getenv("XDG_CONFIG_HOME"), std::getenv("HOME"));
    std::optional<lon::NodeList> list;
    if (listPath) {
        list = lon::NodeList::Load(*listPath, error);
        if (!list) {
            return std::nullopt;
        }
    }
    return fleet::ResolveNodes(options.nodes, options.all, list ? &*list : nullptr, error);
}

// One port, one host address, one domain: the nodes must share them. The host's address, with
// a scan's own address taken out of the nodes; nothing with a message.
std::optional<lon::LonAddress> ChooseHost(const FleetOptions& options,
                                          std::vector<fleet::FleetNode>& nodes,
                                          std::string& error) {
    const lon::LonAddress first = nodes.front().address;
    std::optional<lon::LonAddress> host = nodes.front().host;
    if (options.lon.host) {
        host = lon::ParseHostAddress(*options.lon.host, first, error);
        if (!host) {
            return std::nullopt;
        }
    } else if (!host) {
        host = lon::LonAddress{first.domain, first.subnet, kDefaultHostNode};
    }
    for (const fleet::FleetNode& node : nodes) {
        if (node.address.domain != first.domain) {
            error = "the nodes are in more than one domain (" + lon::FormatLonAddress(first) +
                    ", " + lon::FormatLonAddress(node.address) + "); run each domain on its own";
            return std::nullopt;
        }
        if (!options.lon.host && node.host && *node.host != *host) {
            error = "the node list gives " + node.label + " another host address than " +
                    nodes.front().label + "; give one with --lon-host";
            return std::nullopt;
        }
    }
    std::erase_if(nodes, [&](const fleet::FleetNode& node) {
        return options.action == Action::Scan && node.address == *host;
    });
    for (const fleet::FleetNode& node : nodes) {
        if (node.address == *host) {
            error = "the node " + node.label + " has the host's address; give the host " +
                    "another with --lon-host";
            return std::nullopt;
        }
    }
    // LON/IP needs the host's derived address; a USB interface does not.
    const bool viaUsb = options.lon.usb.device || nodes.front().usb;
    if (!viaUsb && !lon::DerivedIpv4(*host, error)) {
        return std::nullopt;
    }
    return host;
}

// The job of one node: what it does, with which file.
fleet::FleetJob MakeJob(const FleetOptions& options, const fleet::FleetNode& node,
                        const lon::LonAddress& host, const std::string& scriptText,
                        bool pathIsFolder) {
    fleet::FleetJob job;
    job.action = options.action;
    job.address = node.address;
    job.route = {{static_cast<std::uint8_t>(host.subnet), static_cast<std::uint8_t>(host.node)},
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
                (std::filesystem::path(options.output) / (node.label + kOutputExtension)).string();
            break;
        case Action::Defaults:
        case Action::Scan:
            break;
    }
    return job;
}

// Each node's job and row; the exit status when the files say the fleet cannot start.
std::optional<int> MakeJobs(const FleetOptions& options, FleetPlan& plan) {
    std::string scriptText;
    if (options.action == Action::Script) {
        std::string error;
        const auto text = ReadScript(options.path, error);
        if (!text) {
            std::fprintf(stderr, "qma7 fleet: %s\n", error.c_str());
            return 1;
        }
        scriptText = *text;
    }
    std::error_code fileError;
    const bool pathIsFolder = std::filesystem::is_directory(options.path, fileError);
    const bool readsFile = options.action == Action::Load || options.action == Action::Check;
    for (const fleet::FleetNode& node : plan.nodes) {
        plan.jobs.push_back(MakeJob(options, node, plan.host, scriptText, pathIsFolder));
        fleet::FleetRow row;
        row.node = node;
        // A node whose own file is missing fails alone, untouched.
        const std::string& file = plan.jobs.back().file;
        if (readsFile && pathIsFolder && !std::filesystem::is_regular_file(file, fileError)) {
            row.state = fleet::FleetRow::State::Ended;
            row.result.detail = "no file " + file;
        }
        plan.rows.push_back(row);
    }
    if (readsFile && !pathIsFolder && !std::filesystem::is_regular_file(options.path, fileError)) {
        std::fprintf(stderr, "qma7 fleet: %s: no such file or folder\n", options.path.c_str());
        return 1;
    }
    return std::nullopt;
}

void PrintDryRun(const FleetOptions& options, const FleetPlan& plan) {
    const char* actionName = fleet::ActionName(options.action);
    for (std::size_t i = 0; i < plan.jobs.size(); ++i) {
        const fleet::FleetJob& job = plan.jobs[i];
        const std::string& label = plan.rows[i].node.label;
        const std::string what = options.action == Action::Script ? job.output : job.file;
        std::printf("%s %s %s%s%s\n", actionName, label.c_str(),
                    lon::FormatLonAddress(job.address).c_str(), what.empty() ? "" : " ",
                    what.c_str());
    }
}

// An action that changes the nodes is confirmed, and those that need it get the page
// password; the exit status when the fleet does not start.
std::optional<int> Consent(const FleetOptions& options, FleetPlan& plan) {
    const std::string actionName = fleet::ActionName(options.action);
    if (Writes(options.action) && !options.yes) {
        if (::isatty(STDIN_FILENO) == 0) {
            return Usage(actionName + " changes the nodes: it asks on a terminal, or give --yes");
        }
        std::string question = actionName + " on " + std::to_string(plan.jobs.size()) + " node" +
                               (plan.jobs.size() == 1 ? "" : "s") + ":";
        for (const fleet::FleetRow& row : plan.rows) {
            question += " " + row.node.label;
        }
        if (!Confirm(question + "?")) {
            std::fputs("qma7 fleet: nothing done\n", stderr);
            return 1;
        }
    }
    if (options.action != Action::Load && options.action != Action::Defaults) {
        return std::nullopt;
    }
    std::optional<std::string> password = options.password;
    if (!password) {
        const char* given = std::getenv(kPasswordVariable);
        password = given != nullptr ? std::optional<std::string>(given) : PromptPassword();
    }
    if (!password) {
        return Usage(actionName + " needs the page password: --password, " + kPasswordVariable +
                     " or a terminal to ask on");
    }
    for (fleet::FleetJob& job : plan.jobs) {
        job.password = *password;
    }
    return std::nullopt;
}

// The folder the results go to; false when it cannot be made (told).
bool MakeOutputFolder(const FleetOptions& options) {
    if (options.action != Action::Save && options.action != Action::Script) {
        return true;
    }
    const std::string folder = options.action == Action::Save ? options.path : options.output;
    std::error_code fileError;
    std::filesystem::create_directories(folder, fileError);
    if (fileError) {
        std::fprintf(stderr, "qma7 fleet: cannot make the folder %s: %s\n", folder.c_str(),
                     fileError.message().c_str());
        return false;
    }
    return true;
}

std::string FleetSocketMessage(int errorNumber, const lon::LonAddress& host, std::uint32_t ip) {
    return "cannot open UDP port 2541 of the host address " + lon::FormatLonAddress(host) + " (" +
           lon::FormatIpv4(ip) + "): " + std::strerror(errorNumber);
}

// The table (and the JSON file), what an interrupt cut short; the exit status.
int Report(const FleetOptions& options, const std::vector<fleet::FleetRow>& rows, bool inPlace) {
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

// Runs the jobs over the port to the nodes, this process relaying; the exit status.
int RunPlan(FleetOptions& options, FleetPlan& plan, std::FILE* trace) {
    platform::crt::ElapsedClock clock;
    std::string error;
    const fleet::FleetNode& first = plan.nodes.front();
    const PortChoice choice{options.lon.usb.device ? options.lon.usb.device : first.usb,
                            options.lon.usb.kind ? options.lon.usb.kind : first.usbKind};
    const auto port =
        NetworkPort::Open(choice, first.address, plan.host, clock, FleetSocketMessage, error);
    if (!port) {
        std::fprintf(stderr, "qma7 fleet: %s\n", error.c_str());
        return 1;
    }
    // Silent addresses hold their places for a whole timeout: a scan that queued more addresses
    // than a bounded port has places would time the later ones out before their requests went.
    const std::size_t bound = port->RequestBound();
    if (options.action == Action::Scan && options.parallel == 0 &&
        bound != fleet::PacketRelay::kUnbounded) {
        options.parallel = bound;
    }
    fleet::PacketRelay relay(port->Link(), bound, options.lon.timing.timeoutMs);
    const bool inPlace =
        ::isatty(STDOUT_FILENO) != 0 && options.action != Action::Scan &&
        (TerminalRows() == 0 || static_cast<int>(plan.rows.size()) + 2 < TerminalRows());
    fleet::FleetDisplay display(stdout, inPlace);
    fleet::WatchInterrupts();
    fleet::FleetRunner runner(relay, port->Link(), port->Descriptor(), display, trace);
    runner.Run(plan.jobs, plan.rows, options.parallel);
    port->Close();  // a USB interface back in the mode it had
    return Report(options, plan.rows, inPlace);
}

}  // namespace

int RunFleetCommand(int argc, char** argv) {
    FleetOptions options;
    std::string error;
    if (!ParseFleetOptions(argc, argv, options, error)) {
        return Usage(error);
    }
    FleetPlan plan;
    auto nodes = FindNodes(options, error);
    if (!nodes) {
        return Usage(error);
    }
    plan.nodes = std::move(*nodes);
    const auto host = ChooseHost(options, plan.nodes, error);
    if (!host) {
        return Usage(error);
    }
    plan.host = *host;
    if (const auto status = MakeJobs(options, plan)) {
        return *status;
    }
    if (options.dryRun) {
        PrintDryRun(options, plan);
        return 0;
    }
    if (const auto status = Consent(options, plan)) {
        return *status;
    }
    if (!MakeOutputFolder(options)) {
        return 1;
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
    return RunPlan(options, plan, trace.get());
}

}  // namespace host
