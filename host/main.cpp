// qma7: the host network tool for the QMA7 air-handling controller node.
#include <cstdio>
#include <cstring>

#include "host/app/ScriptCommand.h"
#include "host/app/SheetCommand.h"
#include "host/app/Usage.h"

int main(int argc, char** argv) {
    const char* command = argc > 1 ? argv[1] : "";
    if (std::strcmp(command, "--version") == 0) {
        std::fputs(host::kVersion, stdout);
        return 0;
    }
    if (std::strcmp(command, "script") == 0) {
        return host::RunScriptCommand(argc - 2, argv + 2);
    }
    if (std::strcmp(command, "--help") == 0) {
        std::fputs(host::kUsage, stdout);
        return 0;
    }
    // No sub-command: the sheet in the terminal; its options are checked there.
    if (argc == 1 || command[0] == '-') {
        return host::RunSheetCommand(argc - 1, argv + 1);
    }
    std::fputs(host::kUsage, stdout);
    return 2;
}
