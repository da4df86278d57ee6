// qma7: the host network tool for the QMA7 air-handling controller node.
#include <cstdio>
#include <cstring>

#include "host/app/Usage.h"

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "--version") == 0) {
        std::fputs(host::kVersion, stdout);
        return 0;
    }
    std::fputs(host::kUsage, stdout);
    return 0;
}
