// The script driver's commands on a sheet of the real plug-in: any script runs to its end or to
// an error with a message, without a crash, and returns with the node interfaces released. The file
// commands stay in the working folder, a scratch folder of the fuzzer's own: a script that names a
// path with a "/" is skipped.

#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <sstream>
#include <string>
#include <string_view>

#include "host/driver/ScriptDriver.h"
#include "host/driver/ScriptSyntax.h"
#include "host/driver/SimScriptNode.h"
#include "host/node/FactoryNode.h"
#include "host/site/ClientSite.h"
#include "platform/crt/Clock.h"
#include "plugin/shell/CQMA7Ctrl.h"
#include "tests/fuzz/FuzzCheck.h"
#include "tests/support/Files.h"

namespace {

constexpr FuzzCheck Check{"script driver"};

// Whether a file command of the script (a file dialog's choice included) names a path outside
// the working folder.
bool LeavesTheFolder(std::string_view text) {
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        std::string error;
        const auto words = host::SplitScriptLine(text.substr(start, end - start), error);
        if (words && !words->empty() &&
            ((*words)[0] == "file" || (*words)[0] == "writefile" || (*words)[0] == "showfile" ||
             (*words)[0] == "chmod") &&
            std::any_of(words->begin() + 1, words->end(), [](const std::string& word) {
                return word.find('/') != std::string::npos;
            })) {
            return true;
        }
        start = end + 1;
    }
    return false;
}

}  // namespace

const ScratchFolder g_scratch;

// In the scratch folder while a script runs; the fuzzer's own folder otherwise.
class InScratchFolder {
  public:
    InScratchFolder() : m_home(std::filesystem::current_path()) {
        std::filesystem::current_path(g_scratch.Dir());
    }
    ~InScratchFolder() { std::filesystem::current_path(m_home); }

  private:
    std::filesystem::path m_home;
};

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    if (LeavesTheFolder(text)) {
        return 0;
    }
    const InScratchFolder scratch;
    host::SimNode node = host::FactoryNode::Make();
    platform::crt::VirtualClock clock;
    platform::crt::SetCurrentClock(&clock);
    host::ClientSite site(node);
    std::ostringstream out;
    {
        host::SimScriptNode scriptNode(node);
        host::ScriptDriver driver(scriptNode, site, clock, out);
        std::istringstream script{std::string(text)};
        int errorLine = 0;
        std::string error;
        if (!driver.Load(script, errorLine, error)) {
            Check(errorLine > 0 && !error.empty(), "a script refused without line and message");
            platform::crt::SetCurrentClock(nullptr);
            return 0;
        }
        // As the host makes it: given its site first, released after it was taken away.
        ComPtr<IOleObject> control = ComPtr<IOleObject>::Attach(new CQMA7Ctrl);
        control->SetClientSite(&site);
        driver.SetControl(control);
        if (const auto failure = driver.Run()) {
            Check(failure->line > 0 && !failure->message.empty(),
                  "an error without its line and message");
        }
        driver.SetControl({});
        control->SetClientSite(nullptr);
    }
    Check(site.Outstanding(IID_INvRead) == 0 && site.Outstanding(IID_INvWrite) == 0,
          "a node interface was not released");
    platform::crt::SetCurrentClock(nullptr);
    return 0;
}
