#include "host/app/PluginModule.h"

#include <dlfcn.h>
#include <unistd.h>

#include <filesystem>

namespace host {

std::unique_ptr<PluginModule> PluginModule::Load(const std::string& path, std::string& error) {
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        const char* reason = dlerror();
        error = "cannot load the plug-in module " + path + ": " + (reason ? reason : "unknown");
        return nullptr;
    }
    std::unique_ptr<PluginModule> module(new PluginModule);
    module->m_handle = handle;
    module->m_path = path;
    module->m_getClassObject =
        reinterpret_cast<DllGetClassObjectFn>(dlsym(handle, "DllGetClassObject"));
    module->m_canUnloadNow = reinterpret_cast<DllCanUnloadNowFn>(dlsym(handle, "DllCanUnloadNow"));
    if (module->m_getClassObject == nullptr || module->m_canUnloadNow == nullptr) {
        error = "the module " + path + " lacks the entry points DllGetClassObject and DllCanUnloadNow";
        return nullptr;
    }
    return module;
}

PluginModule::PluginModule(DllGetClassObjectFn getClassObject, DllCanUnloadNowFn canUnloadNow)
    : m_getClassObject(getClassObject), m_canUnloadNow(canUnloadNow) {}

PluginModule::~PluginModule() {
    if (m_handle != nullptr) {
        dlclose(m_handle);
    }
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

HRESULT PluginModule::CanUnloadNow() const { return m_canUnloadNow(); }

void* PluginModule::Symbol(const char* name) const {
    return m_handle != nullptr ? dlsym(m_handle, name) : nullptr;
}

std::string ExecutableFolder() {
    std::error_code error;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string(".") : exe.parent_path().string();
}

}  // namespace host
