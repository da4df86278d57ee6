#include "host/app/PluginLocator.h"

#include <filesystem>
#include <ostream>

#include "host/app/PluginModule.h"
#include "host/node/NodeProgramId.h"
#include "platform/registry/Registry.h"

namespace host {

namespace {

constexpr const char* kClsidKey = "CLSID";
constexpr const char* kProgramIdEntry = "\\Node\\ProgramID";
constexpr const char* kInprocServer = "\\InprocServer32";

std::optional<std::string> DefaultValue(HKEY key, const std::string& subKey) {
    char buffer[4096];
    LONG size = sizeof buffer;
    if (RegQueryValue(key, subKey.c_str(), buffer, &size) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    return std::string(buffer);
}

bool SameFile(const std::string& a, const std::string& b) {
    std::error_code error;
    return std::filesystem::equivalent(a, b, error) && !error;
}

// The registry's own message names the file; another failure is a status code.
std::string RegistryError(LONG code) {
    const std::string reason = RegistryLastError();
    return !reason.empty()
               ? reason
               : "cannot read the registry " + RegistryFile() + ": error " + std::to_string(code);
}

}  // namespace

std::string BundledModulePath() {
    const std::filesystem::path folder = ExecutableFolder();
    const std::filesystem::path beside = folder / kPluginModuleFile;
    const std::filesystem::path installed =
        (folder / kInstalledModuleFolder / kPluginModuleFile).lexically_normal();
    std::error_code error;
    if (!std::filesystem::exists(beside, error) && std::filesystem::exists(installed, error)) {
        return installed.string();
    }
    return beside.string();
}

bool FindRegisteredPlugins(const std::string& programId, std::vector<RegisteredPlugin>& plugins,
                           std::string& error) {
    plugins.clear();
    RegistryClearLastError();
    HKEY classes = nullptr;
    const LONG open = RegOpenKey(HKEY_CLASSES_ROOT, kClsidKey, &classes);
    if (open == ERROR_FILE_NOT_FOUND) {
        return true;
    }
    if (open != ERROR_SUCCESS) {
        error = RegistryError(open);
        return false;
    }
    char name[256];
    LONG result = ERROR_SUCCESS;
    for (DWORD i = 0; (result = RegEnumKey(classes, i, name, sizeof name)) == ERROR_SUCCESS; ++i) {
        const std::optional<CLSID> clsid = GuidFromString(name);
        if (!clsid || DefaultValue(classes, name + std::string(kProgramIdEntry)) != programId) {
            continue;
        }
        plugins.push_back(
            {*clsid, DefaultValue(classes, name + std::string(kInprocServer)).value_or("")});
    }
    RegCloseKey(classes);
    if (result != ERROR_NO_MORE_ITEMS) {
        error = RegistryError(result);
        return false;
    }
    return true;
}

bool InstallModule(const std::string& path, std::string& error) {
    const auto module = PluginModule::Load(path, error);
    if (!module) {
        return false;
    }
    const VS_VERSIONINFO* version = module->VersionInfo();
    if (version == nullptr || VerQueryValue(*version, kVersionOleSelfRegister) == nullptr) {
        error = "the plug-in module " + path + " does not declare itself self-registering";
        return false;
    }
    RegistryClearLastError();
    const HRESULT hr = module->RegisterServer();
    if (FAILED(hr)) {
        // The code says which step failed; the registry says why, when it was the registry.
        const std::string reason = RegistryLastError();
        error = "registering the plug-in module " + path + " failed with " + HResultText(hr) +
                (reason.empty() ? "" : ": " + reason);
        return false;
    }
    return true;
}

std::optional<RegisteredPlugin> LocatePlugin(const std::string& programId,
                                             const std::string& besideModule, std::ostream& notes,
                                             std::string& error) {
    std::vector<RegisteredPlugin> plugins;
    if (!FindRegisteredPlugins(programId, plugins, error)) {
        return std::nullopt;
    }
    std::error_code exists;
    if (!std::filesystem::exists(besideModule, exists)) {
        if (plugins.empty()) {
            error = "no plug-in is registered for program id \"" + programId +
                    "\" and there is no module " + besideModule + " to register";
            return std::nullopt;
        }
        return plugins.front();
    }
    for (const RegisteredPlugin& plugin : plugins) {
        if (SameFile(plugin.modulePath, besideModule)) {
            return plugin;
        }
    }
    // The module that comes with qma7 serves one program ID: registering it helps no other.
    if (programId != ProgramIdText(kSimNodeProgramId)) {
        if (plugins.empty()) {
            error = "no plug-in is registered for program id \"" + programId + "\"";
            return std::nullopt;
        }
        return plugins.front();
    }
    notes << "qma7: "
          << (plugins.empty() ? "no plug-in is registered for program id \"" + programId + "\""
                              : "the registered plug-in module " + plugins.front().modulePath +
                                    " is not the one that comes with qma7")
          << "; registering " << besideModule << '\n';
    if (!InstallModule(besideModule, error) || !FindRegisteredPlugins(programId, plugins, error)) {
        return std::nullopt;
    }
    for (const RegisteredPlugin& plugin : plugins) {
        if (SameFile(plugin.modulePath, besideModule)) {
            return plugin;
        }
    }
    error = "the plug-in module " + besideModule + " registered no plug-in for program id \"" +
            programId + "\"";
    return std::nullopt;
}

}  // namespace host
