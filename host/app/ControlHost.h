#pragma once
// The host's side of the plug-in: it loads the plug-in module, creates the control, gives it
// the client site and sends it verbs.

#include <memory>
#include <string>

#include "host/app/PluginModule.h"
#include "platform/com/ComPtr.h"
#include "platform/com/OleObject.h"

namespace host {

class ControlHost {
public:
    // Loads the plug-in module and creates the control on site; nullptr and a message on
    // failure.
    static std::unique_ptr<ControlHost> Create(IOleClientSite& site, std::string& error);
    // Creates the control from a module already at hand (the tests link the plug-in).
    static std::unique_ptr<ControlHost> Create(std::unique_ptr<PluginModule> module,
                                               IOleClientSite& site, std::string& error);
    ~ControlHost();

    const ComPtr<IOleObject>& Control() const { return m_control; }
    const PluginModule& Module() const { return *m_module; }

private:
    ControlHost() = default;
    std::unique_ptr<PluginModule> m_module;
    ComPtr<IOleObject> m_control;
};

}  // namespace host
