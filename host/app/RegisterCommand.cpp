#include "host/app/RegisterCommand.h"

#include <cstdio>
#include <string>

#include "host/app/PluginLocator.h"
#include "host/app/PluginModule.h"
#include "host/text/ShownText.h"
#include "platform/registry/Registry.h"

namespace host {

int RunRegisterCommand(int argc, char** argv, bool registering) {
    const char* command = registering ? "register" : "unregister";
    if (argc > 1) {
        std::fprintf(stderr, "qma7 %s: unknown argument %s\nusage: qma7 %s [MODULE]\n", command,
                     ShownText(argv[1]).c_str(), command);
        return 2;
    }
    const std::string path = argc == 1 ? argv[0] : BundledModulePath();
    std::string error;
    const auto module = PluginModule::Load(path, error);
    if (!module) {
        std::fprintf(stderr, "qma7 %s: %s\n", command, error.c_str());
        return 1;
    }
    RegistryClearLastError();
    const HRESULT hr = registering ? module->RegisterServer() : module->UnregisterServer();
    std::printf("%s\n", HResultText(hr).c_str());
    // The code says which step failed; the registry says why, when it was the registry.
    if (const std::string reason = RegistryLastError(); FAILED(hr) && !reason.empty()) {
        std::fflush(stdout);
        std::fprintf(stderr, "qma7 %s: %s\n", command, reason.c_str());
    }
    return SUCCEEDED(hr) ? 0 : 1;
}

}  // namespace host
