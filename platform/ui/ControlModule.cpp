#include "platform/ui/ControlModule.h"

#include <algorithm>
#include <vector>

#include "platform/ui/MessageBox.h"

namespace {

// Initialised modules, the current one last.
std::vector<const COleControlModule*>& ActiveModules() {
    static std::vector<const COleControlModule*> modules;
    return modules;
}

// False when the module was not active.
bool Deactivate(const COleControlModule* module) {
    auto& modules = ActiveModules();
    const auto end = std::remove(modules.begin(), modules.end(), module);
    const bool wasActive = end != modules.end();
    modules.erase(end, modules.end());
    return wasActive;
}

void ApplyCurrent() {
    const auto& modules = ActiveModules();
    if (modules.empty()) {
        AfxSetAppName("");
        SetBitmapResources(nullptr);
        return;
    }
    const ModuleResources& resources = modules.back()->ModuleState().m_resources;
    AfxSetAppName(resources.appName);
    SetBitmapResources(resources.bitmaps);
}

}  // namespace

COleControlModule::COleControlModule(const ModuleResources& resources, AFX_MODULE_STATE& module)
    : m_module(module) {
    m_module.m_resources = resources;
}

COleControlModule::~COleControlModule() {
    // A module that unloads without ExitInstance must not leave its resources current.
    if (Deactivate(this)) {
        ApplyCurrent();
    }
}

bool COleControlModule::InitInstance() {
    Deactivate(this);
    ActiveModules().push_back(this);
    ApplyCurrent();
    return true;
}

int COleControlModule::ExitInstance() {
    Deactivate(this);
    ApplyCurrent();
    return 0;
}
