// Every action of every tab against every fault the node can show. For each tab's show,
// refresh, Read and Write, and for Save to file, Read from file and Default settings, each
// network variable that the action touches fails in turn (its reads, its writes, both), and so
// does the node's name. Whatever fails: nothing is written from a failed read, no part is read
// or written after its selection failed, a write changes only bits that the same action changes
// without faults, and the Import / Export actions count their failures truthfully.
//
// The sweep discovers the tabs and their buttons from the sheet, so a new tab is covered as
// soon as it exists.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "host/driver/ScriptSyntax.h"
#include "plugin/pages/NodePage.h"
#include "plugin/shell/CSheet.h"
#include "tests/support/Files.h"
#include "tests/support/SheetFixture.h"

namespace {

using host::HostCall;
using host::SimNode;

enum class Step { Show, Refresh, Read, Write, Export, Import, Defaults };

// clang-format off
struct StepInfo {
    Step step;
    int control;  // the button that runs it; 0: tab selection or time
    const char* name;
    bool readModifyWrite;  // every write but the selector's rewrites what was just read
};
constexpr StepInfo kSteps[] = {
    {Step::Show,     0,   "show",             true},
    {Step::Refresh,  0,   "refresh",          true},
    {Step::Read,     206, "Read",             true},
    {Step::Write,    207, "Write",            true},
    {Step::Export,   427, "Save to file",     true},
    {Step::Import,   430, "Read from file",   false},
    {Step::Defaults, 228, "Default settings", false},
};
// clang-format on

struct Action {
    std::string tab;
    const StepInfo* info;

    std::string Name() const { return tab + " " + info->name; }
};

struct Fault {
    enum class What { Read, Write, Both, Name } what;
    int nv;

    std::string Name() const {
        static const char* const kWhat[] = {"read", "write", "read and write", "name"};
        return what == What::Name ? "failing name"
                                  : "failing " + std::string(kWhat[static_cast<int>(what)]) +
                                        " of NV " + std::to_string(nv);
    }
};

struct Outcome {
    bool ran = false;  // the button could be clicked
    std::vector<HostCall> calls;
    std::vector<std::string> messages;  // the texts of the message boxes shown
    std::string file;                   // what Save to file wrote
};

// Per NV, the bits that writes changed against the read before them.
using BitMasks = std::map<int, std::vector<std::uint8_t>>;

bool IsSelector(const HostCall& call) {
    return call.kind != HostCall::Kind::Name && call.nv == SimNode::kSelectorNv;
}

// The text of each message box among the lines `boxes` prints.
std::vector<std::string> MessageTexts(const std::vector<std::string>& lines) {
    std::vector<std::string> texts;
    for (const std::string& line : lines) {
        std::string error;
        const auto words = host::SplitScriptLine(line, error);
        if (words && words->size() > 2 && words->front() == "box") {
            texts.push_back((*words)[2]);
        }
    }
    return texts;
}

// Items of a saved settings file that have no value line: a header followed by another header
// or by the end of the file.
int ItemsWithoutValue(const std::string& file) {
    std::vector<std::string> lines;
    std::string line;
    for (const char c : file) {
        if (c == '\n') {
            lines.push_back(line);
            line.clear();
        } else if (c != '\r') {
            line += c;
        }
    }
    int missing = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].starts_with('*') && (i + 1 == lines.size() || lines[i + 1].starts_with('*'))) {
            ++missing;
        }
    }
    return missing;
}

// The failures an Import / Export action must count, given the calls it made: export counts
// the items and parts it could not read, import and defaults those they could not write; a
// part whose selection failed counts as such. The selector's return to part 0 counts for none.
int ExpectedFailures(Step step, const std::vector<HostCall>& calls) {
    int n = 0;
    for (const HostCall& call : calls) {
        if (call.ok || call.kind == HostCall::Kind::Name) {
            continue;
        }
        if (IsSelector(call)) {
            n +=
                call.kind == HostCall::Kind::Write && call.bytes != std::vector<std::uint8_t>{0, 0};
        } else {
            n += (call.kind == HostCall::Kind::Read) == (step == Step::Export);
        }
    }
    return n;
}

// The message boxes an action must show.
std::vector<std::string> ExpectedMessages(Step step, int failures) {
    const std::string n = std::to_string(failures);
    const std::string restart = "Please restart the plugin";
    switch (step) {
        case Step::Export:
            return {failures == 0 ? "File written" : "File Written. " + n + " NV read errors"};
        case Step::Import:
            return {"Download from file to node?",
                    failures == 0 ? "Download completed"
                                  : "Download not completed. " + n + " items not written",
                    restart};
        case Step::Defaults:
            if (failures == 0) {
                return {restart};
            }
            return {"Default settings not completed. " + n + " items not written", restart};
        default:
            return {};  // a tab's own steps show no box
    }
}

class FaultSweep : public SheetFixture {
  protected:
    // The tabs of a node that shows them all, and the steps each one offers.
    std::vector<Action> Actions() {
        std::vector<Action> actions;
        Open();
        m_firstTab = Tabs().front();
        for (const std::string& tab : Tabs()) {
            SelectTab(tab);
            for (const StepInfo& info : kSteps) {
                const auto& controls = Page().GetTemplate().controls;
                if (info.control == 0 ||
                    std::any_of(controls.begin(), controls.end(), [&](const ControlTemplate& c) {
                        return c.id == info.control && c.kind == ControlKind::PushButton;
                    })) {
                    actions.push_back({tab, &info});
                }
            }
        }
        Close();
        return actions;
    }

    // Runs the action on a fresh factory node and sheet, with the fault in place from just
    // before the action's first host call to its end. complement: the node's values (but not
    // its selector) are inverted just before the action, so that a write differs from what it
    // read in every bit the tab sets from its fields.
    Outcome Run(const Action& action, const std::optional<Fault>& fault, bool complement = false) {
        node = host::FactoryNode::Make();
        ui.answers.clear();
        ui.files.clear();
        const std::string& tab = action.tab;
        const Step step = action.info->step;
        // The first tab shows as the sheet opens: its first show is the opening.
        const bool opening = step == Step::Show && tab == m_firstTab;
        if (!opening) {
            Open();
            Prepare(tab, step);
        }
        if (complement) {
            Complement();
        }
        site.TakeCalls();
        Boxes();
        if (fault) {
            Inject(*fault);
        }

        Outcome outcome;
        outcome.ran = true;
        switch (step) {
            case Step::Show:
                if (opening) {
                    Open();
                } else {
                    SelectTab(tab);
                }
                break;
            case Step::Refresh:
                Advance(kRefreshPeriodMs);
                break;
            default:
                outcome.ran = Page().ClickControl(action.info->control);
                break;
        }
        outcome.calls = site.TakeCalls();
        outcome.messages = MessageTexts(Boxes());
        if (step == Step::Export && !ui.files.empty()) {
            outcome.ran = false;  // the button did nothing
        } else if (step == Step::Export) {
            outcome.file = ReadFile(m_folder.Path("export-" + std::to_string(m_exports) + ".txt"));
        }
        node.HealAll();
        Close();
        return outcome;
    }

    // Brings the open sheet to where the step starts: the tab in front (for a show, the first
    // tab stays), the password typed, the file and the answer queued.
    void Prepare(const std::string& tab, Step step) {
        if (step == Step::Show) {
            return;
        }
        SelectTab(tab);
        if (const CWnd* password = Page().GetDlgItem(IDC_PASSWORD);
            password != nullptr && password->IsWindowEnabled()) {
            Set(IDC_PASSWORD, kPassword);
        }
        if (step == Step::Export) {
            ui.files.push_back(m_folder.Path("export-" + std::to_string(++m_exports) + ".txt"));
        } else if (step == Step::Import) {
            ui.files.push_back(QMA7_TEST_DATA_DIR "/factory-node.txt");
            ui.answers.push_back(IDYES);
        }
    }

    void Inject(const Fault& fault) {
        const int nvs[] = {fault.nv};
        switch (fault.what) {
            case Fault::What::Read:
                node.Fail(SimNode::Failure::Read, nvs);
                break;
            case Fault::What::Write:
                node.Fail(SimNode::Failure::Write, nvs);
                break;
            case Fault::What::Both:
                node.Fail(SimNode::Failure::All, nvs);
                break;
            case Fault::What::Name:
                node.FailName();
                break;
        }
    }

    void Complement() {
        std::string error;
        const auto invert = [](std::span<const std::uint8_t> bytes) {
            std::vector<std::uint8_t> inverted(bytes.begin(), bytes.end());
            for (std::uint8_t& b : inverted) {
                b = static_cast<std::uint8_t>(~b);
            }
            return inverted;
        };
        for (int nv = 0; nv < SimNode::kSelectorNv; ++nv) {
            ASSERT_TRUE(node.SetNv(nv, invert(*node.GetNv(nv)), error)) << error;
        }
        for (int k = 1; k <= SimNode::kPartCount; ++k) {
            ASSERT_TRUE(node.SetPart(k, invert(node.Part(k)), error)) << error;
        }
    }

    // Each fault the action can meet: every NV it read or wrote fails as it was used, and the
    // name if it asked for it.
    static std::vector<Fault> FaultsOf(const Outcome& outcome) {
        std::map<int, std::pair<bool, bool>> used;  // NV: read, written
        bool name = false;
        for (const HostCall& call : outcome.calls) {
            if (call.kind == HostCall::Kind::Name) {
                name = true;
            } else {
                auto& [read, written] = used[call.nv];
                (call.kind == HostCall::Kind::Read ? read : written) = true;
            }
        }
        std::vector<Fault> faults;
        for (const auto& [nv, use] : used) {
            if (use.first) {
                faults.push_back({Fault::What::Read, nv});
            }
            if (use.second) {
                faults.push_back({Fault::What::Write, nv});
            }
            if (use.first && use.second) {
                faults.push_back({Fault::What::Both, nv});
            }
        }
        if (name) {
            faults.push_back({Fault::What::Name, 0});
        }
        return faults;
    }

    // Checks the invariants on one run; changed collects the bits its writes changed. Returns
    // the problems found.
    static std::vector<std::string> Check(const Action& action, const Outcome& outcome,
                                          const BitMasks& allowed, BitMasks* changed) {
        std::vector<std::string> problems;
        const auto problem = [&](const HostCall& call, const std::string& what) {
            problems.push_back(what + ": " + host::FormatHostCall(call));
        };
        const HostCall* lastSelector = nullptr;
        std::map<int, const HostCall*> lastRead;  // per NV, not yet followed by a write
        for (const HostCall& call : outcome.calls) {
            if (call.kind == HostCall::Kind::Name) {
                continue;
            }
            if (call.nv == SimNode::kPartNv && (lastSelector == nullptr || !lastSelector->ok)) {
                problem(call, "NV 43 used without a successful selection");
            }
            if (call.kind == HostCall::Kind::Read) {
                lastRead[call.nv] = &call;
                if (IsSelector(call)) {
                    lastSelector = &call;
                }
                continue;
            }
            if (call.size != SimNode::NvSize(call.nv)) {
                problem(call, "a write whose length is not the NV's size");
            }
            if (IsSelector(call)) {
                lastSelector = &call;
                lastRead.erase(SimNode::kPartNv);  // a part read before is another part's
                continue;
            }
            if (!action.info->readModifyWrite) {
                continue;
            }
            const auto found = lastRead.find(call.nv);
            const HostCall* read = found == lastRead.end() ? nullptr : found->second;
            lastRead.erase(call.nv);
            if (read == nullptr || !read->ok || read->size != static_cast<int>(kModifySize)) {
                problem(call, "a write not right after a successful 32-byte read of its NV");
                continue;
            }
            const std::size_t n = std::min(read->bytes.size(), call.bytes.size());
            const auto mask = allowed.find(call.nv);
            for (std::size_t i = 0; i < n; ++i) {
                const auto bits = static_cast<std::uint8_t>(read->bytes[i] ^ call.bytes[i]);
                if (changed != nullptr) {
                    auto& masks = (*changed)[call.nv];
                    masks.resize(std::max(masks.size(), n), 0);
                    masks[i] |= bits;
                }
                const std::uint8_t may =
                    mask == allowed.end() || i >= mask->second.size() ? 0 : mask->second[i];
                if (changed == nullptr && (bits & ~may) != 0) {
                    problem(call, "byte " + std::to_string(i) + " changed where it must not");
                }
            }
        }
        const int failures = ExpectedFailures(action.info->step, outcome.calls);
        if (const auto expected = ExpectedMessages(action.info->step, failures);
            outcome.messages != expected) {
            std::string shown;
            for (const std::string& text : outcome.messages) {
                shown += " \"" + text + "\"";
            }
            problems.push_back("message boxes" + shown + " for " + std::to_string(failures) +
                               " failures");
        }
        if (action.info->step == Step::Export && ItemsWithoutValue(outcome.file) != failures) {
            problems.push_back("the file lacks " + std::to_string(ItemsWithoutValue(outcome.file)) +
                               " values for " + std::to_string(failures) + " failures");
        }
        return problems;
    }

    ScratchFolder m_folder;
    std::string m_firstTab;
    int m_exports = 0;
};

TEST_F(FaultSweep, NoFaultBreaksAnInvariant) {
    std::vector<std::string> problems;
    std::set<Step> covered;
    std::set<std::string> tabs;
    int runs = 0;
    const std::vector<Action> actions = Actions();
    for (const Action& action : actions) {
        const Outcome reference = Run(action, std::nullopt);
        if (!reference.ran || reference.calls.empty()) {
            continue;  // nothing to break: no host calls (yet)
        }
        covered.insert(action.info->step);
        tabs.insert(action.tab);
        // The bits the action changes without faults, from the factory node and its inverse.
        BitMasks allowed;
        for (const std::string& p : Check(action, reference, {}, &allowed)) {
            problems.push_back(action.Name() + " without faults: " + p);
        }
        if (action.info->step <= Step::Write) {
            for (const std::string& p :
                 Check(action, Run(action, std::nullopt, true), {}, &allowed)) {
                problems.push_back(action.Name() + " on the inverted node: " + p);
            }
        }
        for (const Fault& fault : FaultsOf(reference)) {
            const Outcome outcome = Run(action, fault);
            ++runs;
            for (const std::string& p : Check(action, outcome, allowed, nullptr)) {
                problems.push_back(action.Name() + ", " + fault.Name() + ": " + p);
            }
        }
    }
    // Every kind of action ran, and every tab met faults.
    EXPECT_EQ(covered.size(), std::size(kSteps));
    std::set<std::string> allTabs;
    for (const Action& action : actions) {
        allTabs.insert(action.tab);
    }
    EXPECT_EQ(tabs, allTabs);
    std::string report;
    for (std::size_t i = 0; i < problems.size() && i < 40; ++i) {
        report += problems[i] + "\n";
    }
    EXPECT_TRUE(problems.empty()) << problems.size() << " problems in " << runs << " runs:\n"
                                  << report;
}

}  // namespace
