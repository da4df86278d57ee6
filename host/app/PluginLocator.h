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

// The file name of the plug-in module that comes with qma7.
inline constexpr const char* kPluginModuleFile = "QMA7.so";
// Where the folder that holds it lies from qma7's own folder once installed (bin/ -> lib/qma7/).
inline constexpr const char* kInstalledModuleFolder = "../lib/qma7";
// Its path: beside the qma7 executable (a build tree), else in the installed place relative to
// the executable, so that an unpacked package works wherever it lies.
std::string BundledModulePath();

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
