#include "host/app/Usage.h"

namespace host {

const char* const kUsage =
    "usage: qma7 [OPTIONS]            open the QMA7 settings sheet on the simulated node\n"
    "           --node IMAGE          the node image to use (default:\n"
    "                                 ${XDG_STATE_HOME:-~/.local/state}/qma7/node.json)\n"
    "           --fresh               start from the factory node\n"
    "           --latency MS          every host call takes MS milliseconds\n"
    "           --registry FILE       the registry file to use\n"
    "       qma7 script [OPTIONS] [FILE]\n"
    "                                 run a script against the simulated node, headless\n"
    "       qma7 --help | --version\n";

const char* const kVersion = "qma7 1.0.0.1\n";

}  // namespace host
