#pragma once
// `qma7 register [MODULE]` and `qma7 unregister [MODULE]`: call the module's DllRegisterServer
// or DllUnregisterServer (MODULE: the plug-in module beside qma7 when absent), print the code
// it returns and exit with 0 only when it succeeded.

namespace host {

int RunRegisterCommand(int argc, char** argv, bool registering);

}  // namespace host
