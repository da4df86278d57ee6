#pragma once
// The module object: one per module, initialised when the module is loaded and ended when it
// is unloaded. It makes the module's name and resources known to the framework.

#include "platform/ui/ControlModule.h"

class CQMA7App : public COleControlModule {
  public:
    CQMA7App();
    ~CQMA7App() override;
    bool InitInstance() override;
    int ExitInstance() override;
};

extern CQMA7App theApp;
