#pragma once
// The program ID of the node type this plug-in serves, as eight upper-case hex pairs. The
// settings file carries it in its header and import compares it; registration uses it too.

#include <string_view>

namespace settingsfile {

inline constexpr std::string_view kProgramId = "90 51 4D 41 37 5F 31 6A";

}  // namespace settingsfile
