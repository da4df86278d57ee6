#pragma once
// `qma7 fleet ACTION ... NODES...`: one action (save, load, defaults, script, check, scan) on
// many nodes of a LON/IP network at once, over one socket of the host.

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "host/app/LonOption.h"
#include "host/fleet/FleetJob.h"

namespace host {

struct FleetOptions {
    fleet::Action action = fleet::Action::Save;
    std::string path;  // save: the folder; load, check: file or folder; script: the script
    std::vector<std::string> nodes;  // words naming nodes; scan: the range
    bool all = false;
    std::size_t parallel = 0;  // 0: every node at once
    bool dryRun = false;
    bool yes = false;
    bool force = false;
    std::optional<std::string> password;
    std::optional<std::string> json;
    std::optional<std::string> trace;
    std::string output = ".";  // script: the folder of each node's output
    LonOptions lon;
};

// The command line after "fleet"; false with a message for a command-line error.
bool ParseFleetOptions(int argc, char** argv, FleetOptions& options, std::string& error);

int RunFleetCommand(int argc, char** argv);

}  // namespace host
