#pragma once
// How the host finds the plug-in of a node, as the original host does: through the registry,
// by the node's program id. Plug-ins register the program ids they serve as the default value
// of CLSID\{clsid}\Node\ProgramID; the class's InprocServer32 names the module to load.

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "platform/com/Guid.h"

namespace host {

struct RegisteredPlugin {
    CLSID clsid;
    std::string modulePath;
};

// The file name of the plug-in module installed beside the qma7 executable.
inline constexpr const char* kPluginModuleFile = "QMA7.so";
// Its path.
std::string BesideModulePath();

// Every class registered for programId, in the registry's order. False (with error) when the
// registry cannot be read.
bool FindRegisteredPlugins(const std::string& programId, std::vector<RegisteredPlugin>& plugins,
                           std::string& error);

// Registers the module at path as an installer does: only a module whose version resource
// declares it self-registering, through its DllRegisterServer.
bool InstallModule(const std::string& path, std::string& error);

// The plug-in to load for programId. The module beside qma7 (besideModule) is registered
// first, with a note to notes, when no plug-in is registered for programId or none of the
// registered ones is that module. Without a module beside qma7, the first registered plug-in.
std::optional<RegisteredPlugin> LocatePlugin(const std::string& programId,
                                             const std::string& besideModule, std::ostream& notes,
                                             std::string& error);

}  // namespace host
