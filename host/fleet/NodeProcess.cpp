#include "host/fleet/NodeProcess.h"

#include <signal.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <random>
#include <sstream>

#include "host/app/ControlHost.h"
#include "host/app/LonOption.h"
#include "host/app/PluginLocator.h"
#include "host/driver/LinkScriptNode.h"
#include "host/driver/ScriptDriver.h"
#include "host/fleet/RelayLink.h"
#include "host/fleet/SettingsCompare.h"
#include "host/lon/LonNodeLink.h"
#include "host/node/NodeProgramId.h"
#include "host/site/ClientSite.h"
#include "host/text/QuoteText.h"
#include "platform/crt/Clock.h"

namespace host::fleet {

namespace {

constexpr int kSelectorNv = 42;  // selecting a part is a step of an item, not an item
// The items of the long actions, as the terminal's busy line counts them: 14 values and 12
// parts.
constexpr int kActionItems = 26;

volatile sig_atomic_t g_stop = 0;

// Boxes of the plug-in's Import / Export page that tell how an action ended.
constexpr char kFileWritten[] = "\"File written\"";
constexpr char kFileWrittenErrors[] = "\"File Written. ";
constexpr char kFileNotWritten[] = "\"File not written\"";
constexpr char kErrorOpening[] = "\"Error opening file\"";
constexpr char kErrorWriting[] = "\"Error writing file\"";
constexpr char kDownloadCompleted[] = "\"Download completed\"";
constexpr char kDownloadPartly[] = "\"Download not completed. ";
constexpr char kDownloadNotCompleted[] = "\"Download not completed\"";
constexpr char kDownloadAborted[] = "\"Download aborted\"";
constexpr char kForeignFile[] = "box \"ProgramID does not match!\"";  // then the answer
constexpr char kAnsweredNo[] = "-> No";
constexpr char kWrongPassword[] = "\"Wrong password";
constexpr char kFileNotFound[] = "\"File not found!\"";
constexpr char kDefaultsPartly[] = "\"Default settings not completed. ";

bool Has(const std::string& text, const char* what) {
    return text.find(what) != std::string::npos;
}

// Whether the box whose line starts with start was answered No.
bool AnsweredNo(const std::string& boxes, const char* start) {
    std::istringstream lines(boxes);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.starts_with(start) && line.ends_with(kAnsweredNo)) {
            return true;
        }
    }
    return false;
}

// The count after prefix in text ("... not completed. 3 items ..." -> 3).
int CountAfter(const std::string& text, const char* prefix) {
    const std::size_t at = text.find(prefix);
    return at == std::string::npos ? 0 : std::atoi(text.c_str() + at + std::strlen(prefix));
}

NodeResult Result(Outcome outcome, std::string detail, int notWritten = 0) {
    NodeResult result;
    result.outcome = outcome;
    result.detail = std::move(detail);
    result.notWritten = notWritten;
    return result;
}

// Ends the process with result told to the owner of the link.
[[noreturn]] void Finish(RelayLink& relay, NodeResult result, const std::string& programId,
                         const std::string& name) {
    result.programId = programId;
    result.name = name;
    relay.Report(result);
    std::fflush(nullptr);
    std::_Exit(result.outcome == Outcome::Done ? 0 : 1);
}

}  // namespace

void RequestStop() {
    g_stop = 1;
}

std::string ActionScript(const FleetJob& job, const std::string& path) {
    const std::string answer = job.force ? "Yes" : "No";
    std::string script = "open\ntab \"Import / Export\"\n";
    switch (job.action) {
        case Action::Save:
        case Action::Check:
            // A file there already is replaced only with --force.
            script += "set 428 " + QuoteText(path) + "\nfile " + QuoteText(path) + "\nanswer " +
                      answer + "\nclick 427\n";
            break;
        case Action::Load:
            // Yes to "Download from file to node?"; a file of another program ID only with
            // --force.
            script += "set 428 " + QuoteText(path) + "\nset 221 " + QuoteText(job.password) +
                      "\nfile " + QuoteText(path) + "\nanswer Yes\nanswer " + answer +
                      "\nclick 430\n";
            break;
        case Action::Defaults:
            script += "set 221 " + QuoteText(job.password) + "\nclick 228\n";
            break;
        case Action::Script:
        case Action::Scan:
            return {};
    }
    return script + "boxes\nexit\n";
}

NodeResult ResultOfBoxes(Action action, const std::string& boxes) {
    switch (action) {
        case Action::Save:
        case Action::Check:
            if (Has(boxes, kFileWritten)) {
                return Result(Outcome::Done, {});
            }
            if (Has(boxes, kFileWrittenErrors)) {
                const int unread = CountAfter(boxes, kFileWrittenErrors);
                return Result(Outcome::Failed,
                              "written with " + std::to_string(unread) + " NV read errors", unread);
            }
            if (Has(boxes, kFileNotWritten)) {
                return Result(Outcome::Failed, "the file exists (--force replaces it)");
            }
            if (Has(boxes, kErrorOpening)) {
                return Result(Outcome::Failed, "error opening the file");
            }
            if (Has(boxes, kErrorWriting)) {
                return Result(Outcome::Failed, "error writing the file");
            }
            break;
        case Action::Load:
            if (Has(boxes, kWrongPassword)) {
                return Result(Outcome::Failed, "wrong password");
            }
            if (Has(boxes, kFileNotFound)) {
                return Result(Outcome::Failed, "file not found");
            }
            if (Has(boxes, kDownloadCompleted)) {
                return Result(Outcome::Done, {});
            }
            if (AnsweredNo(boxes, kForeignFile)) {
                return Result(Outcome::Failed,
                              "the file is of another program ID; not loaded (--force loads it)");
            }
            if (Has(boxes, kDownloadPartly)) {
                const int count = CountAfter(boxes, kDownloadPartly);
                return Result(Outcome::Failed, std::to_string(count) + " items not written", count);
            }
            if (Has(boxes, kDownloadNotCompleted) || Has(boxes, kDownloadAborted)) {
                return Result(Outcome::Failed, "download not completed");
            }
            break;
        case Action::Defaults:
            if (Has(boxes, kWrongPassword)) {
                return Result(Outcome::Failed, "wrong password");
            }
            if (Has(boxes, kDefaultsPartly)) {
                const int count = CountAfter(boxes, kDefaultsPartly);
                return Result(Outcome::Failed, std::to_string(count) + " items not written", count);
            }
            return Result(Outcome::Done, {});
        case Action::Script:
        case Action::Scan:
            return Result(Outcome::Done, {});
    }
    return Result(Outcome::Failed, "the plug-in showed no result");
}

int RunNodeProcess(int socket, const FleetJob& job) {
    platform::crt::ElapsedClock clock;
    platform::crt::SetCurrentClock(&clock);
    RelayLink relay(socket);
    lon::Transactions transactions(relay, clock, job.route, job.timing, std::random_device{}());
    lon::LonNodeLink::Options options;
    options.name = job.name;
    lon::LonNodeLink node(transactions, job.address, options);
    const std::string address = node.Address();

    const auto programId = node.ReadProgramId();
    if (!programId) {
        if (job.action == Action::Scan) {
            Finish(relay, Result(Outcome::Silent, {}), {}, {});
        }
        Finish(relay,
               Result(Outcome::Failed, node.Problem().empty()
                                           ? "the node refuses to tell its program ID"
                                           : "no answer from " + address),
               {}, {});
    }
    const std::string programText = ProgramIdText(*programId);
    const std::string name = node.Name().value_or("");
    if (job.action == Action::Scan) {
        Finish(relay, Result(Outcome::Done, {}), programText, name);
    }
    if (programText != ProgramIdText(kSimNodeProgramId)) {
        Finish(relay, Result(Outcome::Foreign, "program ID " + programText + ": not touched"),
               programText, name);
    }

    // Where the action's output goes: the boxes, or a script's own output file.
    std::ostringstream boxes;
    std::ofstream scriptOutput;
    std::ostream* out = &boxes;
    std::string script = ActionScript(job, job.file);
    std::string checkPath;
    if (job.action == Action::Check) {
        char folder[] = "/tmp/qma7-check-XXXXXX";
        if (::mkdtemp(folder) == nullptr) {
            Finish(relay, Result(Outcome::Failed, "cannot make a temporary folder"), programText,
                   name);
        }
        checkPath = std::string(folder) + "/node.txt";
        script = ActionScript(job, checkPath);
    } else if (job.action == Action::Script) {
        scriptOutput.open(job.output, std::ios::binary | std::ios::trunc);
        if (!scriptOutput) {
            Finish(relay, Result(Outcome::Failed, "cannot write " + job.output), programText, name);
        }
        out = &scriptOutput;
        script = job.file;
    }

    ClientSite site(node);
    site.SetKeepCalls(false);
    LinkScriptNode scriptNode(node);
    ScriptDriver driver(scriptNode, site, clock, *out);
    const bool countsWrites = job.action == Action::Load || job.action == Action::Defaults;
    const int total = job.action == Action::Script ? 0 : kActionItems;
    int items = 0;
    // The action's items are counted from its click on: opening the sheet reads too.
    bool counting = job.action == Action::Script;
    driver.SetCommandObserver([&](const ScriptLine& line) {
        if (!counting && line.words.front() == "click") {
            counting = true;
        }
    });
    auto stopIfAsked = [&] {
        if (g_stop != 0) {
            out->flush();
            Finish(relay,
                   Result(Outcome::Stopped, "stopped after " + std::to_string(items) + " of " +
                                                std::to_string(total) + " items"),
                   programText, name);
        }
    };
    ClientSite::CallObserver observer;
    observer.before = stopIfAsked;
    observer.after = [&](const HostCall& call) {
        const bool write = call.kind == HostCall::Kind::Write;
        if (!counting) {
            return;
        }
        if (total == 0 || (write == countsWrites && call.kind != HostCall::Kind::Name &&
                           call.nv != kSelectorNv)) {
            ++items;
            relay.Report(Progress{items, total});
        }
    };
    site.SetCallObserver(observer);
    platform::crt::SetBlockingHook([&](platform::crt::Blocked what) {
        if (what == platform::crt::Blocked::Pause) {
            stopIfAsked();
        }
    });
    std::istringstream lines(script);
    int errorLine = 0;
    std::string error;
    if (!driver.Load(lines, errorLine, error)) {
        Finish(relay, Result(Outcome::Failed, "error: " + std::to_string(errorLine) + ": " + error),
               programText, name);
    }
    std::ostringstream notes;
    auto control =
        CreateControlForNode(site, programText, address, BundledModulePath(), notes, error);
    if (!control) {
        Finish(relay, Result(Outcome::Failed, error), programText, name);
    }
    driver.SetControl(control->Control());
    const std::optional<ScriptError> failure = driver.Run();
    driver.SetControl({});
    control.reset();
    out->flush();

    NodeResult result;
    if (failure) {
        // The script's own error; a script's output file ends with it.
        const std::string text =
            "error: " + std::to_string(failure->line) + ": " + failure->message;
        if (job.action == Action::Script) {
            scriptOutput << text << "\n" << std::flush;
        }
        result = Result(Outcome::Failed, text);
    } else {
        result = ResultOfBoxes(job.action, boxes.str());
    }
    // A node that went silent on the way: that is the reason, whatever the plug-in made of it.
    if (!failure && result.outcome != Outcome::Done && !node.Problem().empty()) {
        result.detail = node.Problem() + " (" + result.detail + ")";
    }
    if (job.action == Action::Check && result.outcome == Outcome::Done) {
        std::ifstream saved(checkPath, std::ios::binary);
        std::ifstream given(job.file, std::ios::binary);
        std::stringstream nodeText;
        std::stringstream fileText;
        nodeText << saved.rdbuf();
        fileText << given.rdbuf();
        if (!given) {
            result = Result(Outcome::Failed, "cannot read " + job.file);
        } else {
            const auto differences = CompareSettings(ParseSettingsText(nodeText.str()),
                                                     ParseSettingsText(fileText.str()));
            std::string detail;
            for (const SettingsDifference& difference : differences) {
                detail += difference.item + ": node " +
                          (difference.nodeValue.empty() ? "(none)" : difference.nodeValue) +
                          ", file " +
                          (difference.fileValue.empty() ? "(none)" : difference.fileValue) + "\n";
            }
            if (!differences.empty()) {
                result = Result(Outcome::Differs, detail);
            }
        }
    }
    if (!checkPath.empty()) {
        std::remove(checkPath.c_str());
        ::rmdir(checkPath.substr(0, checkPath.rfind('/')).c_str());
    }
    Finish(relay, result, programText, name);
}

}  // namespace host::fleet
