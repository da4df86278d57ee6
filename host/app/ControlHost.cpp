#include "host/app/ControlHost.h"

#include <cstdio>

#include "platform/com/Guid.h"

namespace host {

namespace {

// The QMA7 control class.
constexpr CLSID kControlClsid = MakeGuid("{76A875E6-EAF0-11D5-8DA4-00107A158EFD}");
constexpr const char* kModuleFile = "QMA7.so";

std::string HResultText(HRESULT hr) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(hr));
    return text;
}

}  // namespace

std::unique_ptr<ControlHost> ControlHost::Create(IOleClientSite& site, std::string& error) {
    auto module = PluginModule::Load(ExecutableFolder() + "/" + kModuleFile, error);
    if (!module) {
        return nullptr;
    }
    return Create(std::move(module), site, error);
}

std::unique_ptr<ControlHost> ControlHost::Create(std::unique_ptr<PluginModule> module,
                                                 IOleClientSite& site, std::string& error) {
    std::unique_ptr<ControlHost> host(new ControlHost);
    host->m_module = std::move(module);
    void* control = nullptr;
    const HRESULT hr = host->m_module->CreateInstance(kControlClsid, IID_IOleObject, &control);
    if (hr != S_OK || control == nullptr) {
        error = "the plug-in module " + host->m_module->Path() + " cannot create the control (" +
                HResultText(hr) + ")";
        return nullptr;
    }
    host->m_control = ComPtr<IOleObject>::Attach(static_cast<IOleObject*>(control));
    host->m_control->SetClientSite(&site);
    return host;
}

ControlHost::~ControlHost() {
    if (m_control) {
        m_control->SetClientSite(nullptr);
    }
    m_control.Reset();
}

}  // namespace host
