// qma7: the host network tool for the QMA7 air-handling controller node.
#include <cstdio>
#include <cstring>
#include <string>

#include "host/app/DrawCommand.h"
#include "host/app/FleetCommand.h"
#include "host/app/RegisterCommand.h"
#include "host/app/RegistryOption.h"
#include "host/app/ScriptCommand.h"
#include "host/app/SheetCommand.h"
#include "host/app/Usage.h"
#include "host/app/WebCommand.h"
#include "host/text/ShownText.h"

int main(int argc, char** argv) {
    // --registry FILE applies to every command; it is taken out before a command sees its
    // arguments.
    std::string registryError;
    if (!host::TakeRegistryOption(argc, argv, registryError)) {
        std::fprintf(stderr, "qma7: %s\n", registryError.c_str());
        return 2;
    }
    const char* command = argc > 1 ? argv[1] : "";
    if (std::strcmp(command, "--version") == 0) {
        std::string text;
        std::string error;
        const bool found = host::VersionLines(text, error);
        std::fputs(text.c_str(), stdout);
        if (!found) {
            std::fprintf(stderr, "qma7: %s\n", error.c_str());
            return 1;
        }
        return 0;
    }
    if (std::strcmp(command, "script") == 0) {
        return host::RunScriptCommand(argc - 2, argv + 2);
    }
    if (std::strcmp(command, "fleet") == 0) {
        return host::RunFleetCommand(argc - 2, argv + 2);
    }
    if (std::strcmp(command, "register") == 0 || std::strcmp(command, "unregister") == 0) {
        return host::RunRegisterCommand(argc - 2, argv + 2, command[0] == 'r');
    }
    if (std::strcmp(command, "web") == 0) {
        return host::RunWebCommand(argc - 2, argv + 2);
    }
    if (std::strcmp(command, "draw") == 0) {
        return host::RunDrawCommand(argc - 2, argv + 2);
    }
    if (std::strcmp(command, "--help") == 0 || std::strcmp(command, "-h") == 0) {
        std::fputs(host::kUsage, stdout);
        return 0;
    }
    // No sub-command: the sheet in the terminal; its options are checked there.
    if (argc == 1 || command[0] == '-') {
        return host::RunSheetCommand(argc - 1, argv + 1);
    }
    std::fprintf(stderr, "qma7: unknown argument %s (qma7 --help lists the commands)\n",
                 host::ShownText(command).c_str());
    return 2;
}
