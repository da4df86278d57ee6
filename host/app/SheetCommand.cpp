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
#include "host/app/NodeKeeper.h"
#include "host/app/SheetImage.h"
#include "host/app/SheetOptions.h"
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
    if (!ParseSheetOptions(argc, argv, options, error)) {
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
        if (lon) {
            lon->Close();
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
