#pragma once
// Where `qma7 script` reads its script: a file, a pipe, or standard input ("-"), read to its
// end as a stream. A folder, a device or a socket named as the script is refused.

#include <optional>
#include <string>

namespace host {

// The whole script; nothing with error (naming the source and the reason) when it cannot be
// read to its end.
std::optional<std::string> ReadScript(const std::string& path, std::string& error);

}  // namespace host
