#pragma once
// `--registry FILE`, which every qma7 command accepts: the registry file to use instead of
// $QMA7_REGISTRY or the user's default one.

#include <string>

namespace host {

// Takes `--registry FILE` out of argv[1..argc) wherever it stands, shifting the rest down, and
// makes FILE the registry. False with a message when FILE is missing.
bool TakeRegistryOption(int& argc, char** argv, std::string& error);

}  // namespace host
