// A script file as `qma7 script FILE` reads it from disk and loads it: any bytes (a byte-order
// mark, CR LF, NUL, lines of any length) are read whole or refused with a message, and a script
// that loads is split into lines without a crash.

#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>
#include <string_view>

#include "host/app/ScriptSource.h"
#include "host/driver/ScriptDriver.h"
#include "host/driver/SimScriptNode.h"
#include "host/node/SimNode.h"
#include "host/site/ClientSite.h"
#include "platform/crt/Clock.h"
#include "tests/fuzz/FuzzCheck.h"
#include "tests/support/Files.h"

namespace {

constexpr FuzzCheck Check{"script file"};
const ScratchFolder g_scratch;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::string path = g_scratch.Path("script.qma7");
    WriteFile(path, bytes);
    std::string error;
    const auto text = host::ReadScript(path, error);
    Check(text.has_value() || !error.empty(), "a refused script without a message");
    if (!text) {
        return 0;
    }
    Check(*text == bytes, "the script read is not the file's bytes");
    host::SimNode node;
    host::SimScriptNode scriptNode(node);
    host::ClientSite site(node);
    platform::crt::VirtualClock clock;
    std::ostringstream out;
    host::ScriptDriver driver(scriptNode, site, clock, out);
    std::istringstream script(*text);
    int line = 0;
    if (!driver.Load(script, line, error)) {
        Check(!error.empty() && line > 0, "a refused script without its line and message");
    }
    return 0;
}
