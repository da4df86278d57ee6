#pragma once
// The module object of a control module: one per module, made when the module is loaded. While
// it is initialised, the application's name and bitmap resources are the module's; the module
// loaded last wins, and when it unloads the one before it is current again.

#include "platform/ui/ModuleState.h"

class COleControlModule {
  public:
    explicit COleControlModule(const ModuleResources& resources,
                               AFX_MODULE_STATE& module = AfxGetModuleState());
    virtual ~COleControlModule();
    COleControlModule(const COleControlModule&) = delete;
    COleControlModule& operator=(const COleControlModule&) = delete;

    // Run when the module is loaded and unloaded (the module object's constructor and
    // destructor stand in for the loader's notifications).
    virtual bool InitInstance();
    virtual int ExitInstance();

    AFX_MODULE_STATE& ModuleState() const { return m_module; }

  private:
    AFX_MODULE_STATE& m_module;
};
