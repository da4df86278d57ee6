#include "host/app/SheetCommand.h"

#include <langinfo.h>

#include <clocale>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>

#include "host/app/ControlHost.h"
#include "host/app/FrontEndHookup.h"
#include "host/app/NodeConnection.h"
#include "host/app/SheetOptions.h"
#include "host/site/ClientSite.h"
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

namespace {

// What the terminal sheet runs with: the node, the terminal and what the host has to say once
// the terminal is given back.
struct SheetRun {
    NodeConnection& node;
    tui::CursesTerminal& terminal;
    std::ostringstream& notes;
    tui::TerminalFrontEnd* ui = nullptr;

    void TellNotes() const { std::fputs((node.Notes() + notes.str()).c_str(), stderr); }
};

// The image saved when it is due, a failing save shown at once; the simulated node lives.
tui::TerminalFrontEnd::Hooks MakeHooks(SheetRun& run) {
    tui::TerminalFrontEnd::Hooks hooks;
    auto keep = [&run](std::int64_t nowMs) {
        auto kept = run.node.Keep(nowMs);
        if (kept.problem) {
            run.ui->SetProblem(*kept.problem);
        }
        return kept.wakeMs;
    };
    hooks.wake = [&run, keep](std::int64_t nowMs) {
        run.node.Live(nowMs);
        return keep(nowMs);
    };
    hooks.busy = [keep](std::int64_t nowMs) { keep(nowMs); };
    hooks.terminate = [&run](int signal) {
        // Stopped: the node is kept as it stands, the link given back, the terminal given back,
        // what was cut short said, and the process ends as the signal would have ended it.
        const std::string interrupted = run.ui->Interrupted();
        run.node.SaveKept();
        run.node.Close();
        run.terminal.Stop();
        run.TellNotes();
        if (!interrupted.empty()) {
            std::fprintf(stderr, "qma7: %s\n", interrupted.c_str());
        }
        if (!run.node.KeepError().empty()) {
            std::fprintf(stderr, "qma7: %s\n", run.node.KeepError().c_str());
        }
        if (signal != 0) {  // 0: Esc or F10 while a call waited, which ends as Exit does
            std::signal(signal, SIG_DFL);
            std::raise(signal);
        }
    };
    NodeLink& link = run.node.Link();
    hooks.action = [&link] { link.UserActionBegins(); };
    hooks.linkNotice = [&link] { return link.TakeNotice(); };
    return hooks;
}

// Shows the sheet until the user leaves it; the control ends with it.
void ShowSheet(SheetRun& run, ClientSite& site, std::unique_ptr<ControlHost> control,
               bool unicode) {
    platform::crt::Clock& clock = run.node.Clock();
    tui::TerminalFrontEnd frontEnd(run.terminal, clock, run.node.Status(),
                                   unicode ? tui::Glyphs::Unicode() : tui::Glyphs::Ascii(),
                                   MakeHooks(run));
    run.ui = &frontEnd;
    MessageLoop loop(frontEnd, clock);
    const FrontEndHookup hookup(site, frontEnd);

    frontEnd.Paint();
    control->Control()->DoVerb(OLEIVERB_PROPERTIES);
    control.reset();
}

}  // namespace

int RunSheetCommand(int argc, char** argv) {
    SheetOptions options;
    std::string error;
    if (!ParseSheetOptions(argc, argv, options, error)) {
        std::fprintf(stderr, "qma7: %s\n", error.c_str());
        return 2;
    }
    const auto node = NodeConnection::OpenKept(
        options, DefaultNodeImagePath(std::getenv("XDG_STATE_HOME"), std::getenv("HOME")), error);
    if (!node) {
        return Fail(error);
    }

    // Wide characters need the user's locale; the plug-in's numbers do not follow it.
    std::setlocale(LC_ALL, "");
    const bool unicode = std::strcmp(nl_langinfo(CODESET), "UTF-8") == 0;

    ClientSite site(node->Link());
    site.SetLatency(options.latencyMs);
    site.SetKeepCalls(false);  // nobody reads the call log here

    // The plug-in is found (and registered on the first run) before the screen is taken over;
    // what the host has to say about it is shown once the terminal is given back.
    std::ostringstream notes;
    auto control = node->CreateControl(site, notes, error);
    if (!control) {
        std::fputs((node->Notes() + notes.str()).c_str(), stderr);
        return Fail(error);
    }
    auto terminal = tui::CursesTerminal::Start(unicode, error);
    if (!terminal) {
        std::fputs((node->Notes() + notes.str()).c_str(), stderr);
        return Fail(error);
    }
    SheetRun run{*node, *terminal, notes};
    ShowSheet(run, site, std::move(control), unicode);
    terminal->Stop();
    run.TellNotes();

    if (!node->SaveKept()) {
        return Fail(node->KeepError());
    }
    return 0;
}

}  // namespace host
