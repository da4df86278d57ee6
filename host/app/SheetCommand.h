#pragma once
// `qma7 [--node IMAGE] [--fresh] [--latency MS] [--registry FILE]`: the settings sheet in the
// terminal, on the simulated node kept in a node image; `qma7 --lon ADDRESS|NAME [LON OPTIONS]`:
// on a node of the network.

#include <filesystem>
#include <optional>
#include <string>

namespace host {

int RunSheetCommand(int argc, char** argv);

// Where the node image is kept when no --node is given:
// ${XDG_STATE_HOME:-$HOME/.local/state}/qma7/node.json; nothing when neither is set.
std::optional<std::filesystem::path> DefaultNodeImagePath(const char* stateHome, const char* home);

}  // namespace host
