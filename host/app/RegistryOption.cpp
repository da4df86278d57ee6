#include "host/app/RegistryOption.h"

#include <algorithm>
#include <string_view>

#include "platform/registry/Registry.h"

namespace host {

namespace {
constexpr std::string_view kRegistryOption = "--registry";
}

bool TakeRegistryOption(int& argc, char** argv, std::string& error) {
    for (int i = 1; i < argc; ++i) {
        if (argv[i] != kRegistryOption) {
            continue;
        }
        if (i + 1 >= argc) {
            error = std::string(kRegistryOption) + " needs a value";
            return false;
        }
        RegistrySetFile(argv[i + 1]);
        std::copy(argv + i + 2, argv + argc, argv + i);
        argc -= 2;
        argv[argc] = nullptr;
        --i;
    }
    return true;
}

}  // namespace host
