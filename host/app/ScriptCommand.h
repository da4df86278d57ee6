#pragma once
// `qma7 script [--node IMAGE] [--save IMAGE] [--registry FILE] [FILE]`.

namespace host {

int RunScriptCommand(int argc, char** argv);

}  // namespace host
