#include "plugin/shell/CQMA7App.h"

#include "platform/ui/MessageBox.h"

namespace {
const char* const kAppName = "QMA7";
}

CQMA7App theApp;

CQMA7App::CQMA7App() { InitInstance(); }

bool CQMA7App::InitInstance() {
    // Message boxes of the application carry its name as their title.
    AfxSetAppName(kAppName);
    return true;
}

int CQMA7App::ExitInstance() { return 0; }
