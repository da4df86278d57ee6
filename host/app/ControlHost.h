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
    // Finds and loads the plug-in of the simulated node and creates its control on site. Notes
    // (the plug-in beside qma7 was registered) go to standard error. nullptr and a message on
    // failure.
    static std::unique_ptr<ControlHost> Create(IOleClientSite& site, std::string& error);
    // The same for the plug-in of a node with programId (upper-case hex pairs and blanks).
    static std::unique_ptr<ControlHost> Create(IOleClientSite& site, const std::string& programId,
                                               std::string& error);
    // The same with the notes going to notes, and the module beside qma7 at besideModule.
    static std::unique_ptr<ControlHost> Create(IOleClientSite& site,
                                               const std::string& besideModule, std::ostream& notes,
                                               std::string& error);
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

}  // namespace host
