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
#include "host/profile/PluginProfile.h"
#include "host/site/ClientSite.h"
#include "host/text/QuoteText.h"
#include "platform/crt/Clock.h"

namespace host::fleet {

namespace {

volatile sig_atomic_t g_stop = 0;

const FilePage& Page() {
    return Qma7Profile().filePage;
}

// A box's text as the box log quotes it: whole, or its start (a text followed by a count).
std::string Whole(std::string_view text) {
    return "\"" + std::string(text) + "\"";
}
std::string Start(std::string_view text) {
    return "\"" + std::string(text);
}

// How the box log notes an answer of No.
constexpr char kAnsweredNo[] = "-> No";

bool Has(const std::string& text, const std::string& what) {
    return text.find(what) != std::string::npos;
}

// Whether the box whose line starts with start was answered No.
bool AnsweredNo(const std::string& boxes, const std::string& start) {
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
int CountAfter(const std::string& text, const std::string& prefix) {
    const std::size_t at = text.find(prefix);
    return at == std::string::npos ? 0 : std::atoi(text.c_str() + at + prefix.size());
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
    const FilePage& page = Page();
    const std::string answer = job.force ? "Yes" : "No";
    const std::string setName =
        "set " + std::to_string(page.fileNameField) + " " + QuoteText(path) + "\n";
    const std::string setPassword =
        "set " + std::to_string(page.passwordField) + " " + QuoteText(job.password) + "\n";
    auto click = [](int id) { return "click " + std::to_string(id) + "\n"; };
    std::string script = "open\ntab " + QuoteText(std::string(page.tab)) + "\n";
    switch (job.action) {
        case Action::Save:
        case Action::Check:
            // A file there already is replaced only with --force.
            script += setName + "file " + QuoteText(path) + "\nanswer " + answer + "\n" +
                      click(page.saveButton);
            break;
        case Action::Load:
            // Yes to the action's own confirmation; a file of another program ID only with
            // --force.
            script += setName + setPassword + "file " + QuoteText(path) + "\nanswer Yes\nanswer " +
                      answer + "\n" + click(page.readButton);
            break;
        case Action::Defaults:
            script += setPassword + click(page.defaultsButton);
            break;
        case Action::Script:
        case Action::Scan:
            return {};
    }
    return script + "boxes\nexit\n";
}

NodeResult ResultOfBoxes(Action action, const std::string& boxes) {
    const FilePage& page = Page();
    switch (action) {
        case Action::Save:
        case Action::Check:
            if (Has(boxes, Whole(page.fileWritten))) {
                return Result(Outcome::Done, {});
            }
            if (Has(boxes, Start(page.fileWrittenWithErrors))) {
                const int unread = CountAfter(boxes, Start(page.fileWrittenWithErrors));
                return Result(Outcome::Failed,
                              "written with " + std::to_string(unread) + " NV read errors", unread);
            }
            if (Has(boxes, Whole(page.fileNotWritten))) {
                return Result(Outcome::Failed, "the file exists (--force replaces it)");
            }
            if (Has(boxes, Whole(page.errorOpening))) {
                return Result(Outcome::Failed, "error opening the file");
            }
            if (Has(boxes, Whole(page.errorWriting))) {
                return Result(Outcome::Failed, "error writing the file");
            }
            break;
        case Action::Load:
            if (Has(boxes, Start(page.wrongPassword))) {
                return Result(Outcome::Failed, "wrong password");
            }
            if (Has(boxes, Whole(page.fileNotFound))) {
                return Result(Outcome::Failed, "file not found");
            }
            if (Has(boxes, Whole(page.readCompleted))) {
                return Result(Outcome::Done, {});
            }
            if (AnsweredNo(boxes, "box " + Whole(page.foreignFile))) {
                return Result(Outcome::Failed,
                              "the file is of another program ID; not loaded (--force loads it)");
            }
            if (Has(boxes, Start(page.readPartly))) {
                const int count = CountAfter(boxes, Start(page.readPartly));
                return Result(Outcome::Failed, std::to_string(count) + " items not written", count);
            }
            if (Has(boxes, Whole(page.readNotCompleted)) || Has(boxes, Whole(page.readAborted))) {
                return Result(Outcome::Failed, "download not completed");
            }
            break;
        case Action::Defaults:
            if (Has(boxes, Start(page.wrongPassword))) {
                return Result(Outcome::Failed, "wrong password");
            }
            if (Has(boxes, Start(page.defaultsPartly))) {
                const int count = CountAfter(boxes, Start(page.defaultsPartly));
                return Result(Outcome::Failed, std::to_string(count) + " items not written", count);
            }
            return Result(Outcome::Done, {});
        case Action::Script:
        case Action::Scan:
            return Result(Outcome::Done, {});
    }
    return Result(Outcome::Failed, "the plug-in showed no result");
}

namespace {

// One node process's run: its relay, its job, and what it learnt of the node.
struct NodeRun {
    RelayLink& relay;
    const FleetJob& job;
    std::string programText;
    std::string name;

    [[noreturn]] void End(NodeResult result) const { Finish(relay, result, programText, name); }
};

// Reads the node's program ID and name; ends the run when that is all the job wants, when the
// node is silent, or when it is of a type the plug-in does not serve.
void IdentifyNode(NodeRun& run, lon::LonNodeLink& node) {
    const auto programId = node.ReadProgramId();
    if (!programId) {
        if (run.job.action == Action::Scan) {
            run.End(Result(Outcome::Silent, {}));
        }
        run.End(Result(Outcome::Failed, node.Problem().empty()
                                            ? "the node refuses to tell its program ID"
                                            : "no answer from " + node.Address()));
    }
    run.programText = ProgramIdText(*programId);
    run.name = node.Name().value_or("");
    if (run.job.action == Action::Scan) {
        run.End(Result(Outcome::Done, {}));
    }
    if (run.programText != ProgramIdText(kSimNodeProgramId)) {
        run.End(Result(Outcome::Foreign, "program ID " + run.programText + ": not touched"));
    }
}

// What the driver plays and where its output goes: the boxes, or a script's own output file;
// a check saves the node's settings to a temporary file first.
struct Playbook {
    std::string script;
    std::ostringstream boxes;
    std::ofstream scriptOutput;
    std::ostream* out = &boxes;
    std::string checkPath;
    bool failed = false;  // the script's own error ended it
};

void PreparePlaybook(const NodeRun& run, Playbook& book) {
    const FleetJob& job = run.job;
    book.script = ActionScript(job, job.file);
    if (job.action == Action::Check) {
        char folder[] = "/tmp/qma7-check-XXXXXX";
        if (::mkdtemp(folder) == nullptr) {
            run.End(Result(Outcome::Failed, "cannot make a temporary folder"));
        }
        book.checkPath = std::string(folder) + "/node.txt";
        book.script = ActionScript(job, book.checkPath);
    } else if (job.action == Action::Script) {
        book.scriptOutput.open(job.output, std::ios::binary | std::ios::trunc);
        if (!book.scriptOutput) {
            run.End(Result(Outcome::Failed, "cannot write " + job.output));
        }
        book.out = &book.scriptOutput;
        book.script = job.file;
    }
}

// Reports each item of the action done, and stops at the next host call or pause when asked.
// Lives as long as the driver runs.
class ProgressWatch {
  public:
    ProgressWatch(const NodeRun& run, ClientSite& site, ScriptDriver& driver, std::ostream& out)
        : m_run(run),
          m_out(out),
          m_counting(run.job.action == Action::Script),
          m_action(LongActionOf(run.job.action)),
          m_total(m_action != nullptr ? m_action->items : 0) {
        // The action's items are counted from its click on: opening the sheet reads too.
        driver.SetCommandObserver([this](const ScriptLine& line) {
            if (!m_counting && line.words.front() == "click") {
                m_counting = true;
            }
        });
        ClientSite::CallObserver observer;
        observer.before = [this] { StopIfAsked(); };
        observer.after = [this](const HostCall& call) { Count(call); };
        site.SetCallObserver(observer);
        platform::crt::SetBlockingHook([this](platform::crt::Blocked what) {
            if (what == platform::crt::Blocked::Pause) {
                StopIfAsked();
            }
        });
    }
    ~ProgressWatch() { platform::crt::SetBlockingHook({}); }
    ProgressWatch(const ProgressWatch&) = delete;
    ProgressWatch& operator=(const ProgressWatch&) = delete;

  private:
    void StopIfAsked() {
        if (g_stop != 0) {
            m_out.flush();
            m_run.End(Result(Outcome::Stopped, "stopped after " + std::to_string(m_items) + " of " +
                                                   std::to_string(m_total) + " items"));
        }
    }
    // The long action a job's click starts, as the sheet's busy line counts it; none for a
    // script, whose every host call is a step.
    static const LongAction* LongActionOf(Action action) {
        const FilePage& page = Page();
        switch (action) {
            case Action::Save:
            case Action::Check:
                return Qma7Profile().FindLongAction(page.saveAction);
            case Action::Load:
                return Qma7Profile().FindLongAction(page.readAction);
            case Action::Defaults:
                return Qma7Profile().FindLongAction(page.defaultsAction);
            case Action::Script:
            case Action::Scan:
                break;
        }
        return nullptr;
    }
    void Count(const HostCall& call) {
        if (!m_counting) {
            return;
        }
        if (m_action == nullptr || Qma7Profile().CountsAsItem(*m_action, call)) {
            ++m_items;
            m_run.relay.Report(Progress{m_items, m_total});
        }
    }

    const NodeRun& m_run;
    std::ostream& m_out;
    bool m_counting;
    const LongAction* m_action;
    int m_total;
    int m_items = 0;
};

// A check's verdict: the node's settings as saved against the file's.
NodeResult CompareWithFile(const FleetJob& job, const std::string& checkPath, NodeResult result) {
    std::ifstream saved(checkPath, std::ios::binary);
    std::ifstream given(job.file, std::ios::binary);
    std::stringstream nodeText;
    std::stringstream fileText;
    nodeText << saved.rdbuf();
    fileText << given.rdbuf();
    if (!given) {
        return Result(Outcome::Failed, "cannot read " + job.file);
    }
    const auto differences =
        CompareSettings(ParseSettingsText(nodeText.str()), ParseSettingsText(fileText.str()));
    std::string detail;
    for (const SettingsDifference& difference : differences) {
        detail += difference.item + ": node " +
                  (difference.nodeValue.empty() ? "(none)" : difference.nodeValue) + ", file " +
                  (difference.fileValue.empty() ? "(none)" : difference.fileValue) + "\n";
    }
    return differences.empty() ? result : Result(Outcome::Differs, detail);
}

// Plays the playbook on the plug-in's control for the node; what the boxes said of it.
NodeResult Play(const NodeRun& run, lon::LonNodeLink& node, Playbook& book,
                platform::crt::ScriptClock& clock) {
    ClientSite site(node);
    site.SetKeepCalls(false);
    LinkScriptNode scriptNode(node);
    ScriptDriver driver(scriptNode, site, clock, *book.out);
    const ProgressWatch watch(run, site, driver, *book.out);
    std::istringstream lines(book.script);
    int errorLine = 0;
    std::string error;
    if (!driver.Load(lines, errorLine, error)) {
        run.End(Result(Outcome::Failed, "error: " + std::to_string(errorLine) + ": " + error));
    }
    std::ostringstream notes;
    auto control = CreateControlForNode(site, run.programText, node.Address(), BundledModulePath(),
                                        notes, error);
    if (!control) {
        run.End(Result(Outcome::Failed, error));
    }
    driver.SetControl(control->Control());
    const std::optional<ScriptError> failure = driver.Run();
    driver.SetControl({});
    control.reset();
    book.out->flush();
    if (failure) {
        // The script's own error; a script's output file ends with it.
        const std::string text =
            "error: " + std::to_string(failure->line) + ": " + failure->message;
        if (run.job.action == Action::Script) {
            book.scriptOutput << text << "\n" << std::flush;
        }
        book.failed = true;
        return Result(Outcome::Failed, text);
    }
    return ResultOfBoxes(run.job.action, book.boxes.str());
}

}  // namespace

int RunNodeProcess(int socket, const FleetJob& job) {
    platform::crt::ElapsedClock clock;
    platform::crt::SetCurrentClock(&clock);
    RelayLink relay(socket);
    lon::Transactions transactions(relay, clock, job.route, job.timing, std::random_device{}());
    lon::LonNodeLink::Options options;
    options.name = job.name;
    lon::LonNodeLink node(transactions, job.address, options);
    NodeRun run{relay, job, {}, {}};
    IdentifyNode(run, node);

    Playbook book;
    PreparePlaybook(run, book);
    NodeResult result = Play(run, node, book, clock);
    // A node that went silent on the way: that is the reason, whatever the plug-in made of it.
    if (!book.failed && result.outcome != Outcome::Done && !node.Problem().empty()) {
        result.detail = node.Problem() + " (" + result.detail + ")";
    }
    if (job.action == Action::Check && result.outcome == Outcome::Done) {
        result = CompareWithFile(job, book.checkPath, result);
    }
    if (!book.checkPath.empty()) {
        std::remove(book.checkPath.c_str());
        ::rmdir(book.checkPath.substr(0, book.checkPath.rfind('/')).c_str());
    }
    run.End(result);
}

}  // namespace host::fleet
