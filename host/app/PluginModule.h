#pragma once
// A plug-in module loaded into the host process, and the entry points the host calls.

#include <memory>
#include <string>

#include "platform/com/ComPtr.h"
#include "platform/com/Unknown.h"

namespace host {

using DllGetClassObjectFn = HRESULT (*)(REFCLSID, REFIID, void**);
using DllCanUnloadNowFn = HRESULT (*)();
using DllRegisterServerFn = HRESULT (*)();

class PluginModule {
public:
    // Loads the module at path; on failure nullptr and a message in error.
    static std::unique_ptr<PluginModule> Load(const std::string& path, std::string& error);
    // Entry points already linked into this process (the tests link the plug-in directly).
    PluginModule(DllGetClassObjectFn getClassObject, DllCanUnloadNowFn canUnloadNow);
    ~PluginModule();
    PluginModule(const PluginModule&) = delete;
    PluginModule& operator=(const PluginModule&) = delete;

    // A new object of class clsid, asked for interface iid.
    HRESULT CreateInstance(REFCLSID clsid, REFIID iid, void** object) const;
    HRESULT CanUnloadNow() const;
    // An exported function by name, or nullptr.
    void* Symbol(const char* name) const;
    const std::string& Path() const { return m_path; }

private:
    PluginModule() = default;
    void* m_handle = nullptr;
    std::string m_path;
    DllGetClassObjectFn m_getClassObject = nullptr;
    DllCanUnloadNowFn m_canUnloadNow = nullptr;
};

// The folder of the running executable, where the module is installed beside qma7.
std::string ExecutableFolder();

}  // namespace host
