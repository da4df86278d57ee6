#include "platform/ui/ModuleState.h"

#include <dlfcn.h>
#include <link.h>

#include <filesystem>

std::string AfxGetModuleFileName(HINSTANCE instance) {
    // The module state lives in the module's own data, so its address names the module.
    Dl_info info{};
    link_map* map = nullptr;
    if (dladdr1(instance, &info, reinterpret_cast<void**>(&map), RTLD_DL_LINKMAP) == 0 ||
        map == nullptr) {
        return {};
    }
    std::error_code error;
    // The program itself has no name in its link map.
    const std::filesystem::path file = map->l_name[0] == '\0'
                                           ? std::filesystem::read_symlink("/proc/self/exe", error)
                                           : std::filesystem::absolute(map->l_name, error);
    return error ? std::string() : file.lexically_normal().string();
}
