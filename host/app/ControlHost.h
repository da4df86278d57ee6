#pragma once
// The host's side of the plug-in: it finds the plug-in for the node through the registry,
// loads its module, creates the control, gives it the client site and initialises it.

#include <iosfwd>
#include <memory>
#include <string>

#include "host/app/PluginModule.h"
#include "platform/com/ComPtr.h"
#include "platform/com/OleObject.h"

namespace host {

class ControlHost {
  public:
    // Finds the plug-in registered for programId (upper-case hex pairs and blanks), loads its
    // module and creates its control on site. The module beside qma7 (besideModule) is registered
    // when no plug-in is and it serves that ID; such notes go to notes. nullptr and a message on
    // failure.
    static std::unique_ptr<ControlHost> Create(IOleClientSite& site, const std::string& programId,
                                               const std::string& besideModule, std::ostream& notes,
                                               std::string& error);
    // Creates the control of class clsid from a module already loaded.
    static std::unique_ptr<ControlHost> Create(std::unique_ptr<PluginModule> module, REFCLSID clsid,
                                               IOleClientSite& site, std::string& error);
    ~ControlHost();

    const ComPtr<IOleObject>& Control() const { return m_control; }
    const PluginModule& Module() const { return *m_module; }

  private:
    ControlHost() = default;
    // Declared first: the module outlives the control.
    std::unique_ptr<PluginModule> m_module;
    ComPtr<IOleObject> m_control;
};

// The control for a node at address with programId, found (or registered) as above; a node with
// an ID no plug-in is registered for is told so.
std::unique_ptr<ControlHost> CreateControlForNode(IOleClientSite& site,
                                                  const std::string& programId,
                                                  const std::string& address,
                                                  const std::string& besideModule,
                                                  std::ostream& notes, std::string& error);

}  // namespace host
