#include "host/app/PluginModule.h"

#include <dlfcn.h>

#include <cstdio>
#include <filesystem>

namespace host {

namespace {

constexpr const char* kVersionResource = "VS_VERSION_INFO";

template <typename Fn>
Fn Export(void* handle, const char* name, std::string& missing) {
    void* symbol = dlsym(handle, name);
    if (symbol == nullptr) {
        missing.append(missing.empty() ? "" : ", ").append(name);
    }
    return reinterpret_cast<Fn>(symbol);
}

}  // namespace

std::unique_ptr<PluginModule> PluginModule::Load(const std::string& path, std::string& error) {
    std::error_code exists;
    if (!std::filesystem::exists(path, exists)) {
        error = "the plug-in module " + path + " does not exist";
        return nullptr;
    }
    // A name without a folder would send dlopen searching the library path instead.
    const std::string absolute = std::filesystem::absolute(path, exists).lexically_normal();
    void* handle = dlopen(absolute.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        const char* reason = dlerror();
        error = "cannot load the plug-in module " + path + ": " + (reason ? reason : "unknown");
        return nullptr;
    }
    std::unique_ptr<PluginModule> module(new PluginModule);
    module->m_handle = handle;
    module->m_path = absolute;
    std::string missing;
    module->m_registerServer = Export<DllEntryFn>(handle, "DllRegisterServer", missing);
    module->m_unregisterServer = Export<DllEntryFn>(handle, "DllUnregisterServer", missing);
    module->m_getClassObject = Export<DllGetClassObjectFn>(handle, "DllGetClassObject", missing);
    module->m_canUnloadNow = Export<DllEntryFn>(handle, "DllCanUnloadNow", missing);
    if (!missing.empty()) {
        error = "the plug-in module " + path + " lacks the exports " + missing;
        return nullptr;
    }
    module->m_versionInfo = static_cast<const VS_VERSIONINFO*>(dlsym(handle, kVersionResource));
    return module;
}

PluginModule::~PluginModule() {
    // Unloading a module whose objects are alive would pull their code from under them.
    if (m_handle != nullptr && (m_canUnloadNow == nullptr || m_canUnloadNow() == S_OK)) {
        dlclose(m_handle);
    }
}

HRESULT PluginModule::GetClassObject(REFCLSID clsid, REFIID iid, void** object) const {
    return m_getClassObject(clsid, iid, object);
}

HRESULT PluginModule::CreateInstance(REFCLSID clsid, REFIID iid, void** object) const {
    void* factory = nullptr;
    const HRESULT hr = m_getClassObject(clsid, IID_IClassFactory, &factory);
    if (FAILED(hr)) {
        return hr;
    }
    auto* classFactory = static_cast<IClassFactory*>(factory);
    const HRESULT created = classFactory->CreateInstance(nullptr, iid, object);
    classFactory->Release();
    return created;
}

HRESULT PluginModule::CanUnloadNow() const {
    return m_canUnloadNow();
}

HRESULT PluginModule::RegisterServer() const {
    return m_registerServer();
}

HRESULT PluginModule::UnregisterServer() const {
    return m_unregisterServer();
}

std::string HResultText(HRESULT hr) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(hr));
    return text;
}

std::string ExecutableFolder() {
    std::error_code error;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string(".") : exe.parent_path().string();
}

}  // namespace host
