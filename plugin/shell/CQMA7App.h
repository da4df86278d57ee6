#pragma once
// The module object: one per process, initialised when the module is loaded.

class CQMA7App {
public:
    CQMA7App();
    bool InitInstance();
    int ExitInstance();
};

extern CQMA7App theApp;
