#pragma once
// `qma7 script [--node IMAGE] [--save IMAGE] [--registry FILE] [FILE]` on the simulated node,
// `qma7 script --lon ADDRESS|NAME [LON OPTIONS] [FILE]` on a node of the network.

namespace host {

int RunScriptCommand(int argc, char** argv);

}  // namespace host
