#pragma once
// A plug-in module loaded into the host process, and the entry points the host calls.

#include <memory>
#include <string>

#include "platform/com/Unknown.h"
#include "platform/ui/VersionResource.h"

namespace host {

using DllGetClassObjectFn = HRESULT (*)(REFCLSID, REFIID, void**);
using DllEntryFn = HRESULT (*)();

class PluginModule {
  public:
    // Loads the module at path; it must export DllRegisterServer, DllUnregisterServer,
    // DllGetClassObject and DllCanUnloadNow. On failure nullptr and a message in error that
    // names the module and what is wrong: missing, not loadable, or lacking exports.
    static std::unique_ptr<PluginModule> Load(const std::string& path, std::string& error);
    // Unloads the module unless objects of it are still alive (DllCanUnloadNow).
    ~PluginModule();
    PluginModule(const PluginModule&) = delete;
    PluginModule& operator=(const PluginModule&) = delete;

    HRESULT GetClassObject(REFCLSID clsid, REFIID iid, void** object) const;
    // A new object of class clsid, asked for interface iid, through the class factory.
    HRESULT CreateInstance(REFCLSID clsid, REFIID iid, void** object) const;
    HRESULT CanUnloadNow() const;
    HRESULT RegisterServer() const;
    HRESULT UnregisterServer() const;
    // The module's version resource; null when it has none.
    const VS_VERSIONINFO* VersionInfo() const { return m_versionInfo; }
    const std::string& Path() const { return m_path; }

  private:
    PluginModule() = default;

    void* m_handle = nullptr;
    std::string m_path;
    DllEntryFn m_registerServer = nullptr;
    DllEntryFn m_unregisterServer = nullptr;
    DllGetClassObjectFn m_getClassObject = nullptr;
    DllEntryFn m_canUnloadNow = nullptr;
    const VS_VERSIONINFO* m_versionInfo = nullptr;
};

// "0x80040200": a status as the host prints it.
std::string HResultText(HRESULT hr);

// The folder of the running executable; the module that comes with qma7 is found from it.
std::string ExecutableFolder();

}  // namespace host
