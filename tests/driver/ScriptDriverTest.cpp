// A script that fails returns to its caller: inside a box or a file dialog of the plug-in, or in
// a command run from the sheet's own loop, Run gets control back with the error, the sheet has
// closed, the node interfaces are released, and nothing more reached the node, the call log or
// the output.
#include "host/driver/ScriptDriver.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <sstream>
#include <string>

#include "host/driver/SimScriptNode.h"
#include "host/node/FactoryNode.h"
#include "host/site/ClientSite.h"
#include "platform/com/ComPtr.h"
#include "platform/crt/Clock.h"
#include "plugin/shell/CQMA7Ctrl.h"
#include "tests/support/Files.h"
#include "tests/support/SameNode.h"

namespace {

// The settings file of a download: a foreign program ID, then the node's own, then one item
// (NV 14) that the plug-in writes once the second ID has been accepted.
constexpr char kTwoProgramIds[] =
    "writefile in.txt \"- 11 22 33 44 55 66 77 88\\r\\n- 90 51 4D 41 37 5F 31 6A\\r\\n"
    "* nciMaxCool x\\r\\n20.000\\r\\n\"\n";
constexpr char kReadFromFile[] = "open\ntab \"Import / Export\"\nset 428 in.txt\nset 221 Talvik\n";

struct Outcome {
    std::optional<host::ScriptError> error;
    std::string out;
    std::vector<std::string> trace;
    bool sheetClosed = false;
    bool released = false;
};

class ScriptDriverFailure : public ::testing::Test {
  protected:
    ScriptDriverFailure() {
        std::filesystem::current_path(m_folder.Dir());
        platform::crt::SetCurrentClock(&m_clock);
    }
    ~ScriptDriverFailure() override {
        platform::crt::SetCurrentClock(nullptr);
        std::filesystem::current_path(m_home);
    }

    // Runs the script on a sheet of the real plug-in, as `qma7 script` does.
    Outcome Run(const std::string& text) {
        Outcome outcome;
        std::ostringstream out;
        {
            host::SimScriptNode scriptNode(node);
            host::ScriptDriver driver(scriptNode, m_site, m_clock, out);
            std::istringstream script(text);
            int errorLine = 0;
            std::string error;
            EXPECT_TRUE(driver.Load(script, errorLine, error)) << error;
            ComPtr<IOleObject> control = ComPtr<IOleObject>::Attach(new CQMA7Ctrl);
            control->SetClientSite(&m_site);
            driver.SetControl(control);
            outcome.error = driver.Run();
            outcome.sheetClosed = driver.Loop().ModalStack().empty();
            driver.SetControl({});
            control->SetClientSite(nullptr);
        }
        outcome.out = out.str();
        for (const host::HostCall& call : m_site.TakeCalls()) {
            outcome.trace.push_back(host::FormatHostCall(call));
        }
        outcome.released =
            m_site.Outstanding(IID_INvRead) == 0 && m_site.Outstanding(IID_INvWrite) == 0;
        return outcome;
    }

    host::SimNode node = host::FactoryNode::Make();

  private:
    const std::filesystem::path m_home = std::filesystem::current_path();
    ScratchFolder m_folder;
    platform::crt::VirtualClock m_clock;
    host::ClientSite m_site{node};
};

bool Writes(const std::vector<std::string>& trace) {
    for (const std::string& line : trace) {
        if (line.find(" write ") != std::string::npos) {
            return true;
        }
    }
    return false;
}

}  // namespace

TEST_F(ScriptDriverFailure, ABoxWithoutAnswerDuringADownloadEndsItWithoutReachingTheNode) {
    const host::SimNode before = node;
    // Yes to the download; the foreign program ID's question finds no answer on line 8.
    const Outcome outcome = Run(std::string(kTwoProgramIds) + kReadFromFile +
                                "file in.txt\nanswer Yes\nclick 430\n" + "boxes\ngetnv 14\n");
    ASSERT_TRUE(outcome.error);
    EXPECT_EQ(outcome.error->line, 8);
    EXPECT_EQ(outcome.error->message,
              "message box \"ProgramID does not match!\\nDo you want to download anyway?\" offers "
              "a choice and no answer is queued");
    // The box was answered No and the node's own ID then let the download go on: its write of
    // NV 14 did not reach the node, nor the log, and the lines after the error did not run.
    EXPECT_TRUE(SameNode(node, before));
    EXPECT_FALSE(Writes(outcome.trace));
    EXPECT_EQ(outcome.out, "");
    EXPECT_TRUE(outcome.sheetClosed);
    EXPECT_TRUE(outcome.released);
}

TEST_F(ScriptDriverFailure, EveryKindOfErrorReturnsWithTheSheetClosedAndTheOutputBeforeIt) {
    struct Case {
        std::string script;
        int line;
        std::string message;
        std::string out;
    };
    const Case cases[] = {
        // The file dialog of "Read from file", no file queued.
        {std::string(kTwoProgramIds) + kReadFromFile + "getselector\nclick 430\ngetnv 14\n", 7,
         "a file dialog opened and no file is queued", "selector 0\n"},
        // A queued answer that is no button of "Download from file to node?".
        {std::string(kTwoProgramIds) + kReadFromFile + "file in.txt\nanswer OK\nclick 430\n", 8,
         "the queued answer OK is not a button of message box \"Download from file to node?\"", ""},
        // A command of the sheet's own loop.
        {"open\ntime\nfrobnicate\ntime\n", 3, "unknown command \"frobnicate\"", "time 0\n"},
        // A command on the open sheet's tab.
        {"open\ntab \"Import / Export\"\nclick 999\ntime\n", 3,
         "the current tab has no control 999", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.script);
        const host::SimNode before = node;
        const Outcome outcome = Run(c.script);
        ASSERT_TRUE(outcome.error);
        EXPECT_EQ(outcome.error->line, c.line);
        EXPECT_EQ(outcome.error->message, c.message);
        EXPECT_EQ(outcome.out, c.out);
        EXPECT_TRUE(SameNode(node, before));
        EXPECT_FALSE(Writes(outcome.trace));
        EXPECT_TRUE(outcome.sheetClosed);
        EXPECT_TRUE(outcome.released);
    }
}
