#include "host/app/SheetCommand.h"

#include <langinfo.h>

#include <clocale>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <sstream>
#include <string>

#include "host/app/ControlHost.h"
#include "host/app/FrontEndHookup.h"
#include "host/app/LonOption.h"
#include "host/app/SheetImage.h"
#include "host/node/LiveModel.h"
#include "host/node/NodeImage.h"
#include "host/node/NodeProgramId.h"
#include "host/site/ClientSite.h"
#include "host/text/ShownText.h"
#include "host/tui/CursesTerminal.h"
#include "host/tui/TerminalFrontEnd.h"
#include "platform/crt/Clock.h"

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
                error = ShownText(arg) + " needs a value";
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
                error = "--latency takes milliseconds from 0 to 60000, not " + ShownText(v);
                return false;
            }
            options.latencyMs = ms;
        } else {
            error = "unknown argument " + ShownText(arg) + " (qma7 --help lists the options)";
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

// Keeps the node image up to date: at most a second after the node changed (also while a
// handler runs), and on demand (exit, a signal). It learns of changes from the node itself. A
// save that fails is tried again a second later until one succeeds.
class NodeKeeper {
  public:
    NodeKeeper(SimNode& node, fs::path path)
        : m_node(node), m_path(std::move(path)), m_saved(node.Generation()) {}

    // Saves when the node changed and the last save is a second old; when to wake to save.
    std::optional<std::int64_t> Wake(std::int64_t nowMs) {
        if (m_node.Generation() == m_saved && m_error.empty()) {
            return std::nullopt;
        }
        if (!m_lastSave || nowMs - *m_lastSave >= kSaveIntervalMs) {
            Save(nowMs);
        }
        return Pending() ? std::optional(*m_lastSave + kSaveIntervalMs) : std::nullopt;
    }

    bool Save(std::int64_t nowMs) {
        m_lastSave = nowMs;
        const std::uint64_t generation = m_node.Generation();
        std::string error;
        if (!NodeImage::Save(m_node, m_path, error)) {
            m_error = error;
            return false;
        }
        m_saved = generation;
        m_error.clear();
        return true;
    }

    // The last save's failure, empty when it succeeded.
    const std::string& Error() const { return m_error; }

  private:
    bool Pending() const { return m_node.Generation() != m_saved || !m_error.empty(); }

    SimNode& m_node;
    fs::path m_path;
    std::uint64_t m_saved;
    std::optional<std::int64_t> m_lastSave;
    std::string m_error;
};

// The status line's words for a save that failed; empty when it succeeded.
std::string SaveProblem(const std::string& error) {
    return error.empty() ? std::string() : "NOT SAVED: " + error + " (trying again)";
}

int Fail(const std::string& message) {
    std::fprintf(stderr, "qma7: %s\n", message.c_str());
    return 1;
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

    // The node: on the network, or simulated: the image as it was left, the factory node on the
    // first run or when asked.
    platform::crt::Clock& clock = platform::crt::CurrentClock();
    std::unique_ptr<LonSession> lon;
    std::optional<SheetImage> image;
    if (options.lon.target) {
        lon = LonSession::Open(options.lon, clock, error);
    } else {
        image =
            OpenSheetImage(options.nodeImage,
                           DefaultNodeImagePath(std::getenv("XDG_STATE_HOME"), std::getenv("HOME")),
                           options.fresh, error);
    }
    if (!lon && !image) {
        return Fail(error);
    }
    NodeLink& link = lon ? static_cast<NodeLink&>(lon->Node()) : image->node;

    // Wide characters need the user's locale; the plug-in's numbers do not follow it.
    std::setlocale(LC_ALL, "");
    const bool unicode = std::strcmp(nl_langinfo(CODESET), "UTF-8") == 0;

    ClientSite site(link);
    site.SetLatency(options.latencyMs);
    site.SetKeepCalls(false);  // nobody reads the call log here
    // The simulated node is kept in its image and lives; a node on the network keeps itself.
    std::optional<NodeKeeper> keeper;
    std::optional<LiveModel> live;
    if (image) {
        keeper.emplace(image->node, image->path);
        live.emplace(image->node);
    }

    // The plug-in is found (and registered on the first run) before the screen is taken over;
    // what the host has to say about it is shown once the terminal is given back.
    std::ostringstream notes;
    const auto tellNotes = [&] {
        std::fputs(((image ? image->notes : std::string()) + notes.str()).c_str(), stderr);
    };
    auto control = CreateControlFor(site, lon.get(), notes, error);
    if (!control) {
        tellNotes();
        return Fail(error);
    }

    auto terminal = tui::CursesTerminal::Start(unicode, error);
    if (!terminal) {
        tellNotes();
        return Fail(error);
    }
    tui::TerminalFrontEnd::Hooks hooks;
    tui::TerminalFrontEnd* ui = nullptr;
    // Saves the image when it is due and shows a failing save at once.
    auto keep = [&](std::int64_t nowMs) -> std::optional<std::int64_t> {
        if (!keeper) {
            return std::nullopt;
        }
        const auto next = keeper->Wake(nowMs);
        ui->SetProblem(SaveProblem(keeper->Error()));
        return next;
    };
    hooks.wake = [&](std::int64_t nowMs) {
        if (live) {
            live->AdvanceTo(nowMs);
        }
        return keep(nowMs);
    };
    hooks.busy = [&](std::int64_t nowMs) { keep(nowMs); };
    hooks.terminate = [&](int signal) {
        // Stopped: the node is kept as it stands, the terminal given back, what was cut short
        // said, and the process ends as the signal would have ended it.
        const std::string interrupted = ui->Interrupted();
        if (keeper) {
            keeper->Save(clock.NowMs());
        }
        terminal->Stop();
        tellNotes();
        if (!interrupted.empty()) {
            std::fprintf(stderr, "qma7: %s\n", interrupted.c_str());
        }
        if (keeper && !keeper->Error().empty()) {
            std::fprintf(stderr, "qma7: %s\n", keeper->Error().c_str());
        }
        if (signal != 0) {  // 0: Esc or F10 while a call waited, which ends as Exit does
            std::signal(signal, SIG_DFL);
            std::raise(signal);
        }
    };
    hooks.action = [&link] { link.UserActionBegins(); };
    hooks.linkNotice = [&link] { return link.TakeNotice(); };
    tui::StatusInfo status{image ? image->node.Name() : lon->Name(),
                           lon ? lon->ProgramIdText() : ProgramIdText(kSimNodeProgramId)};
    status.link = link.Kind();
    status.address = link.Address();
    status.problem = [&link] { return link.Problem(); };
    tui::TerminalFrontEnd frontEnd(*terminal, clock, std::move(status),
                                   unicode ? tui::Glyphs::Unicode() : tui::Glyphs::Ascii(),
                                   std::move(hooks));
    ui = &frontEnd;
    MessageLoop loop(frontEnd, clock);
    const FrontEndHookup hookup(site, frontEnd);

    frontEnd.Paint();
    control->Control()->DoVerb(OLEIVERB_PROPERTIES);
    control.reset();
    terminal->Stop();
    tellNotes();

    if (keeper && !keeper->Save(clock.NowMs())) {
        return Fail(keeper->Error());
    }
    return 0;
}

}  // namespace host
