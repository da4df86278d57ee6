#include "host/app/ControlHost.h"

#include <ostream>
#include <vector>

#include "host/app/PluginLocator.h"

namespace host {

std::unique_ptr<ControlHost> ControlHost::Create(IOleClientSite& site, const std::string& programId,
                                                 const std::string& besideModule,
                                                 std::ostream& notes, std::string& error) {
    const std::optional<RegisteredPlugin> plugin =
        LocatePlugin(programId, besideModule, notes, error);
    if (!plugin) {
        return nullptr;
    }
    auto module = PluginModule::Load(plugin->modulePath, error);
    if (!module) {
        return nullptr;
    }
    return Create(std::move(module), plugin->clsid, site, error);
}

std::unique_ptr<ControlHost> ControlHost::Create(std::unique_ptr<PluginModule> module,
                                                 REFCLSID clsid, IOleClientSite& site,
                                                 std::string& error) {
    std::unique_ptr<ControlHost> host(new ControlHost);
    host->m_module = std::move(module);
    const HRESULT hr =
        host->m_module->CreateInstance(clsid, IID_IOleObject, host->m_control.PutVoid());
    if (hr != S_OK || !host->m_control) {
        error = "the plug-in module " + host->m_module->Path() + " cannot create the control " +
                GuidToString(clsid) + " (" + HResultText(hr) + ")";
        return nullptr;
    }
    // The control asks for its client site first, then starts as a new control.
    host->m_control->SetClientSite(&site);
    ComPtr<IPersistStreamInit> persist;
    if (host->m_control->QueryInterface(IID_IPersistStreamInit, persist.PutVoid()) == S_OK) {
        persist->InitNew();
    }
    return host;
}

ControlHost::~ControlHost() {
    if (m_control) {
        m_control->SetClientSite(nullptr);
    }
    m_control.Reset();
}

std::unique_ptr<ControlHost> CreateControlForNode(IOleClientSite& site,
                                                  const std::string& programId,
                                                  const std::string& address,
                                                  const std::string& besideModule,
                                                  std::ostream& notes, std::string& error) {
    auto control = ControlHost::Create(site, programId, besideModule, notes, error);
    std::vector<RegisteredPlugin> plugins;
    std::string registryError;
    if (!control && FindRegisteredPlugins(programId, plugins, registryError) && plugins.empty()) {
        error = "the node " + address + " has program ID \"" + programId +
                "\", and no plug-in is registered for it";
    }
    return control;
}

}  // namespace host
