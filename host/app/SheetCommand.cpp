#include "host/app/SheetCommand.h"

#include <langinfo.h>

#include <clocale>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <system_error>

#include "host/app/ControlHost.h"
#include "host/app/LonOption.h"
#include "host/node/FactoryNode.h"
#include "host/node/NodeImage.h"
#include "host/site/ClientSite.h"
#include "host/tui/CursesTerminal.h"
#include "host/tui/TerminalFrontEnd.h"
#include "platform/crt/Clock.h"
#include "plugin/settingsfile/ProgramId.h"
// The live model of the node (readings, outputs, counters, alarms): used where it is built.
#if __has_include("host/node/LiveModel.h")
#include "host/node/LiveModel.h"
#endif

namespace host {

namespace {

namespace fs = std::filesystem;

constexpr std::int64_t kSaveIntervalMs = 1000;  // writes reach the image at most once a second
constexpr long long kMaxLatencyMs = 60000;

struct SheetOptions {
    std::optional<std::string> nodeImage;
    bool fresh = false;
    std::int64_t latencyMs = 0;
    LonOptions lon;
};

bool ParseOptions(int argc, char** argv, SheetOptions& options, std::string& error) {
    for (int i = 0; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&]() -> const char* {
            if (i + 1 >= argc) {
                error = arg + " needs a value";
                return nullptr;
            }
            return argv[++i];
        };
        if (TakeLonOption(argc, argv, i, options.lon, error)) {
            if (!error.empty()) {
                return false;
            }
        } else if (arg == "--node") {
            const char* v = value();
            if (v == nullptr) {
                return false;
            }
            options.nodeImage = v;
        } else if (arg == "--fresh") {
            options.fresh = true;
        } else if (arg == "--latency") {
            const char* v = value();
            if (v == nullptr) {
                return false;
            }
            char* end = nullptr;
            const long long ms = std::strtoll(v, &end, 10);
            if (*v == '\0' || *end != '\0' || ms < 0 || ms > kMaxLatencyMs) {
                error = std::string("--latency takes milliseconds from 0 to 60000, not ") + v;
                return false;
            }
            options.latencyMs = ms;
        } else {
            error = "unknown argument " + arg;
            return false;
        }
    }
    if (!options.lon.target && !options.lon.needsLon.empty()) {
        error = options.lon.needsLon + " needs --lon";
        return false;
    }
    if (options.lon.target && (options.nodeImage || options.fresh || options.latencyMs != 0)) {
        error = std::string(options.nodeImage ? "--node"
                            : options.fresh   ? "--fresh"
                                              : "--latency") +
                " is for the simulated node; it cannot be used with --lon";
        return false;
    }
    return true;
}

// Keeps the node image up to date: after the host's writes, at most once a second, and on
// demand (exit, a signal).
class NodeKeeper {
  public:
    NodeKeeper(SimNode& node, ClientSite& site, fs::path path)
        : m_node(node), m_site(site), m_path(std::move(path)) {}

    // At each wake-up: takes the site's call log (which would grow without end otherwise) and
    // saves when a write came in and the last save is a second old; when to wake to save.
    std::optional<std::int64_t> Wake(std::int64_t nowMs) {
        for (const HostCall& call : m_site.TakeCalls()) {
            m_dirty = m_dirty || (call.kind == HostCall::Kind::Write && call.ok);
        }
        if (!m_dirty) {
            return std::nullopt;
        }
        if (!m_lastSave || nowMs - *m_lastSave >= kSaveIntervalMs) {
            Save(nowMs);
            return std::nullopt;
        }
        return *m_lastSave + kSaveIntervalMs;
    }

    bool Save(std::int64_t nowMs) {
        m_lastSave = nowMs;
        m_dirty = false;
        std::string error;
        if (!NodeImage::Save(m_node, m_path, error)) {
            m_error = error;
            return false;
        }
        m_error.clear();
        return true;
    }

    // The last save's failure, empty when it succeeded.
    const std::string& Error() const { return m_error; }

  private:
    SimNode& m_node;
    ClientSite& m_site;
    fs::path m_path;
    bool m_dirty = false;
    std::optional<std::int64_t> m_lastSave;
    std::string m_error;
};

int Fail(const std::string& message) {
    std::fprintf(stderr, "qma7: %s\n", message.c_str());
    return 1;
}

// The simulated node: the image as it was left, the factory node on the first run or when
// asked. Its path in imagePath.
std::optional<SimNode> OpenSimNode(const SheetOptions& options, fs::path& imagePath,
                                   std::string& error) {
    const auto defaultPath =
        DefaultNodeImagePath(std::getenv("XDG_STATE_HOME"), std::getenv("HOME"));
    if (!options.nodeImage && !defaultPath) {
        error = "neither XDG_STATE_HOME nor HOME is set; name a node image with --node IMAGE";
        return std::nullopt;
    }
    imagePath = options.nodeImage ? fs::path(*options.nodeImage) : *defaultPath;
    std::error_code fsError;
    const bool exists = fs::exists(imagePath, fsError);
    if (options.nodeImage && !exists && !options.fresh) {
        error = "there is no node image " + imagePath.string() +
                "; add --fresh to start it from the factory node";
        return std::nullopt;
    }
    std::optional<SimNode> node =
        options.fresh || !exists ? FactoryNode::Make() : NodeImage::Load(imagePath, error);
    if (node && (options.fresh || !exists)) {
        // Made now, so that a folder that cannot hold it shows before the sheet opens.
        if (imagePath.has_parent_path()) {
            fs::create_directories(imagePath.parent_path(), fsError);
        }
        if (!NodeImage::Save(*node, imagePath, error)) {
            return std::nullopt;
        }
    }
    return node;
}

}  // namespace

std::optional<fs::path> DefaultNodeImagePath(const char* stateHome, const char* home) {
    // A relative XDG_STATE_HOME is invalid and ignored.
    if (stateHome != nullptr && stateHome[0] == '/') {
        return fs::path(stateHome) / "qma7" / "node.json";
    }
    if (home != nullptr && home[0] != '\0') {
        return fs::path(home) / ".local" / "state" / "qma7" / "node.json";
    }
    return std::nullopt;
}

int RunSheetCommand(int argc, char** argv) {
    SheetOptions options;
    std::string error;
    if (!ParseOptions(argc, argv, options, error)) {
        std::fprintf(stderr, "qma7: %s\n", error.c_str());
        return 2;
    }

    platform::crt::Clock& clock = platform::crt::CurrentClock();
    std::unique_ptr<LonSession> lon;
    std::optional<SimNode> node;
    fs::path imagePath;
    if (options.lon.target) {
        lon = LonSession::Open(options.lon, clock, error);
    } else {
        node = OpenSimNode(options, imagePath, error);
    }
    if (!lon && !node) {
        return Fail(error);
    }
    NodeLink& link = lon ? static_cast<NodeLink&>(lon->Node()) : *node;

    // Wide characters need the user's locale; the plug-in's numbers do not follow it.
    std::setlocale(LC_ALL, "");
    const bool unicode = std::strcmp(nl_langinfo(CODESET), "UTF-8") == 0;

    ClientSite site(link);
    site.SetLatency(options.latencyMs);
    // The simulated node is kept in its image and lives; a node on the network keeps itself.
    std::optional<NodeKeeper> keeper;
    std::function<void(std::int64_t)> advanceNode;  // nothing: the node holds still
#if __has_include("host/node/LiveModel.h")
    std::optional<LiveModel> live;
#endif
    if (node) {
        keeper.emplace(*node, site, imagePath);
#if __has_include("host/node/LiveModel.h")
        live.emplace(*node);
        advanceNode = [&live](std::int64_t nowMs) { live->AdvanceTo(nowMs); };
#endif
    }

    auto terminal = tui::CursesTerminal::Start(unicode, error);
    if (!terminal) {
        return Fail(error);
    }
    tui::TerminalFrontEnd::Hooks hooks;
    hooks.wake = [&](std::int64_t nowMs) {
        if (advanceNode) {
            advanceNode(nowMs);
        }
        if (!keeper) {
            site.TakeCalls();  // the log would grow without end
            return std::optional<std::int64_t>();
        }
        return keeper->Wake(nowMs);
    };
    hooks.terminate = [&](int signal) {
        // Killed: the node is kept as it stands, the terminal given back, and the process
        // ends as the signal would have ended it.
        if (keeper) {
            keeper->Wake(clock.NowMs());
            keeper->Save(clock.NowMs());
        }
        terminal->Stop();
        if (keeper && !keeper->Error().empty()) {
            std::fprintf(stderr, "qma7: %s\n", keeper->Error().c_str());
        }
        std::signal(signal, SIG_DFL);
        std::raise(signal);
    };
    tui::StatusInfo status{node ? node->Name() : lon->Name(),
                           lon ? lon->ProgramIdText() : std::string(settingsfile::kProgramId)};
    status.link = link.Kind();
    status.address = link.Address();
    status.problem = [&link] { return link.Problem(); };
    tui::TerminalFrontEnd frontEnd(*terminal, clock, std::move(status),
                                   unicode ? tui::Glyphs::Unicode() : tui::Glyphs::Ascii(),
                                   std::move(hooks));
    MessageLoop loop(frontEnd, clock);

    auto control = CreateControlFor(site, lon.get(), error);
    if (!control) {
        terminal->Stop();
        return Fail(error);
    }
    frontEnd.Paint();
    control->Control()->DoVerb(OLEIVERB_PROPERTIES);
    control.reset();
    terminal->Stop();

    if (keeper) {
        keeper->Wake(clock.NowMs());
        if (!keeper->Save(clock.NowMs())) {
            return Fail(keeper->Error());
        }
    }
    return 0;
}

}  // namespace host
