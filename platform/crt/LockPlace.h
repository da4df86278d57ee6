#pragma once
// Where a lock file lives: in the user's runtime folder, $XDG_RUNTIME_DIR/qma7/ (or, without
// one, the state folder ${XDG_STATE_HOME:-~/.local/state}/qma7/locks/), not beside the file it
// guards, so that the user's own folders get no side files. Every process of the user that
// guards the same file computes the same lock path.

#include <string>

namespace platform::crt {

// The lock file for the file at path: NAME-HASH.lock, NAME the file's name and HASH one of its
// absolute path (links resolved). The folder is made (mode 0700) when missing; where neither
// folder can be had, the side file "PATH.lock" beside the file.
std::string LockFilePath(const std::string& path);

}  // namespace platform::crt
